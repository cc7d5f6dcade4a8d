// fuzz-links: widgets_databinding
// Data-set handlers that free what a data-set controller works on, driven by the input: a
// form owns a memory data set (with a calculated field), its data source and a holder of the
// controller; the controller reads the data set in loaded mode (with or without keys, smart
// refresh) or in grid mode (a window of a few rows), with multi-select on or off, and a
// second controller may share the data set. One or two of the data set's handlers (Before/After
// Post, Delete, Cancel, Edit, Insert, Scroll, OnNewRecord, OnFilterRecord, OnCalcFields) free
// the data set, the data source, a controller or the form after a chosen number of calls;
// so may the NAME field's OnGetText, which runs as the controllers read the records' texts,
// while the steps edit, insert, post, cancel, delete, select, walk, search and move through
// the controller or the data set. Nothing may touch a freed object (the sanitizers watch),
// and what survives is freed at the end without a leak.
#include "platform/user/UserTesting.h"
#include "tests/fuzz/support/CountdownFreer.h"
#include "tests/fuzz/support/DatabindingFuzz.h"
#include "tests/fuzz/support/FuzzInput.h"
#include "widgets/databinding/cxDBData.h"

#include <cstdint>
#include <cstdlib>

namespace {

using Platform = DatabindingFuzzHost;

// Frees its victim on the Countdown-th call of any handler it is set to.
class TFreer : public TCountdownFreer {
 public:
  void HDataSet(TDataSet*) { Hit(); }
  void Filter(TDataSet*, bool& Accept) {
    Accept = Countdown % 4 != 1;
    Hit();
  }
  // The field's own text, read before the field may go with the victim.
  void GetText(TField* Sender, String& Text, bool) {
    Text = Sender->GetAsString();
    Hit();
  }
};

using TEventSlot = TDataSetNotifyEvent TDataSet::*;
const TEventSlot kEvents[] = {
    &TDataSet::BeforePost,   &TDataSet::AfterPost,    &TDataSet::BeforeDelete,
    &TDataSet::AfterDelete,  &TDataSet::BeforeCancel, &TDataSet::AfterCancel,
    &TDataSet::BeforeScroll, &TDataSet::AfterScroll,  &TDataSet::BeforeEdit,
    &TDataSet::AfterEdit,    &TDataSet::BeforeInsert, &TDataSet::AfterInsert,
    &TDataSet::OnNewRecord,  &TDataSet::OnCalcFields};
constexpr unsigned kEventCount = sizeof(kEvents) / sizeof(kEvents[0]);

// Sets one handler to the freer: a data-set event, or (past the list) OnFilterRecord with
// the data set filtered.
void Hook(TDataSet* ADataSet, TFreer* AFreer, uint8_t AWhich) {
  const unsigned which = AWhich % (kEventCount + 1);
  if (which < kEventCount) {
    ADataSet->*kEvents[which] = {AFreer, &TFreer::HDataSet};
    return;
  }
  ADataSet->OnFilterRecord = {AFreer, &TFreer::Filter};
  ADataSet->SetFiltered(true);
}

// A controller over ASource, its mode and switches read from the input.
TcxDBDataController* MakeController(TComponent* AForm, TDataSource* ASource, FuzzBytes& in,
                                    Owned<TObject> (&AItems)[2]) {
  auto* holder = New<TControllerHolder>(AForm);
  auto* c = New<TcxDBDataController>(holder);
  holder->Controller.Attach(c);
  const uint8_t mode = in.U8();
  for (Integer i = 0; i < 2; ++i) {
    c->AddItem(AItems[i].get());
    c->ChangeFieldName(i, i == 0 ? "ID" : "NAME");
  }
  if (mode & 1) c->SetKeyFieldNames("ID");
  c->DataModeController()->SetSmartRefresh(mode & 2);
  if (mode & 4) {
    c->DataModeController()->SetGridModeBufferCount(1 + (mode >> 5) % 5);
    c->DataModeController()->SetGridMode(true);
  }
  c->SetMultiSelect(mode & 8);
  if (mode & 16) c->ChangeSortingOrder(1, TcxDataSortOrder::soDescending);
  c->SetDataSource(ASource);
  return c;
}

// One step through the controller or the data set (either may be gone, not both); each
// step may run the handlers.
void Step(TcxDBDataController* c, TDataSet* ds, uint8_t op, FuzzBytes& in) {
  const Integer rows = c ? c->GetRowCount() : 0;
  const Integer row = rows > 0 ? Integer(in.U8()) % rows : 0;
  if (!c && op % 32 < 24) op = 24 + op % 8;
  if (!ds && op % 32 >= 24) op %= 24;
  switch (op % 32) {
    case 0:
      c->ChangeFocusedRowIndex(row);
      break;
    case 1:
      c->GotoNext();
      break;
    case 2:
      c->GotoPrev();
      break;
    case 3:
      c->GotoFirst();
      break;
    case 4:
      c->GotoLast();
      break;
    case 5:
      c->MoveBy(Integer(in.U8() % 7) - 3);
      break;
    case 6:
      c->Scroll(Integer(in.U8() % 7) - 3);
      break;
    case 7:
      c->Edit();
      break;
    case 8:
      c->SetEditValue(in.U8() % 2, Variant(Integer(in.U8())), TcxDataEditValueSource::evsValue);
      break;
    case 9:
      c->PostEditing();
      break;
    case 10:
      c->Cancel();
      break;
    case 11:
      c->Insert();
      break;
    case 12:
      c->Append();
      break;
    case 13:
      c->DeleteFocused();
      break;
    case 14:
      c->DeleteSelection();
      break;
    case 15:
      c->SelectAll();
      break;
    case 16:
      if (rows > 0) c->ChangeRowSelection(row, true);
      break;
    case 17:
      if (rows > 0) {
        c->SetSelectionAnchor(row);
        TWeakLink self(c);
        if (self.Alive() && c->GetRowCount() > 0)
          c->SelectFromAnchor(Integer(in.U8()) % c->GetRowCount(), op & 32);
      }
      break;
    case 18: {
      int visited = 0;
      c->ForEachRow(op & 32, [&](Integer, const TcxRowInfo&) { ++visited; });
      break;
    }
    case 19:
      c->LocateByKey(Variant(Integer(in.U8() % 8)));
      break;
    case 20:
      c->Search()->Locate(1, String("n") + IntToStr(in.U8() % 8));
      break;
    case 21:
      c->Refresh();
      break;
    case 22:
      c->DataModeController()->SetGridMode(!c->DataModeController()->GridMode());
      break;
    case 23:
      c->CheckBrowseState();
      break;
    // Straight on the data set, as another part of the program would.
    case 24:
      ds->Next();
      break;
    case 25:
      ds->Prior();
      break;
    case 26: {
      TWeakLink alive(ds);
      ds->Edit();
      if (alive.Alive() && ds->State() == TDataSetState::dsEdit)
        ds->FieldByName("NAME")->SetAsString("e" + IntToStr(in.U8()));
      break;
    }
    case 27:
      ds->Append();
      break;
    case 28:
      ds->Post();
      break;
    case 29:
      ds->Delete();
      break;
    case 30:
      ds->Cancel();
      break;
    default:
      ds->SetFiltered(!ds->Filtered());
      break;
  }
}

// The first byte picks the victim (the data set, the source, the first or the second
// controller, the form), whether a second controller shares the data set and (64..127)
// whether NAME's display-text handler frees too; then the handlers, the countdown, the
// controllers' modes and up to 32 steps.
void Binding(FuzzBytes& in) {
  const uint8_t shape = in.U8();
  const bool second = shape & 8;
  TForm* form = TCustomForm::CreateNew(nullptr);
  auto* ds = New<TMemoryDataSet>(form);
  ds->FieldDefs().Add("ID", TFieldType::ftInteger);
  ds->FieldDefs().Add("NAME", TFieldType::ftString, 20);
  AddField<TIntegerField>(form, ds, "ID");
  TField* name = AddField<TStringField>(form, ds, "NAME");
  name->SetSize(20);
  AddField<TStringField>(form, ds, "CALC")->SetFieldKind(TFieldKind::fkCalculated);
  const int records = in.U8() % 9;
  for (int i = 1; i <= records; ++i)
    ds->AddRecord({Variant(Integer(i)), Variant(String("n") + IntToStr(i))});
  auto* source = New<TDataSource>(form);
  source->SetDataSet(ds);
  TFreer freer;
  const uint8_t hooks = in.U8();
  Hook(ds, &freer, hooks);
  if (hooks & 0x80) Hook(ds, &freer, in.U8());
  // Set before the controllers bind the field, so that they keep its texts.
  if ((shape & 0xC0) == 0x40) name->OnGetText = {&freer, &TFreer::GetText};
  freer.Countdown = 1 + in.U8() % 8;
  TWeakLink formLink(form), dsLink(ds), sourceLink(source);
  Owned<TObject> items[2][2] = {{Owned<TObject>(New<TObject>()), Owned<TObject>(New<TObject>())},
                                {Owned<TObject>(New<TObject>()), Owned<TObject>(New<TObject>())}};
  TcxDBDataController* controllers[2] = {nullptr, nullptr};
  TWeakLink links[2];
  try {
    // Opening reads the records and runs the handlers already.
    if (shape & 16) ds->Open();
    controllers[0] = MakeController(form, source, in, items[0]);
    links[0].Attach(controllers[0]);
    if (second) {
      controllers[1] = MakeController(form, source, in, items[1]);
      links[1].Attach(controllers[1]);
    }
    switch (shape % 5) {
      case 0:
        freer.Victim = ds;
        break;
      case 1:
        freer.Victim = source;
        break;
      case 2:
        freer.Victim = controllers[0];
        break;
      case 3:
        freer.Victim = second ? static_cast<TObject*>(controllers[1]) : form;
        break;
      default:
        freer.Victim = form;
        break;
    }
    if (dsLink.Alive() && !ds->Active()) ds->Open();
  } catch (const Exception&) {
  }
  for (int i = 0; i < 32 && in.More(); ++i) {
    const uint8_t op = in.U8();
    const int which = (op & 64) && links[1].Alive() ? 1 : 0;
    auto* c = static_cast<TcxDBDataController*>(links[which].Ref());
    if (!c && !dsLink.Alive()) break;
    try {
      Step(c, dsLink.Alive() ? ds : nullptr, op, in);
    } catch (const Exception&) {
    }
  }
  freer.Victim = nullptr;
  if (formLink.Alive()) form->Free();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzEnvironment<Platform>();
  RunLeavingNoWindow([&] {
    FuzzBytes in(data, size);
    Binding(in);
  });
  return 0;
}
