// The single-line text editor: the platform edit window that sits inside it, and the editor
// control that keeps that window's text, selection and settings in step with the text
// properties, paints the text itself while the window is hidden and owns the clipboard rules.
#pragma once

#include "widgets/editcore/cxEditControl.h"
#include "widgets/editcore/cxTextEdit.h"
#include "widgets/editcore/cxTextEditLookupData.h"

class TcxCustomTextEdit;

// The platform edit inside a text editor: no border or background of its own; keys,
// clipboard messages and focus go back to the editor.
class TcxCustomInnerTextEdit : public TCustomEdit, public IcxCustomInnerEdit, public IcxInnerTextEdit {
  TL_CLASS(TcxCustomInnerTextEdit, TCustomEdit)
 public:
  explicit TcxCustomInnerTextEdit(TComponent* AOwner);

  // ---- IcxCustomInnerEdit ----
  TWinControl* GetControl() override { return this; }
  TcxCustomEdit* GetControlContainer() override;
  void CallDefWndProc(TMessage& Message) override { DefaultHandler(Message); }
  Variant GetEditValue() override { return Variant(GetText()); }
  void SetEditValue(const Variant& Value) override;
  TNotifyEvent GetOnChange() override { return OnChange; }
  void SetOnChange(TNotifyEvent Value) override { OnChange = Value; }
  bool GetReadOnly() override { return TCustomEdit::GetReadOnly(); }
  void SetReadOnly(bool Value) override { TCustomEdit::SetReadOnly(Value); }
  void LockBounds(bool ALock) override;
  // Focusing from code never selects the text.
  void SafelySetFocus() override;
  void SetParent(TWinControl* Value) override { TCustomEdit::SetParent(Value); }

  // ---- IcxInnerTextEdit ----
  String GetEditText() override { return GetText(); }
  // The text followed by ATail, left as setting the whole text leaves it (selection at the
  // start, not modified, nothing to undo, one change notice): the text kept is not copied.
  void AppendText(const String& ATail);
  // While an IME character is being delivered, the selection the editor set meanwhile.
  Integer GetSelStart() override;
  Integer GetSelLength() override;
  void SetSelStart(Integer Value);
  void SetSelLength(Integer Value);
  void SelectAll();

  TAlignment GetAlignment() const { return FAlignment; }
  // Left while editing when the editor's properties ask for it; a change makes a new window.
  void SetAlignment(TAlignment Value);
  bool GetInnerAutoSelect() const { return FAutoSelect; }
  void SetInnerAutoSelect(bool Value) { FAutoSelect = Value; }
  TcxEditEchoMode GetEchoMode() const { return FEchoMode; }
  void SetEchoMode(TcxEditEchoMode Value);
  // 0 shows "*" in password mode.
  Char GetPasswordChar() const { return FPasswordChar; }
  void SetPasswordChar(Char Value);
  bool GetInternalUpdating() const { return FInternalUpdating; }
  void SetInternalUpdating(bool Value) { FInternalUpdating = Value; }
  bool GetMultiLine() const { return false; }
  bool GetOEMConvert() const { return FOEMConvert; }
  void SetOEMConvert(bool Value) { FOEMConvert = Value; }
  // The trail byte of a double-byte IME character while it is delivered, else 0.
  Char GetImeLastChar() const { return FImeCharCount == 2 ? FImeLastChar : Char(0); }
  // The character index under the caret, by bisection over the characters' positions.
  Integer GetCaretCharIndex();

  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
  // An action looking for its target takes this edit, else the editor's data binding.
  bool ExecuteAction(TBasicAction* Action) override;
  bool UpdateAction(TBasicAction* Action) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  // Counts the text's change notices: a key that sent none left the text as it was.
  void Change() override;
  void WndProc(TMessage& Message) override;
  // The editor may take a message before the platform edit's own handling.
  void DefaultHandler(TMessage& Message) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void KeyPress(Char& Key) override;
  // Mouse events are the editor's too, in its coordinates.
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void Click() override;
  void DblClick() override;

 private:
  TcxCustomTextEdit* Container() const;
  void ApplyEchoMode();
  void ApplyMargins();

  TcxEditEchoMode FEchoMode = TcxEditEchoMode::eemNormal;
  bool FInternalUpdating = false;
  bool FIsCreating = true;
  Integer FLockBoundsCount = 0;
  TAlignment FAlignment = TAlignment::taLeftJustify;
  Integer FImeCharCount = 0;
  Char FImeLastChar = 0;
  Char FPasswordChar = 0;
  bool FAutoSelect = true;
  bool FOEMConvert = false;
  Integer FSavedSelStart = 0;
  Integer FSavedSelLength = 0;
  Integer FTextChanges = 0;
};

