// Glyph copies in the picture budget: a window description that turns one picture of an
// image list into a glyph for each of its buttons copies the picture once per button; past
// the budget the description fails with the budget's error, and freeing what was read gives
// every share back.
#include "classlib/core/SysUtils.h"
#include "classlib/visual/ActnList.h"
#include "classlib/visual/DecodedPixels.h"
#include "classlib/visual/ImgList.h"
#include "tests/editors/EditorsTestSupport.h"
#include "tests/support/FormDescription.h"
#include "widgets/editors/cxButtons.h"

#include <gtest/gtest.h>

namespace {

constexpr Integer kW = 4096, kH = 1024;   // 4,194,304 pixels: eight fill the budget

String Hex(const std::vector<Byte>& Bytes) {
  static const char digits[] = "0123456789ABCDEF";
  String s;
  for (Byte b : Bytes) {
    s += digits[b >> 4];
    s += digits[b & 15];
  }
  return s;
}

// One image list holding one picture of kW x kH, an action showing it and Buttons buttons
// taking the action, and so its image as their glyph.
String ButtonsOfOnePicture(int Buttons) {
  DecodedImage img;
  img.Width = kW;
  img.Height = kH;
  img.Pixels.assign(size_t(kW) * size_t(kH), 0x00208040);
  const EncodeResult png = EncodePng(img);
  EXPECT_TRUE(png.Ok) << png.Error;
  String text = "object F: TForm\n  object Images: TImageList\n    Width = " + IntToStr(kW) +
                "\n    Height = " + IntToStr(kH) + "\n    Bitmap = {" + Hex(png.Bytes) +
                "}\n  end\n  object L: TActionList\n    Images = Images\n    object Run: TAction\n"
                "      ImageIndex = 0\n    end\n  end\n";
  for (int i = 0; i < Buttons; ++i) text += "  object B" + IntToStr(i) + ": TcxButton\n    Action = Run\n  end\n";
  return text + "end\n";
}

class GlyphCopiesBudget : public EditorsTest {
 protected:
  void SetUp() override {
    EditorsTest::SetUp();
    before = TDecodedPixels::InUse();
  }
  int64_t before = 0;
};

TEST_F(GlyphCopiesBudget, ButtonsCopyingOnePictureAreCountedAndFailCleanlyPastTheBudget) {
  ASSERT_LE(before, 65536) << "the painters' own pictures are counted: they must stay small";
  {
    // Two copies beside the decoded image fit.
    TForm* f = TForm::CreateNew<TForm>(nullptr);
    ReadDescription(ButtonsOfOnePicture(2), f);
    auto* b1 = dynamic_cast<TcxButton*>(f->FindComponent("B1"));
    ASSERT_NE(b1, nullptr);
    EXPECT_EQ(b1->GetGlyph()->GetWidth(), kW);
    EXPECT_EQ(TDecodedPixels::InUse() - before, 3 * int64_t(kW) * kH);
    f->Free();
    EXPECT_EQ(TDecodedPixels::InUse(), before);
  }
  // Sixteen would take 68 M pixels: the copies are refused with the budget's error.
  TForm* f = TForm::CreateNew<TForm>(nullptr);
  try {
    ReadDescription(ButtonsOfOnePicture(16), f);
    ADD_FAILURE() << "sixteen copies of the picture were made";
  } catch (const Exception& e) {
    EXPECT_NE(e.Message().find("pixels does not fit: decoded pictures may hold 33554432 pixels in all"),
              String::npos)
        << e.Message();
  }
  EXPECT_LE(TDecodedPixels::InUse(), kDecodedPixelBudget);
  f->Free();
  EXPECT_EQ(TDecodedPixels::InUse(), before);
}

}  // namespace
