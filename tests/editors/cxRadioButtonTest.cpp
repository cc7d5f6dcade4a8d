// The library's radio button on a headless dialog: buttons beside each other unchecking one
// another by click, Space, arrow keys and accelerator with one click each; the glyph's state
// following the mouse; the glyph painted by each look in each state, placed by the
// alignment; a gallery of its looks.
#include "classlib/visual/Forms.h"
#include "platform/gdi/Codecs.h"
#include "platform/host/HeadlessHost.h"
#include "platform/user/User.h"
#include "tests/editors/EditorsTestSupport.h"
#include "tests/foundation/GalleryFile.h"
#include "tests/foundation/NativePainterFixture.h"
#include "widgets/editors/cxRadioGroup.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using RS = TcxRadioButtonState;
using K = TcxLookAndFeelKind;

class TRadioLog : public TObject {
 public:
  void Clicked(TObject* Sender) { Log += (Log.empty() ? "" : ",") + dynamic_cast<TComponent*>(Sender)->GetName(); }
  String Take() {
    String s = Log;
    Log.clear();
    return s;
  }
  String Log;
};

// Lets a test put the button into a state the way the mouse would.
class TProbeRadio : public TcxRadioButton {
 public:
  using TcxRadioButton::TcxRadioButton;
  void At(const TPoint& P, bool AHeld) { UpdateState(P, AHeld); }
};

class RadioButton : public EditorsDialogTest {
 protected:
  void SetUp() override {
    EditorsDialogTest::SetUp();
    a = Add("a", "&Alpha", 10);
    b = Add("b", "&Beta", 40);
    c = Add("c", "&Gamma", 70);
  }
  TcxRadioButton* Add(const char* name, const char* caption, int y) {
    auto* r = New<TProbeRadio>(form);
    r->SetName(name);
    r->SetCaption(caption);
    r->SetBounds(10, y, 120, 20);
    r->SetParent(form);
    r->OnClick = TNotifyEvent(&log, &TRadioLog::Clicked);
    return r;
  }
  String Checked() {
    String s;
    for (TcxRadioButton* r : {a, b, c}) s += r->GetChecked() ? "1" : "0";
    return s;
  }
  TRadioLog log;
  TcxRadioButton* a = nullptr;
  TcxRadioButton* b = nullptr;
  TcxRadioButton* c = nullptr;
};

TEST_F(RadioButton, ButtonsBesideEachOtherUncheckOneAnotherByClickSpaceArrowsAndAccelerator) {
  Show();
  EXPECT_EQ(DWORD(GetWindowLongA(a->Handle(), GWL_STYLE)) & BS_TYPEMASK, BS_OWNERDRAW);
  host().Click(b->Handle(), 40, 10);
  Pump();
  EXPECT_EQ(Checked(), "010");
  EXPECT_EQ(log.Take(), "b");
  // A checked button clicked again does not click; a press released outside checks nothing.
  host().Click(b->Handle(), 40, 10);
  host().MouseDown(c->Handle(), 40, 10);
  host().MouseMove(c->Handle(), 250, 10);
  host().MouseUp(c->Handle(), 250, 10);
  Pump();
  EXPECT_EQ(Checked(), "010");
  EXPECT_EQ(log.Take(), "");
  EXPECT_TRUE(b->GetTabStop());
  EXPECT_FALSE(a->GetTabStop()) << "only the checked button is a tab stop";
  // Space on a focused button; the press that focused c above did not check it.
  ASSERT_TRUE(c->Focused());
  host().Key(VK_SPACE);
  Pump();
  EXPECT_EQ(Checked(), "001");
  EXPECT_EQ(log.Take(), "c");
  // Arrows move the focus to the neighbour and check it.
  host().Key(VK_UP);
  Pump();
  EXPECT_TRUE(b->Focused());
  EXPECT_EQ(Checked(), "010");
  host().Key(VK_UP);
  Pump();
  EXPECT_EQ(Checked(), "100");
  EXPECT_EQ(log.Take(), "b,a");
  host().Char('g');
  Pump();
  EXPECT_TRUE(c->Focused());
  EXPECT_EQ(Checked(), "001");
  EXPECT_EQ(log.Take(), "c");
  // Checking from code unchecks the others and clicks too, as the class library does.
  a->SetChecked(true);
  EXPECT_EQ(Checked(), "100");
  EXPECT_EQ(log.Take(), "a");
}

