// The native painter with visual styles on: which theme part and state each operation
// draws, where, and what the themed measurements answer.
#include "widgets/foundation/FoundationUnits.h"
#include "tests/foundation/NativePainterFixture.h"
#include "widgets/foundation/cxLookAndFeels.h"


namespace {

using BS = TcxButtonState;
using AD = TcxArrowDirection;
using Calls = std::vector<ThemeCall>;

constexpr BS kStates[5] = {BS::cxbsDefault, BS::cxbsNormal, BS::cxbsHot, BS::cxbsPressed, BS::cxbsDisabled};
constexpr TRect R{4, 4, 28, 20};

ThemeCall Back(const char* cls, int part, int state, TRect r = R) { return {"DrawThemeBackground", cls, part, state, r}; }
ThemeCall Text(const char* cls, int part, int state, TRect r = R) { return {"DrawThemeText", cls, part, state, r}; }

String Show(const Calls& calls) {
  String s;
  for (const ThemeCall& c : calls)
    s += c.function + " " + c.className + " " + std::to_string(c.part) + "/" + std::to_string(c.state) + " (" +
         std::to_string(c.rect.Left) + "," + std::to_string(c.rect.Top) + "," + std::to_string(c.rect.Right) + "," +
         std::to_string(c.rect.Bottom) + ")\n";
  return s;
}

class NativeThemed : public NativePainterTest {
 protected:
  void SetUp() override {
    NativePainterTest::SetUp();
    Restart(u"NormalColor");
  }
  // Visual styles on in the colour variant, with the Office11 scheme detected for it.
  void Restart(const char16_t* color) {
    if (started) {
      cxOffice11TearDown();
      Stop();
    }
    ThemeOn(color);
    Start();
    cxOffice11SetUp();
    started = true;
  }
  bool started = false;
  void Expect(const Calls& actual, const Calls& expected, const char* what) {
    EXPECT_EQ(Show(actual), Show(expected)) << what;
  }
};

TEST_F(NativeThemed, ButtonFamilyStatesFollowTheTables) {
  PaperCanvas c(40, 30);
  const int push[5] = {5, 1, 2, 3, 4};
  const int unchecked[5] = {1, 1, 2, 3, 4};
  const int checked[5] = {5, 5, 6, 7, 8};
  const int tool[5] = {2, 2, 5, 3, 4};
  const int group[5] = {6, 1, 2, 3, 1};
  for (int i = 0; i < 5; ++i) {
    const BS s = kStates[i];
    SCOPED_TRACE(i);
    Expect(Record([&] { Native().DrawPlainButton(c.Cx(), R, s); }), {Back("Button", 1, push[i])}, "plain button");
    Expect(Record([&] { Native().DrawCheck(c.Cx(), R, s, false, clRed); }), {Back("Button", 3, unchecked[i])},
           "check off");
    Expect(Record([&] { Native().DrawCheck(c.Cx(), R, s, true, clRed); }), {Back("Button", 3, checked[i])},
           "check on");
    Expect(Record([&] { Native().DrawToolButton(c.Cx(), R, s); }), {Back("ToolBar", 1, tool[i])}, "tool button");
    Expect(Record([&] { Native().DrawGroupExpandButton(c.Cx(), R, true, s); }), {Back("ExplorerBar", 6, group[i])},
           "group expanded");
    Expect(Record([&] { Native().DrawButton(c.Cx(), R, "Ok", s, true, clRed, clBlue); }),
           {Back("Button", 1, push[i]), Text("Button", 1, push[i])}, "button with caption");
  }
}

TEST_F(NativeThemed, HeadersPickTheRightEndPartOnlyOnBlueAndOlive) {
  PaperCanvas c(40, 30);
  const int header[5] = {1, 1, 2, 3, 1};
  const TRect text{6, 5, 26, 19};
  for (int i = 0; i < 5; ++i) {
    const BS s = kStates[i];
    SCOPED_TRACE(i);
    const TRect t = s == BS::cxbsPressed ? TRect{7, 6, 27, 20} : text;
    Expect(Record([&] {
             Native().DrawHeader(c.Cx(), R, text, {}, cxBordersAll, s, TAlignment::taLeftJustify,
                                 TcxAlignmentVert::vaCenter, false, false, "Name", nullptr, clBlack, clWindow);
           }),
           {Back("Header", 1, header[i]), Text("Header", 1, header[i], t)}, "section");
    const int lastPart = header[i] == 1 ? 3 : 1;
    Expect(Record([&] {
             Native().DrawHeader(c.Cx(), R, text, {}, cxBordersAll, s, TAlignment::taLeftJustify,
                                 TcxAlignmentVert::vaCenter, false, false, "Name", nullptr, clBlack, clWindow, nullptr,
                                 true);
           }),
           {Back("Header", lastPart, header[i]), Text("Header", lastPart, header[i], t)}, "last section");
  }
  Expect(Record([&] {
           Native().DrawButtonCell(c.Cx(), R, BS::cxbsPressed, cxBordersAll, "Cell", nullptr, TAlignment::taCenter,
                                   TcxAlignmentVert::vaCenter, clBlack, clWindow);
         }),
         {Back("Header", 1, 3), Text("Header", 1, 3, {5, 5, 29, 21})}, "button cell: pressed, no inversion");
  Expect(Record([&] {
           Native().DrawHeaderWithArrows(c.Cx(), R, "Col", {TcxNeighbor::nLeft}, {}, TcxHeaderArrows::haBoth, 4);
         }),
         {Back("Header", 3, 1), Text("Header", 3, 1)}, "arrows: no right neighbour makes the last section");
}

TEST_F(NativeThemed, MetallicLastSectionKeepsTheItemPart) {
  Restart(u"Metallic");
  PaperCanvas c(40, 30);
  Expect(Record([&] {
           Native().DrawHeader(c.Cx(), R, R, {}, cxBordersAll, BS::cxbsNormal, TAlignment::taLeftJustify,
                               TcxAlignmentVert::vaCenter, false, false, "", nullptr, clBlack, clWindow, nullptr, true);
         }),
         {Back("Header", 1, 1)}, "silver");
  Restart(u"HomeStead");
  Expect(Record([&] {
           Native().DrawHeader(c.Cx(), R, R, {}, cxBordersAll, BS::cxbsNormal, TAlignment::taLeftJustify,
                               TcxAlignmentVert::vaCenter, false, false, "", nullptr, clBlack, clWindow, nullptr, true);
         }),
         {Back("Header", 3, 1)}, "olive");
}

TEST_F(NativeThemed, FramesBoxesTreesAndTabs) {
  PaperCanvas c(60, 40);
  Expect(Record([&] { Native().DrawBorder(c.Cx(), R); }), {Back("ListView", 5, 0)}, "border");
  Expect(Record([&] { Native().DrawRaisedFrame(c.Cx(), R); }), {{"DrawThemeEdge", "Edit", 0, 0, R}}, "raised frame");
  Expect(Record([&] { Native().DrawExpandButton(c.Cx(), R, true); }), {Back("TreeView", 2, 2)}, "expanded");
  Expect(Record([&] {
           Native().DrawSunkenBox(c.Cx(), R, TAlignment::taCenter, TcxAlignmentVert::vaCenter, false, "7", nullptr,
                                  clBlack, clWindow);
         }),
         {Back("TrackBar", 1, 1), Text("TrackBar", 1, 1, Native().SunkenBoxTextBounds(R))}, "sunken box");
  // The pane's insets are 2, 2, 4, 4: its far edges are pushed outside the given rect.
  Expect(Record([&] { Native().DrawTabsRoot(c.Cx(), R, cxBordersAll, true); }),
         {Back("Tab", 9, 0, {4, 4, 38, 22})}, "tabs root, flag set");
  Expect(Record([&] { Native().DrawTabsRoot(c.Cx(), R, cxBordersAll, false); }),
         {Back("Tab", 9, 0, {4, 4, 30, 30})}, "tabs root, flag clear");
  c.Surf().Fill(PixelFromColor(PaperCanvas::kPaper));
  Native().DrawCheckBorder(c.Cx(), R, BS::cxbsNormal);
  Native().DrawTabBorder(c.Cx(), R, TcxBorder::bLeft, cxBordersAll, false);
  Native().DrawInvertedRect(c.Cx(), R);
  EXPECT_FALSE(c.Painted()) << "these draw nothing while themed";
}

TEST_F(NativeThemed, BorderClipLeavesTheInsideAlone) {
  PaperCanvas c(40, 30);
  Native().DrawBorder(c.Cx(), R);
  EXPECT_NE(c.Px(R.Left, R.Top), PaperCanvas::kPaper);
  EXPECT_EQ(c.Px(R.Left + 1, R.Top + 1), PaperCanvas::kPaper) << "only the one-pixel frame is drawn";
  // The clip region is restored: a later fill reaches the inside.
  c.Cx().SetBrushColor(clRed);
  c.Cx().FillRect(R);
  EXPECT_EQ(c.Px(15, 12), ColorToRGB(clRed));
}

TEST_F(NativeThemed, ExpandButtonExcludesItsRectFromLaterDrawing) {
  PaperCanvas c(40, 30);
  Native().DrawExpandButton(c.Cx(), {2, 2, 11, 11}, true);
  const COLORREF inside = c.Px(6, 6);
  c.Cx().SetBrushColor(clRed);
  c.Cx().FillRect({0, 0, 40, 30});
  EXPECT_EQ(c.Px(6, 6), inside);
  EXPECT_EQ(c.Px(20, 20), ColorToRGB(clRed));
}

TEST_F(NativeThemed, CheckButtonHandsTheWholeRectToTheThemedBox) {
  PaperCanvas c(40, 30);
  Expect(Record([&] { Native().DrawCheckButton(c.Cx(), R, BS::cxbsHot, true); }), {Back("Button", 3, 6)},
         "no border is taken off");
}

TEST_F(NativeThemed, RegisteredAndChosenForANativeLookAndFeel) {
  WidgetsFoundationInitialize();
  struct Stop {
    ~Stop() { WidgetsFoundationFinalize(); }
  } stop;
  ASSERT_EQ(cxWinXPPainter(), cxNativePainter());
  Owned<TcxLookAndFeel> lf(New<TcxLookAndFeel>(nullptr));
  lf->SetNativeStyle(true);
  EXPECT_EQ(lf->GetAvailablePainter(TdxThemedObjectType::totButton), cxNativePainter());
  lf->SetNativeStyle(false);
  EXPECT_NE(lf->GetAvailablePainter(TdxThemedObjectType::totButton), cxNativePainter());
}

}  // namespace
