// An own-drawn calculator: 27 painter-drawn buttons over an extended-precision engine with
// one memory register, driven by mouse, keyboard and clipboard. It keeps no display of its
// own: the number is a text read and written through GetEditorValue / SetEditorValue, so a
// host (a drop-down edit, a test) supplies the display.
#pragma once

#include "classlib/visual/StdCtrls.h"
#include "widgets/editcore/cxEditProperties.h"
#include "widgets/foundation/cxControlBase.h"
#include "widgets/foundation/cxLookAndFeelPainters.h"

TL_ENUM(TcxCalcState, csFirst, csValid, csError);
TL_ENUM(TcxCalcButtonKind, cbBack, cbCancel, cbClear, cbMC, cbMR, cbMS, cbMP, cbNum0, cbNum1, cbNum2, cbNum3,
        cbNum4, cbNum5, cbNum6, cbNum7, cbNum8, cbNum9, cbSign, cbDecimal, cbDiv, cbMul, cbSub, cbAdd, cbSqrt,
        cbPercent, cbRev, cbEqual, cbNone);

using TcxCalcButtonClick = TMethod<void(TObject* Sender, TcxCalcButtonKind& ButtonKind)>;
using TcxCalcGetEditValue = TMethod<void(TObject* Sender, String& Value)>;
using TcxCalcSetEditValue = TMethod<void(TObject* Sender, const String& Value)>;
using TcxCalcHidePopupEvent = TMethod<void(TObject* Sender, TcxEditCloseUpReason AReason)>;

// The text the display shows after an error.
extern const TResStringRec scxSCalcError;

struct TcxCalcButton {
  TcxCalcButtonKind Kind = TcxCalcButtonKind::cbNone;
  String Text;
  TColor FontColor = clBlack;
  TRect Bounds{};
  bool Down = false;
  bool Grayed = false;
};

class TcxCustomCalculator : public TcxControl {
  TL_CLASS(TcxCustomCalculator, TcxControl)
 public:
  static constexpr Integer kButtonCount = 27;
  // The number of significant digits a double keeps through its decimal text.
  static constexpr Byte kMaxPrecision = 18;

  explicit TcxCustomCalculator(TComponent* AOwner);
  void AfterConstruction() override;

  // The engine: what a click on the button of that kind does.
  void ButtonClick(TcxCalcButtonKind Kind);
  // The display as a number; 0 in the error state and for a text that is not a number.
  long double GetDisplay();
  void SetDisplay(long double Value);
  void CopyToClipboard();
  void PasteFromClipboard();

  bool GetAutoFontSize() const { return FAutoFontSize; }
  void SetAutoFontSize(bool Value);
  bool GetBeepOnError() const { return FBeepOnError; }
  void SetBeepOnError(bool Value) { FBeepOnError = Value; }
  TBorderStyle GetBorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  bool GetShowFocusRect() const { return FShowFocusRect; }
  void SetShowFocusRect(bool Value);
  Byte GetPrecision() const { return FPrecision; }
  void SetPrecision(Byte Value);

  TcxCalcState GetState() const { return FState; }
  long double GetMemory() const { return FMemory; }
  const TcxCalcButton& Button(TcxCalcButtonKind Kind) const { return FButtons[size_t(Kind)]; }
  TcxCalcButtonKind GetButtonKindAt(Integer X, Integer Y) const;
  TcxCalcButtonKind GetHotButton() const { return FHotButton; }
  TcxCalcButtonKind GetCapturedButton() const { return FCapturedButton; }
  TcxCalcButtonKind GetKeyPressedButton() const { return FKeyPressedButton; }
  Integer GetButtonHeight() const { return FBtnHeight; }
  Integer GetButtonWidth() const { return FBtnWidth; }
  Integer GetFontSize() const { return FFontSize; }
  Integer GetCalcWidth() const { return FCalcWidth; }
  Integer GetCalcHeight() const { return FCalcHeight; }

  TcxCalcButtonClick OnButtonClick;
  TNotifyEvent OnDisplayChange;
  TNotifyEvent OnResult;
  TcxCalcHidePopupEvent OnHidePopup;

 protected:
  const TcxCustomLookAndFeelPainter* GetPainter() const override;
  virtual String GetEditorValue();
  virtual void SetEditorValue(const String& Value);
  virtual void HidePopup(TObject* Sender, TcxEditCloseUpReason AReason);

  bool HasScrollBars() const override { return false; }
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void Resize() override;
  void FocusChanged() override;
  void FontChanged() override;
  void MouseLeave(TControl* AControl) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void DoCancelMode() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(Char& Key) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  // The button a key holds down comes up again.
  void ReleaseKeyButton();
  // Nothing pending: the next digit starts a new number. Display and memory stay.
  void ResetOperation();

 private:
  void Layout();
  void CalcMetrics(Integer AClientWidth, Integer AClientHeight);
  void PlaceButtons();
  void UpdateSize();
  void UpdateMemoryButtons();
  void InvalidateButton(TcxCalcButtonKind Kind);
  TcxButtonState ButtonState(const TcxCalcButton& B);
  bool ReadDisplay(long double& Value);
  void StartNumber();
  void Error();
  void Beep();
  void PressKeyButton(TcxCalcButtonKind Kind);
  void StopTracking();
  TcxCalcButton& Btn(TcxCalcButtonKind Kind) { return FButtons[size_t(Kind)]; }

  bool FAutoFontSize = true;
  bool FBeepOnError = true;
  TBorderStyle FBorderStyle = TBorderStyle::bsNone;
  bool FShowFocusRect = true;
  Byte FPrecision = 15;
  TcxCalcState FState = TcxCalcState::csFirst;
  long double FMemory = 0;
  long double FOperand = 0;
  TcxCalcButtonKind FOperation = TcxCalcButtonKind::cbEqual;
  Integer FBtnHeight = 22, FBtnWidth = 28, FLargeBtnWidth = 47, FXSpace = 3, FYSpace = 3, FFontSize = 8;
  Integer FCalcWidth = 198, FCalcHeight = 131;
  TcxCalcButton FButtons[kButtonCount];
  TcxCalcButtonKind FHotButton = TcxCalcButtonKind::cbNone;
  TcxCalcButtonKind FCapturedButton = TcxCalcButtonKind::cbNone;
  TcxCalcButtonKind FKeyPressedButton = TcxCalcButtonKind::cbNone;
  bool FTracking = false;
  bool FResizing = false;
};
