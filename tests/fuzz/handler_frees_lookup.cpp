// fuzz-links: widgets_databinding
// Handlers that free a lookup combo box with its list open, driven by the input: a combo box
// over a list data set of people (plain, or data-aware and bound to an order's customer key)
// gets one of OnChange, OnEditValueChanged, OnCloseUp, OnClosePopup, OnInitPopup, OnPopup,
// OnValidate, its OnExit or, bound, the orders' BeforePost or AfterPost set to free the combo
// box, its parent or its form after a chosen number of calls. The steps open the list, press
// on its rows, drag past its edges with the scroll timer ticking between moves, release on a
// row or beside the rows, turn the wheel over the open list or the edit, type into it, press
// Escape, Enter and the arrows, and move the focus. Nothing may touch a freed object (the
// sanitizers watch), and every window is gone once the form is freed.
//
// Each input starts from the same platform state (pointer, buttons, keys, capture, double-
// click timing), so an input found failing fails again on its own.
#include "classlib/core/DB.h"
#include "classlib/visual/Forms.h"
#include "classlib/visual/StdCtrls.h"
#include "classlib/visual/VisualUnits.h"
#include "platform/user/UserTesting.h"
#include "tests/fuzz/support/FuzzHost.h"
#include "tests/fuzz/support/FuzzInput.h"
#include "widgets/data/DataUnits.h"
#include "widgets/databinding/DatabindingUnits.h"
#include "widgets/databinding/cxDBLookupComboBox.h"
#include "widgets/databinding/cxLookupGrid.h"
#include "widgets/databinding/cxLookupGridView.h"
#include "widgets/editcore/EditcoreUnits.h"
#include "widgets/editors/EditorsUnits.h"
#include "widgets/editors/cxGroupBox.h"
#include "widgets/foundation/FoundationUnits.h"
#include "widgets/foundation/cxControls.h"
#include "widgets/special/SpecialUnits.h"

#include <cstdint>
#include <cstdlib>