class TcxCustomTextEdit : public TcxCustomEdit,
                          public IcxTextEditPropertiesHost,
                          public IcxTextEditLookupDataOwner,
                          public IcxFormatControllerListener {
  TL_CLASS(TcxCustomTextEdit, TcxCustomEdit)
 public:
  explicit TcxCustomTextEdit(TComponent* AOwner) : TcxCustomEdit(AOwner) {}
  TcxCustomTextEdit(TComponent* AOwner, bool AIsInplace) : TcxCustomEdit(AOwner, AIsInplace) {}
  void BeforeDestruction() override;

  TcxCustomTextEditProperties* ActiveProperties() {
    return static_cast<TcxCustomTextEditProperties*>(GetActiveProperties());
  }
  TcxCustomInnerTextEdit* InnerTextEdit() const {
    return dynamic_cast<TcxCustomInnerTextEdit*>(InnerControl());
  }
  bool GetBeepOnEnter() const { return FBeepOnEnter; }
  void SetBeepOnEnter(bool Value) { FBeepOnEnter = Value; }
  // The published Text: written, it becomes the editor's value, so that a text read from
  // a description outlives the end of loading, which shows the value again.
  void SetValueText(const String& Value) { SetEditValue(Variant(Value)); }
  bool GetInnerEditShowing() const { return FInnerEditShowing; }
  // The text the editor showed when it was destroyed.
  const String& SavedText() const { return FSavedText; }

  // ---- selection and clipboard ----
  Integer GetSelStart();
  void SetSelStart(Integer Value);
  Integer GetSelLength();
  void SetSelLength(Integer Value);
  String GetSelText();
  void SetSelText(const String& Value);
  void SetSelStartAndLength(Integer AStart, Integer ALength);
  void SelectAll() override;
  void ClearSelection();
  void CopyToClipboard() override;
  void CutToClipboard() override;
  void PasteFromClipboard() override;
  // Whether AText may replace the selection: ANewText is the whole text then, validated,
  // and ANewSelStart where the caret goes.
  bool CanChangeSelText(const String& AText, String& ANewText, Integer& ANewSelStart);

  // ---- view ----
  // The inner edit takes the view's background and the active style's font and text colour;
  // kinds whose inner edit draws more of the look extend it.
  virtual void UpdateInnerEditColors();
  void AdjustInnerControl() override { UpdateInnerEditColors(); }
  void SetInnerEditShowing(bool AValue);
  void UpdateDrawValue();
  // The edit value set to the text followed by ATail, as SetEditValue of the whole text would
  // (same events, flags and display), in time proportional to ATail; false, with nothing
  // done, where that cannot be told without the whole text (see CanAppendEditText).
  bool AppendEditText(const String& ATail);
  // The display shows the string edit value as it is, nothing limits its length, no lookup
  // item is searched and the change is not the user's.
  bool CanAppendEditText(const String& ATail);
  // Whether the inner edit, rather than the view, shows the text of the focused editor.
  bool ShowsTextByInnerEdit() override;
  // The display text set, and the edit value taken from it; false when the properties
  // refuse it.
  bool SetDisplayText(const String& AText);
  // The edit value converted from the display text as it stands: the user's change while
  // the user or the binding edits, else the value as set.
  virtual void SynchronizeEditValue();

  // ---- value bounds ----
  // Runs ValueBoundsHook when a numeric kind with bounds may change the stored value.
  virtual void CheckValueBounds();
  // Numeric kinds bring the value within their bounds here.
  virtual void ValueBoundsHook() {}
  // A text typed or set that is not among the lookup items.
  virtual void DoOnNewLookupDisplayText(const String& AText);
  // A text set from outside (the program, the data, an undo) makes the lookup's current item
  // the one it names, as in an editor made with that text: the keys step from it and the
  // list opens on it. Kinds whose current item follows their value rather than their text
  // follow it themselves.
  virtual void SyncLookupWithDisplayValue();
  // The height of the inner edit's font as the screen draws it.
  Integer GetInnerEditTextHeight();

  // ---- IcxFormatControllerListener ----
  // A new locale format shows at once, unless the user is editing the text.
  void FormatChanged() override;

  // ---- IcxTextEditPropertiesHost ----
  bool IsEditFocused() override { return IsFocused(); }
  bool IsInplaceEdit() override { return IsInplace(); }
  void PrepareEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool AEditFocused) override;

  // ---- IcxTextEditLookupDataOwner ----
  TcxCustomTextEditProperties* GetLookupProperties() override { return ActiveProperties(); }
  String GetLookupEditText() override { return EditText(); }
  bool DoLookupEditing() override { return DoEditing(); }
  bool IsLookupEditingLocked() override { return false; }
  void SetLookupSelecting(bool Value) override { FIsLookupSelecting = Value; }
  void LookupMatchEnd() override {}
  TcxContainerStyle* GetLookupActiveStyle() override { return GetActiveStyle(); }

  // ---- lookup ----
  TcxCustomTextEditLookupData* LookupData() const { return FLookupData; }
  bool IsLookupSelecting() const { return FIsLookupSelecting; }
  // Drop-down editors step through the items with the keys and the wheel.
  virtual bool CanNavigateLookupItems(bool = false) const { return false; }
  // The typed text T looked up: on a match the rest of the item follows, selected.
  bool IncrementalSearch(String T);
  // Steps the lookup's current item; true when it moved.
  bool GoLookup(Integer ADirection);

  // ---- editor control overrides ----
  TcxCustomEditPropertiesClass GetPropertiesClass() override;
  TMetaClass<TWinControl, TComponent*> GetInnerEditClass() const override;
  Variant GetDisplayValue() override;
  void SetInternalDisplayValue(const Variant& Value) override;
  void SynchronizeDisplayValue() override;
  void AppendDisplayValue(const String& ATail) override;
  void ApplyDisplayValue(const Variant& ADisplayValue) override;
  bool CanResetEditValue() override { return true; }
  // The height follows the font once there is a window to measure in.
  bool IsAutoSizeActive() const override { return inherited::IsAutoSizeActive() && GetParent(); }
  bool KeepsNavigationKeys(Word Key, TShiftState Shift) override;
  bool IsEditorKey(Word Key, TShiftState Shift) override;
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  void DoEditKeyDown(Word& Key, TShiftState Shift) override;
  void DoEditKeyPress(Char& Key) override;
  void PropertiesChanged(TObject* Sender) override;
  void Activate(TcxCustomEditData*& AEditData) override;
  void AdjustInnerEditPosition() override;
  void InnerEditWndProc(TMessage& Message) override;
  void UnhookInnerEditWndProc() override;
  void Initialize() override;

  // The inner edit's clipboard messages, as the user's own input.
  void InnerCut();
  void InnerClear();
  void InnerPaste();
  void InnerMouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  void InnerMouseMove(TShiftState Shift, Integer X, Integer Y) { MouseMove(Shift, X, Y); }
  void InnerMouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) { MouseUp(Button, Shift, X, Y); }
  void InnerClick() { Click(); }
  void InnerDblClick() { DblClick(); }

 protected:
  void WndProc(TMessage& Message) override;

 private:
  void InnerChanged(TObject*);
  // AKeptLength characters of the draw value stay and ATail follows them, where the view's
  // text is still the one drawn before; else the whole text is taken again.
  void UpdateDrawValue(size_t AKeptLength, const String& ATail);
  TcxCustomEditViewInfo* FDrawValueViewInfo = nullptr;
  void LookupDataChanged(TObject*);
  void RegroupDigits();
  bool UsesLookup();
  String EditText();

  TcxCustomTextEditLookupData* FLookupData = nullptr;
  bool FIsLookupSelecting = false;

  bool FBeepOnEnter = true;
  bool FInnerEditShowing = false;
  bool FSettingText = false;
  bool FSyncing = false;
  bool FAdjusting = false;
  String FSavedText;
  bool FListeningFormats = false;
};

// The text editor as placed on forms.
class TcxTextEdit : public TcxCustomTextEdit {
  TL_CLASS(TcxTextEdit, TcxCustomTextEdit)
 public:
  using TcxCustomTextEdit::TcxCustomTextEdit;
  TcxCustomEditPropertiesClass GetPropertiesClass() override;
  TcxTextEditProperties* GetTextProperties() const {
    return static_cast<TcxTextEditProperties*>(GetProperties());
  }
};

namespace cxTextEditControl {
// Registers the text editor with the editor registry and the streaming classes.
void Initialize();
void Finalize();
}  // namespace cxTextEditControl
