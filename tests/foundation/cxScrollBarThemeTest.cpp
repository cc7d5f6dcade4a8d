#include <gtest/gtest.h>

#include "platform/theme/ThemeTesting.h"
#include "platform/user/UserTesting.h"
#include "platform/theme/UxTheme.h"
#include "tests/foundation/NativePainterFixture.h"
#include "widgets/foundation/cxControls.h"
#include "widgets/foundation/cxLookAndFeelPainterImages.h"
#include "widgets/foundation/cxScrollBar.h"
#include "widgets/foundation/dxUxTheme.h"

#include <algorithm>

namespace {

class cxScrollBarThemeTest : public NativePainterTest {
 protected:
  void TearDown() override {
    if (form) form->Free();
    if (started) {
      cxRegisterNativePainter(nullptr);
      cxControls::Finalize();
      cxLookAndFeelPainterImages::Finalize();
    }
    NativePainterTest::TearDown();
  }
  void Open() {
    ThemeOn();
    Start();
    cxLookAndFeelPainterImages::Initialize();
    cxControls::Initialize();
    cxRegisterNativePainter(cxNativePainter());
    started = true;
    form = TCustomForm::CreateNew(nullptr);
    form->SetBounds(50, 50, 300, 300);
    bar = New<TcxScrollBar>(form);
    bar->SetKind(TScrollBarKind::sbVertical);
    bar->SetBounds(10, 10, 17, 250);
    bar->SetParent(form);
    // A page this small asks for a thumb shorter than any minimum.
    bar->SetScrollParams(0, 100000, 0, 1);
    form->Show();
    host().PumpUntilIdle();
  }
  Integer Thumb() const { return bar->ThumbRect().Height(); }
  // What the style's gripper of the vertical bar asks for: its minimum, or its true size
  // with room around it.
  static Integer GripperLength() {
    HTHEME theme = cxOpenTheme(TdxThemedObjectType::totScrollBar);
    TSize min{}, real{};
    EXPECT_EQ(cxGetThemePartSizeNoRect(theme, nullptr, SBP_GRIPPERHORZ, 0, TS_MIN, min), S_OK);
    EXPECT_EQ(cxGetThemePartSizeNoRect(theme, nullptr, SBP_GRIPPERHORZ, 0, TS_TRUE, real), S_OK);
    return std::max({Integer(min.cy), Integer(real.cy) + 4, Integer(8)});
  }

  bool started = false;
  TForm* form = nullptr;
  TcxScrollBar* bar = nullptr;
};

TEST_F(cxScrollBarThemeTest, TheNativeLookSizesTheThumbForTheStylesGripper) {
  Open();
  EXPECT_EQ(Thumb(), 8);  // the painted looks keep the fixed minimum
  bar->GetLookAndFeel()->SetNativeStyle(true);
  const Integer gripper = GripperLength();
  ASSERT_GT(gripper, 8);
  EXPECT_EQ(bar->MinThumbLength(), gripper);
  EXPECT_EQ(Thumb(), gripper);
  // Without visual styles the native look falls back to a painted one, and so does the thumb.
  ThemeSettings off;
  off.active = false;
  ThemeChange(off);
  host().PumpUntilIdle();
  EXPECT_EQ(Thumb(), 8);
}

}  // namespace