TEST_F(RadioButton, StateFollowsTheMouseAndNeverHotWhenDisabled) {
  Show();
  const HWND w = a->Handle();
  // Dragged out while holding the press it is hot, back in pressed again; once left, the
  // tracking timer ends the hot state.
  const struct {
    std::function<void()> act;
    RS state;
  } steps[] = {{[&] { host().MouseMove(w, 40, 10); }, RS::rbsHot},
               {[&] { host().MouseDown(w, 40, 10); }, RS::rbsPressed},
               {[&] { host().MouseMove(w, 250, 10); }, RS::rbsHot},
               {[&] { host().MouseMove(w, 40, 10); }, RS::rbsPressed},
               {[&] { host().MouseUp(w, 40, 10); }, RS::rbsHot},
               {[&] {
                  host().MouseMove(form->Handle(), 250, 150);
                  host().Advance(20);
                },
                RS::rbsNormal}};
  for (size_t i = 0; i < std::size(steps); ++i) {
    steps[i].act();
    Pump();
    EXPECT_EQ(a->GetVisualState(), steps[i].state) << "step " << i;
  }
  // Over a button with a mouse button held down elsewhere: normal, not hot.
  static_cast<TProbeRadio*>(b)->At({5, 5}, true);
  EXPECT_EQ(b->GetVisualState(), RS::rbsNormal);
  c->SetEnabled(false);
  EXPECT_EQ(c->GetVisualState(), RS::rbsDisabled);
  host().MouseMove(c->Handle(), 40, 10);
  Pump();
  EXPECT_EQ(c->GetVisualState(), RS::rbsDisabled);
  host().MouseMove(form->Handle(), 250, 150);
  host().Advance(20);
  Pump();
}

// The painted glyph is the look's radio glyph at the rule's place, in the state's image.
TEST_F(RadioButton, GlyphOfEachLookAndStateAtItsPlaceWithAGallery) {
  Show();
  auto* probe = static_cast<TProbeRadio*>(a);
  a->SetColor(clWhite);
  a->SetCaption("");
  const K looks[] = {K::lfStandard, K::lfFlat, K::lfUltraFlat, K::lfOffice11};
  const RS states[] = {RS::rbsNormal, RS::rbsHot, RS::rbsPressed, RS::rbsDisabled};
  constexpr int kW = 120, kH = 20, kZoom = 3;
  DecodedImage image;
  image.Width = int(std::size(states)) * 2 * kW * kZoom;
  image.Height = int(std::size(looks)) * kH * kZoom;
  image.Pixels.assign(size_t(image.Width) * size_t(image.Height), 0);
  std::vector<std::vector<COLORREF>> seen;
  for (size_t row = 0; row < std::size(looks); ++row) {
    a->GetLookAndFeel()->SetKind(looks[row]);
    const TcxCustomLookAndFeelPainter* painter = a->GetLookAndFeel()->GetPainter();
    const TPoint size = painter->RadioButtonSize();
    for (size_t s = 0; s < std::size(states); ++s)
      for (int checked = 0; checked < 2; ++checked) {
        a->SetEnabled(states[s] != RS::rbsDisabled);
        a->SetChecked(checked != 0);
        if (states[s] == RS::rbsPressed) SetCapture(a->Handle());
        probe->At({5, 5}, false);
        if (states[s] == RS::rbsNormal) probe->At({-1, -1}, false);
        ASSERT_EQ(a->GetVisualState(), states[s]);
        PaperCanvas paper(kW, kH);
        a->PaintTo(paper.Cx(), false);
        if (states[s] == RS::rbsPressed) ReleaseCapture();
        const TRect g = a->GetGlyphRect();
        EXPECT_EQ(g, Bounds(1, (kH - size.Y) / 2, size.X, size.Y)) << row;
        // The same glyph drawn by the painter itself on the button's colour.
        PaperCanvas expected(kW, kH);
        expected.Cx().SetBrushColor(clWhite);
        expected.Cx().FillRect({0, 0, kW, kH});
        const TcxButtonState bs[] = {TcxButtonState::cxbsNormal, TcxButtonState::cxbsHot,
                                     TcxButtonState::cxbsPressed, TcxButtonState::cxbsDisabled};
        painter->DrawRadioButton(expected.Cx(), g.Left, g.Top, bs[s], checked != 0, false, clWhite);
        EXPECT_EQ(paper.DiffersFrom(expected), "") << "look " << row << " state " << s << " checked " << checked;
        std::vector<COLORREF> shot;
        for (int y = g.Top; y < g.Bottom; ++y)
          for (int x = g.Left; x < g.Right; ++x) shot.push_back(paper.Px(x, y));
        seen.push_back(shot);
        for (int y = 0; y < kH; ++y)
          for (int x = 0; x < kW; ++x)
            for (int zy = 0; zy < kZoom; ++zy)
              for (int zx = 0; zx < kZoom; ++zx)
                image.Pixels[size_t(((int(row) * kH + y) * kZoom + zy) * image.Width +
                                    ((int(s) * 2 + checked) * kW + x) * kZoom + zx)] = PixelFromColor(paper.Px(x, y));
      }
  }
  // Checked differs from unchecked in every look and state.
  for (size_t i = 0; i < seen.size(); i += 2) EXPECT_NE(seen[i], seen[i + 1]) << i;
  // Caption left of the glyph: the glyph at the right edge, with no inset.
  a->SetEnabled(true);
  a->SetAlignment(TAlignment::taLeftJustify);
  PaperCanvas paper(kW, kH);
  a->PaintTo(paper.Cx(), false);
  EXPECT_EQ(a->GetGlyphRect().Right, kW);
  WriteGalleryPng(image, "radio-looks.png");
}

