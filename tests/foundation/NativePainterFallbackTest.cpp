// The native painter without a theme handle: every operation that has a themed path draws
// and measures exactly as the Standard painter, whichever way the theme is missing.
#include "tests/foundation/NativePainterFixture.h"

#include <functional>

namespace {

using BS = TcxButtonState;
using SP = TcxScrollBarPart;
using Draw = std::function<void(const TcxCustomLookAndFeelPainter&, TcxCanvas&)>;

constexpr BS kStates[5] = {BS::cxbsDefault, BS::cxbsNormal, BS::cxbsHot, BS::cxbsPressed, BS::cxbsDisabled};
constexpr TRect R{3, 3, 33, 21};

enum class Missing { StylesOff, LibraryAbsent, OpenFunctionAbsent };

class NativeFallback : public NativePainterTest, public ::testing::WithParamInterface<Missing> {
 protected:
  void SetUp() override {
    NativePainterTest::SetUp();
    switch (GetParam()) {
      case Missing::StylesOff:
        break;
      case Missing::LibraryAbsent:
        SetModuleHidden("UxTheme.dll", true);
        ThemeOn();
        break;
      case Missing::OpenFunctionAbsent:
        SetExportHidden("UxTheme.dll", "OpenThemeData", true);
        ThemeOn();
        break;
    }
    Start();
    cxOffice11SetUp();
  }

  // Draws with both painters on fresh paper; the first differing pixel, or empty.
  String Compare(const Draw& draw, bool& painted) {
    PaperCanvas native(40, 26), standard(40, 26);
    draw(Native(), native.Cx());
    draw(Standard(), standard.Cx());
    painted = standard.Painted();
    return native.DiffersFrom(standard);
  }
  void ExpectSame(const char* what, const Draw& draw, bool mustPaint = true) {
    bool painted = false;
    EXPECT_EQ(Compare(draw, painted), "") << what;
    if (mustPaint) {
      EXPECT_TRUE(painted) << what << ": the comparison saw a drawing";
    }
  }
};

TEST_P(NativeFallback, StateDependentDrawingMatchesStandard) {
  for (BS s : kStates) {
    SCOPED_TRACE(int(s));
    ExpectSame("scroll arrow", [&](auto& p, auto& c) { p.DrawScrollBarArrow(c, R, s, TcxArrowDirection::adLeft, true); });
    ExpectSame("plain button", [&](auto& p, auto& c) { p.DrawPlainButton(c, R, s); });
    ExpectSame("button", [&](auto& p, auto& c) { p.DrawButton(c, R, "Ok", s, true, clRed, clBlue); });
    ExpectSame("group expand", [&](auto& p, auto& c) { p.DrawGroupExpandButton(c, R, s == BS::cxbsHot, s); });
    ExpectSame("check", [&](auto& p, auto& c) { p.DrawCheck(c, R, s, true, clRed); });
    ExpectSame("radio on", [&](auto& p, auto& c) { p.DrawRadioButton(c, 2, 3, s, true, true, clWindow); });
    ExpectSame("header", [&](auto& p, auto& c) {
      p.DrawHeader(c, R, R, {}, cxBordersAll, s, TAlignment::taCenter, TcxAlignmentVert::vaCenter, false, false,
                   "Hd", nullptr, clBlack, clBtnFace, nullptr, true);
    });
    ExpectSame("tool button", [&](auto& p, auto& c) { p.DrawToolButton(c, R, s); }, false);
    for (bool horizontal : {false, true})
      for (SP part : {SP::sbpLineUp, SP::sbpLineDown, SP::sbpThumbnail, SP::sbpPageUp, SP::sbpPageDown})
        ExpectSame("scroll part", [&](auto& p, auto& c) { p.DrawScrollBarPart(c, horizontal, R, part, s); },
                   s != BS::cxbsDisabled);
  }
}

// The answers the family fixes and the drawing it borrows hold with a theme; without one
// the Standard painter answers and draws, whichever operation.
TEST_P(NativeFallback, FixedAnswersAndBorrowedDrawingHoldOnlyWithATheme) {
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    const bool themed = round == 1;
    ASSERT_EQ(cxOpenTheme(TdxThemedObjectType::totHeader) != nullptr, themed);
    auto same = [&](const TcxCustomLookAndFeelPainter& lender, const Draw& draw, const char* what) {
      PaperCanvas a(40, 26), b(40, 26);
      draw(Native(), a.Cx());
      draw(themed ? lender : Standard(), b.Cx());
      EXPECT_EQ(a.DiffersFrom(b), "") << what;
      EXPECT_TRUE(b.Painted()) << what;
    };
    same(*cxFlatPainter(), [](auto& p, auto& c) { p.DrawIndicatorItem(c, R, TcxIndicatorKind::ikArrow, clBtnFace); },
         "indicator");
    same(*cxUltraFlatPainter(), [](auto& p, auto& c) { p.DrawSortingMark(c, {5, 5, 14, 14}, true); }, "sorting mark");
    same(*cxCustomPainter(), [](auto& p, auto& c) { p.DrawArrow(c, R, TcxArrowDirection::adDown, clBlack); }, "arrow");
    EXPECT_EQ(Native().SortingMarkSize(), (themed ? *cxUltraFlatPainter() : Standard()).SortingMarkSize());
    if (!themed) {
      // Pressed cells are inverted, not left alone.
      same(Standard(), [](auto& p, auto& c) { p.DrawInvertedRect(c, R); }, "inverted rect");
      same(Standard(), [](auto& p, auto& c) {
        p.DrawButtonCell(c, R, BS::cxbsPressed, cxBordersAll, "Ce", nullptr, TAlignment::taCenter,
                         TcxAlignmentVert::vaCenter, clBlack, clBtnFace);
      }, "button cell");
      EXPECT_EQ(Native().ButtonCellBorderSize(BS::cxbsNormal), Standard().ButtonCellBorderSize(BS::cxbsNormal));
      EXPECT_EQ(Native().ButtonTextShift(), Standard().ButtonTextShift());
      EXPECT_EQ(Native().ButtonTextOffset(), Standard().ButtonTextOffset());
      EXPECT_EQ(Native().ButtonSize138(), Standard().ButtonSize138());
      EXPECT_EQ(Native().ExpandButtonOpaque(), Standard().ExpandButtonOpaque());
      EXPECT_EQ(Native().IsScrollBarHotTracked(), Standard().IsScrollBarHotTracked());
      EXPECT_EQ(Native().HeaderFlag(), Standard().HeaderFlag());
      EXPECT_EQ(Native().ButtonCellFlag(), Standard().ButtonCellFlag());
      EXPECT_EQ(Native().SunkenBoxFlag(), Standard().SunkenBoxFlag());
      EXPECT_EQ(Native().DefaultColor16(), Standard().DefaultColor16());
      EXPECT_EQ(Native().DefaultColor49(), Standard().DefaultColor49());
    } else {
      PaperCanvas paper(40, 26);
      Native().DrawInvertedRect(paper.Cx(), R);
      EXPECT_FALSE(paper.Painted()) << "a themed cell shows its pressed state itself";
      EXPECT_EQ(Native().ButtonTextShift(), 0);
      EXPECT_EQ(Native().DefaultColor16(), TColor(0x800000));
    }
    cxOffice11TearDown();
    Stop();
    SetModuleHidden("UxTheme.dll", false);
    SetExportHidden("UxTheme.dll", "OpenThemeData", false);
    ThemeOn();
    Start();
    cxOffice11SetUp();
  }
}

