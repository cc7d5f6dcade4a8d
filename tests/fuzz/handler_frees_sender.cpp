// fuzz-links: widgets_special widgets_data
// Handlers that free their sender, driven by the input: an editor of a chosen kind gets one
// of its handlers set to free it after a chosen number of calls, then takes keys, characters,
// clicks, drop-downs and focus changes; a data controller and a data set get the same
// treatment from their own handlers and operations. Nothing may touch the freed object (the
// sanitizers watch), and every window is gone once the form is freed. The standard controls,
// buttons, check boxes and radio groups take the mouse, keys, focus and new bounds the same way.
// In the wider forms of an input the victim may sit in a group box, the handler may free the
// sender's parent or its form instead, the mouse entering or leaving may be what frees it, and
// the mouse may move or stay pressed between steps. A drag-dock's handlers free its client,
// a site, the site's parent or the form. The drop-down lists and the date edit's calendar
// are driven by the mouse, the wheel, the keys and the scroll timer, their handlers freeing
// the edit, its parent or its form.
//
// Each input starts from the same platform state (pointer, buttons, keys, capture, hint,
// double-click timing), so an input found failing fails again on its own.
#include "classlib/core/DB.h"
#include "classlib/visual/Forms.h"
#include "classlib/visual/VisualUnits.h"
#include "platform/shell/Shell.h"
#include "platform/user/UserTesting.h"
#include "tests/fuzz/support/CountdownFreer.h"
#include "tests/fuzz/support/EditFuzz.h"
#include "tests/fuzz/support/FuzzInput.h"
#include "tests/fuzz/support/VisualFuzzHost.h"
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
#include "widgets/editors/cxGroupBox.h"
#include "widgets/editors/cxHyperLinkEdit.h"
#include "widgets/editors/cxMRUEdit.h"
#include "widgets/editors/cxMemo.h"
#include "widgets/editors/cxRadioGroup.h"
#include "widgets/editors/cxSpinEdit.h"
#include "widgets/foundation/FoundationUnits.h"
#include "widgets/foundation/cxControls.h"
#include "widgets/special/SpecialUnits.h"
#include "widgets/special/cxButtonEdit.h"
#include "widgets/special/cxCalcEdit.h"
#include "widgets/special/cxBlobEdit.h"
#include "widgets/special/cxDateEdit.h"
#include "widgets/special/cxImageComboBox.h"
#include "widgets/special/cxTimeEdit.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

struct Platform : VisualFuzzHost {
  Platform() : VisualFuzzHost(true) {
    // A hyperlink's click opens its address: noted, never started.
    SetShellRecording(true);
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
  }
};