TEST_F(RadioButton, CaptionGrayWhenDisabledAndReadFromAWindowDescription) {
  Show();
  a->SetCaption("W");
  a->SetColor(clWhite);
  a->GetFont()->SetColor(clBlack);
  PaperCanvas on(120, 20);
  a->PaintTo(on.Cx(), false);
  a->SetEnabled(false);
  PaperCanvas off(120, 20);
  a->PaintTo(off.Cx(), false);
  bool black = false, gray = false;
  for (int y = 0; y < 20; ++y)
    for (int x = 20; x < 120; ++x) {
      black |= on.Px(x, y) == ColorToRGB(clBlack);
      gray |= off.Px(x, y) == ColorToRGB(clBtnShadow);
      EXPECT_NE(off.Px(x, y), ColorToRGB(clBlack)) << x << "," << y;
    }
  EXPECT_TRUE(black);
  EXPECT_TRUE(gray);
  const char* text =
      "object Dialog: TForm\n"
      "  object r1: TcxRadioButton\n"
      "    Caption = 'One'\n"
      "    Checked = True\n"
      "    Transparent = True\n"
      "    WordWrap = True\n"
      "    LookAndFeel.Kind = lfOffice11\n"
      "  end\n"
      "end\n";
  TForm* dialog = ReadDialog(text);
  auto* r1 = dynamic_cast<TcxRadioButton*>(dialog->FindComponent("r1"));
  ASSERT_NE(r1, nullptr);
  EXPECT_TRUE(r1->GetChecked());
  EXPECT_TRUE(r1->GetTransparent());
  EXPECT_TRUE(r1->GetWordWrap());
  EXPECT_EQ(r1->GetLookAndFeel()->GetKind(), K::lfOffice11);
  dialog->Free();
}

}  // namespace

namespace {

TEST_F(RadioButton, TransparentShowsTheParentAroundTheGlyphAndText) {
  form->SetColor(clYellow);
  a->SetColor(clWhite);
  Show();
  PaperCanvas opaque(120, 20);
  a->PaintTo(opaque.Cx(), false);
  EXPECT_EQ(opaque.Px(100, 2), ColorToRGB(clWhite));
  a->SetTransparent(true);
  PaperCanvas clear(120, 20);
  a->PaintTo(clear.Cx(), false);
  EXPECT_EQ(clear.Px(100, 2), ColorToRGB(clYellow));
  EXPECT_EQ(clear.Px(0, 0), ColorToRGB(clYellow)) << "beside the glyph too";
}

}  // namespace
