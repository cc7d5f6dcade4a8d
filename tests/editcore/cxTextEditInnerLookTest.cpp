// The text editor's platform edit in the look of the editor's active style: background, font
// and text colour in each state, as the font object says and as the pixels show.
#include "platform/gdi/FontEngine.h"
#include "tests/editcore/EditControlTestSupport.h"
#include "widgets/editcore/cxTextEditControl.h"

namespace {

// Counts the paints of its platform edit.
class TCountingInnerEdit : public TcxCustomInnerTextEdit {
  TL_CLASS(TCountingInnerEdit, TcxCustomInnerTextEdit)
 public:
  using TcxCustomInnerTextEdit::TcxCustomInnerTextEdit;
  int Paints = 0;

 protected:
  void WndProc(TMessage& Message) override {
    if (Message.Msg == WM_PAINT) ++Paints;
    inherited::WndProc(Message);
  }
};
TL_DEFINE_CLASS(TCountingInnerEdit, [](auto&) {});

class TCountingTextEdit : public TcxTextEdit {
  TL_CLASS(TCountingTextEdit, TcxTextEdit)
 public:
  using TcxTextEdit::TcxTextEdit;
  TMetaClass<TWinControl, TComponent*> GetInnerEditClass() const override {
    return ClassOf<TCountingInnerEdit, TWinControl, TComponent*>();
  }
};
TL_DEFINE_CLASS(TCountingTextEdit, [](auto&) {});

class TextEditInnerLook : public EditControlTest {
 protected:
  TcxTextEdit* AddText(Integer Y, const String& AText) {
    auto* e = New<TcxTextEdit>(form);
    e->SetBounds(10, Y, 121, 21);
    e->SetParent(form);
    // A face drawn without smoothing: its ink is the text colour itself.
    e->GetStyle()->GetFont()->SetName(kTestFaceName);
    e->SetEditValue(Variant(AText));
    Pump();
    return e;
  }
  static Pixel Rgb(TColor c) {
    const COLORREF v = ColorToRGB(c);
    return Pixel(((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF));
  }
  // Pixels of the platform edit's client area in colour C.
  int Count(TcxTextEdit* e, TColor C) {
    TcxCustomInnerTextEdit* inner = e->InnerTextEdit();
    int n = 0;
    for (int x = 0; x < inner->GetWidth(); ++x)
      for (int y = 0; y < inner->GetHeight(); ++y)
        n += (host().PixelAt(inner->GetHandle(), x, y) & 0xFFFFFF) == Rgb(C);
    return n;
  }
  // The platform edit paints the text in AText on ABack, right of the text only the background.
  void ExpectShown(TcxTextEdit* e, TColor AText, TColor ABack) {
    TcxCustomInnerTextEdit* inner = e->InnerTextEdit();
    EXPECT_EQ(inner->GetFont()->GetColor(), AText);
    // The platform edit draws with that very font.
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(inner->GetHandle(), WM_GETFONT, 0, 0)),
              inner->GetFont()->GetHandle());
    EXPECT_EQ(inner->GetColor(), ABack);
    EXPECT_GT(Count(e, AText), 10);
    EXPECT_EQ(host().PixelAt(inner->GetHandle(), inner->GetWidth() - 3, inner->GetHeight() / 2) &
                  0xFFFFFF,
              Rgb(ABack));
  }
};

