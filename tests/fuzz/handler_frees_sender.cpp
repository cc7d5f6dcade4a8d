// fuzz-links: widgets_special widgets_data
// Handlers that free their sender, driven by the input: an editor of a chosen kind gets one
// of its handlers set to free it after a chosen number of calls, then takes keys, characters,
// clicks, drop-downs and focus changes; a data controller and a data set get the same
// treatment from their own handlers and operations. Nothing may touch the freed object (the
// sanitizers watch), and every window is gone once the form is freed. The standard controls,
// buttons, check boxes and radio groups take the mouse, keys, focus and new bounds the same way.
#include "classlib/core/DB.h"
#include "classlib/visual/Forms.h"
#include "classlib/visual/VisualUnits.h"
#include "platform/user/UserTesting.h"
#include "tests/fuzz/support/FuzzHost.h"
#include "tests/fuzz/support/FuzzInput.h"
#include "widgets/data/DataUnits.h"
#include "widgets/data/cxData.h"
#include "widgets/data/cxDataSummary.h"
#include "widgets/editcore/EditcoreUnits.h"
#include "widgets/editcore/cxMaskEdit.h"
#include "widgets/editors/EditorsUnits.h"
#include "classlib/visual/StdCtrls.h"
#include "widgets/editors/cxButtons.h"
#include "widgets/editors/cxCheckBox.h"
#include "widgets/editors/cxComboBox.h"
#include "widgets/editors/cxMemo.h"
#include "widgets/editors/cxRadioGroup.h"
#include "widgets/editors/cxSpinEdit.h"
#include "widgets/foundation/FoundationUnits.h"
#include "widgets/foundation/cxControls.h"
#include "widgets/special/SpecialUnits.h"
#include "widgets/special/cxButtonEdit.h"
#include "widgets/special/cxCalcEdit.h"
#include "widgets/special/cxDateEdit.h"

#include <algorithm>
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
    cxControls::Initialize();
  }
  ~Platform() {
    cxControls::Finalize();
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
  void HKey(TObject*, Word&, TShiftState) { Hit(); }
  void HKeyPress(TObject*, Char&) { Hit(); }
  void HMouse(TObject*, TMouseButton, TShiftState, Integer, Integer) { Hit(); }
  void HMove(TObject*, TShiftState, Integer, Integer) { Hit(); }
  void HButtonClick(TObject*, Integer) { Hit(); }
  void HClosePopup(TcxControl*, TcxEditCloseUpReason) { Hit(); }
  void HValidate(TObject*, Variant&, String&, bool&) { Hit(); }
  void HController(TcxCustomDataController*) { Hit(); }
  void HRecord(TcxCustomDataController*, Integer, Integer) { Hit(); }
  void HFilter(TcxCustomDataController*, Integer, bool&) { Hit(); }
  void HDataSet(TDataSet*) { Hit(); }
  void HCompare(TcxCustomDataController*, Integer, Integer, Integer, const Variant& V1, const Variant& V2,
                Integer& ACompare) {
    ACompare = V1 < V2 ? -1 : V2 < V1 ? 1 : 0;
    Hit();
  }
  void HSummary(TcxDataSummaryItems*, const TcxSummaryEventArguments&, TcxSummaryEventOutArguments&) { Hit(); }
  void HAfterSummary(TcxDataSummary*) { Hit(); }
};

// A link of a data set whose every notice is a call of the freer's handler.
class TFreeingLink : public TDataLink {
 public:
  TFreer* Freer = nullptr;

 protected:
  void ActiveChanged() override { Freer->Hit(); }
  void CheckBrowseMode() override { Freer->Hit(); }
  void DataSetChanged() override { Freer->Hit(); }
  void DataSetScrolled(Integer) override { Freer->Hit(); }
  void EditingChanged() override { Freer->Hit(); }
  void RecordChanged(TField*) override { Freer->Hit(); }
  void UpdateData() override { Freer->Hit(); }
};

