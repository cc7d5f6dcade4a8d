// The fixtures of the data-set binding tests.
//
// DatabindingTest: everything the data-aware editors stand on (the specialised editors'
// fixture with its dialog form "dlg", the data controller's units, then this layer's units),
// with the locale's format settings read in and put back after each test.
// DatabindingDataTest: the kernel, its locale and the data controller's units with this
// layer's units on top, for tests that need no window (data sets, field routines, adapters,
// data controllers without editors). Units that need the editors' start-up belong in tests
// of the first fixture.
#pragma once

#include "classlib/core/DB.h"
#include "classlib/core/SysUtils.h"
#include "tests/data/DataTestSupport.h"
#include "tests/databinding/TestDataSets.h"
#include "tests/special/SpecialTestSupport.h"
#include "widgets/data/DataUnits.h"
#include "widgets/databinding/DatabindingUnits.h"

class DatabindingTest : public SpecialDialogTest {
 protected:
  void SetUp() override {
    SpecialDialogTest::SetUp();
    GetFormatSettings();
    WidgetsDataInitialize();
    WidgetsDatabindingInitialize();
  }
  void TearDown() override {
    WidgetsDatabindingFinalize();
    WidgetsDataFinalize();
    SpecialDialogTest::TearDown();
  }
};

class DatabindingDataTest : public DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    WidgetsDatabindingInitialize();
  }
  void TearDown() override {
    WidgetsDatabindingFinalize();
    DataTest::TearDown();
  }
};

// A persistent field of class T named AName in ADataSet (closed), owned by AOwner.
template <class T>
T* AddTestField(TComponent* AOwner, TDataSet* ADataSet, const char* AName) {
  T* f = New<T>(AOwner);
  f->SetFieldName(AName);
  f->SetDataSet(ADataSet);
  return f;
}

// A memory data set owned by AOwner with the given field definitions, not yet open.
struct TTestFieldDef {
  const char* Name;
  TFieldType Type;
  Integer Size = 0;
};
template <class T = TMemoryDataSet>
T* MakeTestDataSet(TComponent* AOwner, std::initializer_list<TTestFieldDef> ADefs) {
  T* ds = New<T>(AOwner);
  for (const TTestFieldDef& d : ADefs) ds->FieldDefs().Add(d.Name, d.Type, d.Size);
  return ds;
}
