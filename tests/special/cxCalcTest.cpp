#include <gtest/gtest.h>

#include "classlib/visual/Clipbrd.h"
#include "platform/gdi/FontEngine.h"
#include "platform/host/HeadlessHost.h"
#include "platform/user/User.h"
#include "platform/user/UserTesting.h"
#include "tests/support/AppTest.h"
#include "tests/support/MouseCrossingFreer.h"
#include "widgets/foundation/FoundationUnits.h"
#include "widgets/foundation/cxGraphics.h"
#include "widgets/special/cxCalc.h"

#include <sstream>

namespace {

using enum TcxCalcButtonKind;
using enum TcxCalcState;

// The display is a plain text the test reads and writes.
class TTestCalculator : public TcxCustomCalculator {
  TL_CLASS(TTestCalculator, TcxCustomCalculator)
 public:
  using TcxCustomCalculator::TcxCustomCalculator;
  using TcxCustomCalculator::HidePopup;
  String Text;
  const TcxCustomLookAndFeelPainter* Painter = nullptr;

 protected:
  String GetEditorValue() override { return Text; }
  void SetEditorValue(const String& Value) override { Text = Value; }
  const TcxCustomLookAndFeelPainter* GetPainter() const override {
    return Painter ? Painter : inherited::GetPainter();
  }
};
TL_DEFINE_CLASS(TTestCalculator)

class TCalcListener : public TObject {
  TL_CLASS(TCalcListener, TObject)
 public:
  int Results = 0, Changes = 0;
  void Result(TObject*) { ++Results; }
  void Change(TObject*) { ++Changes; }
  TObject* HideSender = nullptr;
  TcxEditCloseUpReason HideReason = TcxEditCloseUpReason::crNone;
  void Hide(TObject* Sender, TcxEditCloseUpReason R) { HideSender = Sender, HideReason = R; }
  void Swap(TObject*, TcxCalcButtonKind& K) {
    if (K == cbNum1) K = cbNum2;
  }
};
TL_DEFINE_CLASS(TCalcListener)

class cxCalcTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    WidgetsFoundationInitialize();
    form = TCustomForm::CreateNew(nullptr);
    form->SetBounds(20, 20, 500, 400);
    calc = New<TTestCalculator>(form);
    calc->SetParent(form);
    calc->GetFont()->SetName(kTestFaceName);
    form->Show();
    Pump();
  }
  void TearDown() override {
    form->Free();
    listener.reset();
    WidgetsFoundationFinalize();
    AppTest::TearDown();
  }
  // Clicks the buttons named by their captions, separated by spaces.
  String Run(const String& Keys) {
    std::istringstream in(Keys);
    String token;
    while (in >> token) {
      TcxCalcButtonKind kind = cbNone;
      for (int i = 0; i < TcxCustomCalculator::kButtonCount; ++i)
        if (calc->Button(TcxCalcButtonKind(i)).Text == token) kind = TcxCalcButtonKind(i);
      EXPECT_NE(kind, cbNone) << token;
      calc->ButtonClick(kind);
    }
    return calc->Text;
  }
  size_t Beeps() { return UserBeeps().size(); }
  TPoint Centre(TcxCalcButtonKind K) {
    const TRect& R = calc->Button(K).Bounds;
    return {(R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2};
  }
  HWND Wnd() { return calc->Handle(); }

  TForm* form = nullptr;
  TTestCalculator* calc = nullptr;
  Owned<TCalcListener> listener{New<TCalcListener>()};
};

TEST_F(cxCalcTest, ChainsComputeLeftToRightAndRepeatedEqualsRecomputesNothing) {
  EXPECT_EQ(Run("1 + 2 ="), "3");
  EXPECT_EQ(Run("="), "3");
  EXPECT_EQ(Run("C 2 + 3 * 4 ="), "20");
  EXPECT_EQ(Run("C 1 0 - 4 / 4 ="), "1.5");
  // An operator after an operator only replaces the pending one.
  EXPECT_EQ(Run("C 6 + * 7 ="), "42");
  EXPECT_EQ(Run("C 1 . 5 . 2 + 1 ="), "2.52");
}