TcxCustomEdit* MakeEdit(TForm* form, uint8_t kind) {
  TcxCustomEdit* e = nullptr;
  switch (kind % 9) {
    case 0: e = New<TcxTextEdit>(form); break;
    case 1: {
      auto* m = New<TcxMaskEdit>(form);
      m->GetMaskProperties()->SetEditMask("!99/99/0000;1;_");
      e = m;
      break;
    }
    case 2: {
      auto* m = New<TcxMaskEdit>(form);
      m->GetMaskProperties()->SetMaskKind(TcxEditMaskKind::emkRegExprEx);
      m->GetMaskProperties()->SetEditMask("[a-c]+(x|yz)?");
      e = m;
      break;
    }
    case 3: e = New<TcxMemo>(form); break;
    case 4: e = New<TcxSpinEdit>(form); break;
    case 5: e = New<TcxButtonEdit>(form); break;
    case 6: e = New<TcxDateEdit>(form); break;
    case 7: {
      auto* c = New<TcxComboBox>(form);
      c->GetComboProperties()->GetItems()->Add("one");
      c->GetComboProperties()->GetItems()->Add("two");
      e = c;
      break;
    }
    default: e = New<TcxCalcEdit>(form); break;
  }
  e->SetBounds(10, 10, 150, 21);
  e->SetParent(form);
  return e;
}

void Hook(TcxCustomEdit* e, TFreer* f, uint8_t which) {
  TcxCustomEditProperties* p = e->GetProperties();
  switch (which % 10) {
    case 0: e->OnKeyDown = {f, &TFreer::HKey}; break;
    case 1: e->OnKeyPress = {f, &TFreer::HKeyPress}; break;
    case 2: e->OnKeyUp = {f, &TFreer::HKey}; break;
    case 3: e->OnMouseDown = {f, &TFreer::HMouse}; break;
    case 4: e->OnMouseUp = {f, &TFreer::HMouse}; break;
    case 5: p->OnChange = {f, &TFreer::HNotify}; break;
    case 6: p->OnEditValueChanged = {f, &TFreer::HNotify}; break;
    case 7: p->OnValidate = {f, &TFreer::HValidate}; break;
    case 8: p->OnButtonClick = {f, &TFreer::HButtonClick}; break;
    default:
      p->OnClosePopup = {f, &TFreer::HClosePopup};
      if (auto* d = dynamic_cast<TcxCustomDropDownEditProperties*>(p)) d->OnCloseUp = {f, &TFreer::HNotify};
      break;
  }
}

const int kKeys[] = {'1', 'a', VK_UP, VK_DOWN, VK_RETURN, VK_ESCAPE, VK_TAB, VK_BACK, VK_DELETE, VK_F4, VK_LEFT, VK_HOME};

// One step of input on the editor while it lives; a drop-down opened by a step is closed
// from its own loop after a few more steps.
void Act(Platform* pf, FuzzBytes& in, TForm* form, TWinControl* other, TWeakLink& edit, int depth) {
  if (!edit.Alive()) return;
  auto* e = static_cast<TcxCustomEdit*>(edit.Ref());
  const uint8_t op = in.U8();
  switch (op % 8) {
    case 0:
    case 1: {
      const int vk = kKeys[in.U8() % (sizeof(kKeys) / sizeof(kKeys[0]))];
      if (vk == VK_F4 && depth == 0) {
        // A modal drop-down runs its loop here: the next steps and a closing Escape go in it.
        pf->host.WhenIdle([pf, &in, form, other, &edit] {
          for (int i = 0; i < 3 && in.More(); ++i) Act(pf, in, form, other, edit, 1);
          pf->host.Key(VK_ESCAPE);
          pf->host.WhenIdle([pf] { pf->host.Key(VK_ESCAPE); });
        });
      }
      if (vk != VK_F4 || depth == 0) pf->host.Key(vk);
      break;
    }
    case 2: pf->host.Char(Byte('0' + in.U8() % 75)); break;
    case 3: {
      const Integer x = in.U8() % 160, y = in.U8() % 24;
      if (e->HandleAllocated()) pf->host.Click(e->GetHandle(), x, y);
      break;
    }
    case 4:
      if (e->HandleAllocated()) pf->host.MouseDown(e->GetHandle(), in.U8() % 160, in.U8() % 24);
      break;
    case 5: other->SetFocus(); break;
    case 6: e->SetFocus(); break;
    default: pf->host.Advance(in.U8() * 4); break;
  }
  if (depth == 0) pf->host.PumpUntilIdle();
}

