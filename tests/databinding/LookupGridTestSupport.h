// The lookup grid's tests: the data-binding fixture, plus grids on the dialog form filled
// from rows of values, drawn in the built-in test face.
#pragma once

#include "platform/gdi/FontEngine.h"
#include "tests/databinding/DatabindingTestSupport.h"
#include "widgets/databinding/cxEditDBRegisteredRepositoryItems.h"
#include "widgets/databinding/cxLookupGrid.h"
#include "widgets/databinding/cxLookupGridView.h"
#include "widgets/special/cxEditRepositoryItems.h"

#include <initializer_list>
#include <vector>

class LookupGridTest : public DatabindingTest {
 protected:
  // A grid on the form, in the test face at em height 12 (cell 15, advance 7), with one
  // string column per caption.
  TcxLookupGrid* MakeGrid(std::initializer_list<const char*> ACaptions, Integer AWidth = 200, Integer AHeight = 120) {
    auto* grid = New<TcxLookupGrid>(form);
    grid->SetParent(form);
    grid->GetFont()->SetName(kTestFaceName);
    grid->GetFont()->SetHeight(-12);
    grid->SetBounds(10, 10, AWidth, AHeight);
    for (const char* caption : ACaptions) {
      TcxLookupGridColumn* column = grid->GetColumns()->Add();
      column->SetCaption(caption);
      column->SetValueTypeClass(TcxStringValueType::StaticClass());
    }
    return grid;
  }
  // One record per row of texts, inside one bracket.
  static void Fill(TcxLookupGrid* AGrid, const std::vector<std::vector<String>>& ARows) {
    TcxLookupGridDataController* c = AGrid->GetDataController();
    c->BeginUpdate();
    c->SetRecordCount(Integer(ARows.size()));
    for (size_t r = 0; r < ARows.size(); ++r)
      for (size_t i = 0; i < ARows[r].size(); ++i) c->SetValue(Integer(r), Integer(i), Variant(ARows[r][i]));
    c->EndUpdate();
  }
  // n records "r0".."r<n-1>" in one column.
  static void FillNumbered(TcxLookupGrid* AGrid, Integer ACount) {
    std::vector<std::vector<String>> rows;
    for (Integer i = 0; i < ACount; ++i) rows.push_back({"r" + std::to_string(i)});
    Fill(AGrid, rows);
  }
  // The records of the rows in view order.
  static std::vector<Integer> Order(TcxLookupGrid* AGrid) {
    std::vector<Integer> r;
    for (Integer i = 0; i < AGrid->GetRowCount(); ++i) r.push_back(AGrid->GetDataController()->GetRowInfo(i).RecordIndex);
    return r;
  }
};

// The registries' tests need no grid.
using RegistryTest = DatabindingTest;
