// Hints on the test clock: the pause before a hint shows, what hides it, ShowHint and its
// inheritance, CM_HINTSHOW's record, and the hint window's look.
#include "classlib/visual/HintWindow.h"
#include "platform/gdi/Gdi.h"
#include "tests/classlib/visual/VisualTestClasses.h"
#include "tests/support/AppTest.h"

#include <gtest/gtest.h>

// A control that answers CM_HINTSHOW as a test sets it up and keeps what it was asked.
class THintProbe : public TCustomControl {
  TL_CLASS(THintProbe, TCustomControl)
 public:
  using TCustomControl::TCustomControl;
  int Asked = 0;
  THintInfo Seen;
  String NewText;          // replaces the text when not empty
  bool Cancel = false;
  Integer Reshow = 0;
  TPoint NewPos{-1, -1};   // replaces the position when set

 protected:
  void CMHintShow(TMessage& Message) {
    ++Asked;
    auto& info = *reinterpret_cast<THintInfo*>(Message.LParam);
    Seen = info;
    if (!NewText.empty()) info.HintStr = NewText;
    if (NewPos.X >= 0) info.HintPos = NewPos;
    info.ReshowTimeout = Reshow;
    Message.Result = Cancel ? 1 : 0;
  }
};

TL_MESSAGES(THintProbe, TL_ON(CM_HINTSHOW, CMHintShow))
TL_DEFINE_CLASS(THintProbe)

namespace {

class HintsTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    form = TForm::CreateNew(Application);
    form->SetBorderStyle(TFormBorderStyle::bsNone);
    form->SetBounds(100, 100, 400, 300);
    p = Add("P", {10, 10, 110, 60}, "Probe|the long part");
    q = Add("Q", {150, 10, 250, 60}, "Other");
    form->Show();
    Pump();
  }
  THintProbe* Add(const char* Name, const TRect& R, const String& Hint) {
    auto* c = New<THintProbe>(form);
    c->SetName(Name);
    c->SetBoundsRect(R);
    c->SetParent(form);
    c->SetHint(Hint);
    c->SetShowHint(true);
    return c;
  }
  static HWND HintHandle() { return FindWindowA("THintWindow", nullptr); }
  static bool Shown() {
    HWND h = HintHandle();
    return h && IsWindowVisible(h);
  }
  static String ShownText() {
    if (!Shown()) return "(none)";
    char buf[256] = {};
    GetWindowTextA(HintHandle(), buf, sizeof buf);
    return buf;
  }
  // The mouse comes to a point of the form's client area.
  void MoveTo(Integer X, Integer Y) {
    host().MouseMove(form->Handle(), X, Y);
    Pump();
  }
  TForm* form = nullptr;
  THintProbe* p = nullptr;
  THintProbe* q = nullptr;
};

TEST_F(HintsTest, ShownOnceTheMouseRestsForThePauseAndGoneOnLeaving) {
  EXPECT_EQ(Application->GetHintPause(), 500);
  EXPECT_EQ(Application->GetHintShortPause(), 50);
  EXPECT_EQ(Application->GetHintHidePause(), 2500);
  EXPECT_TRUE(Application->GetShowHint());
  MoveTo(20, 20);
  host().Advance(300);
  MoveTo(30, 20);  // moving again starts the pause again
  host().Advance(499);
  EXPECT_FALSE(Shown());
  host().Advance(1);
  EXPECT_EQ(ShownText(), "Probe");  // the part before the bar
  RECT r;
  GetWindowRect(HintHandle(), &r);
  EXPECT_EQ(r.Left, 130) << "under the mouse";
  EXPECT_GT(r.Top, 120);
  MoveTo(60, 40);  // within the control it stays
  EXPECT_EQ(ShownText(), "Probe");
  MoveTo(300, 200);  // onto the form, which shows no hints
  EXPECT_FALSE(Shown());
  host().Advance(1000);
  EXPECT_FALSE(Shown());
}

TEST_F(HintsTest, HiddenAfterTheHidePauseAndNotShownAgainWhileTheMouseStays) {
  MoveTo(20, 20);
  host().Advance(500);
  ASSERT_TRUE(Shown());
  host().Advance(2499);
  EXPECT_TRUE(Shown());
  host().Advance(1);
  EXPECT_FALSE(Shown());
  MoveTo(25, 22);
  host().Advance(3000);
  EXPECT_FALSE(Shown());
  EXPECT_EQ(p->Asked, 1);
}

