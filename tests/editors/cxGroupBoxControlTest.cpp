// The group box control on a headless dialog: its defaults, a click that never focuses it,
// the room its children get and the clipping of child windows to it, the caption's
// accelerator with and without a child to take the focus, and reading it from a window
// description.
#include "classlib/core/FormText.h"
#include "classlib/core/Streams.h"
#include "classlib/visual/Forms.h"
#include "classlib/visual/StdCtrls.h"
#include "platform/host/HeadlessHost.h"
#include "tests/editors/EditorsTestSupport.h"
#include "widgets/editcore/cxEditStyles.h"
#include "widgets/editors/cxButtons.h"
#include "widgets/editors/cxGroupBox.h"

#include <gtest/gtest.h>

namespace {

using CA = TcxCaptionAlignment;

class TClickCounterForBox : public TObject {
 public:
  void Clicked(TObject*) { ++Count; }
  int Count = 0;
};

class GroupBoxControl : public EditorsTest {
 protected:
  void SetUp() override {
    EditorsTest::SetUp();
    form = TForm::CreateNew(Application);
    form->SetBounds(100, 100, 400, 300);
    form->SetColor(clYellow);
    box = New<TcxGroupBox>(form);
    box->SetName("box");
    box->SetCaption("&Options");
    box->SetLeft(10);
    box->SetTop(10);
    box->SetParent(form);
    box->SetColor(clWhite);
    box->GetStyle()->GetFont()->SetName(kTestFaceName);
    box->GetStyle()->GetFont()->SetHeight(-10);
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
  // A child window painted all red.
  TcxGroupBox* RedChild(const TRect& R) {
    auto* c = Add<TcxGroupBox>(box, R);
    c->SetCaption("");
    c->SetColor(clRed);
    c->GetStyle()->SetBorderStyle(TcxContainerBorderStyle::cbsNone);
    return c;
  }
  void Show() {
    form->Show();
    Pump();
  }
  COLORREF Px(TWinControl* C, int x, int y) { return ColorFromPixel(host().PixelAt(C->Handle(), x, y)); }
  // The height of "Qq" in the box's font, and the frame's width (the default style's).
  int QqHeight() {
    canvas->SetFont(box->GetStyle()->GetFont());
    return canvas->TextExtent("Qq").cy;
  }
  static constexpr int kFrame = 1;

  TForm* form = nullptr;
  TcxGroupBox* box = nullptr;
};

TEST_F(GroupBoxControl, NewBoxDefaultsAndAClickNeverFocusesIt) {
  auto* fresh = New<TcxGroupBox>(form);
  EXPECT_EQ(fresh->GetWidth(), 185);
  EXPECT_EQ(fresh->GetHeight(), 105);
  EXPECT_FALSE(fresh->GetTabStop());
  EXPECT_FALSE(fresh->GetAutoSize());
  EXPECT_TRUE(fresh->GetParentColor());
  EXPECT_TRUE(fresh->GetParentBackground());
  EXPECT_EQ(fresh->GetAlignment(), CA::alTopLeft);
  EXPECT_TRUE(fresh->ControlStyle().Contains(TControlStyleItem::csAcceptsControls));
  auto* outside = Add<TButton>(form, Bounds(250, 10, 80, 24));
  Show();
  outside->SetFocus();
  Pump();
  host().Click(box->Handle(), 90, 60);
  Pump();
  EXPECT_TRUE(outside->Focused());
  EXPECT_FALSE(box->IsFocused());
}

TEST_F(GroupBoxControl, ChildrenGetTheRoomTheFrameLeavesAndAreClippedToItByPixels) {
  const int h = QqHeight();
  auto* filler = Add<TEdit>(box, Bounds(0, 0, 10, 10));
  filler->SetAlign(TAlign::alClient);
  Show();
  EXPECT_EQ(filler->GetBoundsRect(), (TRect{kFrame, h + 3, 185 - kFrame, 105 - kFrame}));
  box->SetAlignment(CA::alLeftTop);
  EXPECT_EQ(filler->GetBoundsRect(), (TRect{h + 3, kFrame, 185 - kFrame, 105 - kFrame}));
  // A box smaller than its caption leaves an empty room, never an inverted one.
  box->SetBounds(10, 10, 8, 8);
  EXPECT_EQ(filler->GetWidth(), 0);
  EXPECT_EQ(filler->GetHeight(), 8 - 2 * kFrame);
  filler->Free();

  box->SetBounds(10, 10, 185, 105);
  box->SetAlignment(CA::alTopLeft);
  auto* red = RedChild({-5, -5, 100, 100});
  Pump();
  // Inside the room the child shows; over the caption band and the frame the box does.
  EXPECT_EQ(Px(box, 50, 50), ColorToRGB(clRed));
  EXPECT_NE(Px(box, 50, h + 1), ColorToRGB(clRed));
  EXPECT_NE(Px(box, 0, 50), ColorToRGB(clRed));
  EXPECT_EQ(Px(box, 50, h + 3), ColorToRGB(clRed));
  // The caption is drawn in the box's text colour on its band.
  const TRect cap = box->GroupBoxViewInfo()->CaptionRect;
  ASSERT_FALSE(cap.IsEmpty());
  bool text = false;
  for (int y = cap.Top; y < cap.Bottom; ++y)
    for (int x = cap.Left; x < cap.Right; ++x) text |= Px(box, x, y) == ColorToRGB(clBlack);
  EXPECT_TRUE(text);
  // The caption moved to the left side: the band there is kept free, the top is the child's.
  box->SetAlignment(CA::alLeftTop);
  Pump();
  EXPECT_NE(Px(box, h + 1, 50), ColorToRGB(clRed));
  EXPECT_EQ(Px(box, h + 3, 50), ColorToRGB(clRed));
  EXPECT_EQ(Px(box, 50, kFrame + 1), ColorToRGB(clRed));
  const TRect side = box->GroupBoxViewInfo()->CaptionRect;
  EXPECT_LT(side.Right, h + 3);
  text = false;
  for (int y = std::max(side.Top, 0); y < side.Bottom; ++y)
    for (int x = std::max(side.Left, 0); x < side.Right; ++x) text |= Px(box, x, y) == ColorToRGB(clBlack);
  EXPECT_TRUE(text);
  (void)red;
}

TEST_F(GroupBoxControl, AcceleratorFocusesTheFirstFocusableChildOrLeavesTheCharacterFree) {
  auto* disabled = Add<TEdit>(box, Bounds(10, 20, 80, 20));
  disabled->SetEnabled(false);
  auto* second = Add<TEdit>(box, Bounds(10, 50, 80, 20));
  auto* third = Add<TEdit>(box, Bounds(10, 75, 80, 20));
  auto* outside = Add<TButton>(form, Bounds(250, 10, 80, 24));
  Show();
  outside->SetFocus();
  Pump();
  host().Char('o');
  Pump();
  EXPECT_TRUE(second->Focused()) << "disabled children are passed over";
  EXPECT_FALSE(third->Focused());

  // A box with nothing to focus leaves the character to the next control that marks it.
  disabled->SetParent(form);
  second->SetParent(form);
  third->SetParent(form);
  second->Free();
  third->Free();
  disabled->Free();
  TClickCounterForBox clicks;
  auto* ok = Add<TcxButton>(form, Bounds(250, 50, 80, 24));
  ok->SetCaption("&Ok");
  ok->OnClick = TNotifyEvent(&clicks, &TClickCounterForBox::Clicked);
  outside->SetFocus();
  Pump();
  host().Char('o');
  Pump();
  EXPECT_EQ(clicks.Count, 1);
  EXPECT_FALSE(box->IsFocused());
}

TEST_F(GroupBoxControl, ReadFromAWindowDescriptionWithItsChildren) {
  const char* text =
      "object Dialog: TForm\n"
      "  Left = 0\n"
      "  Top = 0\n"
      "  Width = 300\n"
      "  Height = 200\n"
      "  object g: TcxGroupBox\n"
      "    Left = 8\n"
      "    Top = 8\n"
      "    Caption = 'Sound'\n"
      "    Alignment = alRightTop\n"
      "    LookAndFeel.Kind = lfOffice11\n"
      "    object inner: TEdit\n"
      "      Left = 10\n"
      "      Top = 20\n"
      "      Width = 60\n"
      "      Height = 20\n"
      "    end\n"
      "  end\n"
      "end\n";
  Owned<TMemoryStream> binary(New<TMemoryStream>());
  ObjectTextToBinary(text, *binary);
  binary->SetPosition(0);
  TForm* dialog = TForm::CreateNew(Application);
  binary->ReadComponent(dialog);
  auto* g = dynamic_cast<TcxGroupBox*>(dialog->FindComponent("g"));
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->GetCaption(), "Sound");
  EXPECT_EQ(g->GetAlignment(), CA::alRightTop);
  EXPECT_EQ(g->GetWidth(), 185) << "the default size stands when none is written";
  EXPECT_FALSE(g->GetTabStop());
  EXPECT_EQ(g->GetStyle()->GetLookAndFeel()->GetKind(), TcxLookAndFeelKind::lfOffice11);
  auto* inner = dynamic_cast<TEdit*>(dialog->FindComponent("inner"));
  ASSERT_NE(inner, nullptr);
  EXPECT_EQ(inner->GetParent(), g);
  // The colour and the font live in the style alone; the caption's background is not kept.
  EXPECT_FALSE(IsStoredProp(g, "Color"));
  EXPECT_FALSE(IsStoredProp(g, "Font"));
  EXPECT_FALSE(IsStoredProp(g, "CaptionBkColor"));
  dialog->Free();
}

}  // namespace
