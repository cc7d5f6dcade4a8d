// The label control on a headless form: its size from the caption, the focus it never
// takes standing, the accelerator handing the focus on, the caption and the edit value in
// step, a transparent label over its parent's drawing, and a label read from a window
// description.
#include "classlib/core/FormText.h"
#include "classlib/core/Streams.h"
#include "classlib/visual/Forms.h"
#include "classlib/visual/StdCtrls.h"
#include "platform/host/HeadlessHost.h"
#include "tests/editors/EditorsTestSupport.h"
#include "widgets/editors/cxLabel.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

class TLabelEvents : public TObject {
 public:
  void Clicked(TObject*) { ++Clicks; }
  void ValueChanged(TObject*) { ++ValueChanges; }
  void PaintGreen(TObject*) {
    Form->Canvas()->Brush()->SetColor(TColor(0x00FF00));
    Form->Canvas()->FillRect(Form->GetClientRect());
  }
  TForm* Form = nullptr;
  int Clicks = 0;
  int ValueChanges = 0;
};

class LabelControl : public EditorsTest {
 protected:
  void SetUp() override {
    EditorsTest::SetUp();
    form = TForm::CreateNew(Application);
    form->SetBounds(100, 100, 300, 200);
    form->SetColor(clWhite);
    events.Form = form;
    edit = AddEdit("e1", 10);
    target = AddEdit("e2", 40);
    label = New<TcxLabel>(form);
    label->SetName("lName");
    label->GetStyle()->GetFont()->SetName(kTestFaceName);
    label->GetStyle()->GetFont()->SetHeight(-10);
    label->SetLeft(10);
    label->SetTop(100);
    label->SetParent(form);
    canvas->GetFont()->SetHeight(-10);
    adv = canvas->TextWidth("a");
    row = canvas->TextHeight("a");
  }
  void TearDown() override {
    form->Free();
    EditorsTest::TearDown();
  }
  TEdit* AddEdit(const char* AName, Integer ATop) {
    auto* e = New<TEdit>(form);
    e->SetName(AName);
    e->SetBounds(150, ATop, 100, 21);
    e->SetParent(form);
    return e;
  }
  void Show() {
    form->Show();
    host().PumpUntilIdle();
  }
  TColor At(TWinControl* C, int x, int y) { return TColor(host().PixelAt(C->Handle(), x, y)); }

  TLabelEvents events;
  TForm* form = nullptr;
  TEdit* edit = nullptr;
  TEdit* target = nullptr;
  TcxLabel* label = nullptr;
  Integer adv = 0, row = 0;
};

TEST_F(LabelControl, StartsAsASmallTextBoxAndFitsItsCaption) {
  Owned<TcxLabel> bare(New<TcxLabel>(nullptr));
  EXPECT_FALSE(bare->ControlStyle().Contains(TControlStyleItem::csAcceptsControls));
  EXPECT_FALSE(bare->ControlStyle().Contains(TControlStyleItem::csCaptureMouse));
  EXPECT_TRUE(bare->ControlStyle().Contains(TControlStyleItem::csClickEvents));
  EXPECT_EQ(bare->GetWidth(), 121);
  EXPECT_EQ(bare->GetHeight(), 21);
  EXPECT_TRUE(bare->GetAutoSize());
  EXPECT_TRUE(bare->GetParentColor());
  EXPECT_FALSE(bare->GetTransparent());
  EXPECT_EQ(bare->GetProperties()->GetContainerClass().Class, &TcxLabel::StaticClass());

  // The base style's 2-pixel transparent border goes round the text.
  label->SetCaption("abc");
  EXPECT_EQ(label->GetWidth(), 3 * adv + 4);
  EXPECT_EQ(label->GetHeight(), row + 4);
  label->SetCaption("");
  EXPECT_EQ(label->GetHeight(), row + 4) << "an empty label keeps one line";
  // Word-wrapped, the label keeps its width and takes the height of its lines.
  label->SetCaption("aaa bbb");
  EXPECT_EQ(label->GetWidth(), 7 * adv + 4);
  label->SetWidth(4 * adv + 4);
  label->GetProperties()->SetWordWrap(true);
  EXPECT_EQ(label->GetWidth(), 4 * adv + 4);
  EXPECT_EQ(label->GetHeight(), 2 * row + 4);
  // A change of the style's font resizes too.
  label->GetProperties()->SetWordWrap(false);
  label->GetStyle()->GetFont()->SetHeight(-20);
  canvas->GetFont()->SetHeight(-20);
  EXPECT_EQ(label->GetWidth(), canvas->TextWidth("aaa bbb") + 4);
  EXPECT_EQ(label->GetHeight(), canvas->TextHeight("a") + 4);
  // Without AutoSize the bounds stay.
  label->SetAutoSize(false);
  label->SetBounds(10, 100, 50, 30);
  label->SetCaption("a much longer caption");
  EXPECT_EQ(label->GetWidth(), 50);
  EXPECT_EQ(label->GetHeight(), 30);
}