TEST_F(HintsTest, AClickOrAKeyHidesTheHint) {
  MoveTo(20, 20);
  host().Advance(500);
  ASSERT_TRUE(Shown());
  host().Click(form->Handle(), 20, 20);
  Pump();
  EXPECT_FALSE(Shown());
  MoveTo(22, 20);
  host().Advance(500);
  ASSERT_TRUE(Shown()) << "a move after the click waits the pause again";
  host().Key('A');
  Pump();
  EXPECT_FALSE(Shown());
  // A key while the pause runs: nothing comes of it.
  MoveTo(24, 20);
  host().Advance(200);
  host().Key('A');
  Pump();
  host().Advance(1000);
  EXPECT_FALSE(Shown());
}

TEST_F(HintsTest, MovingFromOneHintToAnotherTakesTheShortPause) {
  MoveTo(20, 20);
  host().Advance(500);
  ASSERT_EQ(ShownText(), "Probe");
  MoveTo(160, 20);
  EXPECT_FALSE(Shown()) << "the first hint goes at once";
  host().Advance(49);
  EXPECT_FALSE(Shown());
  host().Advance(1);
  EXPECT_EQ(ShownText(), "Other");
  // Through a place without hints, the whole pause again.
  MoveTo(300, 200);
  MoveTo(20, 20);
  host().Advance(499);
  EXPECT_FALSE(Shown());
  host().Advance(1);
  EXPECT_EQ(ShownText(), "Probe");
}

TEST_F(HintsTest, ApplicationShowHintOffShowsNone) {
  MoveTo(20, 20);
  host().Advance(500);
  ASSERT_TRUE(Shown());
  Application->SetShowHint(false);
  EXPECT_FALSE(Shown());
  MoveTo(160, 20);
  MoveTo(20, 20);
  host().Advance(3000);
  EXPECT_FALSE(Shown());
  EXPECT_EQ(p->Asked, 1);
  Application->SetShowHint(true);
  MoveTo(22, 20);
  host().Advance(500);
  EXPECT_EQ(ShownText(), "Probe");
}

TEST_F(HintsTest, ShowHintComesFromTheParentUntilSetAndTheTextFromTheParentWhenEmpty) {
  auto* child = Add("C", {10, 100, 110, 150}, "");
  child->SetParentShowHint(true);
  Pump();
  ASSERT_FALSE(child->GetShowHint());
  MoveTo(20, 110);
  host().Advance(1000);
  EXPECT_FALSE(Shown()) << "the form shows no hints, nor does the child taking its setting";
  form->SetHint("Form hint");
  form->SetShowHint(true);
  EXPECT_TRUE(child->GetShowHint());
  MoveTo(22, 110);
  host().Advance(500);
  EXPECT_EQ(ShownText(), "Form hint") << "an empty hint is the parent's";
  child->SetHint("Child");
  child->SetShowHint(false);
  EXPECT_FALSE(child->GetParentShowHint());
  MoveTo(24, 110);
  host().Advance(1000);
  EXPECT_FALSE(Shown());
  child->SetParentShowHint(true);
  MoveTo(26, 110);
  host().Advance(500);
  EXPECT_EQ(ShownText(), "Child");
  form->SetShowHint(false);
  EXPECT_FALSE(child->GetShowHint());
  EXPECT_TRUE(p->GetShowHint()) << "set on its own, not taken from the form";
}

TEST_F(HintsTest, TheControlIsAskedWithTheHintRecordAndMayChangeOrCancelIt) {
  MoveTo(20, 25);
  host().Advance(500);
  ASSERT_EQ(p->Asked, 1);
  EXPECT_EQ(p->Seen.HintControl, p);
  EXPECT_EQ(p->Seen.HintStr, "Probe");
  EXPECT_EQ(p->Seen.CursorPos, (TPoint{10, 15}));
  EXPECT_EQ(p->Seen.CursorRect, (TRect{0, 0, 100, 50}));
  EXPECT_EQ(p->Seen.HideTimeout, 2500);
  EXPECT_EQ(p->Seen.HintMaxWidth, HeadlessHost::ScreenWidth);
  EXPECT_EQ(p->Seen.HintColor, clInfoBk);
  EXPECT_EQ(p->Seen.HintPos.X, 120);
  EXPECT_GT(p->Seen.HintPos.Y, 125);

  q->NewText = "Changed";
  q->NewPos = {500, 600};
  MoveTo(160, 20);
  host().Advance(50);
  EXPECT_EQ(ShownText(), "Changed");
  RECT r;
  GetWindowRect(HintHandle(), &r);
  EXPECT_EQ(r.Left, 500);
  EXPECT_EQ(r.Top, 600);

  p->Cancel = true;
  MoveTo(20, 20);
  host().Advance(1000);
  EXPECT_FALSE(Shown());
  EXPECT_EQ(p->Asked, 2);
  // Cancelled with a reshow time: asked again without the mouse moving.
  p->Reshow = 100;
  MoveTo(22, 20);
  host().Advance(500);
  EXPECT_EQ(p->Asked, 3);
  host().Advance(100);
  EXPECT_EQ(p->Asked, 4);
  p->Cancel = false;
  host().Advance(100);
  EXPECT_EQ(ShownText(), "Probe");
}