TEST_F(TextEditInnerLook, TheStylesFontAndColoursReachThePlatformEdit) {
  TcxTextEdit* e = AddText(10, "Hg");
  ExpectShown(e, clWindowText, clWindow);
  TcxContainerStyle* s = e->GetStyle();
  s->BeginUpdate();
  s->GetFont()->SetName(kTestFaceName);
  s->GetFont()->SetHeight(-15);
  s->SetTextColor(clRed);
  s->SetTextStyle(TFontStyles{TFontStyle::fsItalic});
  s->SetColor(clYellow);
  s->EndUpdate();
  Pump();
  ExpectShown(e, clRed, clYellow);
  EXPECT_EQ(Count(e, clWindowText), 0);
  TFont* f = e->InnerTextEdit()->GetFont();
  EXPECT_EQ(f->GetName(), kTestFaceName);
  EXPECT_EQ(f->GetHeight(), -15);
  EXPECT_EQ(f->GetStyle(), TFontStyles{TFontStyle::fsItalic});
  // A platform edit made anew (for another letter case) is given the font as well.
  const HWND before = e->InnerTextEdit()->GetHandle();
  e->GetTextProperties()->SetCharCase(TEditCharCase::ecUpperCase);
  Pump();
  ASSERT_NE(e->InnerTextEdit()->GetHandle(), before);
  ExpectShown(e, clRed, clYellow);
  // The editor's own font goes to its style, and on to the platform edit.
  e->GetFont()->SetHeight(-11);
  Pump();
  EXPECT_EQ(f->GetHeight(), -11);
  EXPECT_EQ(f->GetColor(), clRed);
}

TEST_F(TextEditInnerLook, HotFocusedAndDisabledStylesTakeOverAndGiveBack) {
  TcxTextEdit* e = AddText(10, "Hg");
  TcxTextEdit* other = AddText(50, "");
  e->GetStyleHot()->SetTextColor(clGreen);
  e->GetStyleFocused()->SetTextColor(clBlue);
  e->GetStyleFocused()->SetColor(clAqua);
  e->GetStyleFocused()->SetTextStyle(TFontStyles{TFontStyle::fsBold});
  HWND inner = e->InnerTextEdit()->GetHandle();
  const struct {
    const char* Step;
    std::function<void()> Do;
    TColor Text, Back;
  } steps[] = {
      {"normal", [] {}, clWindowText, clWindow},
      {"hot", [&] { host().MouseMove(inner, 90, 5); }, clGreen, clWindow},
      {"focused",
       [&] {
         e->SetFocus();
         e->SetSelLength(0);
       },
       clBlue, clAqua},
      {"left",
       [&] {
         other->SetFocus();
         host().MouseMove(form->GetHandle(), 300, 150);
       },
       clWindowText, clWindow},
      // Disabled with nothing assigned: the greyed defaults.
      {"disabled", [&] { e->SetEnabled(false); }, clBtnShadow, clBtnFace},
      {"disabled, own colour", [&] { e->GetStyleDisabled()->SetTextColor(clMaroon); }, clMaroon,
       clBtnFace},
      {"enabled", [&] { e->SetEnabled(true); }, clWindowText, clWindow},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.Step);
    s.Do();
    Pump();
    ExpectShown(e, s.Text, s.Back);
    EXPECT_EQ(e->InnerTextEdit()->GetFont()->GetStyle().Contains(TFontStyle::fsBold),
              s.Back == clAqua);
  }
}

TEST_F(TextEditInnerLook, AReadOnlyEditorKeepsItsStylesColours) {
  TcxTextEdit* e = AddText(10, "Hg");
  e->GetStyle()->SetTextColor(clRed);
  e->GetStyle()->SetColor(clYellow);
  e->GetProperties()->SetReadOnly(true);
  Pump();
  // Not the platform's read-only face: the style's own colours.
  ExpectShown(e, clRed, clYellow);
  EXPECT_EQ(Count(e, clBtnFace), 0);
}

TEST_F(TextEditInnerLook, AMouseMoveThatChangesNothingRepaintsNothing) {
  auto* e = New<TCountingTextEdit>(form);
  e->SetBounds(10, 10, 121, 21);
  e->SetParent(form);
  Pump();
  auto* inner = static_cast<TCountingInnerEdit*>(e->InnerTextEdit());
  host().MouseMove(inner->GetHandle(), 60, 5);
  Pump();
  ASSERT_TRUE(e->ViewInfo()->ContainerState.Contains(TcxContainerStateItem::csHotTrack));
  // Still hot, the same look: the platform edit is left alone.
  const int paints = inner->Paints;
  host().MouseMove(inner->GetHandle(), 70, 6);
  Pump();
  EXPECT_EQ(inner->Paints, paints);
  // A new look is painted.
  e->GetStyleHot()->SetTextColor(clGreen);
  Pump();
  EXPECT_GT(inner->Paints, paints);
}

}  // namespace
