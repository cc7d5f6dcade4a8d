// Editor control tests: a minimal editor kind around a platform edit (its text is the
// display value, the edit value is that text), a binding that behaves like a data set's
// (edit mode entered on request, left by posting), and a log that every handler writes to,
// so that a test compares the exact order of events.
#pragma once

#include "classlib/visual/StdCtrls.h"
#include "tests/editcore/EditSettingsTestSupport.h"
#include "widgets/editcore/cxEditControl.h"

#include <string>
#include <vector>

class TValueEdit;

// Everything the handlers heard, in order.
struct TEventLog {
  std::vector<std::string> Items;
  void Add(const std::string& S) { Items.push_back(S); }
  std::vector<std::string> Take() { return std::exchange(Items, {}); }
};

class TValueEditProperties : public TcxCustomEditProperties {
  TL_CLASS(TValueEditProperties, TcxCustomEditProperties)
 public:
  using TcxCustomEditProperties::TcxCustomEditProperties;
  bool CanValidate() const override { return true; }
  bool CanCompareEditValue() const override { return Compare; }
  TcxCustomEditClass GetContainerClass() const override;
  TcxCustomEditProperties* CreateSameClass() const override {
    return New<TValueEditProperties>(nullptr);
  }
  void Assign(TPersistent* Source) override {
    inherited::Assign(Source);
    if (auto* s = dynamic_cast<TValueEditProperties*>(Source)) Compare = s->Compare;
  }
  bool Compare = false;
};

// The inner platform edit: hands keys and characters to its editor, reports text changes.
class TValueInnerEdit : public TCustomEdit, public IcxCustomInnerEdit {
  TL_CLASS(TValueInnerEdit, TCustomEdit)
 public:
  explicit TValueInnerEdit(TComponent* AOwner);
  TWinControl* GetControl() override { return this; }
  TcxCustomEdit* GetControlContainer() override { return FEdit; }
  void CallDefWndProc(TMessage& Message) override { DefaultHandler(Message); }
  Variant GetEditValue() override { return Variant(GetText()); }
  void SetEditValue(const Variant& Value) override { SetText(VarToStr(Value)); }
  TNotifyEvent GetOnChange() override { return OnChange; }
  void SetOnChange(TNotifyEvent Value) override { OnChange = Value; }
  bool GetReadOnly() override { return TCustomEdit::GetReadOnly(); }
  void SetReadOnly(bool Value) override { TCustomEdit::SetReadOnly(Value); }
  void LockBounds(bool) override {}
  void SafelySetFocus() override {
    if (CanFocus()) SetFocus();
  }
  void SetParent(TWinControl* Value) override { TCustomEdit::SetParent(Value); }
  // Mouse messages seen, as "down x,y" / "up x,y".
  std::vector<std::string> Mouse;

 protected:
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(Char& Key) override;
  void WndProc(TMessage& Message) override;

 private:
  TcxCustomEdit* FEdit;
};

// A binding in the manner of a data set's: not editing until edit mode is asked for,
// and back to browsing once the value is written.
class TValueBinding : public TcxEditDataBinding {
  TL_CLASS(TValueBinding, TcxEditDataBinding)
 public:
  using TcxEditDataBinding::TcxEditDataBinding;
  // In place, the host's data is edited: the base rule (the display text is modified) holds.
  bool IsEditing() const override {
    return Edit()->IsInplace() ? TcxEditDataBinding::IsEditing() : Editing;
  }
  bool SetEditMode() override;
  void UpdateDataValue() override;
  bool Editing = false;
  bool Refuse = false;
  Variant Stored;
};

class TValueEdit : public TcxCustomEdit {
  TL_CLASS(TValueEdit, TcxCustomEdit)
 public:
  explicit TValueEdit(TComponent* AOwner) : TcxCustomEdit(AOwner) {}
  TValueEdit(TComponent* AOwner, bool AIsInplace) : TcxCustomEdit(AOwner, AIsInplace) {}
  void AfterConstruction() override;

