#include "tests/editcore/EditControlTestSupport.h"

#include "platform/user/User.h"

TcxCustomEditClass TValueEditProperties::GetContainerClass() const {
  return ClassOf<TValueEdit, TcxCustomEdit, TComponent*, bool>();
}

// ---- inner edit ----

TValueInnerEdit::TValueInnerEdit(TComponent* AOwner)
    : TCustomEdit(AOwner), FEdit(dynamic_cast<TcxCustomEdit*>(AOwner)) {
  SetBorderStyle(TBorderStyle::bsNone);
  // The editor is the tab stop.
  SetTabStop(false);
}

void TValueInnerEdit::KeyDown(Word& Key, TShiftState Shift) {
  if (FEdit) FEdit->KeyDown(Key, Shift);
}

void TValueInnerEdit::KeyPress(Char& Key) {
  if (FEdit) FEdit->KeyPress(Key);
}

void TValueInnerEdit::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case CM_WANTSPECIALKEY:
      Message.Result =
          FEdit ? FEdit->Perform(CM_WANTSPECIALKEY, Message.WParam, Message.LParam) : 0;
      return;
    case WM_GETDLGCODE:
      TCustomEdit::WndProc(Message);
      Message.Result |= DLGC_WANTTAB;
      return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
      Mouse.push_back(std::string(Message.Msg == WM_LBUTTONDOWN ? "down " : "up ") +
                      std::to_string(GET_X_LPARAM(Message.LParam)) + "," +
                      std::to_string(GET_Y_LPARAM(Message.LParam)));
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      TCustomEdit::WndProc(Message);
      if (FEdit) FEdit->FocusChanged();
      return;
    default:
      break;
  }
  TCustomEdit::WndProc(Message);
}

// ---- binding ----

bool TValueBinding::SetEditMode() {
  if (auto* e = dynamic_cast<TValueEdit*>(Edit())) e->Say("editMode");
  if (Refuse) return false;
  Editing = true;
  return true;
}

void TValueBinding::UpdateDataValue() {
  Stored = Edit()->GetEditValue();
  Editing = false;
  if (auto* e = dynamic_cast<TValueEdit*>(Edit())) e->Say("post:" + VarToStr(Stored));
}

// ---- editor ----

void TValueEdit::AfterConstruction() {
  inherited::AfterConstruction();
  Inner()->SetOnChange({this, &TValueEdit::InnerChanged});
  // The base view data measures no content: the height is the test's.
  SetAutoSize(false);
  SetBounds(0, 0, 120, 21);
}

void TValueEdit::SetInternalDisplayValue(const Variant& Value) {
  FSyncing = true;
  try {
    Inner()->SetText(VarToStr(Value));
  } catch (...) {
    FSyncing = false;
    throw;
  }
  FSyncing = false;
}

// The value is stored with the modified flags kept: posting still sees the text as edited.
void TValueEdit::ApplyDisplayValue(const Variant& ADisplayValue) {
  Variant value = ADisplayValue;
  SaveModifiedFlags();
  TcxEditLifeGuard guard(this);
  try {
    PrepareEditValue(ADisplayValue, value, IsFocused());
    InternalSetEditValue(value);
  } catch (...) {
    if (guard.Alive()) RestoreModifiedFlags();
    throw;
  }
  if (guard.Alive()) RestoreModifiedFlags();
}

void TValueEdit::SelectAll() {
  Say("selectAll");
  if (Inner()->HandleAllocated()) Inner()->SelectAll();
}

void TValueEdit::InnerEditWndProc(TMessage& Message) {
  Hooked.push_back(Message.Msg);
  inherited::InnerEditWndProc(Message);
}

// What the user typed changes the display text; one change notice per edit.
void TValueEdit::InnerChanged(TObject*) {
  if (FSyncing) return;
  LockChangeEvents(true);
  TcxObjectLink* link = cxAddObjectLink(this);
  try {
    ChangeHandler(this);
  } catch (...) {
    if (link->Ref) LockChangeEvents(false);
    cxRemoveObjectLink(link);
    throw;
  }
  if (link->Ref) LockChangeEvents(false);
  cxRemoveObjectLink(link);
}