// The form of an input: a plain edit to take the focus elsewhere, and room for the victim.
TForm* MakeForm(TEdit*& AOther) {
  TForm* form = TCustomForm::CreateNew(nullptr);
  form->SetBounds(100, 100, 400, 300);
  AOther = New<TEdit>(form);
  AOther->SetBounds(10, 200, 100, 21);
  AOther->SetParent(form);
  return form;
}

void Editors(Platform* pf, FuzzBytes& in) {
  TEdit* other = nullptr;
  TForm* form = MakeForm(other);
  TcxCustomEdit* e = MakeEdit(form, in.U8());
  TFreer freer;
  freer.Victim = e;
  freer.Countdown = 1 + in.U8() % 4;
  Hook(e, &freer, in.U8());
  if (in.U8() & 1) e->GetProperties()->SetValidateOnEnter(true);
  TWeakLink edit(e);
  try {
    form->Show();
    pf->host.PumpUntilIdle();
    e->SetFocus();
    pf->host.PumpUntilIdle();
    for (int i = 0; i < 24 && in.More() && edit.Alive(); ++i) Act(pf, in, form, other, edit, 0);
  } catch (const Exception&) {
  } catch (const HeadlessStall&) {
  }
  // A drop-down that never opened its loop leaves its script: it runs now, while what it
  // names still exists.
  try {
    while (pf->host.PendingScripts() > 0) pf->host.WaitForInput(std::nullopt);
    pf->host.PumpUntilIdle();
  } catch (const Exception&) {
  } catch (const HeadlessStall&) {
  }
  form->Free();
  pf->host.PumpUntilIdle();
}

TWinControl* MakeControl(TForm* form, uint8_t kind) {
  TWinControl* c = nullptr;
  switch (kind % 8) {
    case 0: c = New<TButton>(form); break;
    case 1: c = New<TRadioButton>(form); break;
    case 2: c = New<TEdit>(form); break;
    case 3: {
      auto* l = New<TListBox>(form);
      l->SetBounds(0, 0, 120, 60);  // the items need the room
      l->GetItems()->Add("one");
      l->GetItems()->Add("two");
      c = l;
      break;
    }
    case 4: c = New<TcxButton>(form); break;
    case 5: c = New<TcxCheckBox>(form); break;
    case 6: c = New<TcxRadioButton>(form); break;
    default: {
      auto* g = New<TcxRadioGroup>(form);
      for (const char* s : {"&One", "&Two"})
        static_cast<TcxRadioGroupItem*>(g->GetProperties()->GetItems()->Add())->SetCaption(s);
      c = g;
      break;
    }
  }
  c->SetBounds(10, 10, 120, 60);
  c->SetParent(form);
  c->SetCaption("&Cap");
  return c;
}

void HookControl(TWinControl* c, TFreer* f, uint8_t which) {
  switch (which % 12) {
    case 0: c->OnClick = {f, &TFreer::HNotify}; break;
    case 1: c->OnDblClick = {f, &TFreer::HNotify}; break;
    case 2: c->OnMouseDown = {f, &TFreer::HMouse}; break;
    case 3: c->OnMouseUp = {f, &TFreer::HMouse}; break;
    case 4: c->OnMouseMove = {f, &TFreer::HMove}; break;
    case 5: c->OnEnter = {f, &TFreer::HNotify}; break;
    case 6: c->OnExit = {f, &TFreer::HNotify}; break;
    case 7: c->OnKeyDown = {f, &TFreer::HKey}; break;
    case 8: c->OnKeyPress = {f, &TFreer::HKeyPress}; break;
    case 9: c->OnKeyUp = {f, &TFreer::HKey}; break;
    case 10: c->OnResize = {f, &TFreer::HNotify}; break;
    default:
      if (auto* e = dynamic_cast<TcxCustomEdit*>(c)) e->GetProperties()->OnChange = {f, &TFreer::HNotify};
      else if (auto* e = dynamic_cast<TEdit*>(c)) e->OnChange = {f, &TFreer::HNotify};
      else c->OnClick = {f, &TFreer::HNotify};
      break;
  }
}

