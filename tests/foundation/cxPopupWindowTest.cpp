#include <gtest/gtest.h>

#include "platform/host/HeadlessHost.h"
#include "platform/kernel/Modules.h"
#include "platform/user/UserTesting.h"
#include "tests/support/AppTest.h"
#include "widgets/foundation/cxControls.h"

namespace {

using enum TcxPopupAlignHorz;
using enum TcxPopupAlignVert;
using enum TcxPopupDirection;

const TRect kWork{0, 0, 800, 600};

TEST(cxPopupPositionTest, OpensBelowOrAboveAsAskedWhenItFits) {
  const TRect owner{100, 200, 180, 220};
  EXPECT_EQ(cxCalculatePopupPosition(owner, 150, 100, pdVertical, pahLeft, pavBottom, kWork), (TPoint{100, 220}));
  EXPECT_EQ(cxCalculatePopupPosition(owner, 150, 100, pdVertical, pahRight, pavTop, kWork), (TPoint{30, 100}));
  // Asked to the left where it does not fit, with more room on the right: opens to the right.
  EXPECT_EQ(cxCalculatePopupPosition(owner, 150, 100, pdHorizontal, pahLeft, pavBottom, kWork), (TPoint{180, 120}));
}

TEST(cxPopupPositionTest, FlipsToTheSideWithMoreRoomOnly) {
  // Near the bottom: 150 pixels do not fit below, there is more room above.
  EXPECT_EQ(cxCalculatePopupPosition({100, 500, 200, 520}, 120, 150, pdVertical, pahLeft, pavBottom, kWork),
            (TPoint{100, 350}));
  // Does not fit below, but above has even less room: stays below.
  EXPECT_EQ(cxCalculatePopupPosition({100, 250, 200, 270}, 120, 400, pdVertical, pahLeft, pavBottom, kWork),
            (TPoint{100, 270}));
  // Asked above near the top: flips below.
  EXPECT_EQ(cxCalculatePopupPosition({100, 30, 200, 50}, 120, 100, pdVertical, pahLeft, pavTop, kWork),
            (TPoint{100, 50}));
  // Beside the owner at the right edge: opens to the left.
  EXPECT_EQ(cxCalculatePopupPosition({700, 100, 760, 120}, 120, 50, pdHorizontal, pahRight, pavTop, kWork),
            (TPoint{580, 100}));
}

TEST(cxPopupPositionTest, ClampsAlongTheFreeAxisOnly) {
  // Opening downwards at the right edge: slid left into the work area.
  EXPECT_EQ(cxCalculatePopupPosition({750, 100, 790, 120}, 200, 50, pdVertical, pahLeft, pavBottom, kWork),
            (TPoint{600, 120}));
  // Larger than the work area: the left/top edge wins.
  EXPECT_EQ(cxCalculatePopupPosition({10, 10, 50, 30}, 900, 50, pdVertical, pahRight, pavBottom, kWork),
            (TPoint{0, 30}));
  // Centred horizontally beside the owner: kept inside.
  // Beside the owner horizontally: not moved along that axis even when it leaves the area.
  EXPECT_EQ(cxCalculatePopupPosition({0, 100, 700, 120}, 200, 40, pdHorizontal, pahRight, pavTop, kWork).X, 700);
  // Vertical axis clamped for a popup beside the owner near the bottom.
  // A work area that does not start at 0.
  const TRect shifted{1000, 50, 1800, 650};
  EXPECT_EQ(cxCalculatePopupPosition({990, 60, 1020, 80}, 100, 40, pdVertical, pahRight, pavBottom, shifted),
            (TPoint{1000, 80}));
}

class cxPopupWindowTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    cxControls::Initialize();
  }
  void TearDown() override {
    cxControls::Finalize();
    AppTest::TearDown();
  }
};

TEST_F(cxPopupWindowTest, ReopeningKeepsSizeAndChildPositions) {
  Owned<TcxPopupWindow> popup(New<TcxPopupWindow>(nullptr));
  auto* child = new TCustomControl(popup.get());
  child->AfterConstruction();
  child->SetBounds(0, 0, 100, 60);
  child->SetParent(popup.get());
  popup->SetPopupBorderStyle(TcxPopupBorderStyle::pbs3D);
  popup->SetBorderSpace(3);
  popup->SetOwnerBounds({50, 50, 90, 70});
  for (int i = 0; i < 3; ++i) {
    popup->Popup();
    EXPECT_EQ(popup->GetWidth(), 5 + 100 + 5);
    EXPECT_EQ(child->GetLeft(), 5);
    popup->ClosePopup();
  }
}

TEST_F(cxPopupWindowTest, WorkAreaWithAndWithoutTheMonitorFunctions) {
  const TRect area{0, 0, 640, 400};
  host().SetWorkArea(area);
  EXPECT_EQ(cxGetDesktopWorkArea({5, 5}), area);
  UserSetMonitorLookupFails(true);
  EXPECT_EQ(cxGetDesktopWorkArea({5, 5}), area);
  UserSetMonitorLookupFails(false);
  // Started on a system whose user library lacks them.
  cxControls::Finalize();
  SetExportHidden("USER32", "MonitorFromPoint", true);
  cxControls::Initialize();
  EXPECT_EQ(cxGetDesktopWorkArea({5, 5}), area);
  SetExportHidden("USER32", "MonitorFromPoint", false);
}


TEST_F(cxPopupWindowTest, UltraFlatFrameIsDrawnInTheFrameColour) {
  Owned<TcxPopupWindow> popup(New<TcxPopupWindow>(nullptr));
  popup->SetAdjustSize(false);
  popup->SetBounds(0, 0, 60, 40);
  popup->SetPopupBorderStyle(TcxPopupBorderStyle::pbsUltraFlat);
  popup->SetFrameColor(TColor(RGB(200, 10, 20)));
  popup->SetOwnerBounds({100, 100, 150, 120});
  popup->Popup();
  popup->Repaint();
  host().PumpUntilIdle();
  HDC dc = GetDC(popup->Handle());
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(200, 10, 20));
  EXPECT_NE(GetPixel(dc, 1, 1), RGB(200, 10, 20));
  ReleaseDC(popup->Handle(), dc);
  popup->ClosePopup();
}

TEST_F(cxPopupWindowTest, ClosesWhenAnotherWindowIsActivated) {
  TForm* owner = TCustomForm::CreateNew(nullptr);
  owner->SetBounds(10, 10, 300, 200);
  owner->Show();
  host().PumpUntilIdle();
  Owned<TcxPopupWindow> popup(New<TcxPopupWindow>(nullptr));
  popup->SetAdjustSize(false);
  popup->SetBounds(0, 0, 60, 40);
  popup->SetOwnerBounds({100, 100, 150, 120});
  popup->Popup();
  host().PumpUntilIdle();
  ASSERT_TRUE(popup->GetVisible());
  SetActiveWindow(popup->Handle());
  host().PumpUntilIdle();
  SetActiveWindow(owner->Handle());
  host().PumpUntilIdle();
  EXPECT_FALSE(popup->GetVisible());
  owner->Free();
}

}  // namespace
