// The multi-line text editor: a text editor over a multi-line platform edit, with scroll
// bars, line wrapping, the choice whether Enter and Tab are typed, and a one-line display
// text for grids.
#pragma once

#include "classlib/core/Strings.h"
#include "widgets/foundation/cxControlBase.h"
#include "widgets/editcore/cxTextEdit.h"
#include "widgets/editcore/cxTextEditControl.h"

// TScrollStyle comes with the control base.

// The longest display text a grid cell shows of a memo.
inline constexpr Integer cxMemoDisplayTextLimit = 250;
// The first line of AText, at most ALimit characters.
String cxTruncateToFirstLine(const String& AText, Integer ALimit);
// A replacement text for the multi-line edit: each LF directly followed by CR becomes two
// line breaks; CR LF pairs stay as they are.
String cxMemoRewriteLineBreaks(const String& AText);

class TcxCustomMemoProperties : public TcxCustomTextEditProperties {
  TL_CLASS(TcxCustomMemoProperties, TcxCustomTextEditProperties)
 public:
  explicit TcxCustomMemoProperties(TPersistent* AOwner);
  void AfterConstruction() override;
  void Assign(TPersistent* Source) override;
  TcxCustomEditProperties* CreateSameClass() const override { return New<TcxCustomMemoProperties>(nullptr); }
  TcxCustomEditClass GetContainerClass() const override;
  void GetDisplayText(const Variant& AEditValue, String& ADisplayText, bool AFullText = false) override;
  bool IsTabInput() const override { return FWantTabs; }

  TScrollStyle GetScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle Value);
  Integer GetVisibleLineCount() const { return FVisibleLineCount; }
  void SetVisibleLineCount(Integer Value);
  bool GetWantReturns() const { return FWantReturns; }
  void SetWantReturns(bool Value);
  bool GetWantTabs() const { return FWantTabs; }
  void SetWantTabs(bool Value);
  bool GetWordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);

 private:
  TScrollStyle FScrollBars = TScrollStyle::ssNone;
  Integer FVisibleLineCount = 0;
  bool FWantReturns = true;
  bool FWantTabs = false;
  bool FWordWrap = true;
};

class TcxMemoProperties : public TcxCustomMemoProperties {
  TL_CLASS(TcxMemoProperties, TcxCustomMemoProperties)
 public:
  using TcxCustomMemoProperties::TcxCustomMemoProperties;
  TcxCustomEditProperties* CreateSameClass() const override { return New<TcxMemoProperties>(nullptr); }
};

// The platform multi-line edit inside a memo.
class TcxCustomInnerMemo : public TcxCustomInnerTextEdit {
  TL_CLASS(TcxCustomInnerMemo, TcxCustomInnerTextEdit)
 public:
  using TcxCustomInnerTextEdit::TcxCustomInnerTextEdit;
  TScrollStyle GetScrollBars() const { return FScrollBars; }
  bool GetWantReturns() const { return FWantReturns; }
  bool GetWantTabs() const { return FWantTabs; }
  bool GetWordWrap() const { return FWordWrap; }
  // The settings change the window's style: a changed one recreates the window.
  void SetMemoSettings(TScrollStyle AScrollBars, bool AWantReturns, bool AWantTabs, bool AWordWrap);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void WndProc(TMessage& Message) override;
  void KeyPress(Char& Key) override;

 private:
  TScrollStyle FScrollBars = TScrollStyle::ssNone;
  bool FWantReturns = true;
  bool FWantTabs = false;
  bool FWordWrap = true;
};

class TcxCustomMemo : public TcxCustomTextEdit {
  TL_CLASS(TcxCustomMemo, TcxCustomTextEdit)
 public:
  explicit TcxCustomMemo(TComponent* AOwner);
  TcxCustomMemo(TComponent* AOwner, bool AIsInplace);
  void BeforeDestruction() override;

  TcxCustomMemoProperties* ActiveMemoProperties() {
    return static_cast<TcxCustomMemoProperties*>(GetActiveProperties());
  }
  TcxCustomInnerMemo* InnerMemo() const { return dynamic_cast<TcxCustomInnerMemo*>(InnerControl()); }
  // The text as lines; writing assigns the given lines.
  TStrings* GetLines();
  void SetLines(TStrings* Value);
  // The selection replaced by AText; user input may only fill the room MaxLength leaves.
  void SetSelText(const String& AText);
  void PasteFromClipboard() override;
  // Both keep every line of the text.
  void ClearSelection() { SetSelText(""); }
  void CutToClipboard() override;
  // The inner memo's clear message, as the user's own input.
  void InnerMemoClear() { AsUserInput([&] { ClearSelection(); }); }
  // A stand-alone memo with a visible line count takes the height of that many lines of its
  // font, the text margins (1 above, 3 below) and a horizontal bar when it has one.
  void AdjustHeightToLines();
  // Enter when WantReturns is set or Ctrl is held; Tab when WantTabs is set.
  virtual bool WantsKey(Word Key, TShiftState Shift);

  TcxCustomEditPropertiesClass GetPropertiesClass() override;
  TMetaClass<TWinControl, TComponent*> GetInnerEditClass() const override;
  bool IsAutoSizeActive() const override { return false; }
  void DoEditKeyDown(Word& Key, TShiftState Shift) override;
  void DoEditKeyPress(Char& Key) override;
  void PropertiesChanged(TObject* Sender) override;
  void Initialize() override;
  // Enter breaks a line: it never starts in-place editing.
  bool CanKeyStartEdit(Char Key) override;

 protected:
  void ReadState(TReader& Reader) override;
  // The memo's own window text keeps all its lines.
  void WndProc(TMessage& Message) override;

 private:
  void LinesChanged(TObject*);
  TStringList* FLines = nullptr;
  bool FSyncingLines = false;
};

class TcxMemo : public TcxCustomMemo {
  TL_CLASS(TcxMemo, TcxCustomMemo)
 public:
  using TcxCustomMemo::TcxCustomMemo;
  TcxCustomEditPropertiesClass GetPropertiesClass() override;
  TcxMemoProperties* GetMemoProperties() const { return static_cast<TcxMemoProperties*>(GetProperties()); }
};

namespace cxMemo {
void Initialize();
void Finalize();
}  // namespace cxMemo