const int kControlKeys[] = {VK_SPACE, VK_RETURN, VK_ESCAPE, VK_TAB, VK_UP, VK_DOWN, 'C', VK_BACK};

void Controls(Platform* pf, FuzzBytes& in) {
  TEdit* other = nullptr;
  TForm* form = MakeForm(other);
  TWinControl* c = MakeControl(form, in.U8());
  TFreer freer;
  freer.Victim = c;
  freer.Countdown = 1 + in.U8() % 4;
  HookControl(c, &freer, in.U8());
  TWeakLink link(c);
  try {
    form->Show();
    pf->host.PumpUntilIdle();
    for (int i = 0; i < 24 && in.More() && link.Alive(); ++i) {
      const uint8_t op = in.U8();
      const Integer x = in.U8() % 130, y = in.U8() % 70;
      const HWND h = c->HandleAllocated() ? c->GetHandle() : nullptr;
      switch (op % 10) {
        case 0: if (h) pf->host.Click(h, x, y); break;
        case 1: if (h) pf->host.DoubleClick(h, x, y); break;
        case 2: if (h) pf->host.MouseDown(h, x, y, (op & 16) ? MouseButton::Right : MouseButton::Left); break;
        case 3: if (h) pf->host.MouseUp(h, x, y, (op & 16) ? MouseButton::Right : MouseButton::Left); break;
        case 4: if (h) pf->host.MouseMove(h, x, y); break;
        case 5: {
          const int vk = kControlKeys[x % (sizeof(kControlKeys) / sizeof(kControlKeys[0]))];
          if (vk == 'C') pf->host.KeyDown(VK_MENU);
          pf->host.Key(vk);
          if (vk == 'C') pf->host.KeyUp(VK_MENU);
          break;
        }
        case 6: pf->host.Char(Byte('a' + x % 26)); break;
        case 7: if (op & 16) other->SetFocus(); else c->SetFocus(); break;
        case 8: c->SetBounds(x, y, 20 + x, 10 + y); break;
        default: pf->host.Advance(y * 10); break;
      }
      pf->host.PumpUntilIdle();
    }
  } catch (const Exception&) {
  } catch (const HeadlessStall&) {
  }
  form->Free();
  // A hover tracker whose control is gone ends at its next tick.
  pf->host.Advance(100);
}

void Controller(FuzzBytes& in) {
  TcxDataController* c = New<TcxDataController>(nullptr);
  Owned<TObject> items[2] = {Owned<TObject>(New<TObject>()), Owned<TObject>(New<TObject>())};
  for (Integer i = 0; i < 2; ++i) {
    c->AddItem(items[i].get());
    c->ChangeValueTypeClass(i, TcxIntegerValueType::StaticClass());
  }
  c->SetRecordCount(1 + in.U8() % 8);
  TFreer freer;
  freer.Victim = c;
  freer.Countdown = 1 + in.U8() % 6;
  switch (in.U8() % 7) {
    case 0: c->OnDataChanged = {&freer, &TFreer::HController}; break;
    case 1: c->OnRecordChanged = {&freer, &TFreer::HRecord}; break;
    case 2: c->OnFilterRecord = {&freer, &TFreer::HFilter}; break;
    case 4: c->OnCompare = {&freer, &TFreer::HCompare}; break;
    case 5:
      c->Summary()->FooterSummaryItems()->Add(items[0].get(), TcxSummaryPosition::spFooter, TcxSummaryKind::skSum);
      c->Summary()->FooterSummaryItems()->OnSummary = {&freer, &TFreer::HSummary};
      break;
    case 6: c->Summary()->OnAfterSummary = {&freer, &TFreer::HAfterSummary}; break;
    default: c->AddNotifyEventItem(&freer, {&freer, &TFreer::HNotify}); break;
  }
  TWeakLink link(c);
  for (int i = 0; i < 24 && in.More() && link.Alive(); ++i) {
    const uint8_t op = in.U8();
    const Integer n = c->GetRecordCount();
    const Integer r = n > 0 ? Integer(in.U8()) % n : 0;
    try {
      switch (op % 10) {
        case 0: if (n > 0) c->SetValue(r, op & 1, Integer(in.U8())); break;
        case 1: c->SetRecordCount(Integer(in.U8() % 12)); break;
        case 2: c->AppendRecord(); break;
        case 3: if (n > 0) c->DeleteRecord(r); break;
        case 4: c->BeginUpdate(); break;
        case 5: if (c->LockCount() > 0) c->EndUpdate(); break;
        case 6:
          if (op & 2)
            c->Groups()->ChangeGrouping(op & 1, in.U8() % 2 ? 0 : -1);
          else
            c->ChangeSortingOrder(op & 1, TcxDataSortOrder(in.U8() % 3));
          break;
        case 7: c->RefreshView(); break;
        case 8: if (n > 0) c->ChangeFocusedRowIndex(r % std::max<Integer>(c->GetRowCount(), 1)); break;
        default:
          c->Edit();
          if (link.Alive()) c->SetEditValue(op & 1, Integer(in.U8()), TcxDataEditValueSource::evsValue);
          if (link.Alive()) c->PostEditing();
          break;
      }
    } catch (const Exception&) {
    }
  }
  if (link.Alive()) {
    while (link.Alive() && c->LockCount() > 0) c->EndUpdate();
    if (link.Alive()) c->Free();
  }
}

