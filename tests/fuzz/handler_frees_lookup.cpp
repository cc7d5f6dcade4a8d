// fuzz-links: widgets_databinding
// Handlers that free a lookup combo box with its list open, driven by the input: a combo box
// over a list data set of people (plain, or data-aware and bound to an order's customer key;
// the list read whole or, in grid mode, a window of it at a time) gets one of OnChange,
// OnEditValueChanged, OnCloseUp, OnClosePopup, OnInitPopup, OnPopup, OnValidate, its OnExit,
// the list's Name field's OnGetText (asked as the list and the edit read their texts, and as
// the list's grid lays out its rows) or, bound, the orders' BeforePost or AfterPost set to
// free the combo box, its parent or its form after a chosen number of calls. The steps open
// the list, press on its rows, drag past its edges with the scroll timer ticking between
// moves, release on a row or beside the rows, turn the wheel over the open list or the edit,
// type into it, press Escape, Enter and the arrows, and move the focus. Nothing may touch a
// freed object (the sanitizers watch), and every window is gone once the form is freed.
//
// Each input starts from the same platform state (pointer, buttons, keys, capture, double-
// click timing), so an input found failing fails again on its own.
#include "classlib/visual/StdCtrls.h"
#include "platform/user/UserTesting.h"
#include "tests/fuzz/support/CountdownFreer.h"
#include "tests/fuzz/support/DatabindingFuzz.h"
#include "tests/fuzz/support/EditFuzz.h"
#include "tests/fuzz/support/FuzzInput.h"
#include "widgets/databinding/cxDBLookupComboBox.h"
#include "widgets/databinding/cxLookupGrid.h"
#include "widgets/databinding/cxLookupGridView.h"
#include "widgets/editors/cxGroupBox.h"
#include "widgets/foundation/cxControls.h"

#include <cstdint>
#include <cstdlib>