// Frees its victim on the Countdown-th call of any handler it is set to.
class TFreer : public TCountdownFreer {
 public:
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
  void HFilterRecord(TDataSet*, bool& Accept) {
    Accept = Countdown % 3 != 0;
    Hit();
  }
  void HCompare(TcxCustomDataController*, Integer, Integer, Integer, const Variant& V1, const Variant& V2,
                Integer& ACompare) {
    ACompare = V1 < V2 ? -1 : V2 < V1 ? 1 : 0;
    Hit();
  }
  void HSummary(TcxDataSummaryItems*, const TcxSummaryEventArguments&, TcxSummaryEventOutArguments&) { Hit(); }
  void HAfterSummary(TcxDataSummary*) { Hit(); }
  void HStartDock(TObject*, TDragDockObject*&) { Hit(); }
  void HEndDock(TObject*, TObject*, Integer, Integer) { Hit(); }
  void HSiteInfo(TObject*, TControl*, TRect&, TPoint, bool& CanDock) {
    CanDock = Countdown % 3 != 0;
    Hit();
  }
  void HDockOver(TObject*, TDragDockObject*, Integer, Integer, TDragState, bool& Accept) {
    Accept = Countdown % 4 != 0;
    Hit();
  }
  void HDockDrop(TObject*, TDragDockObject*, Integer, Integer) { Hit(); }
  void HUnDock(TObject*, TControl*, TWinControl*, bool& Allow) {
    Allow = Countdown % 5 != 0;
    Hit();
  }
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

// The wide form of an input adds the hyperlink, time, blob and check box editors.
TcxCustomEdit* MakeEdit(TForm* form, TWinControl* parent, uint8_t kind, bool wide) {
  TcxCustomEdit* e = nullptr;
  switch (kind % (wide ? 13 : 9)) {
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
    case 8: e = New<TcxCalcEdit>(form); break;
    case 9: {
      auto* h = New<TcxHyperLinkEdit>(form);
      h->SetEditValue(Variant("example"));
      h->GetLinkProperties()->SetSingleClick(kind & 0x80);
      e = h;
      break;
    }
    case 10: e = New<TcxTimeEdit>(form); break;
    case 11: e = New<TcxBlobEdit>(form); break;
    default: e = New<TcxCheckBox>(form); break;
  }
  e->SetBounds(10, 10, 150, 21);
  e->SetParent(parent);
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

// What the wider form of an input adds: where the victim sits, what its handler frees, and
// whether the mouse entering or leaving it is what runs that handler.
struct TShape {
  bool Wide = false;
  bool InBox = false;   // in a group box on the form rather than on the form itself
  uint8_t Target = 0;   // 0 the sender, 1 its parent, 2 its form
  uint8_t Mouse = 0;    // 0 the handler the input names, 1 OnMouseEnter, 2 OnMouseLeave
};

TShape ReadShape(FuzzBytes& in, bool wide) {
  TShape shape;
  shape.Wide = wide;
  if (!wide) return shape;
  const uint8_t b = in.U8();
  shape.Target = b % 3;
  shape.InBox = (b / 3) % 2 != 0;
  shape.Mouse = (b / 6) % 3;
  return shape;
}

// The victim's parent: the form, or a group box on it.
TWinControl* MakeHolder(TForm* form, const TShape& shape) {
  if (!shape.InBox) return form;
  auto* box = New<TcxGroupBox>(form);
  box->SetBounds(5, 5, 300, 180);
  box->SetParent(form);
  return box;
}

TObject* PickVictim(TControl* sender, TForm* form, const TShape& shape) {
  switch (shape.Target) {
    case 1: return sender->GetParent();
    case 2: return form;
    default: return sender;
  }
}

// The mouse entering or leaving a control of the widgets frees the victim; false for a
// control without those handlers.
bool HookMouse(TControl* c, TFreer* f, const TShape& shape) {
  auto* cx = dynamic_cast<TcxControl*>(c);
  if (!cx || shape.Mouse == 0) return false;
  if (shape.Mouse == 1)
    cx->OnMouseEnter = {f, &TFreer::HNotify};
  else
    cx->OnMouseLeave = {f, &TFreer::HNotify};
  return true;
}

const int kKeys[] = {'1', 'a', VK_UP, VK_DOWN, VK_RETURN, VK_ESCAPE, VK_TAB, VK_BACK, VK_DELETE, VK_F4, VK_LEFT, VK_HOME};

// What the steps on an editor see; every object is watched, as any handler may free it.
struct TEditorRun {
  Platform* pf;
  FuzzBytes& in;
  bool wide;
  TWeakLink form;
  TWeakLink other;
  TWeakLink edit;
};

// One step of input on the editor while it lives; a drop-down opened by a step is closed
// from its own loop after a few more steps. The wide form adds moving the mouse (over the
// editor or off it, onto the form) and releasing a button held down by an earlier step.
void Act(TEditorRun& run, int depth) {
  if (!run.edit.Alive()) return;
  Platform* pf = run.pf;
  FuzzBytes& in = run.in;
  auto* e = static_cast<TcxCustomEdit*>(run.edit.Ref());
  const uint8_t op = in.U8();
  switch (op % (run.wide ? 10 : 8)) {
    case 0:
    case 1: {
      const int vk = kKeys[in.U8() % (sizeof(kKeys) / sizeof(kKeys[0]))];
      if (vk == VK_F4 && depth == 0) {
        // A modal drop-down runs its loop here: the next steps and a closing Escape go in it.
        pf->host.WhenIdle([&run] {
          for (int i = 0; i < 3 && run.in.More(); ++i) Act(run, 1);
          run.pf->host.Key(VK_ESCAPE);
          run.pf->host.WhenIdle([pf = run.pf] { pf->host.Key(VK_ESCAPE); });
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
    case 5:
      if (auto* other = static_cast<TWinControl*>(run.other.Ref())) other->SetFocus();
      break;
    case 6: e->SetFocus(); break;
    case 7: pf->host.Advance(in.U8() * 4); break;
    case 8: {
      const uint8_t x = in.U8(), y = in.U8();
      auto* form = static_cast<TForm*>(run.form.Ref());
      if (x & 0x80) {
        if (form && form->HandleAllocated()) pf->host.MouseMove(form->GetHandle(), 200 + x % 100, 190 + y % 60);
      } else if (e->HandleAllocated()) {
        pf->host.MouseMove(e->GetHandle(), x % 160, y % 24);
      }
      break;
    }
    default:
      if (e->HandleAllocated()) pf->host.MouseUp(e->GetHandle(), in.U8() % 160, in.U8() % 24);
      break;
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

void Editors(Platform* pf, FuzzBytes& in, bool wide) {
  const TShape shape = ReadShape(in, wide);
  TEdit* other = nullptr;
  TForm* form = MakeForm(other);
  TcxCustomEdit* e = MakeEdit(form, MakeHolder(form, shape), in.U8(), wide);
  TFreer freer;
  freer.Victim = PickVictim(e, form, shape);
  freer.Countdown = 1 + in.U8() % 4;
  const uint8_t hook = in.U8();
  if (!HookMouse(e, &freer, shape)) Hook(e, &freer, hook);
  if (in.U8() & 1) e->GetProperties()->SetValidateOnEnter(true);
  TEditorRun run{pf, in, wide, TWeakLink(form), TWeakLink(other), TWeakLink(e)};
  ShowAndStep(pf->host, form, e, run.edit, in, [&run] { Act(run, 0); });
  RunLeftScripts(pf->host);
  if (run.form.Alive()) form->Free();
  pf->host.PumpUntilIdle();
}

TWinControl* MakeControl(TForm* form, TWinControl* parent, uint8_t kind) {
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
  c->SetParent(parent);
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

// The wide form adds moving the mouse off the control onto the form, so that leaving it
// runs its handlers too.
void Controls(Platform* pf, FuzzBytes& in, bool wide) {
  const TShape shape = ReadShape(in, wide);
  TEdit* other = nullptr;
  TForm* form = MakeForm(other);
  TWinControl* c = MakeControl(form, MakeHolder(form, shape), in.U8());
  TFreer freer;
  freer.Victim = PickVictim(c, form, shape);
  freer.Countdown = 1 + in.U8() % 4;
  const uint8_t hook = in.U8();
  if (!HookMouse(c, &freer, shape)) HookControl(c, &freer, hook);
  TWeakLink formLink(form), otherLink(other), link(c);
  try {
    form->Show();
    pf->host.PumpUntilIdle();
    for (int i = 0; i < 24 && in.More() && link.Alive(); ++i) {
      const uint8_t op = in.U8();
      const Integer x = in.U8() % 130, y = in.U8() % 70;
      const HWND h = c->HandleAllocated() ? c->GetHandle() : nullptr;
      switch (op % (wide ? 11 : 10)) {
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
        case 7:
          if (!(op & 16))
            c->SetFocus();
          else if (auto* o = static_cast<TWinControl*>(otherLink.Ref()))
            o->SetFocus();
          break;
        case 8: c->SetBounds(x, y, 20 + x, 10 + y); break;
        case 9: pf->host.Advance(y * 10); break;
        default:
          if (formLink.Alive() && form->HandleAllocated()) pf->host.MouseMove(form->GetHandle(), 320 + x % 60, 190 + y);
          break;
      }
      pf->host.PumpUntilIdle();
    }
  } catch (const Exception&) {
  } catch (const HeadlessStall&) {
  }
  if (formLink.Alive()) form->Free();
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

// A pick byte from 240 on sets OnFilterRecord (even) or OnCalcFields (odd) instead, which run
// deep inside the walks over the records.
void DataSet(FuzzBytes& in) {
  TMemoryDataSet* ds = New<TMemoryDataSet>(nullptr);
  ds->FieldDefs().Add("ID", TFieldType::ftInteger);
  // A calculated field, without which OnCalcFields is never asked.
  auto* id = New<TIntegerField>(ds);
  id->SetFieldName("ID");
  id->SetDataSet(ds);
  auto* calc = New<TIntegerField>(ds);
  calc->SetFieldName("CALC");
  calc->SetFieldKind(TFieldKind::fkCalculated);
  calc->SetDataSet(ds);
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
  const uint8_t pickByte = in.U8();
  const size_t pick = pickByte % (sizeof(events) / sizeof(events[0]) + 1);
  Owned<TDataSource> source(New<TDataSource>(nullptr));
  TFreeingLink freeing;
  freeing.Freer = &freer;
  if (pickByte >= 240 && pickByte % 2 == 0) {
    ds->OnFilterRecord = {&freer, &TFreer::HFilterRecord};
    ds->SetFiltered(true);
  } else if (pickByte >= 240) {
    ds->OnCalcFields = {&freer, &TFreer::HDataSet};
  } else if (pick < sizeof(events) / sizeof(events[0])) {
    ds->*events[pick] = {&freer, &TFreer::HDataSet};
  } else {
    source->SetDataSet(ds);
    freeing.SetDataSource(source.get());
  }
  for (int i = 0; i < 24 && in.More() && link.Alive(); ++i) {
    try {
      // Bytes from 230 on pick the searches, counts, refiltering and reads in place.
      const uint8_t op = in.U8();
      switch (op < 230 ? op % 10 : 10 + op % 6) {
        case 0: ds->Next(); break;
        case 1: ds->Prior(); break;
        case 2: ds->First(); break;
        case 3: ds->Edit(); if (link.Alive() && ds->State() == TDataSetState::dsEdit) ds->FieldByName("ID")->SetAsInteger(in.U8()); break;
        case 4: ds->Insert(); break;
        case 5: ds->Append(); break;
        case 6: ds->Post(); break;
        case 7: ds->Cancel(); break;
        case 8: ds->Delete(); break;
        case 10: ds->Locate("ID", Variant(Integer(in.U8() % 8)), {}); break;
        case 11: (void)ds->RecordCount(); break;
        case 12: ds->SetRecNo(1 + in.U8() % 6); break;
        case 13: ds->SetFiltered(!ds->Filtered()); break;
        case 14: (void)ds->Lookup("ID", Variant(Integer(in.U8() % 8)), "CALC"); break;
        case 15: ds->ReadRecords([&](const TBookmarkStr&) { (void)ds->FieldByName("CALC")->Value(); return link.Alive(); }); break;
        case 9: ds->Close(); if (link.Alive()) ds->Open(); break;
        default: break;
      }
    } catch (const Exception&) {
    }
  }
  freeing.SetDataSource(nullptr);
  if (link.Alive()) ds->Free();
}

// A drag-dock by the mouse: a client on the form, one dock site on the form and one in a
// group box, and one of the drag's handlers (the client's start, end and resize; a site's
// info, over, drop and undock) set to free the client, a site, the box or the form after a
// chosen number of calls. The client is dragged between the sites, dropped, floated and
// docked by hand.
void Docking(Platform* pf, FuzzBytes& in) {
  TForm* form = TCustomForm::CreateNew(nullptr);
  form->SetBounds(100, 100, 400, 300);
  auto* box = New<TcxGroupBox>(form);
  box->SetBounds(200, 150, 190, 140);
  box->SetParent(form);
  TWinControl* sites[2] = {New<TcxGroupBox>(form), New<TcxGroupBox>(form)};
  sites[0]->SetBounds(200, 5, 190, 140);
  sites[0]->SetParent(form);
  sites[1]->SetBounds(5, 5, 180, 130);
  sites[1]->SetParent(box);
  auto* client = New<TcxGroupBox>(form);
  client->SetBounds(10, 10, 100, 50);
  client->SetParent(form);
  client->SetDragKind(TDragKind::dkDock);
  client->SetDragMode(TDragMode::dmAutomatic);
  TFreer freer;
  const uint8_t pick = in.U8();
  TWinControl* hooked = sites[(pick >> 4) & 1];
  switch (pick % 8) {
    case 0: client->OnStartDock = {&freer, &TFreer::HStartDock}; break;
    case 1: client->OnEndDock = {&freer, &TFreer::HEndDock}; break;
    case 2: client->OnResize = {&freer, &TFreer::HNotify}; break;
    case 3: hooked->OnGetSiteInfo = {&freer, &TFreer::HSiteInfo}; break;
    case 4: hooked->OnDockOver = {&freer, &TFreer::HDockOver}; break;
    case 5: hooked->OnDockDrop = {&freer, &TFreer::HDockDrop}; break;
    case 6: hooked->OnUnDock = {&freer, &TFreer::HUnDock}; break;
    default: hooked->OnResize = {&freer, &TFreer::HNotify}; break;
  }
  const uint8_t victim = in.U8();
  TObject* victims[] = {client, sites[0], sites[1], box, form};
  freer.Victim = victims[victim % 5];
  freer.Countdown = 1 + in.U8() % 4;
  for (TWinControl* s : sites) s->SetDockSite(true);
  TWeakLink formLink(form), clientLink(client);
  TWeakLink siteLinks[2] = {TWeakLink(sites[0]), TWeakLink(sites[1])};
  try {
    form->Show();
    pf->host.PumpUntilIdle();
    for (int i = 0; i < 16 && in.More() && formLink.Alive() && clientLink.Alive(); ++i) {
      const uint8_t op = in.U8();
      const Integer x = in.U8() % 200, y = in.U8() % 150;
      const HWND f = form->HandleAllocated() ? form->GetHandle() : nullptr;
      const HWND h = client->HandleAllocated() ? client->GetHandle() : nullptr;
      switch (op % 6) {
        case 0: if (h) pf->host.MouseDown(h, x % 100, y % 50); break;
        case 1: if (f) pf->host.MouseMove(f, x * 2, y * 2); break;
        case 2: if (f) pf->host.MouseUp(f, x * 2, y * 2); break;
        case 3: pf->host.Key(VK_ESCAPE); break;
        case 4:
          if (auto* site = static_cast<TWinControl*>(siteLinks[op & 8 ? 1 : 0].Ref()))
            client->ManualDock(site, nullptr, TAlign(1 + y % 5));
          break;
        default: client->ManualFloat({500 + x, 300 + y, 600 + x, 350 + y}); break;
      }
      pf->host.PumpUntilIdle();
    }
  } catch (const Exception&) {
  } catch (const HeadlessStall&) {
  }
  CancelDrag();
  // A floating window the client went to belongs to the application.
  if (clientLink.Alive()) {
    TWinControl* host = client->GetHostDockSite();
    if (host && host->Owner() == Application) host->Free();
  }
  if (formLink.Alive()) form->Free();
  pf->host.PumpUntilIdle();
}

// The drop-down part: a combo box (twenty rows, four shown), an image combo box (eight, three
// shown), a most-recently-used edit or a date edit, with one of OnChange, OnEditValueChanged,
// OnCloseUp, OnClosePopup, OnInitPopup, OnPopup, OnValidate or the control's OnExit set to free
// the edit, its parent or its form after a chosen number of calls. The steps open the list,
// press on its rows, drag past its edges with the scroll timer ticking between moves, release
// on a row or beside the items, turn the wheel over the open list or the edit, type into it,
// set its item from the program and press Escape, Enter and the arrows. The date edit's
// calendar runs its own loop: the steps inside it click days and arrows and press keys, with
// ImmediatePost on or off.
struct TDropDownRun {
  Platform* pf;
  FuzzBytes& in;
  TWeakLink form;
  TWeakLink other;
  TWeakLink edit;
};

TcxCustomDropDownEdit* MakeDropDown(TForm* form, TWinControl* parent, uint8_t kind) {
  TcxCustomDropDownEdit* e = nullptr;
  switch (kind % 4) {
    case 0: {
      auto* c = New<TcxComboBox>(form);
      TcxComboBoxProperties* p = c->GetComboProperties();
      for (int i = 0; i < 20; ++i) p->GetItems()->Add("item " + std::to_string(i));
      p->SetDropDownRows(4);
      if (kind & 0x10) p->SetDropDownListStyle(TcxEditDropDownListStyle::lsFixedList);
      c->SetEditValue(Variant("item 2"));
      e = c;
      break;
    }
    case 1: {
      auto* c = New<TcxImageComboBox>(form);
      TcxCustomImageComboBoxProperties* p = c->GetProperties();
      for (int v = 1; v <= 8; ++v) {
        TcxImageComboBoxItem* item = p->GetItems()->Add();
        item->SetDescription("item " + IntToStr(v));
        item->SetValue(v);
      }
      p->SetDropDownRows(3);
      c->SetEditValue(Variant(2));
      e = c;
      break;
    }
    case 2: {
      auto* m = New<TcxMRUEdit>(form);
      for (const char* s : {"item 1", "item 12", "item 2", "item 3", "item 30", "iz"})
        m->GetMRUProperties()->GetLookupItems()->Add(s);
      m->GetMRUProperties()->SetDropDownRows(3);
      m->SetEditValue(Variant("item 2"));
      e = m;
      break;
    }
    default: {
      auto* d = New<TcxDateEdit>(form);
      d->SetDate(EncodeDate(2026, 3, 5));
      e = d;
      break;
    }
  }
  e->SetBounds(10, 10, 150, 21);
  e->SetParent(parent);
  return e;
}

TcxCustomEditListBox* OpenList(TcxCustomDropDownEdit* e) {
  auto* c = dynamic_cast<TcxCustomComboBox*>(e);
  if (!c || !c->GetDroppedDown() || !c->LookupData()) return nullptr;
  TcxCustomEditListBox* list = c->LookupData()->GetList();
  return list && list->HandleAllocated() && IsWindowVisible(list->GetHandle()) ? list : nullptr;
}

// A point of the open list: on a shown row, above or below the rows, or beside the list.
TPoint ListPoint(TcxCustomEditListBox* list, uint8_t b, uint8_t c) {
  const Integer width = list->GetWidth(), height = list->GetClientHeight();
  const Integer x = (c & 0x80) ? width + 5 + c % 40 : 4 + c % std::max<Integer>(width - 24, 1);
  switch (b % 4) {
    case 0: return {x, -1 - b % 30};
    case 1: return {x, height + b % 30};
    default: {
      const Integer top = Integer(SendMessageA(list->GetHandle(), LB_GETTOPINDEX, 0, 0));
      const Integer last = std::max<Integer>(list->GetCount() - 1, 0);
      const TRect r = list->ItemRect(std::min<Integer>(top + b / 4 % 5, last));
      return {x, (r.Top + r.Bottom) / 2};
    }
  }
}

// One step inside the calendar's own loop.
void CalendarStep(TDropDownRun& run) {
  auto* e = static_cast<TcxDateEdit*>(run.edit.Ref());
  const uint8_t op = run.in.U8(), b = run.in.U8();
  if (!e || !e->GetDroppedDown()) return;
  TcxPopupCalendar* cal = e->Calendar();
  if (!cal || !cal->HandleAllocated()) return;
  Platform* pf = run.pf;
  switch (op % 5) {
    case 0:
    case 1: {
      const TRect r = cal->CellRect(b % 7, b / 7 % 6);
      const Integer x = (r.Left + r.Right) / 2, y = (r.Top + r.Bottom) / 2;
      pf->host.MouseMove(cal->GetHandle(), x, y);
      pf->host.Click(cal->GetHandle(), x, y);
      break;
    }
    case 2: {
      const TRect r = cal->ArrowRect(b % 4);
      pf->host.Click(cal->GetHandle(), (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
      break;
    }
    case 3: {
      const int keys[] = {VK_LEFT, VK_RIGHT, VK_RETURN, VK_ESCAPE, VK_SPACE, VK_NEXT};
      pf->host.Key(keys[b % 6]);
      break;
    }
    default: pf->host.Advance(b * 4); break;
  }
}

// The calendar's loop runs at the next idle point: its steps are scripted before it opens,
// and Escape ends it if the steps left it open.
void ScriptCalendar(TDropDownRun& run) {
  run.pf->host.WhenIdle([&run] {
    for (int i = 0; i < 4 && run.in.More() && run.edit.Alive(); ++i) CalendarStep(run);
    run.pf->host.Key(VK_ESCAPE);
    run.pf->host.WhenIdle([pf = run.pf] { pf->host.Key(VK_ESCAPE); });
  });
}

void DropDownStep(TDropDownRun& run) {
  auto* e = static_cast<TcxCustomDropDownEdit*>(run.edit.Ref());
  if (!e) return;
  Platform* pf = run.pf;
  FuzzBytes& in = run.in;
  const bool calendar = dynamic_cast<TcxDateEdit*>(e) != nullptr;
  const uint8_t op = in.U8(), b = in.U8(), c = in.U8();
  TcxCustomEditListBox* list = OpenList(e);
  const HWND h = list ? list->GetHandle() : nullptr;
  if (op % 10 == 0 && calendar && !e->GetDroppedDown()) ScriptCalendar(run);
  if (DropDownPointerStep(pf->host, e, run.other, h, op, b, c,
                          [list](uint8_t y, uint8_t x) { return ListPoint(list, y, x); })) {
    pf->host.PumpUntilIdle();
    return;
  }
  switch (op % 10) {
    case 6: pf->host.Char(Byte("item 0123z\b"[b % 11])); break;
    case 7: {
      const int vk = DropDownKey(b);
      if (calendar && vk == VK_F4 && !e->GetDroppedDown()) ScriptCalendar(run);
      pf->host.Key(vk);
      break;
    }
    default:
      // Set by the program while the list may be open.
      if (auto* cb = dynamic_cast<TcxCustomComboBox*>(e))
        cb->SetItemIndex(Integer(b % 9) - 1);
      else
        static_cast<TcxDateEdit*>(e)->SetDate(EncodeDate(2026, 1 + b % 12, 1 + c % 28));
      break;
  }
  pf->host.PumpUntilIdle();
}

void DropDowns(Platform* pf, FuzzBytes& in) {
  const TShape shape = ReadShape(in, true);
  TEdit* other = nullptr;
  TForm* form = MakeForm(other);
  TcxCustomDropDownEdit* e = MakeDropDown(form, MakeHolder(form, shape), in.U8());
  TFreer freer;
  freer.Victim = PickVictim(e, form, shape);
  freer.Countdown = 1 + in.U8() % 6;
  HookDropDown(e, &freer, in.U8());
  const uint8_t flags = in.U8();
  auto* p = static_cast<TcxCustomDropDownEditProperties*>(e->GetProperties());
  p->SetImmediatePost(flags & 1);
  p->SetValidateOnEnter(flags & 2);
  if (flags & 4) p->SetImmediateDropDown(false);
  if (flags & 8) p->SetPostPopupValueOnTab(true);
  TDropDownRun run{pf, in, TWeakLink(form), TWeakLink(other), TWeakLink(e)};
  ShowAndStep(pf->host, form, e, run.edit, in, [&run] { DropDownStep(run); });
  RunLeftScripts(pf->host);
  FreeFormAndSettle(pf->host, form, run.form);
}

}  // namespace

// The first byte picks the part of the target; 4 and up pick the wide form of the editors
// (4, 6) or of the controls (5, 7); from 224 to 247 it picks a drop-down, from 248 on a
// drag-dock.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Platform* platform = &FuzzEnvironment<Platform>();
  MakeSharedWindows();
  ResetPlatform(platform->host);
  RunLeavingNoWindow([&] {
    FuzzBytes in(data, size);
    const uint8_t first = in.U8();
    const uint8_t part = first % 8;
    if (first >= 248) {
      Docking(platform, in);
    } else if (first >= 224) {
      DropDowns(platform, in);
    } else {
      switch (part) {
        case 0: case 4: case 6: Editors(platform, in, part != 0); break;
        case 1: Controller(in); break;
        case 2: DataSet(in); break;
        default: Controls(platform, in, part != 3); break;
      }
    }
    ClearShellLaunches();
  });
  return 0;
}
