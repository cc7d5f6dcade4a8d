// A text editor's view: the text rectangle, the text to draw with its layout flags and
// selection colours, painted whenever the inner edit is not the one showing the text; and
// the text routines text editors share (char case, the inner edit's state, content size,
// thousand separators).
#pragma once

#include "classlib/visual/StdCtrls.h"
#include "widgets/editcore/cxEditTextUtils.h"
#include "widgets/editcore/cxEditViewData.h"

#include <vector>

TL_ENUM(TcxEditEditingStyle, esEdit, esEditList, esFixedList, esNoEdit);

// How a text editor reaches its inner edit control. The inner edit unit extends it.
class IcxInnerTextEdit : public IInterface {
 public:
  virtual TWinControl* GetControl() = 0;
  virtual String GetEditText() = 0;
  virtual Integer GetSelStart() = 0;
  virtual Integer GetSelLength() = 0;
};

struct TcxInnerEditState {
  bool WithText = false;
  String Text;
  Integer SelStart = 0;
  Integer SelLength = 0;
};
void cxSaveInnerEditState(IcxInnerTextEdit* AEdit, bool AWithText, TcxInnerEditState& AState);
// True when the control has no window, or the selection or (saved with text) the text differs,
// ignoring case.
bool cxIsInnerEditStateChanged(IcxInnerTextEdit* AEdit, const TcxInnerEditState& AState);
void cxApplyCharCase(String& S, TEditCharCase ACharCase);

// One laid-out line of a multi-line view: where it starts in the text, how long it is, where it goes.
struct TcxTextEditLine {
  Integer Start = 0;
  Integer Length = 0;
  TPoint Position{0, 0};
};

using TcxTextEditOwnerDrawEvent = TMethod<void(TObject* Sender, TcxCanvas& ACanvas, const TRect& R)>;

class TcxCustomTextEditViewInfo : public TcxCustomEditViewInfo {
  TL_CLASS(TcxCustomTextEditViewInfo, TcxCustomEditViewInfo)
 public:
  void InternalPaint(TcxCanvas& ACanvas) override;
  void Assign(TcxContainerViewInfo* Source) override;
  void Offset(Integer DX, Integer DY) override;
  // P relative to the view info; the text (and where it sits) when it does not fit its rectangle.
  bool GetHintTextInRect(const TPoint& P, TRect& ATextRect, bool& AIsMultiLine, String& AText) const override;
  // In the font and colour of the view: highlighted when the whole text is selected.
  virtual void DrawText(TcxCanvas& ACanvas);

  String Text;
  Cardinal DrawTextFlags = 0;
  TRect TextRect{};
  TcxEditEditingStyle EditingStyle = TcxEditEditingStyle::esEdit;
  bool IsSelected = false;
  bool InnerEditShowsText = false;
  bool IsPopupShown = false;
  Integer SelStart = 0;
  Integer SelLength = 0;
  TColor SelTextColor = clNone;
  TColor SelBackgroundColor = clNone;
  bool IsMultiLine = false;
  TRect LineRect{};
  std::vector<TcxTextEditLine> Lines;
  // Paints the text area instead of the text when assigned.
  TcxTextEditOwnerDrawEvent OnOwnerDraw;
  TObject* OwnerDrawSender = nullptr;
};

class TcxCustomTextEditViewData : public TcxCustomEditViewData {
  TL_CLASS(TcxCustomTextEditViewData, TcxCustomEditViewData)
 public:
  using TcxCustomEditViewData::TcxCustomEditViewData;

  void InitCacheData() override;
  void EditValueToDisplayText(const Variant& AEditValue, String& AText) override;
  TSize InternalGetEditContentSize(TcxCanvas& ACanvas, const Variant& AEditValue,
                                   const TcxEditSizeProperties& AEditSizeProperties) override;
  void Calculate(TcxCanvas& ACanvas, const TRect& ABounds, const TPoint& P, TcxMouseButton AButton,
                 TShiftState AShift, TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) override;

  // The view info's text from the value (empty when the value is hidden), then the selection colours.
  virtual void EditValueToDrawValue(TcxCanvas& ACanvas, const Variant& AEditValue, TcxCustomEditViewInfo* AViewInfo);
  // The editor's inner edit shows the text itself; False without an editor.
  virtual bool InnerEditShowsText() const;
  virtual Integer GetMaxLineCount() const { return MaxLineCount; }
  virtual void CalculateTextLayout(TcxCanvas& ACanvas, TcxCustomTextEditViewInfo* AViewInfo);
  virtual void DisplayValueToDrawValue(const Variant& AValue, TcxCustomTextEditViewInfo* AViewInfo);
  virtual Cardinal GetDrawTextFlags() const;
  virtual void GetTextRect(TRect& R) const;
  void SetSelectionColors(TcxCustomTextEditViewInfo* AViewInfo) const;
  // Vertical space the text keeps from the client area's edges.
  Integer GetVerticalTextMargins() const;

  Integer SelStart = 0;
  Integer SelLength = 0;
  TColor SelTextColor = clDefault;
  TColor SelBackgroundColor = clDefault;
  Integer MaxLineCount = 0;
  bool HideValue = false;
  bool IsProviderFormatting = false;
  TcxEditEditingStyle EditingStyle = TcxEditEditingStyle::esEdit;
  // Fixed-list and no-edit texts keep their top and bottom rows.
  bool NoInset = false;
  // The client rectangle of the last layout.
  TRect ClientRect{};
};

// The size AText needs in this view: lines × the height of "Zg" (at most the view's line
// count) within a width limit, else its own extent; grown by the inset and margins.
TSize cxCalcTextEditContentSize(TcxCanvas& ACanvas, TcxCustomTextEditViewData* AViewData, const String& AText,
                                const TcxEditSizeProperties& AEditSizeProperties);
// R enters as the client rectangle; fixed-list and no-edit views that are not in place inset it.
void cxCalcTextEditTextRect(const TcxCustomTextEditViewData* AViewData, TRect& R);
void cxDrawTextEditViewInfo(TcxCanvas& ACanvas, TcxCustomTextEditViewInfo& AViewInfo);
void cxDrawTextEditText(TcxCanvas& ACanvas, TcxCustomTextEditViewInfo& AViewInfo);

// ---- thousand separators ----

// From the first "E" (either case) to the end goes to AExponent; none: AExponent is empty.
void cxExtractExponent(String& S, String& AExponent);
// Without a usable separator (empty, #0, or the decimal separator itself) nothing changes.
void cxRemoveThousandSeparators(String& S);
// Groups the integer digits by three from the decimal separator, keeping blanks, a leading
// sign and the exponent where they are.
void cxAddThousandSeparators(String& S);
// Regrouping while typing: when AText regrouped is a number, it replaces AText and the
// caret (0-based) stays after the same number of non-separator characters. False, with
// nothing changed, for text that is not a number.
bool cxRegroupThousandSeparators(String& AText, Integer& ACaretPos);