TEST_F(LabelControl, NeverTakesTheFocusStandingAndClicksOnRelease) {
  label->SetCaption("click me");
  label->OnClick = TNotifyEvent(&events, &TLabelEvents::Clicked);
  Show();
  edit->SetFocus();
  EXPECT_FALSE(label->CanFocus());
  host().MouseDown(label->Handle(), 3, 3);
  EXPECT_EQ(events.Clicks, 0);
  host().MouseUp(label->Handle(), 3, 3);
  host().PumpUntilIdle();
  EXPECT_EQ(events.Clicks, 1);
  EXPECT_TRUE(edit->Focused()) << "the click leaves the focus where it was";
  // In place, inside a host, the label is an ordinary focusable editor.
  Owned<TcxLabel> inplace(New<TcxLabel>(nullptr, true));
  inplace->SetParent(form);
  EXPECT_TRUE(inplace->CanFocus());
  inplace->SetParent(nullptr);
}

TEST_F(LabelControl, TheAcceleratorHandsTheFocusToALiveFocusControl) {
  auto* button = New<TButton>(form);
  button->SetBounds(150, 70, 75, 25);
  button->SetParent(form);
  label->SetCaption("&Name");
  label->SetFocusControl(target);
  Show();
  // From a control that takes no characters, the typed letter is a dialog character.
  button->SetFocus();
  host().Char('n');
  host().PumpUntilIdle();
  EXPECT_TRUE(target->Focused());

  edit->SetFocus();
  EXPECT_EQ(label->Perform(CM_DIALOGCHAR, 'x'), 0) << "not the accelerator";
  EXPECT_EQ(label->Perform(CM_DIALOGCHAR, 'N'), 1) << "either case";
  EXPECT_TRUE(target->Focused());
  // Each of these turned off refuses the accelerator.
  edit->SetFocus();
  const std::function<void(bool)> needed[] = {[&](bool on) { label->GetProperties()->SetShowAccelChar(on); },
                                              [&](bool on) { label->SetEnabled(on); },
                                              [&](bool on) { target->SetEnabled(on); },
                                              [&](bool on) { target->SetVisible(on); }};
  for (size_t i = 0; i < std::size(needed); ++i) {
    needed[i](false);
    EXPECT_EQ(label->Perform(CM_DIALOGCHAR, 'n'), 0) << i;
    needed[i](true);
  }
  EXPECT_TRUE(edit->Focused());
  // "&&" is a plain ampersand, not a marker.
  label->SetCaption("A&&B &Go");
  EXPECT_EQ(label->Perform(CM_DIALOGCHAR, 'b'), 0);
  EXPECT_EQ(label->Perform(CM_DIALOGCHAR, 'g'), 1);

  // The label itself is no focus control; a freed one is forgotten.
  label->SetCaption("&Name");
  label->SetFocusControl(nullptr);
  label->SetFocusControl(label);
  EXPECT_EQ(label->GetFocusControl(), nullptr);
  label->SetFocusControl(target);
  label->SetFocusControl(label);
  EXPECT_EQ(label->GetFocusControl(), target);
  target->Free();
  EXPECT_EQ(label->GetFocusControl(), nullptr);
  EXPECT_EQ(label->Perform(CM_DIALOGCHAR, 'n'), 0);
  // A control set and then replaced no longer reaches the label when freed.
  label->SetFocusControl(edit);
  auto* other = AddEdit("e3", 70);
  label->SetFocusControl(other);
  edit->Free();
  EXPECT_EQ(label->GetFocusControl(), other);
}

