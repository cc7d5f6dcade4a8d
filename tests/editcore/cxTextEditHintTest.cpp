// The text editor's hint: resting over a text cut off by the editor shows the whole text in
// the application's hint window; a text that fits shows the editor's own hint, if any.
#include "tests/editcore/EditControlTestSupport.h"
#include "tests/foundation/GalleryFile.h"
#include "widgets/editcore/cxTextEditControl.h"

#include <algorithm>
#include <cstring>

namespace {

const char* const kLong = "A text far too long for this small editor";

class TextEditHint : public EditControlTest {
 protected:
  TcxTextEdit* AddText(Integer Y, Integer W, const String& S) {
    auto* e = New<TcxTextEdit>(form);
    e->SetBounds(10, Y, W, 21);
    e->SetParent(form);
    e->SetShowHint(true);
    e->SetValueText(S);
    host().PumpUntilIdle();
    return e;
  }
  static HWND HintHandle() { return FindWindowA("THintWindow", nullptr); }
  static String ShownText() {
    HWND h = HintHandle();
    if (!h || !IsWindowVisible(h)) return "(none)";
    char buf[256] = {};
    GetWindowTextA(h, buf, sizeof buf);
    return buf;
  }
  // The mouse comes to a point of the editor (its client coordinates).
  void MoveOver(TcxCustomEdit* E, Integer X, Integer Y) {
    host().MouseMove(E->Handle(), X, Y);
    Pump();
  }
  void MoveOffEditors() {
    host().MouseMove(form->Handle(), 300, 200);
    Pump();
  }
};

TEST_F(TextEditHint, ACutTextShowsWholeAfterThePauseAndGoesOnLeaving) {
  TcxTextEdit* cut = AddText(10, 60, kLong);
  TcxTextEdit* fits = AddText(50, 200, "Short");
  MoveOver(cut, 20, 10);
  host().Advance(499);
  EXPECT_EQ(ShownText(), "(none)");
  host().Advance(1);
  EXPECT_EQ(ShownText(), kLong);
  MoveOver(cut, 30, 12);
  EXPECT_EQ(ShownText(), kLong) << "still over the text";
  MoveOffEditors();
  EXPECT_EQ(ShownText(), "(none)");
  MoveOver(fits, 20, 10);
  host().Advance(1000);
  EXPECT_EQ(ShownText(), "(none)") << "a text that fits needs no hint";
  // Once the text is short enough, the cut editor shows nothing either.
  cut->SetValueText("ab");
  Pump();
  MoveOver(cut, 20, 10);
  host().Advance(1000);
  EXPECT_EQ(ShownText(), "(none)");
}

TEST_F(TextEditHint, TheEditorsOwnHintWhenItsTextFitsAndNoneWithHintsOff) {
  TcxTextEdit* cut = AddText(10, 60, kLong);
  TcxTextEdit* fits = AddText(50, 200, "Short");
  fits->SetHint("Your name|Type your name here");
  cut->SetHint("Address");
  MoveOver(fits, 20, 10);
  host().Advance(500);
  EXPECT_EQ(ShownText(), "Your name");
  MoveOver(cut, 20, 10);
  host().Advance(50);  // a hint was up just now
  EXPECT_EQ(ShownText(), kLong) << "over a cut text its whole text comes first";
  MoveOffEditors();

  cut->SetShowHint(false);
  MoveOver(cut, 22, 10);
  host().Advance(1000);
  EXPECT_EQ(ShownText(), "(none)");
  cut->SetShowHint(true);
  Application->SetShowHint(false);
  MoveOver(cut, 24, 10);
  host().Advance(1000);
  EXPECT_EQ(ShownText(), "(none)");
  Application->SetShowHint(true);
  MoveOver(cut, 26, 10);
  host().Advance(500);
  EXPECT_EQ(ShownText(), kLong);
}

TEST_F(TextEditHint, AFocusedEditorShowsItsCutTextToo) {
  TcxTextEdit* cut = AddText(10, 60, kLong);
  cut->SetFocus();
  Pump();
  MoveOver(cut, 20, 10);
  host().Advance(500);
  EXPECT_EQ(ShownText(), kLong);
  host().Key(VK_END);
  Pump();
  EXPECT_EQ(ShownText(), "(none)") << "a key ends the hint";
}

TEST_F(TextEditHint, FreeingTheEditorUnderItsHint) {
  TcxTextEdit* cut = AddText(10, 60, kLong);
  TcxTextEdit* other = AddText(50, 60, kLong);
  MoveOver(cut, 20, 10);
  host().Advance(500);
  ASSERT_EQ(ShownText(), kLong);
  cut->Free();
  EXPECT_EQ(ShownText(), "(none)");
  host().Advance(3000);
  MoveOver(other, 20, 10);
  host().Advance(500);
  EXPECT_EQ(ShownText(), kLong);
}

// The hint window over its editor, for a person to look at.
TEST_F(TextEditHint, GalleryTheHintOfACutText) {
  TcxTextEdit* cut = AddText(10, 60, kLong);
  MoveOver(cut, 20, 10);
  host().Advance(500);
  ASSERT_EQ(ShownText(), kLong);
  RECT f, h;
  GetWindowRect(form->Handle(), &f);
  GetWindowRect(HintHandle(), &h);
  const Integer left = std::min(f.Left, h.Left), top = std::min(f.Top, h.Top);
  const Integer right = std::max<Integer>(h.Right, f.Left + 320), bottom = std::max<Integer>(h.Bottom, f.Top + 120);
  const Surface screen = host().CaptureScreen();
  DecodedImage image;
  image.Width = right - left;
  image.Height = bottom - top;
  for (Integer y = top; y < bottom; ++y)
    for (Integer x = left; x < right; ++x) image.Pixels.push_back(screen.At(x, y));
  // The hint's background is the hint colour, over whatever lay below.
  EXPECT_EQ(screen.At(h.Left + 2, h.Bottom - 2), PixelFromColor(GetSysColor(COLOR_INFOBK)));
  WriteGalleryPng(image, "text-edit-hint-of-a-cut-text.png");
}

}  // namespace

TEST_F(TextEditHint, TheHintOfAFocusedEditorIsTheTextAsTypedSoFar) {
  TcxTextEdit* cut = AddText(10, 60, kLong);
  cut->SetFocus();
  Pump();
  host().Key(VK_END);
  host().Text("XYZ");
  Pump();
  MoveOver(cut, 20, 10);
  host().Advance(500);
  EXPECT_EQ(ShownText(), String(kLong) + "XYZ");
}

TEST_F(TextEditHint, APasswordEditorsHintShowsOnlyItsMaskCharacters) {
  TcxTextEdit* cut = AddText(10, 60, kLong);
  cut->GetTextProperties()->SetEchoMode(TcxEditEchoMode::eemPassword);
  Pump();
  MoveOver(cut, 20, 10);
  host().Advance(500);
  EXPECT_EQ(ShownText(), String(std::strlen(kLong), '*'));
}