TEST_F(cxCalcTest, PercentTakesItsShapeFromThePendingOperation) {
  EXPECT_EQ(Run("5 0 + 1 0 %"), "55");
  EXPECT_EQ(Run("C 5 0 - 1 0 %"), "45");
  EXPECT_EQ(Run("C 2 0 0 * 5 %"), "10");
  EXPECT_EQ(Run("C 3 / 5 0 %"), "6");
  EXPECT_EQ(Run("C 8 %"), "8");  // nothing pending: nothing computed
}

TEST_F(cxCalcTest, MemoryKeysAndTheGrayedButtons) {
  EXPECT_TRUE(calc->Button(cbMC).Grayed);
  EXPECT_TRUE(calc->Button(cbMR).Grayed);
  Run("0 MS");
  EXPECT_TRUE(calc->Button(cbMR).Grayed);
  Run("5 MS 3 M+");
  EXPECT_EQ(calc->GetMemory(), 8);
  EXPECT_FALSE(calc->Button(cbMC).Grayed);
  EXPECT_FALSE(calc->Button(cbMR).Grayed);
  EXPECT_EQ(Run("C MR"), "8");
  EXPECT_EQ(calc->GetState(), csValid);
  EXPECT_EQ(Run("2"), "82");  // a recalled number is typed on
  Run("MC");
  EXPECT_EQ(calc->GetMemory(), 0);
  EXPECT_TRUE(calc->Button(cbMC).Grayed);
}

TEST_F(cxCalcTest, SignBackAndTheTwoClearKeys) {
  EXPECT_EQ(Run("5 +/-"), "-5");
  EXPECT_EQ(Run("Back"), "0");
  EXPECT_EQ(Run("Back"), "0");
  EXPECT_EQ(Run("C 1 2 Back"), "1");
  // CE and C both drop the pending operation and keep memory and state apart from it.
  Run("C 4 MS 5 + 3 CE");
  EXPECT_EQ(calc->Text, "0");
  EXPECT_EQ(Run("2 ="), "2");
  Run("7 + 1 C");
  EXPECT_EQ(Run("2 ="), "2");
  EXPECT_EQ(calc->GetMemory(), 4);
}

TEST_F(cxCalcTest, ErrorsRepeatUntilClearedAndBeep) {
  const size_t before = Beeps();
  EXPECT_EQ(Run("8 / 0 ="), "Error");
  EXPECT_EQ(calc->GetState(), csError);
  EXPECT_EQ(Run("5"), "Error");
  EXPECT_EQ(Beeps(), before + 2);
  EXPECT_EQ(calc->GetDisplay(), 0);
  EXPECT_EQ(Run("C"), "0");
  EXPECT_EQ(calc->GetState(), csFirst);
  EXPECT_EQ(Run("9 +/- sqrt"), "Error");
  EXPECT_EQ(Run("CE 0 1/x"), "Error");
  EXPECT_EQ(Run("CE 4 1/x"), "0.25");
  calc->SetBeepOnError(false);
  Run("0 1/x");
  EXPECT_EQ(Beeps(), before + 4);
}

TEST_F(cxCalcTest, SqrtAndReciprocalKeepATwoOperandOperationOpen) {
  EXPECT_EQ(Run("9 + 1 6 sqrt"), "4");
  EXPECT_EQ(calc->GetState(), csValid);
  EXPECT_EQ(Run("="), "13");
  EXPECT_EQ(Run("C 1 6 sqrt"), "4");
  EXPECT_EQ(calc->GetState(), csFirst);
}

TEST_F(cxCalcTest, ResultsThatNoNumberHoldsAndForeignTextsBecomeErrors) {
  Clipboard->SetAsText("1E300");
  calc->PasteFromClipboard();
  Run("*");
  calc->PasteFromClipboard();
  EXPECT_EQ(Run("="), "Error");
  // A host text that is not a number stops the engine instead of raising.
  Run("C 5");
  calc->Text = "12abc";
  EXPECT_EQ(calc->GetDisplay(), 0);
  EXPECT_EQ(Run("+"), "Error");
  EXPECT_EQ(calc->GetState(), csError);
  EXPECT_EQ(Run("C 3 + 4 ="), "7");
}

