// The lookup grid's tests and the registries of default items: the specialised editors'
// fixture with the data units and this layer's registries started on top.
#pragma once

#include "tests/special/SpecialTestSupport.h"
#include "widgets/data/DataUnits.h"
#include "widgets/databinding/cxEditDBRegisteredRepositoryItems.h"
#include "widgets/special/cxEditRepositoryItems.h"

class RegistryTest : public SpecialDialogTest {
 protected:
  void SetUp() override {
    SpecialDialogTest::SetUp();
    WidgetsDataInitialize();
    cxEditDBRegisteredRepositoryItems::Initialize();
  }
  void TearDown() override {
    cxEditDBRegisteredRepositoryItems::Finalize();
    WidgetsDataFinalize();
    SpecialDialogTest::TearDown();
  }
};