void TValueEdit::Listen(TEventLog* ALog, const std::string& AName) {
  Log = ALog;
  Name = AName;
  TcxCustomEditProperties* p = GetProperties();
  p->OnChange = {this, &TValueEdit::HChange};
  p->OnEditValueChanged = {this, &TValueEdit::HEditValueChanged};
  p->OnValidate = {this, &TValueEdit::HValidate};
  p->OnButtonClick = {this, &TValueEdit::HButtonClick};
  OnEditing = {this, &TValueEdit::HEditing};
  OnEnter = {this, &TValueEdit::HEnter};
  OnExit = {this, &TValueEdit::HExit};
  OnKeyPress = {this, &TValueEdit::HKeyPress};
  OnDblClick = {this, &TValueEdit::HDblClick};
  OnPostEditValue = {this, &TValueEdit::HPost};
}

void TValueEdit::HChange(TObject*) {
  Say("change:" + VarToStr(GetDisplayValue()));
  ModifiedInChange = GetEditModified() && GetDisplayValueModified();
  if (FreeOnChange) Free();
}

void TValueEdit::HEditValueChanged(TObject*) { Say("valueChanged:" + VarToStr(EditValue())); }

void TValueEdit::HValidate(TObject*, Variant& DisplayValue, String& ErrorText, bool& Error) {
  Say("validate:" + VarToStr(DisplayValue));
  if (!InvalidText.empty() && VarToStr(DisplayValue) == InvalidText) {
    Error = true;
    ErrorText = "Not a value: " + InvalidText;
    if (!Correction.empty()) DisplayValue = Variant(Correction);
  }
  if (FreeOnValidate) Free();
}

void TValueEdit::HEditing(TObject*, bool& CanEdit) {
  Say("editing");
  if (RefuseEditing) CanEdit = false;
  if (FreeOnEditing) Free();
}

void TValueEdit::HEnter(TObject*) {
  Say("enter");
  if (RaiseOnEnter) throw Exception("enter refused");
}

void TValueEdit::HExit(TObject*) {
  Say("exit");
  if (FreeOnExit) Free();
}

void TValueEdit::HKeyPress(TObject*, Char& Key) { Say("keyPress:" + std::to_string(Byte(Key))); }
void TValueEdit::HDblClick(TObject*) { Say("dblClick"); }
void TValueEdit::HButtonClick(TObject*, Integer AButtonIndex) {
  Say("button:" + std::to_string(AButtonIndex));
}
void TValueEdit::HPost(TObject*) { Say("inplacePost:" + VarToStr(EditValue())); }

TL_DEFINE_CLASS(TValueEditProperties, [](auto&) {});
TL_DEFINE_CLASS(TValueInnerEdit, [](auto&) {});
TL_DEFINE_CLASS(TValueBinding, [](auto&) {});
TL_DEFINE_CLASS(TValueEdit, [](auto&) {});

// ---- fixture ----

void EditControlTest::SetUp() {
  EditSettingsTest::SetUp();
  cxControls::Initialize();
  form = TCustomForm::CreateNew(nullptr);
  form->SetBounds(40, 40, 400, 300);
  form->Show();
  host().PumpUntilIdle();
}

void EditControlTest::TearDown() {
  if (form) form->Free();
  form = nullptr;
  host().PumpUntilIdle();
  cxControls::Finalize();
  EditSettingsTest::TearDown();
}

TValueEdit* EditControlTest::AddEdit(Integer Y, const std::string& AName) {
  auto* e = New<TValueEdit>(form);
  e->SetBounds(10, Y, 120, 21);
  e->SetParent(form);
  e->Listen(&log, AName);
  host().PumpUntilIdle();
  return e;
}

TButton* EditControlTest::AddButton(Integer Y, bool ADefault, bool ACancel,
                                    TClickCounter& ACounter) {
  auto* b = New<TButton>(form);
  b->SetBounds(200, Y, 75, 25);
  b->SetParent(form);
  b->SetDefault(ADefault);
  b->SetCancel(ACancel);
  b->OnClick = {&ACounter, &TClickCounter::Clicked};
  return b;
}

void EditControlTest::Type(const String& S) {
  host().Text(S);
  Pump();
}

void EditControlTest::Press(int VK, bool AShift) {
  if (AShift) host().KeyDown(VK_SHIFT);
  host().Key(VK);
  if (AShift) host().KeyUp(VK_SHIFT);
  Pump();
}