TEST_F(cxCalcTest, DigitsStopAtThePrecisionAndResultsAreRoundedToIt) {
  calc->SetPrecision(3);
  const size_t before = Beeps();
  EXPECT_EQ(Run("1 2 3 4"), "123");
  EXPECT_EQ(Beeps(), before + 1);
  EXPECT_EQ(Run("C 1 2 +/- 3"), "-123");  // the sign is not a digit
  EXPECT_EQ(Run("4"), "-123");
  calc->SetPrecision(4);
  EXPECT_EQ(Run("C 2 / 3 ="), "0.6667");
  EXPECT_EQ(Run("C 9 9 9 9 * 9 9 9 9 ="), "9.998E7");
  calc->SetPrecision(0);  // never fewer than two digits
  EXPECT_EQ(Run("C 2 / 3 ="), "0.67");
  calc->SetPrecision(40);
  EXPECT_EQ(calc->GetPrecision(), TcxCustomCalculator::kMaxPrecision);
  calc->SetPrecision(15);
  EXPECT_EQ(Run("C 2 / 3 ="), "0.666666666666667");
}

TEST_F(cxCalcTest, TheLocaleSeparatorsShapeInputAndOutput) {
  const TFormatSettings saved = FormatSettings;
  FormatSettings.DecimalSeparator = ',';
  FormatSettings.ThousandSeparator = '.';
  calc->SetBounds(0, 0, 300, 200);  // the decimal caption is taken at layout
  EXPECT_EQ(calc->Button(cbDecimal).Text, ",");
  EXPECT_EQ(Run("1 , 5 + 1 ="), "2,5");
  Run("C 1");
  calc->Text = " 1.234,5 ";
  EXPECT_EQ(calc->GetDisplay(), 1234.5);
  FormatSettings = saved;
}

TEST_F(cxCalcTest, EventsFireWhereTheyShould) {
  calc->OnResult = TNotifyEvent(listener.get(), &TCalcListener::Result);
  calc->OnDisplayChange = TNotifyEvent(listener.get(), &TCalcListener::Change);
  calc->OnButtonClick = TcxCalcButtonClick(listener.get(), &TCalcListener::Swap);
  EXPECT_EQ(Run("1 1"), "22");  // the handler may change the button
  Run("+ 3");                    // typing is not a display change through SetDisplay
  EXPECT_EQ(listener->Changes, 0);
  EXPECT_EQ(Run("="), "25");
  EXPECT_EQ(listener->Changes, 1);
  EXPECT_EQ(Run("+ 4 %"), "26");
  EXPECT_EQ(listener->Results, 2);
  calc->OnHidePopup = TcxCalcHidePopupEvent(listener.get(), &TCalcListener::Hide);
  calc->HidePopup(form, TcxEditCloseUpReason::crEnter);
  EXPECT_EQ(listener->HideSender, calc);
  EXPECT_EQ(listener->HideReason, TcxEditCloseUpReason::crEnter);
}

TEST_F(cxCalcTest, BorderStyleChoosesTheWindowFrame) {
  auto Styles = [&] { return std::pair(GetWindowLongA(Wnd(), GWL_STYLE), GetWindowLongA(Wnd(), GWL_EXSTYLE)); };
  EXPECT_FALSE(Styles().second & WS_EX_CLIENTEDGE);
  EXPECT_TRUE(Styles().first & WS_TABSTOP);
  calc->SetBorderStyle(TBorderStyle::bsSingle);
  EXPECT_TRUE(Styles().second & WS_EX_CLIENTEDGE);
  calc->SetCtl3D(false);
  calc->SetBorderStyle(TBorderStyle::bsNone);
  calc->SetBorderStyle(TBorderStyle::bsSingle);
  EXPECT_FALSE(Styles().second & WS_EX_CLIENTEDGE);
  EXPECT_TRUE(Styles().first & WS_BORDER);
}

