// The multi-line text editor: a text editor over a multi-line platform edit, with scroll
// bars, line wrapping, the choice whether Enter and Tab are typed, and a one-line display
// text for grids.
#pragma once

#include "classlib/core/Strings.h"
#include "widgets/foundation/cxControlBase.h"
#include "widgets/editcore/cxTextEdit.h"
#include "widgets/editcore/cxTextEditControl.h"
#include "widgets/editcore/cxTextEditViewData.h"
#include "widgets/foundation/cxClasses.h"

// TScrollStyle comes with the control base.

// The longest display text a grid cell shows of a memo.
inline constexpr Integer cxMemoDisplayTextLimit = 250;
// The first line of AText, at most ALimit characters.
String cxTruncateToFirstLine(const String& AText, Integer ALimit);
// A replacement text for the multi-line edit: each LF directly followed by CR becomes two
// line breaks; CR LF pairs stay as they are.
String cxMemoRewriteLineBreaks(const String& AText);

class TcxCustomMemo;

// The library text flags a memo draws with: wrapping unless it scrolls sideways, the
// horizontal alignment added.
Cardinal cxMemoDrawTextFlags(bool AWordWrap, TScrollStyle AScrollBars, TAlignment AAlignment);

// How a memo reaches its inner multi-line edit ({9D0DFE35-58DC-4C0C-9C98-65C5AAD757C9}).
class IcxInnerMemo : public IInterface {
 public:
  virtual TStrings* GetLines() = 0;
  virtual TScrollStyle GetScrollBars() = 0;
  virtual void SetScrollBars(TScrollStyle Value) = 0;
  virtual bool GetWantReturns() = 0;
  virtual void SetWantReturns(bool Value) = 0;
  virtual bool GetWantTabs() = 0;
  virtual void SetWantTabs(bool Value) = 0;
  virtual bool GetWordWrap() = 0;
  virtual void SetWordWrap(bool Value) = 0;
  // X is the column, Y the line, both from 0.
  virtual TPoint GetCaretPos() = 0;
  virtual void SetCaretPos(const TPoint& Value) = 0;
  virtual void ClearSelection() = 0;
  virtual void CopyToClipboard() = 0;
};

class TcxCustomMemoProperties : public TcxCustomTextEditProperties {
  TL_CLASS(TcxCustomMemoProperties, TcxCustomTextEditProperties)
 public:
  explicit TcxCustomMemoProperties(TPersistent* AOwner);
  void AfterConstruction() override;
  void Assign(TPersistent* Source) override;
  TcxCustomEditProperties* CreateSameClass() const override { return New<TcxCustomMemoProperties>(nullptr); }
  TcxCustomEditClass GetContainerClass() const override;
  TcxCustomEditViewDataClass GetViewDataClass() const override;
  TcxCustomEditViewInfoClass GetViewInfoClass() const override;
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

// A memo's text drawn by the view: its lines laid out in the memo's text flags.
class TcxCustomMemoViewInfo : public TcxCustomTextEditViewInfo {
  TL_CLASS(TcxCustomMemoViewInfo, TcxCustomTextEditViewInfo)
};

class TcxCustomMemoViewData : public TcxCustomTextEditViewData {
  TL_CLASS(TcxCustomMemoViewData, TcxCustomTextEditViewData)
 public:
  using TcxCustomTextEditViewData::TcxCustomTextEditViewData;
  Cardinal GetDrawTextFlags() const override;
  // VisibleLineCount when set, else the text editor's own limit.
  Integer GetMaxLineCount() const override;
  void CalculateTextLayout(TcxCanvas& ACanvas, TcxCustomTextEditViewInfo* AViewInfo) override;
  // All lines of the text (up to the line limit), with the text margins on every side.
  TSize InternalGetEditContentSize(TcxCanvas& ACanvas, const Variant& AEditValue,
                                   const TcxEditSizeProperties& AEditSizeProperties) override;
  // With an editor scrolling sideways, its horizontal bar is part of the frame.
  TSize GetEditConstantPartSize(TcxCanvas& ACanvas, const TcxEditSizeProperties& AEditSizeProperties,
                                TSize& AMinContentSize, TcxCustomEditViewInfo* AViewInfo = nullptr) override;

 private:
  TcxCustomMemoProperties* MemoProperties() const { return dynamic_cast<TcxCustomMemoProperties*>(Properties); }
};

class TcxCustomInnerMemo;

// The memo's lines: while a line added at the end is announced they say so, and the memo
// then adds only that line to its text.
class TcxMemoLines : public TStringList {
  TL_CLASS(TcxMemoLines, TStringList)
 public:
  Integer AddObject(const String& S, TObject* AObject) override;
  bool IsAppending() const { return FAppending; }
  // Inside BeginUpdate / EndUpdate: lines written meanwhile are not the text yet.
  bool IsUpdating() const { return UpdateCount() > 0; }

