// The application's message box: modal over the other forms, its caption, icon, text and
// the keys that answer it.
#include "classlib/visual/Forms.h"
#include "tests/support/AppTest.h"

#include <gtest/gtest.h>

namespace {

class MessageBoxTest : public AppTest {};

// What the box showed while it was up.
struct Seen {
  String Caption;
  bool OwnerEnabled = true;
  Pixel Icon = 0;
  Integer TextPixels = 0;
  Integer ClientWidth = 0;
};

Seen Look(HWND owner) {
  Seen s;
  HWND box = GetActiveWindow();
  char caption[64] = {};
  GetWindowTextA(box, caption, sizeof caption);
  s.Caption = caption;
  s.OwnerEnabled = IsWindowEnabled(owner) != FALSE;
  RECT client;
  GetClientRect(box, &client);
  s.ClientWidth = client.Right;
  return s;
}

TEST_F(MessageBoxTest, ShowsTextAndIconModallyAndAnyOfItsKeysAnswersOk) {
  TForm* owner = TCustomForm::CreateNew<TForm>(Application);
  owner->Show();
  Pump();
  Seen info, plain;
  host().WhenIdle([&] {
    info = Look(owner->GetHandle());
    HWND box = GetActiveWindow();
    // Inside the disc above the "i", and a white pixel of the "i" itself.
    info.Icon = host().PixelAt(box, 28, 15);
    EXPECT_EQ(host().PixelAt(box, 28, 22) & 0xFFFFFF, 0xFFFFFFu);
    for (Integer y = 12; y < 44; ++y)
      for (Integer x = 56; x < info.ClientWidth - 12; ++x) info.TextPixels += (host().PixelAt(box, x, y) & 0xFFFFFF) < 0x404040;
    host().Key(VK_RETURN);
  });
  EXPECT_EQ(Application->MessageBox("Nothing to re-play.", "Error", MB_OK | MB_ICONINFORMATION), mrOk);
  EXPECT_EQ(info.Caption, "Error");
  EXPECT_FALSE(info.OwnerEnabled);
  EXPECT_EQ(info.Icon & 0xFFFFFF, 0x0064C8u);
  EXPECT_GT(info.TextPixels, 20);
  EXPECT_TRUE(IsWindowEnabled(owner->GetHandle()));

  host().WhenIdle([&] {
    plain = Look(owner->GetHandle());
    plain.Icon = host().PixelAt(GetActiveWindow(), 28, 15);
    host().Key(VK_ESCAPE);
  });
  EXPECT_EQ(Application->MessageBox("A much longer text than the first, so that the box grows wider.", "", MB_OK),
            mrOk);
  EXPECT_EQ(plain.Caption, "Error");
  EXPECT_NE(plain.Icon & 0xFFFFFF, 0x0064C8u);
  EXPECT_GT(plain.ClientWidth, info.ClientWidth);
  EXPECT_EQ(host().PendingScripts(), 0u);
  EXPECT_EQ(Screen->FormCount(), 1);
}

}  // namespace