TEST_F(cxCalcTest, KeysAndCharactersPressTheirButtons) {
  calc->SetFocus();
  Pump();
  host().Char('1');
  Pump();
  EXPECT_TRUE(calc->Button(cbNum1).Down);
  host().Char('+');
  Pump();
  EXPECT_FALSE(calc->Button(cbNum1).Down);
  EXPECT_EQ(calc->GetKeyPressedButton(), cbAdd);
  host().Char('2');
  host().Key(VK_RETURN);
  Pump();
  EXPECT_EQ(calc->Text, "3");
  EXPECT_EQ(calc->GetKeyPressedButton(), cbNone);
  EXPECT_FALSE(calc->Button(cbEqual).Down);

  // A held key acts once, except Back, which repeats.
  host().Key(VK_ESCAPE);
  host().Char('4');
  host().Char('4');
  host().Char('5');
  host().Char('6');
  Pump();
  EXPECT_EQ(calc->Text, "456");
  host().Char(8);
  host().Char(8);
  Pump();
  EXPECT_EQ(calc->Text, "4");

  struct Case {
    int Vk;
    bool Ctrl;
    Byte Ch;
    const char* Text;
  };
  const Case cases[] = {
      {VK_F9, false, 0, "-4"}, {'R', false, 0, "0.25"}, {0, false, '@', "2"}, {0, false, ',', "4."},
      {VK_ESCAPE, false, 0, "0"}, {VK_DELETE, false, 0, "0"}, {'C', false, 0, "0"}, {0, false, '/', "4"},
  };
  for (const Case& c : cases) {
    Run("C 4");
    if (c.Ch) {
      host().Char(c.Ch);
      host().KeyUp(VK_SHIFT);  // a key up releases the pressed button
    } else {
      host().Key(c.Vk);
    }
    Pump();
    EXPECT_EQ(calc->Text, String(c.Text)) << c.Vk << " " << int(c.Ch);
  }

  host().KeyDown(VK_CONTROL);
  Run("C 4");
  host().Key('M');
  host().Key('P');
  Pump();
  EXPECT_EQ(calc->GetMemory(), 8);
  Run("C");
  host().Key('R');
  Pump();
  EXPECT_EQ(calc->Text, "8");
  host().Key('L');
  host().Key('C');  // Ctrl+C copies, it does not clear
  Pump();
  EXPECT_EQ(calc->GetMemory(), 0);
  EXPECT_EQ(calc->Text, "8");
  EXPECT_EQ(Clipboard->GetAsText(), "8");
  host().KeyUp(VK_CONTROL);
}

TEST_F(cxCalcTest, PasteDropsTheCurrencyStringAndShowsZeroForText) {
  calc->SetFocus();
  Pump();
  Clipboard->SetAsText(" $12.5 ");
  host().KeyDown(VK_CONTROL);
  host().Key('V');
  host().KeyUp(VK_CONTROL);
  Pump();
  EXPECT_EQ(calc->Text, "12.5");
  EXPECT_EQ(calc->GetState(), csValid);
  EXPECT_EQ(Run("+ 1 ="), "13.5");
  Clipboard->SetAsText("twelve");
  calc->PasteFromClipboard();
  EXPECT_EQ(calc->Text, "0");
  EXPECT_EQ(calc->GetState(), csFirst);
}

