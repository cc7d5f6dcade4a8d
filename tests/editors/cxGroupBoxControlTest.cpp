// The group box control on a headless dialog: defaults, a click that never focuses it, the
// room its children get and their clipping to it, the caption font and text, the caption's
// accelerator with and without a child to take the focus, reading it from a description.
#include "classlib/visual/Forms.h"
#include "platform/host/HeadlessHost.h"
#include "tests/editors/EditorsTestSupport.h"
#include "tests/support/FreedByHandlerTest.h"
#include "widgets/editors/cxButtons.h"
#include "widgets/editors/cxGroupBox.h"

#include <gtest/gtest.h>

namespace {

using CA = TcxCaptionAlignment;

struct TClicks : TObject {
  void Clicked(TObject*) { ++Count; }
  int Count = 0;
};

class GroupBoxControl : public EditorsTest {
 protected:
  void SetUp() override {
    EditorsTest::SetUp();
    form = TForm::CreateNew(Application);
    form->SetBounds(100, 100, 400, 300);
    box = Add<TcxGroupBox>(form, Bounds(10, 10, 185, 105));
    box->SetCaption("&Options");
    box->SetColor(clWhite);
    box->GetStyle()->GetFont()->SetName(kTestFaceName);
    box->GetStyle()->GetFont()->SetHeight(-10);
    outside = Add<TcxButton>(form, Bounds(250, 10, 80, 24));
  }
  void TearDown() override {
    form->Free();
    EditorsTest::TearDown();
  }
  template <class T>
  T* Add(TWinControl* AParent, const TRect& R) {
    auto* c = New<T>(form);
    c->SetBoundsRect(R);
    c->SetParent(AParent);
    return c;
  }
  void ShowFocusingOutside() {
    form->Show();
    outside->SetFocus();
    Pump();
  }
  COLORREF Px(int x, int y) { return ColorFromPixel(host().PixelAt(box->Handle(), x, y)); }
  bool CaptionInk() {
    const TRect r = box->GroupBoxViewInfo()->CaptionRect;
    for (int y = std::max(r.Top, 0); y < r.Bottom; ++y)
      for (int x = std::max(r.Left, 0); x < r.Right; ++x)
        if (Px(x, y) == ColorToRGB(clBlack)) return true;
    return false;
  }
  // The height of "Qq" in the box's font.
  int Qq() {
    canvas->SetFont(box->GetStyle()->GetFont());
    return canvas->TextExtent("Qq").cy;
  }
  static constexpr int kFrame = 1;  // the default style's frame
  TForm* form = nullptr;
  TcxGroupBox* box = nullptr;
  TcxButton* outside = nullptr;
  TClicks clicks;
};

TEST_F(GroupBoxControl, NewBoxDefaultsAndAClickNeverFocusesIt) {
  auto* fresh = New<TcxGroupBox>(form);
  EXPECT_EQ(fresh->GetBoundsRect(), Bounds(0, 0, 185, 105));
  EXPECT_FALSE(fresh->GetTabStop());
  EXPECT_FALSE(fresh->GetAutoSize());
  EXPECT_TRUE(fresh->GetParentColor());
  EXPECT_TRUE(fresh->GetParentBackground());
  EXPECT_TRUE(fresh->ControlStyle().Contains(TControlStyleItem::csAcceptsControls));
  ShowFocusingOutside();
  host().Click(box->Handle(), 90, 60);
  Pump();
  EXPECT_TRUE(outside->Focused());
  EXPECT_FALSE(box->IsFocused());
}

TEST_F(GroupBoxControl, ChildrenGetTheRoomTheFrameLeavesAndAreClippedToItByPixels) {
  const int h = Qq();
  auto* filler = Add<TcxGroupBox>(box, Bounds(0, 0, 10, 10));
  filler->SetAlign(TAlign::alClient);
  ShowFocusingOutside();
  EXPECT_EQ(filler->GetBoundsRect(), (TRect{kFrame, h + 3, 185 - kFrame, 105 - kFrame}));
  box->SetAlignment(CA::alLeftTop);
  EXPECT_EQ(filler->GetBoundsRect(), (TRect{h + 3, kFrame, 185 - kFrame, 105 - kFrame}));
  // Narrower than the caption's band: an empty room, never an inverted one.
  box->SetBounds(10, 10, 8, 8);
  EXPECT_EQ(filler->GetBoundsRect(), (TRect{h + 3, kFrame, h + 3, 8 - kFrame}));
  // A red child reaching over the frame shows only inside the room; the caption is drawn.
  box->SetBounds(10, 10, 185, 105);
  filler->SetAlign(TAlign::alNone);
  filler->SetBoundsRect({-5, -5, 100, 100});
  filler->SetCaption("");
  filler->SetColor(clRed);
  filler->GetStyle()->SetBorderStyle(TcxContainerBorderStyle::cbsNone);
  box->SetAlignment(CA::alTopLeft);
  Pump();
  EXPECT_EQ(Px(50, h + 3), ColorToRGB(clRed));
  EXPECT_NE(Px(50, h + 1), ColorToRGB(clRed));
  EXPECT_NE(Px(0, 50), ColorToRGB(clRed));
  EXPECT_TRUE(CaptionInk());
  box->SetAlignment(CA::alLeftTop);
  Pump();
  EXPECT_EQ(Px(h + 3, 50), ColorToRGB(clRed));
  EXPECT_NE(Px(h + 1, 50), ColorToRGB(clRed));
  EXPECT_EQ(Px(50, kFrame + 1), ColorToRGB(clRed));
  EXPECT_TRUE(CaptionInk());
}

TEST_F(GroupBoxControl, CaptionFontFollowsTheStyleTurnsForSideCaptionsAndANewCaptionIsMeasured) {
  auto* filler = Add<TcxGroupBox>(box, Bounds(0, 0, 10, 10));
  filler->SetAlign(TAlign::alClient);
  ShowFocusingOutside();
  const int narrow = box->GroupBoxViewInfo()->CaptionRect.Width();
  box->SetCaption("&Options and more");
  EXPECT_GT(box->GroupBoxViewInfo()->CaptionRect.Width(), narrow);
  box->GetStyle()->GetFont()->SetHeight(-20);
  EXPECT_EQ(box->CaptionFont()->GetHeight(), -20);
  EXPECT_EQ(filler->GetTop(), Qq() + 3);
  auto escapement = [&] {
    LOGFONTA lf{};
    GetObjectA(box->CaptionFont()->GetHandle(), sizeof lf, &lf);
    return lf.lfEscapement;
  };
  EXPECT_EQ(escapement(), 0);
  box->SetAlignment(CA::alRightTop);
  EXPECT_EQ(escapement(), 2700);
  EXPECT_EQ(box->CaptionText(), "Options and more");
  box->SetAlignment(CA::alLeftCenter);
  EXPECT_EQ(escapement(), 900);
}

TEST_F(GroupBoxControl, AcceleratorFocusesTheFirstFocusableChildOrLeavesTheCharacterFree) {
  Add<TcxButton>(box, Bounds(10, 20, 80, 20))->SetEnabled(false);
  auto* second = Add<TcxButton>(box, Bounds(10, 50, 80, 20));
  Add<TcxButton>(box, Bounds(10, 75, 80, 20));
  ShowFocusingOutside();
  host().Char('o');
  Pump();
  EXPECT_TRUE(second->Focused()) << "a disabled child is passed over";
  // With nothing to focus, the next control marking the character gets it.
  while (box->ControlCount() > 0) box->Controls(0)->Free();
  auto* ok = Add<TcxButton>(form, Bounds(250, 50, 80, 24));
  ok->SetCaption("&Ok");
  ok->OnClick = TNotifyEvent(&clicks, &TClicks::Clicked);
  outside->SetFocus();
  Pump();
  host().Char('o');
  Pump();
  EXPECT_EQ(clicks.Count, 1);
  EXPECT_FALSE(box->IsFocused());
}

TEST_F(GroupBoxControl, AnAcceleratorWhoseChildsOnEnterFreesTheBoxEndsThere) {
  auto* child = Add<TcxButton>(box, Bounds(10, 20, 80, 20));
  ShowFocusingOutside();
  TFreer freer;
  freer.Victim = box;
  child->OnEnter = {&freer, &TFreer::HNotify};
  TWeakLink link(box), focused(child);
  host().Char('o');
  Pump();
  EXPECT_EQ(freer.Runs, 1);
  EXPECT_FALSE(link.Alive());
  EXPECT_FALSE(focused.Alive());
  outside->SetFocus();
  Pump();
  EXPECT_TRUE(outside->Focused());
}

TEST_F(GroupBoxControl, ReadFromAWindowDescriptionWithItsChildren) {
  const char* text =
      "object Dialog: TForm\n"
      "  object g: TcxGroupBox\n"
      "    Caption = 'Sound'\n"
      "    Alignment = alRightTop\n"
      "    LookAndFeel.Kind = lfOffice11\n"
      "    object inner: TcxButton\n"
      "    end\n"
      "  end\n"
      "end\n";
  TForm* dialog = ReadDialog(text);
  auto* g = dynamic_cast<TcxGroupBox*>(dialog->FindComponent("g"));
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->GetCaption(), "Sound");
  EXPECT_EQ(g->GetAlignment(), CA::alRightTop);
  EXPECT_EQ(g->GetStyle()->GetLookAndFeel()->GetKind(), TcxLookAndFeelKind::lfOffice11);
  EXPECT_EQ(dynamic_cast<TControl*>(dialog->FindComponent("inner"))->GetParent(), g);
  // The colour and font live in the style; the caption's background is not kept.
  for (const char* p : {"Color", "Font", "CaptionBkColor"}) EXPECT_FALSE(IsStoredProp(g, p)) << p;
  dialog->Free();
}

}  // namespace