 private:
  bool FAppending = false;
};

// Forwards the memo's interfaces to its inner multi-line edit.
class TcxCustomInnerMemoHelper : public TcxInterfacedPersistent, public IcxInnerTextEdit, public IcxInnerMemo {
  TL_CLASS(TcxCustomInnerMemoHelper, TcxInterfacedPersistent)
 public:
  explicit TcxCustomInnerMemoHelper(TcxCustomInnerMemo* AInnerMemo);

  // ---- IcxInnerTextEdit ----
  TWinControl* GetControl() override;
  String GetEditText() override;
  Integer GetSelStart() override;
  Integer GetSelLength() override;
  // ---- IcxInnerMemo ----
  TStrings* GetLines() override;
  TScrollStyle GetScrollBars() override;
  void SetScrollBars(TScrollStyle Value) override;
  bool GetWantReturns() override;
  void SetWantReturns(bool Value) override;
  bool GetWantTabs() override;
  void SetWantTabs(bool Value) override;
  bool GetWordWrap() override;
  void SetWordWrap(bool Value) override;
  TPoint GetCaretPos() override;
  // Past the last line or column it lands at the end of the text or of the line.
  void SetCaretPos(const TPoint& Value) override;
  void ClearSelection() override;
  void CopyToClipboard() override;

 private:
  TcxCustomInnerMemo* FInnerMemo;
};

// The platform multi-line edit inside a memo.
class TcxCustomInnerMemo : public TcxCustomInnerTextEdit {
  TL_CLASS(TcxCustomInnerMemo, TcxCustomInnerTextEdit)
 public:
  explicit TcxCustomInnerMemo(TComponent* AOwner);
  void BeforeDestruction() override;
  TcxCustomInnerMemoHelper* Helper() const { return FHelper; }
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
  TcxCustomInnerMemoHelper* FHelper = nullptr;
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
  // The inner memo through its interface; nil before it exists.
  IcxInnerMemo* InnerMemoIntf() const;
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
  // Whether Enter with Shift breaks the line. In place Ctrl swaps the roles: Enter breaks
  // lines when WantReturns is set and Ctrl+Enter then goes to the host, and the other way
  // round without WantReturns. Stand-alone it is WantsKey.
  bool IsEnterTyped(TShiftState Shift);
  // Characters MaxLength leaves for what replaces the selection; 2 (enough for a line
  // break) without a limit.
  Integer LineBreakRoom();
  // The library bars over the inner memo's own, in step with it.
  void UpdateScrollBars() override;

  TcxCustomEditPropertiesClass GetPropertiesClass() override;
  TMetaClass<TWinControl, TComponent*> GetInnerEditClass() const override;
  bool IsAutoSizeActive() const override { return false; }
  void DoEditKeyDown(Word& Key, TShiftState Shift) override;
  void DoEditKeyPress(Char& Key) override;
  void PropertiesChanged(TObject* Sender) override;
  void Initialize() override;
  // Enter breaks a line: it never starts in-place editing.
  bool CanKeyStartEdit(Char Key) override;
  void ChangeHandler(TObject* Sender) override;
  void SetInternalDisplayValue(const Variant& Value) override;

 protected:
  void ReadState(TReader& Reader) override;
  // Without CS_VREDRAW, and without CS_HREDRAW where lines do not rewrap with the width.
  void CreateParams(TCreateParams& Params) override;
  // A line scrolls the memo by one line; every other code goes to the inner memo as it is.
  void Scroll(TScrollBarKind AKind, TScrollCode AScrollCode, Integer& AScrollPos) override;
  // The memo's own window text keeps all its lines.
  void WndProc(TMessage& Message) override;

 private:
  void LinesChanged(TObject*);
  // A text the program wrote becomes the edit value, its change events fired once.
  void TakeEditValueFromText();
  // Lines handed out earlier follow the text, however it changed.
  void SyncLinesFromText();
  // The lines split from AText, unless they already are.
  void SyncLines(String AText);
  // Whether the lines are the text, known without reading it.
  bool LinesAreText();
  // The line (ATail: CR LF and the line, or the first line) added at the end of the text and
  // the edit value without copying either; false, nothing done, where it cannot be.
  bool AppendLine(const String& ATail);
  TcxMemoLines* FLines = nullptr;
  bool FSyncingLines = false;
  // The text the lines were last split from or written to: FLinesSplit when the lines are
  // that text split, FLinesJoined when it is the lines joined as well.
  String FLinesText;
  bool FLinesSplit = false;
  bool FLinesJoined = false;
  // FLinesText is the inner memo's text: every change since came through this memo.
  bool FLinesCurrent = false;
  // The class style the window was made with redraws on a change of width.
  bool FHRedraw = true;
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