TEST_F(cxCalcTest, MouseCapturesPressesAndHotTracks) {
  const TPoint p7 = Centre(cbNum7), p8 = Centre(cbNum8);
  host().MouseDown(Wnd(), p7.X, p7.Y);
  Pump();
  EXPECT_EQ(calc->GetCapturedButton(), cbNum7);
  EXPECT_TRUE(calc->Button(cbNum7).Down);
  host().MouseMove(Wnd(), p8.X, p8.Y);
  Pump();
  EXPECT_FALSE(calc->Button(cbNum7).Down);
  EXPECT_FALSE(calc->Button(cbNum8).Down);
  host().MouseMove(Wnd(), p7.X, p7.Y);
  Pump();
  EXPECT_TRUE(calc->Button(cbNum7).Down);
  host().MouseUp(Wnd(), p7.X, p7.Y);
  Pump();
  EXPECT_EQ(calc->Text, "7");
  EXPECT_EQ(calc->GetCapturedButton(), cbNone);
  // Released elsewhere: no click.
  host().MouseDown(Wnd(), p8.X, p8.Y);
  host().MouseUp(Wnd(), p7.X, p7.Y);
  Pump();
  EXPECT_EQ(calc->Text, "7");
  // A grayed button ignores the mouse.
  const TPoint mr = Centre(cbMR);
  host().Click(Wnd(), mr.X, mr.Y);
  Pump();
  EXPECT_EQ(calc->GetCapturedButton(), cbNone);
  EXPECT_EQ(calc->Text, "7");

  // Hot tracking only with a painter that shows hot buttons.
  host().MouseMove(Wnd(), p8.X, p8.Y);
  Pump();
  EXPECT_EQ(calc->GetHotButton(), cbNone);
  calc->Painter = cxUltraFlatPainter();
  host().MouseMove(Wnd(), p7.X, p7.Y);
  Pump();
  EXPECT_EQ(calc->GetHotButton(), cbNum7);
  host().MouseMove(Wnd(), 1, 1);
  Pump();
  EXPECT_EQ(calc->GetHotButton(), cbNone);
  host().MouseMove(Wnd(), p8.X, p8.Y);
  Pump();
  ASSERT_EQ(calc->GetHotButton(), cbNum8);
  host().MouseMove(form->Handle(), 450, 300);  // leaving the control clears the hot button
  Pump();
  EXPECT_EQ(calc->GetHotButton(), cbNone);
}

TEST_F(cxCalcTest, LayoutFollowsTheClientSize) {
  // The default 198 x 131 client fits 23-pixel buttons best (5 * 23 + 6 * 3 = 133 is nearer
  // 131 than 128), and the control takes the size they need.
  EXPECT_EQ(calc->GetButtonHeight(), 23);
  EXPECT_EQ(calc->GetButtonWidth(), 29);
  EXPECT_EQ(calc->GetFontSize(), 8);
  EXPECT_EQ(calc->GetWidth(), 202);
  EXPECT_EQ(calc->GetHeight(), 133);
  EXPECT_EQ(calc->Button(cbMC).Bounds, (TRect{3, 29, 32, 52}));
  EXPECT_EQ(calc->Button(cbEqual).Bounds, (TRect{170, 107, 199, 130}));

  calc->SetBounds(0, 0, 400, 265);
  EXPECT_EQ(calc->GetButtonHeight(), 46);
  EXPECT_EQ(calc->GetButtonWidth(), 59);
  EXPECT_EQ(calc->GetFontSize(), 17);
  EXPECT_EQ(calc->GetWidth(), 406);
  EXPECT_EQ(calc->GetHeight(), 266);
  EXPECT_EQ(calc->Button(cbEqual).Bounds, (TRect{341, 214, 400, 260}));
  EXPECT_EQ(calc->Button(cbClear).Bounds, (TRect{300, 6, 400, 52}));
  EXPECT_EQ(calc->Button(cbCancel).Bounds, (TRect{194, 6, 294, 52}));
  EXPECT_EQ(calc->Button(cbMC).Bounds, (TRect{6, 58, 65, 104}));
  EXPECT_EQ(calc->Button(cbNum7).Bounds, (TRect{81, 58, 140, 104}));
  calc->Invalidate();
  Pump();
  EXPECT_EQ(calc->GetCanvas()->GetFont()->GetSize(), 17);  // painted bold from size 10 up
  EXPECT_TRUE(calc->GetCanvas()->GetFont()->GetStyle().Contains(TFontStyle::fsBold));

  // A resize keeps the engine and its memory.
  Run("5 MS 3 +");
  calc->SetBounds(0, 0, 198, 131);
  EXPECT_EQ(calc->GetMemory(), 5);
  EXPECT_EQ(Run("4 ="), "7");

  // Without the automatic size the buttons follow the font.
  calc->SetAutoFontSize(false);
  Owned<TcxScreenCanvas> screen(New<TcxScreenCanvas>());
  const Integer h = 2 * screen->FontHeight(calc->GetFont());
  EXPECT_EQ(calc->GetButtonHeight(), h);
  calc->GetFont()->SetSize(calc->GetFont()->GetSize() * 2);
  EXPECT_GT(calc->GetButtonHeight(), h);
  EXPECT_FALSE(calc->GetParentFont());
}

