// Edit buttons: the default button, the refused negative width, the notices the properties
// hear, the state rule, the press-to-click conversion, hot keys, and repainting a button
// that moved.
#include "classlib/visual/Forms.h"
#include "tests/editcore/EditSettingsTestSupport.h"

namespace {

using BS = TcxEditButtonState;
using SI = TShiftStateItem;

class EditButtonsTest : public EditSettingsTest {
 protected:
  void SetUp() override {
    EditSettingsTest::SetUp();
    props.reset(New<TcxCustomEditProperties>(nullptr));
    props->OnPropertiesChanged = counter.Handler();
  }
  void TearDown() override {
    props.reset();
    EditSettingsTest::TearDown();
  }
  TcxEditButtons& Buttons() { return *props->GetButtons(); }
  TNoticeCounter counter;
  Owned<TcxCustomEditProperties> props;
  int& changes = counter.Count;
};

TEST_F(EditButtonsTest, DefaultIsExclusiveAndEverySettingNotifiesThePropertiesOnce) {
  TcxEditButton* a = Buttons().Add();
  TcxEditButton* b = Buttons().Add();
  TcxEditButton* c = Buttons().Add();
  EXPECT_FALSE(a->GetDefault()) << "not designing: no default button by itself";
  changes = 0;
  a->SetDefault(true);
  c->SetDefault(true);
  EXPECT_FALSE(a->GetDefault());
  EXPECT_TRUE(c->GetDefault());
  EXPECT_EQ(Buttons().GetDefaultButton(), c);
  b->SetDefault(false);  // unchanged: nothing
  c->SetDefault(false);
  EXPECT_EQ(Buttons().GetDefaultButton(), nullptr);
  EXPECT_EQ(changes, 3);
  changes = 0;
  b->SetKind(TcxEditButtonKind::bkText);
  b->SetKind(TcxEditButtonKind::bkText);
  b->SetCaption("&Go && go");
  EXPECT_EQ(b->GetDisplayCaption(), "Go & go");
  b->GetGlyph()->SetSize(4, 4);  // the glyph's own change reaches the properties too
  b->SetVisible(false);
  EXPECT_EQ(changes, 4);
  EXPECT_EQ(Buttons().VisibleCount(), 2);
  EXPECT_THROW(Buttons().Items(3), EListError);
}

TEST_F(EditButtonsTest, ANegativeWidthIsRefusedAndTheWidthStaysChangeable) {
  TcxEditButton* b = Buttons().Add();
  b->SetWidth(12);
  changes = 0;
  b->SetWidth(-5);
  EXPECT_EQ(b->GetWidth(), 12);
  EXPECT_EQ(changes, 0);
  b->SetWidth(0);
  EXPECT_EQ(b->GetWidth(), 0);
  EXPECT_EQ(changes, 1);
}

TEST_F(EditButtonsTest, TheFirstButtonMadeAtDesignTimeIsTheDefaultOne) {
  Owned<TTestEdit> edit(New<TTestEdit>(nullptr));
  edit->SetDesigning(true);
  TcxEditButtons* buttons = edit->GetOwnProperties()->GetButtons();
  EXPECT_TRUE(buttons->Add()->GetDefault());
  EXPECT_FALSE(buttons->Add()->GetDefault());
}

TEST_F(EditButtonsTest, AssignCopiesInsideOneNotice) {
  TcxEditButton* src = Buttons().Add();
  src->SetCaption("&Open");
  src->SetKind(TcxEditButtonKind::bkGlyph);
  src->GetGlyph()->SetSize(5, 3);
  src->SetWidth(30);
  TcxEditButton* dst = Buttons().Add();
  changes = 0;
  dst->Assign(src);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(dst->GetDisplayCaption(), "Open");
  EXPECT_EQ(dst->GetGlyph()->GetWidth(), 5);
  EXPECT_EQ(dst->GetWidth(), 30);
}

TEST(EditButtonState, TheStateRuleByMouseAndPress) {
  // Over the button, pressed by the view data, a mouse-down pass, shift state, pressed before.
  auto state = [](bool over, bool byViewData, bool down, TShiftState shift, bool was = false,
                  bool canPress = true, bool enabled = true) {
    TcxEditButtonStateInput in;
    in.ButtonEnabled = enabled;
    in.MouseOver = over;
    in.PressedByViewData = byViewData;
    in.MouseDown = down;
    in.Shift = shift;
    in.WasPressed = was;
    in.CanBePressed = canPress;
    return cxCalculateEditButtonState(in);
  };
  const TShiftState left{SI::ssLeft}, right{SI::ssRight}, none{};
  EXPECT_EQ(state(true, true, false, none, false, true, false), BS::ebsDisabled);
  EXPECT_EQ(state(false, false, false, none), BS::ebsNormal);
  EXPECT_EQ(state(false, true, false, none), BS::ebsPressed) << "an open drop-down, mouse elsewhere";
  EXPECT_EQ(state(true, false, false, none), BS::ebsSelected);
  EXPECT_EQ(state(true, false, true, left), BS::ebsPressed);
  EXPECT_EQ(state(true, false, true, {SI::ssLeft, SI::ssDouble}), BS::ebsPressed);
  EXPECT_EQ(state(true, false, true, {SI::ssLeft, SI::ssShift}), BS::ebsNormal);
  EXPECT_EQ(state(true, false, true, left, false, false), BS::ebsNormal) << "a kind that cannot be pressed";
  EXPECT_EQ(state(true, false, true, right), BS::ebsNormal);
  // Held after the press: stays pressed; over it with the button held but pressed elsewhere: normal.
  EXPECT_EQ(state(true, false, false, left, true), BS::ebsPressed);
  EXPECT_EQ(state(true, false, false, left), BS::ebsNormal);
}

TEST(EditButtonState, APressBecomesAClickOnlyWhenReleasedOverTheSameButton) {
  using R = TcxEditButtonRelease;
  EXPECT_EQ(cxGetEditButtonRelease(-1, -1, 0), R{});
  EXPECT_EQ(cxGetEditButtonRelease(1, 1, -1), R{}) << "still held";
  EXPECT_EQ(cxGetEditButtonRelease(1, -1, 1), (R{1, true}));
  EXPECT_EQ(cxGetEditButtonRelease(1, -1, 0), (R{1, false})) << "released over another button";
  EXPECT_EQ(cxGetEditButtonRelease(1, -1, -1), (R{1, false})) << "released outside";
}

TEST_F(EditButtonsTest, HotKeysMatchVisibleCaptionsInEitherCase) {
  Buttons().Add()->SetCaption("&Alpha");
  Buttons().Add()->SetCaption("B&&eta");  // a literal ampersand marks nothing
  TcxEditButton* hidden = Buttons().Add();
  hidden->SetCaption("&Gamma");
  hidden->SetVisible(false);
  Buttons().Add()->SetCaption("Del&ta");
  EXPECT_EQ(Buttons().IndexOfAccel('a'), 0);
  EXPECT_EQ(Buttons().IndexOfAccel('T'), 3);
  EXPECT_EQ(Buttons().IndexOfAccel('e'), -1);
  EXPECT_EQ(Buttons().IndexOfAccel('g'), -1);
}

TEST_F(EditButtonsTest, RepaintAndUpdateRegionCoverTheOldAndTheNewPlace) {
  Owned<TForm> form(TForm::CreateNew<TForm>(nullptr));
  form->SetBounds(0, 0, 200, 100);
  form->Show();
  host().PumpUntilIdle();
  const HWND wnd = form->GetHandle();
  TcxEditButtonViewInfo before, after;
  before.Bounds = {10, 0, 50, 20};
  after.Assign(&before);
  ValidateRect(wnd, nullptr);
  EXPECT_FALSE(after.Repaint(form.get(), &before, {0, 0}));
  TRect dirty{};
  EXPECT_FALSE(GetUpdateRect(wnd, &dirty, false));
  Owned<TcxRegion> same(after.GetUpdateRegion(&before));
  EXPECT_TRUE(same->IsEmpty());

  after.Bounds = {30, 0, 50, 20};  // the button shrank toward the right
  EXPECT_TRUE(after.Repaint(form.get(), &before, {5, 2}));
  ASSERT_TRUE(GetUpdateRect(wnd, &dirty, false));
  EXPECT_EQ(dirty, (TRect{15, 2, 55, 22}));
  after.State = BS::ebsSelected;
  Owned<TcxRegion> changed(after.GetUpdateRegion(&before));
  EXPECT_TRUE(changed->RectInRegion(after.Bounds));
}

}  // namespace