namespace {

struct Platform : DatabindingFuzzHost {
  Platform() : DatabindingFuzzHost(true) {}
};

// Frees its victim on the Countdown-th call of any handler it is set to.
class TFreer : public TCountdownFreer {
 public:
  void HNotify(TObject*) { Hit(); }
  void HClosePopup(TcxControl*, TcxEditCloseUpReason) { Hit(); }
  void HValidate(TObject*, Variant&, String&, bool&) { Hit(); }
  void HDataSet(TDataSet*) { Hit(); }
  void HGetText(TField* Sender, String& Text, bool) {
    Text = Sender->GetAsString();
    Hit();
  }
};

struct TRun {
  Platform* pf;
  FuzzBytes& in;
  TWeakLink form;
  TWeakLink other;
  TWeakLink edit;
};

// The open list's grid, or null.
TcxCustomLookupGrid* OpenGrid(TcxCustomLookupComboBox* e) {
  if (!e->HasShownPopup()) return nullptr;
  TcxCustomLookupGrid* grid = e->GetProperties()->GetLookupGrid();
  return grid && grid->HandleAllocated() && IsWindowVisible(grid->GetHandle()) ? grid : nullptr;
}

// A point of the open list: on a shown row, above or below the rows, or beside the list.
TPoint GridPoint(TcxCustomLookupGrid* grid, uint8_t b, uint8_t c) {
  const Integer width = grid->GetWidth(), height = grid->GetClientHeight();
  const Integer x = (c & 0x80) ? width + 5 + c % 40 : 4 + c % std::max<Integer>(width - 24, 1);
  switch (b % 4) {
    case 0:
      return {x, -1 - b % 30};
    case 1:
      return {x, height + b % 30};
    default: {
      const TcxLookupGridRowViewInfo* row =
          grid->ViewInfo()->FindRow(grid->GetTopRowIndex() + b / 4 % 4);
      if (!row) return {x, height / 2};
      return {x, (row->Bounds.Top + row->Bounds.Bottom) / 2};
    }
  }
}

void Step(TRun& run) {
  auto* e = static_cast<TcxCustomLookupComboBox*>(run.edit.Ref());
  if (!e) return;
  Platform* pf = run.pf;
  FuzzBytes& in = run.in;
  const uint8_t op = in.U8(), b = in.U8(), c = in.U8();
  TcxCustomLookupGrid* grid = OpenGrid(e);
  const HWND h = grid ? grid->GetHandle() : nullptr;
  if (DropDownPointerStep(pf->host, e, run.other, h, op, b, c,
                          [grid](uint8_t y, uint8_t x) { return GridPoint(grid, y, x); })) {
    pf->host.PumpUntilIdle();
    return;
  }
  switch (op % 10) {
    case 6:
      pf->host.Char(Byte("BobAnCydz\b"[b % 10]));
      break;
    case 7:
      pf->host.Key(DropDownKey(b));
      break;
    default:
      e->SetEditValue(b % 10 == 9 ? Null() : Variant(Integer(b % 10)));
      break;
  }
  pf->host.PumpUntilIdle();
}

// The first byte: the victim (the combo box, its group box, the form), whether it is bound,
// whether it sits in a group box, whether the list is in grid mode; then the handler (hook %
// 11; 10: the list's text handler), the countdown, the switches and up to 24 steps of three
// bytes.
void Lookup(Platform* pf, FuzzBytes& in) {
  const uint8_t shape = in.U8();
  const bool bound = shape & 4, inBox = shape & 8, gridMode = shape & 16;
  TForm* form = TCustomForm::CreateNew(nullptr);
  form->SetBounds(100, 100, 400, 300);
  auto* people = New<TMemoryDataSet>(form);
  people->FieldDefs().Add("ID", TFieldType::ftInteger);
  people->FieldDefs().Add("Name", TFieldType::ftString, 20);
  AddField<TIntegerField>(form, people, "ID");
  TField* name = AddField<TStringField>(form, people, "Name");
  name->SetSize(20);
  const char* names[] = {"Ann", "Bob", "Bobby", "", "Cyd", "Dora", "anna", "Bo"};
  for (int i = 1; i <= 8; ++i)
    people->AddRecord({Variant(Integer(i)), Variant(String(names[i - 1]))});
  people->Open();
  auto* peopleSource = New<TDataSource>(form);
  peopleSource->SetDataSet(people);
  auto* orders = New<TMemoryDataSet>(form);
  orders->FieldDefs().Add("OrderID", TFieldType::ftInteger);
  orders->FieldDefs().Add("CustID", TFieldType::ftInteger);
  AddField<TIntegerField>(form, orders, "OrderID");
  AddField<TIntegerField>(form, orders, "CustID");
  orders->AddRecord({Variant(Integer(1)), Variant(Integer(2))});
  orders->AddRecord({Variant(Integer(2)), Variant(Integer(5))});
  orders->Open();
  auto* ordersSource = New<TDataSource>(form);
  ordersSource->SetDataSet(orders);
  auto* other = New<TEdit>(form);
  other->SetBounds(10, 200, 100, 21);
  other->SetParent(form);
  TWinControl* parent = form;
  if (inBox) {
    auto* box = New<TcxGroupBox>(form);
    box->SetBounds(5, 5, 300, 180);
    box->SetParent(form);
    parent = box;
  }
  TcxCustomLookupComboBox* e =
      bound ? static_cast<TcxCustomLookupComboBox*>(New<TcxDBLookupComboBox>(form))
            : New<TcxLookupComboBox>(form);
  e->SetBounds(10, 10, 150, 21);
  e->SetParent(parent);
  TcxLookupComboBoxProperties* p = e->GetProperties();
  p->SetListSource(peopleSource);
  p->SetKeyFieldNames("ID");
  p->SetListFieldNames("Name");
  if (gridMode) {
    p->SetGridMode(true);
    p->GetDBDataController()->DataModeController()->SetGridModeBufferCount(3);
  }
  if (bound) {
    static_cast<TcxDBLookupComboBox*>(e)->GetDataBinding()->SetDataSource(ordersSource);
    static_cast<TcxDBLookupComboBox*>(e)->GetDataBinding()->SetDataField("CustID");
  } else {
    e->SetEditValue(Variant(Integer(2)));
  }
  TFreer freer;
  switch (shape % 3) {
    case 0:
      freer.Victim = e;
      break;
    case 1:
      freer.Victim = parent;
      break;
    default:
      freer.Victim = form;
      break;
  }
  const uint8_t hook = in.U8();
  bool textFrees = false;
  switch (hook % 11) {
    case 8:
      orders->BeforePost = {&freer, &TFreer::HDataSet};
      break;
    case 9:
      orders->AfterPost = {&freer, &TFreer::HDataSet};
      break;
    case 10:
      textFrees = true;
      break;
    default:
      HookDropDown(e, &freer, hook % 11);
      break;
  }
  freer.Countdown = 1 + in.U8() % 6;
  const uint8_t flags = in.U8();
  p->SetImmediatePost(flags & 1);
  p->SetValidateOnEnter(flags & 2);
  if (flags & 4) p->SetImmediateDropDown(false);
  p->SetDropDownRows(3 + (flags >> 4) % 3);
  if (flags & 8) p->SetDropDownListStyle(TcxEditDropDownListStyle::lsFixedList);
  TRun run{pf, in, TWeakLink(form), TWeakLink(other), TWeakLink(e)};
  if (textFrees) {
    // The list read again with its Name field's text handler set (the field is bound
    // anew as the list opens): its controller reads every record's text, and the n-th of
    // them frees the victim.
    people->Close();
    name->OnGetText = {&freer, &TFreer::HGetText};
    try {
      people->Open();
    } catch (const Exception&) {
    }
  }
  if (run.form.Alive()) ShowAndStep(pf->host, form, e, run.edit, in, [&run] { Step(run); });
  freer.Victim = nullptr;
  try {
    pf->host.PumpUntilIdle();
  } catch (const Exception&) {
  } catch (const HeadlessStall&) {
  }
  FreeFormAndSettle(pf->host, form, run.form);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Platform* platform = &FuzzEnvironment<Platform>();
  MakeSharedWindows();
  ResetPlatform(platform->host);
  RunLeavingNoWindow([&] {
    FuzzBytes in(data, size);
    Lookup(platform, in);
  });
  return 0;
}