  TcxCustomEditPropertiesClass GetPropertiesClass() override {
    return ClassOf<TValueEditProperties, TcxCustomEditProperties, TPersistent*>();
  }
  TcxEditDataBindingClass GetDataBindingClass() const override {
    return ClassOf<TValueBinding, TcxEditDataBinding, TcxCustomEdit*>();
  }
  TMetaClass<TWinControl, TComponent*> GetInnerEditClass() const override {
    return ClassOf<TValueInnerEdit, TWinControl, TComponent*>();
  }
  Variant GetDisplayValue() override { return Variant(Inner()->GetText()); }
  void SetInternalDisplayValue(const Variant& Value) override;
  void SynchronizeDisplayValue() override { SetInternalDisplayValue(EditValue()); }
  void ApplyDisplayValue(const Variant& ADisplayValue) override;
  bool CanResetEditValue() override { return true; }
  // As a text editor: the caret keys stay with the inner edit.
  bool KeepsNavigationKeys(Word, TShiftState) override { return true; }
  void SelectAll() override;
  void InnerEditWndProc(TMessage& Message) override;
  // "*" marks the user-input flag on.
  void CopyToClipboard() override { Say(std::string("copy") + (IsUserInput() ? "*" : "")); }
  void CutToClipboard() override { Say(std::string("cut") + (IsUserInput() ? "*" : "")); }
  void PasteFromClipboard() override { Say(std::string("paste") + (IsUserInput() ? "*" : "")); }

  TValueEditProperties* Props() const {
    return static_cast<TValueEditProperties*>(GetProperties());
  }
  TValueBinding* Binding() const { return static_cast<TValueBinding*>(DataBinding()); }
  TValueInnerEdit* Inner() const { return static_cast<TValueInnerEdit*>(InnerControl()); }
  // Every handler of this editor writes to Log, each entry prefixed with Name when set.
  void Listen(TEventLog* ALog, const std::string& AName = {});

  TEventLog* Log = nullptr;
  std::string Name;
  // Messages that passed through the inner edit's hooked window procedure.
  std::vector<UINT> Hooked;

  // Handlers; the *Free flags make a handler free the editor.
  void HChange(TObject*);
  void HItemChange(TObject*) { Say("itemChange"); }
  // The modified flags as the last OnChange saw them.
  bool ModifiedInChange = false;
  void HEditValueChanged(TObject*);
  void HValidate(TObject*, Variant& DisplayValue, String& ErrorText, bool& Error);
  void HEditing(TObject*, bool& CanEdit);
  void HEnter(TObject*);
  void HExit(TObject*);
  void HKeyPress(TObject*, Char& Key);
  void HDblClick(TObject*);
  void HButtonClick(TObject*, Integer AButtonIndex);
  void HPost(TObject*);
  bool FreeOnChange = false, FreeOnValidate = false, FreeOnEditing = false, FreeOnExit = false;
  bool RaiseOnEnter = false;
  // OnValidate refuses this text, writing Correction into the display value.
  String InvalidText;
  String Correction;
  bool RefuseEditing = false;
  void Say(const std::string& S) {
    if (Log) Log->Add(Name.empty() ? S : Name + ":" + S);
  }

 private:
  void InnerChanged(TObject*);
  bool FSyncing = false;
};

// Counts the clicks of a dialog button.
class TClickCounter : public TObject {
 public:
  void Clicked(TObject*) { ++Count; }
  int Count = 0;
};

class EditControlTest : public EditSettingsTest {
 protected:
  void SetUp() override;
  void TearDown() override;
  TValueEdit* AddEdit(Integer Y, const std::string& AName = {});
  TButton* AddButton(Integer Y, bool ADefault, bool ACancel, TClickCounter& ACounter);
  // Types into whatever has the focus, through the application's loop.
  void Type(const String& S);
  void Press(int VK, bool AShift = false);
  static std::vector<std::string> L(std::initializer_list<const char*> Items) {
    return std::vector<std::string>(Items.begin(), Items.end());
  }

  TCustomForm* form = nullptr;
  TEventLog log;
};