class cxCalcPaintTest : public cxCalcTest {
 protected:
  TColor Px(Integer x, Integer y) {
    const Pixel p = host().PixelAt(Wnd(), x, y);
    return TColor(((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF));
  }
  bool Holds(TcxCalcButtonKind K, TColor c) {
    const TRect& R = calc->Button(K).Bounds;
    for (Integer y = R.Top; y < R.Bottom; ++y)
      for (Integer x = R.Left; x < R.Right; ++x)
        if (Px(x, y) == TColor(ColorToRGB(c))) return true;
    return false;
  }
  // A face pixel: inside the border, in a corner the caption does not reach.
  TColor Face(TcxCalcButtonKind K) {
    const TRect& R = calc->Button(K).Bounds;
    return Px(R.Left + 3, R.Top + 3);
  }
  TColor Expected(const TcxCustomLookAndFeelPainter* P, TcxButtonState S) { return TColor(ColorToRGB(P->ButtonColor(S))); }
};

TEST_F(cxCalcPaintTest, ButtonsInTwoLooks) {
  using enum TcxButtonState;
  for (const TcxCustomLookAndFeelPainter* P : {cxStandardPainter(), cxUltraFlatPainter()}) {
    calc->Painter = P == cxStandardPainter() ? nullptr : P;
    calc->Invalidate();
    Pump();
    EXPECT_EQ(Face(cbNum7), Expected(P, cxbsNormal));
    EXPECT_TRUE(Holds(cbNum7, clBlue));
    EXPECT_TRUE(Holds(cbDiv, clRed));
    EXPECT_FALSE(Holds(cbMC, clRed));  // grayed: drawn disabled
    EXPECT_EQ(Px(1, 1), TColor(ColorToRGB(clBtnFace)));
    const TPoint p = Centre(cbNum8);
    host().MouseDown(Wnd(), p.X, p.Y);
    Pump();
    EXPECT_EQ(Face(cbNum8), Expected(P, cxbsPressed));
    host().MouseUp(Wnd(), p.X, p.Y);
    Pump();
  }
  EXPECT_NE(Expected(cxStandardPainter(), cxbsPressed), Expected(cxUltraFlatPainter(), cxbsPressed));
}

TEST_F(cxCalcPaintTest, FocusRectangleSitsInsideEquals) {
  const TRect& R = calc->Button(cbEqual).Bounds;
  auto Row = [&] {
    std::vector<TColor> row;
    for (Integer x = R.Left + 3; x < R.Right - 3; ++x) row.push_back(Px(x, R.Top + 3));
    return row;
  };
  const std::vector<TColor> unfocused = Row();
  calc->SetFocus();
  Pump();
  EXPECT_NE(Row(), unfocused);
  calc->SetShowFocusRect(false);
  Pump();
  // Focused without the rectangle, '=' is still the default button, which may draw differently.
  const std::vector<TColor> plain = Row();
  calc->SetShowFocusRect(true);
  Pump();
  EXPECT_NE(Row(), plain);
}

// The calculator repaints its hot button after its OnMouseLeave: a handler freeing the
// calculator ends that.
TEST_F(cxCalcTest, AnOnMouseEnterOrLeaveHandlerMayFreeTheCalculator) {
  for (const bool entering : {true, false}) {
    SCOPED_TRACE(entering ? "entering" : "leaving");
    auto* c = New<TTestCalculator>(form);
    c->SetParent(form);
    c->SetBounds(200, 10, 200, 200);
    Pump();
    ExpectFreedAsTheMouseCrossesIt(host(), form, c, TPoint{450, 300}, entering);
  }
}

}  // namespace