void DataSet(FuzzBytes& in) {
  TMemoryDataSet* ds = New<TMemoryDataSet>(nullptr);
  ds->FieldDefs().Add("ID", TFieldType::ftInteger);
  for (int i = 0; i < 1 + in.U8() % 6; ++i) ds->AddRecord({i});
  ds->Open();
  TFreer freer;
  freer.Victim = ds;
  freer.Countdown = 1 + in.U8() % 4;
  TDataSetNotifyEvent TDataSet::*const events[] = {
      &TDataSet::BeforePost,  &TDataSet::BeforeScroll, &TDataSet::AfterScroll, &TDataSet::BeforeEdit,
      &TDataSet::BeforeInsert, &TDataSet::OnNewRecord,  &TDataSet::AfterInsert, &TDataSet::BeforeDelete,
      &TDataSet::AfterDelete, &TDataSet::BeforeCancel, &TDataSet::AfterPost,   &TDataSet::BeforeClose};
  // The link watches from before the handler is set: joining the link already tells it.
  TWeakLink link(ds);
  // One of the handlers, or a link told of every change (past the list).
  const size_t pick = in.U8() % (sizeof(events) / sizeof(events[0]) + 1);
  Owned<TDataSource> source(New<TDataSource>(nullptr));
  TFreeingLink freeing;
  freeing.Freer = &freer;
  if (pick < sizeof(events) / sizeof(events[0])) {
    ds->*events[pick] = {&freer, &TFreer::HDataSet};
  } else {
    source->SetDataSet(ds);
    freeing.SetDataSource(source.get());
  }
  for (int i = 0; i < 24 && in.More() && link.Alive(); ++i) {
    try {
      switch (in.U8() % 10) {
        case 0: ds->Next(); break;
        case 1: ds->Prior(); break;
        case 2: ds->First(); break;
        case 3: ds->Edit(); if (link.Alive() && ds->State() == TDataSetState::dsEdit) ds->FieldByName("ID")->SetAsInteger(in.U8()); break;
        case 4: ds->Insert(); break;
        case 5: ds->Append(); break;
        case 6: ds->Post(); break;
        case 7: ds->Cancel(); break;
        case 8: ds->Delete(); break;
        default: ds->Close(); if (link.Alive()) ds->Open(); break;
      }
    } catch (const Exception&) {
    }
  }
  freeing.SetDataSource(nullptr);
  if (link.Alive()) ds->Free();
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Platform* platform = &FuzzEnvironment<Platform>();
  MakeSharedWindows();
  const int windowsBefore = UserLiveWindowCount();
  FuzzBytes in(data, size);
  switch (in.U8() % 4) {
    case 0: Editors(platform, in); break;
    case 1: Controller(in); break;
    case 2: DataSet(in); break;
    default: Controls(platform, in); break;
  }
  (void)Application->TakeExceptions();
  if (UserLiveWindowCount() != windowsBefore) std::abort();
  return 0;
}