namespace {

struct Platform : FuzzHost {
  Platform() {
    ClasslibVisualInitialize();
    Application->SetRecordExceptions(true);
    host.SetMessageRoute([](MSG& msg) { Application->RouteMessage(msg); });
    WidgetsFoundationInitialize();
    WidgetsEditcoreInitialize();
    WidgetsEditorsInitialize();
    WidgetsSpecialInitialize();
    WidgetsDataInitialize();
    WidgetsDatabindingInitialize();
  }
  ~Platform() {
    WidgetsDatabindingFinalize();
    WidgetsDataFinalize();
    WidgetsSpecialFinalize();
    WidgetsEditorsFinalize();
    WidgetsEditcoreFinalize();
    WidgetsFoundationFinalize();
    ClasslibVisualFinalize();
  }
};

// Frees its victim on the Countdown-th call of any handler it is set to.
class TFreer : public TObject {
 public:
  TObject* Victim = nullptr;
  int Countdown = 0;
  void Hit() {
    if (!Victim || --Countdown > 0) return;
    TObject* v = Victim;
    Victim = nullptr;
    v->Free();
  }
  void HNotify(TObject*) { Hit(); }
  void HClosePopup(TcxControl*, TcxEditCloseUpReason) { Hit(); }
  void HValidate(TObject*, Variant&, String&, bool&) { Hit(); }
  void HDataSet(TDataSet*) { Hit(); }
};

template <class T>
T* AddField(TComponent* AOwner, TDataSet* ADataSet, const char* AName) {
  T* f = New<T>(AOwner);
  f->SetFieldName(AName);
  f->SetDataSet(ADataSet);
  return f;
}

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

const int kKeys[] = {VK_ESCAPE, VK_RETURN, VK_DOWN, VK_UP, VK_F4, VK_TAB, VK_BACK, VK_NEXT};

void Step(TRun& run) {
  auto* e = static_cast<TcxCustomLookupComboBox*>(run.edit.Ref());
  if (!e) return;
  Platform* pf = run.pf;
  FuzzBytes& in = run.in;
  const uint8_t op = in.U8(), b = in.U8(), c = in.U8();
  TcxCustomLookupGrid* grid = OpenGrid(e);
  const HWND h = grid ? grid->GetHandle() : nullptr;
  switch (op % 10) {
    case 0:
      if (b & 1) {
        pf->host.Key(VK_F4);
      } else if (e->HandleAllocated() && !e->EditViewInfo()->ButtonsInfo.empty()) {
        const TRect r = e->EditViewInfo()->ButtonsInfo[0]->Bounds;
        pf->host.Click(e->GetHandle(), (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
      }
      break;
    case 1:
    case 2:
      if (h) {
        const TPoint p = GridPoint(grid, b, c);
        pf->host.MouseMove(h, p.X, p.Y);
        if (op % 10 == 1) pf->host.MouseDown(h, p.X, p.Y);
      }
      break;
    case 3:
      for (int i = 0; i < 1 + b % 4; ++i) {
        pf->host.Advance(50);
        pf->host.PumpUntilIdle();
      }
      break;
    case 4:
      if (h) {
        const TPoint p = GridPoint(grid, b, c);
        pf->host.MouseUp(h, p.X, p.Y);
      }
      break;
    case 5: {
      const int delta = (b & 1) ? WHEEL_DELTA : -WHEEL_DELTA;
      if (h && !(b & 2)) {
        const TPoint p = GridPoint(grid, b, c);
        pf->host.Wheel(h, p.X, p.Y, delta);
      } else if (e->HandleAllocated()) {
        pf->host.Wheel(e->InnerControl() ? e->InnerControl()->GetHandle() : e->GetHandle(), 5, 5,
                       delta);
      }
      break;
    }
    case 6:
      pf->host.Char(Byte("BobAnCydz\b"[b % 10]));
      break;
    case 7:
      pf->host.Key(kKeys[b % (sizeof(kKeys) / sizeof(kKeys[0]))]);
      break;
    case 8:
      if (!(b & 1)) {
        e->SetFocus();
      } else if (auto* other = static_cast<TWinControl*>(run.other.Ref())) {
        other->SetFocus();
      }
      break;
    default:
      e->SetEditValue(b % 10 == 9 ? Null() : Variant(Integer(b % 10)));
      break;
  }
  pf->host.PumpUntilIdle();
}

// The first byte: the victim (the combo box, its group box, the form), whether it is bound,
// whether it sits in a group box; then the handler, the countdown, the switches and up to 24
// steps of three bytes.
void Lookup(Platform* pf, FuzzBytes& in) {
  const uint8_t shape = in.U8();
  const bool bound = shape & 4, inBox = shape & 8;
  TForm* form = TCustomForm::CreateNew(nullptr);
  form->SetBounds(100, 100, 400, 300);
  auto* people = New<TMemoryDataSet>(form);
  people->FieldDefs().Add("ID", TFieldType::ftInteger);
  people->FieldDefs().Add("Name", TFieldType::ftString, 20);
  AddField<TIntegerField>(form, people, "ID");
  AddField<TStringField>(form, people, "Name")->SetSize(20);
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
  switch (hook % 10) {
    case 0:
      p->OnChange = {&freer, &TFreer::HNotify};
      break;
    case 1:
      p->OnEditValueChanged = {&freer, &TFreer::HNotify};
      break;
    case 2:
      p->OnCloseUp = {&freer, &TFreer::HNotify};
      break;
    case 3:
      p->OnClosePopup = {&freer, &TFreer::HClosePopup};
      break;
    case 4:
      p->OnInitPopup = {&freer, &TFreer::HNotify};
      break;
    case 5:
      p->OnPopup = {&freer, &TFreer::HNotify};
      break;
    case 6:
      p->OnValidate = {&freer, &TFreer::HValidate};
      break;
    case 7:
      e->OnExit = {&freer, &TFreer::HNotify};
      break;
    case 8:
      orders->BeforePost = {&freer, &TFreer::HDataSet};
      break;
    default:
      orders->AfterPost = {&freer, &TFreer::HDataSet};
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
  try {
    form->Show();
    pf->host.PumpUntilIdle();
    if (run.edit.Alive()) e->SetFocus();
    pf->host.PumpUntilIdle();
    for (int i = 0; i < 24 && in.More() && run.edit.Alive(); ++i) Step(run);
  } catch (const Exception&) {
  } catch (const HeadlessStall&) {
  }
  freer.Victim = nullptr;
  try {
    pf->host.PumpUntilIdle();
  } catch (const Exception&) {
  } catch (const HeadlessStall&) {
  }
  if (run.form.Alive()) form->Free();
  // A scroll timer whose list is gone ends at its next tick.
  pf->host.Advance(100);
  pf->host.PumpUntilIdle();
}

// The widgets' timers share one window, made on first use and kept for the process: made
// before the first input, it is not a window an input left behind.
void MakeSharedWindows() {
  static const bool made = [] {
    TFreer idle;
    Owned<TcxTimer> timer(New<TcxTimer>(nullptr));
    timer->SetOnTimer({&idle, &TFreer::HNotify});
    return true;
  }();
  (void)made;
}

// Puts back what an earlier input may have left in the platform: the pointer off every
// window, no button or key held, no capture, and the time for a double click past.
void ResetPlatform(Platform* pf) {
  ReleaseCapture();
  for (int vk = 1; vk < 256; ++vk) {
    if (!(GetAsyncKeyState(vk) & 0x8000)) continue;
    switch (vk) {
      case VK_LBUTTON:
        InputMouseButton(WM_LBUTTONUP, {0, 0});
        break;
      case VK_RBUTTON:
        InputMouseButton(WM_RBUTTONUP, {0, 0});
        break;
      case VK_MBUTTON:
        InputMouseButton(WM_MBUTTONUP, {0, 0});
        break;
      default:
        InputKey(vk, false);
        break;
    }
  }
  SetCursorPos(0, 0);
  const BYTE released[256] = {};
  SetKeyboardState(released);
  Application->CancelHint();
  pf->host.Advance(GetDoubleClickTime() + 1);
  pf->host.PumpUntilIdle();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Platform* platform = &FuzzEnvironment<Platform>();
  MakeSharedWindows();
  ResetPlatform(platform);
  const int windowsBefore = UserLiveWindowCount();
  FuzzBytes in(data, size);
  Lookup(platform, in);
  (void)Application->TakeExceptions();
  if (UserLiveWindowCount() != windowsBefore) std::abort();
  return 0;
}