TEST_F(HintsTest, AHintPastTheRightOrBottomEdgeIsMovedBackOntoTheScreen) {
  constexpr Integer W = HeadlessHost::ScreenWidth, H = HeadlessHost::ScreenHeight;
  // Its size, from a place well inside the screen.
  q->NewPos = {500, 600};
  MoveTo(160, 20);
  host().Advance(500);
  ASSERT_EQ(ShownText(), "Other");
  RECT r;
  GetWindowRect(HintHandle(), &r);
  const Integer w = r.Right - r.Left, h = r.Bottom - r.Top;
  ASSERT_GT(w, 0);
  ASSERT_GT(h, 0);
  // Each place in turn: the hint is asked for again after leaving the control.
  auto shownAt = [&](TPoint Pos) {
    q->NewPos = Pos;
    MoveTo(300, 200);
    MoveTo(160, 20);
    host().Advance(500);
    RECT at{};
    if (Shown()) GetWindowRect(HintHandle(), &at);
    return at;
  };
  EXPECT_EQ(shownAt({W - w, H - h}), Rect(W - w, H - h, W, H)) << "just inside: where it was put";
  EXPECT_EQ(shownAt({W - w + 1, 300}), Rect(W - w, 300, W, 300 + h));
  EXPECT_EQ(shownAt({300, H - h + 1}), Rect(300, H - h, 300 + w, H));
  EXPECT_EQ(shownAt({W - 3, H - 2}), Rect(W - w, H - h, W, H));
}

TEST_F(HintsTest, AnEmptyHintShowsNothing) {
  p->SetHint("|only the long part");
  MoveTo(20, 20);
  host().Advance(1000);
  EXPECT_FALSE(Shown());
  EXPECT_EQ(p->Asked, 1) << "the control may still supply a text";
  p->NewText = "Supplied";
  MoveTo(22, 20);
  host().Advance(500);
  EXPECT_EQ(ShownText(), "Supplied");
}

TEST_F(HintsTest, FreeingTheControlEndsItsHint) {
  MoveTo(20, 20);
  host().Advance(500);
  ASSERT_TRUE(Shown());
  p->Free();
  p = nullptr;
  EXPECT_FALSE(Shown());
  host().Advance(3000);
  EXPECT_FALSE(Shown());
  // Freed while its pause runs.
  MoveTo(160, 20);
  host().Advance(100);
  q->Free();
  q = nullptr;
  host().Advance(1000);
  EXPECT_FALSE(Shown());
  auto* r = Add("R", {10, 100, 110, 150}, "Again");
  MoveTo(20, 110);
  host().Advance(500);
  EXPECT_EQ(ShownText(), "Again");
  (void)r;
}

TEST_F(HintsTest, TheWindowIsFramedInTheHintColoursAndSizedToItsText) {
  MoveTo(20, 20);
  host().Advance(500);
  ASSERT_TRUE(Shown());
  RECT r;
  GetWindowRect(HintHandle(), &r);
  Owned<TBitmap> probe(New<TBitmap>());
  probe->SetSize(1, 1);
  const TSize text = probe->Canvas()->TextExtent("Probe");  // the default font, as the hint's
  // A one-pixel frame, and two pixels beside the text and one above and below it.
  EXPECT_EQ(r.Right - r.Left, text.cx + 2 + 4);
  EXPECT_EQ(r.Bottom - r.Top, text.cy + 2 + 2);
  const Surface shown = host().Capture(HintHandle());
  const Pixel frame = shown.At(0, 0);
  const Pixel back = PixelFromColor(GetSysColor(COLOR_INFOBK));
  EXPECT_NE(frame, back);
  EXPECT_EQ(shown.At(1, 1), back);
  EXPECT_EQ(shown.At(shown.Width() - 2, shown.Height() - 2), back);
  // The text colour is black here: the glyphs' cores are dark.
  ASSERT_EQ(PixelFromColor(GetSysColor(COLOR_INFOTEXT)), Pixel(0));
  int dark = 0;
  for (Integer y = 2; y < shown.Height() - 2; ++y)
    for (Integer x = 3; x < shown.Width() - 3; ++x) {
      const Pixel c = shown.At(x, y);
      if (((c >> 16) & 0xFF) < 0x60 && ((c >> 8) & 0xFF) < 0x60 && (c & 0xFF) < 0x60) ++dark;
    }
  EXPECT_GT(dark, 10) << "the text";
}

}  // namespace