TEST_F(LabelControl, CaptionAndEditValueStayInStep) {
  label->GetProperties()->OnEditValueChanged = TNotifyEvent(&events, &TLabelEvents::ValueChanged);
  label->SetCaption("first");
  EXPECT_EQ(VarType(label->EditValue()), varString);
  EXPECT_EQ(VarToStr(label->EditValue()), "first");
  EXPECT_EQ(label->GetWidth(), 5 * adv + 4);
  label->SetEditValue(Variant(Integer(42)));
  EXPECT_EQ(label->GetCaption(), "42");
  EXPECT_EQ(VarType(label->EditValue()), varInteger) << "the value keeps its own type";
  EXPECT_EQ(label->GetWidth(), 2 * adv + 4);
  EXPECT_EQ(events.ValueChanges, 2) << "one assignment, one change";
  label->SetEditValue(VarArrayCreate(0, 1, varVariant));
  EXPECT_EQ(label->GetCaption(), "");
}

TEST_F(LabelControl, TransparentShowsTheParentsDrawingBehindTheText) {
  form->OnPaint = TNotifyEvent(&events, &TLabelEvents::PaintGreen);
  label->SetCaption("WWW");
  label->GetStyle()->SetTextColor(clNavy);
  Show();
  // Opaque: the label's colour, taken from the form, not what the form paints.
  EXPECT_EQ(At(label, 1, 1), TColor(0xFFFFFF));
  label->SetTransparent(true);
  host().PumpUntilIdle();
  EXPECT_EQ(At(label, 1, 1), TColor(0x00FF00));
  int navy = 0;
  for (int y = 0; y < label->GetHeight(); ++y)
    for (int x = 0; x < label->GetWidth(); ++x) navy += At(label, x, y) == TColor(0x000080);
  EXPECT_GT(navy, 3 * 4) << "the text is painted over the parent's drawing";
}

TEST_F(LabelControl, ReadFromAWindowDescription) {
  const char* text =
      "object Dialog: TForm\n"
      "  object eName: TEdit\n"
      "    Left = 100\n"
      "  end\n"
      "  object lName: TcxLabel\n"
      "    Left = 8\n"
      "    Top = 8\n"
      "    Caption = '&Name'\n"
      "    FocusControl = eName\n"
      "    AutoSize = False\n"
      "    Properties.Alignment.Horz = taCenter\n"
      "    Properties.WordWrap = True\n"
      "    Style.TextColor = clNavy\n"
      "    Transparent = True\n"
      "    Width = 80\n"
      "    Height = 30\n"
      "  end\n"
      "end\n";
  TForm* dialog = ReadDialog(text);
  auto* l = dynamic_cast<TcxLabel*>(dialog->FindComponent("lName"));
  ASSERT_NE(l, nullptr);
  EXPECT_EQ(l->GetCaption(), "&Name");
  EXPECT_EQ(VarToStr(l->EditValue()), "&Name");
  EXPECT_EQ(l->GetFocusControl(), dialog->FindComponent("eName"));
  EXPECT_FALSE(l->GetAutoSize());
  EXPECT_EQ(l->GetWidth(), 80);
  EXPECT_EQ(l->GetHeight(), 30);
  EXPECT_EQ(l->GetProperties()->GetAlignment()->GetHorz(), TAlignment::taCenter);
  EXPECT_TRUE(l->GetProperties()->GetWordWrap());
  EXPECT_EQ(l->GetStyle()->GetTextColor(), clNavy);
  EXPECT_TRUE(l->GetTransparent());
  Owned<TMemoryStream> out(New<TMemoryStream>());
  out->WriteComponent(dialog);
  const String bytes(reinterpret_cast<const char*>(out->Memory()), size_t(out->GetSize()));
  EXPECT_NE(bytes.find("FocusControl"), String::npos);
  EXPECT_NE(bytes.find("WordWrap"), String::npos);
  EXPECT_EQ(bytes.find("ShowAccelChar"), String::npos) << "defaults are not written";
  dialog->Free();
}

}  // namespace