// A theme that opens but has no answer to a query: the answer is the Standard painter's,
// never zero or black.
TEST_F(NativePainterTest, ThemeQueriesWithoutAnAnswerFallBack) {
  SetExportHidden("UxTheme.dll", "GetThemePartSize", true);
  SetExportHidden("UxTheme.dll", "GetThemeBackgroundContentRect", true);
  SetExportHidden("UxTheme.dll", "GetThemeColor", true);
  ThemeOn();
  Start();
  cxOffice11SetUp();
  ASSERT_NE(cxOpenTheme(TdxThemedObjectType::totTreeview), nullptr);
  EXPECT_EQ(Native().ExpandButtonSize(), Standard().ExpandButtonSize());
  EXPECT_EQ(Native().GroupExpandButtonSize(), Standard().GroupExpandButtonSize());
  EXPECT_EQ(Native().CheckButtonSize(), Standard().CheckButtonSize());
  EXPECT_EQ(Native().CloseButtonSize(), Standard().CloseButtonSize());
  EXPECT_EQ(Native().AutoHideButtonSize(), Standard().AutoHideButtonSize());
  EXPECT_EQ(Native().HeaderBorderSize(), Standard().HeaderBorderSize());
  EXPECT_EQ(Native().ButtonBorderSize(BS::cxbsNormal), Standard().ButtonBorderSize(BS::cxbsNormal));
  EXPECT_EQ(Native().SunkenFrameWidth(), Standard().SunkenFrameWidth());
  EXPECT_EQ(Native().ButtonGroupBorderSizes(2, 0), Standard().ButtonGroupBorderSizes(2, 0));
  // The bar's colour: no black rows where the theme gave no colour.
  PaperCanvas native(40, 26), standard(40, 26);
  TcxPaintParams background{};
  background.Color = clWindow;
  Native().DrawBar(native.Cx(), R, true, background);
  Standard().DrawBar(standard.Cx(), R, true, background);
  EXPECT_EQ(native.DiffersFrom(standard), "");
}

INSTANTIATE_TEST_SUITE_P(Missing, NativeFallback,
                         ::testing::Values(Missing::StylesOff, Missing::LibraryAbsent, Missing::OpenFunctionAbsent));

}  // namespace
