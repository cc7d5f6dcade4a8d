// The spin edit under visual styles: its normal buttons are the spin theme's parts, by
// position and state; the fast buttons are themed push buttons.
#include "classlib/visual/Forms.h"
#include "tests/foundation/NativePainterFixture.h"
#include "widgets/editcore/EditcoreUnits.h"
#include "widgets/editors/EditorsUnits.h"
#include "widgets/editors/cxSpinEdit.h"
#include "widgets/foundation/FoundationUnits.h"

#include <gtest/gtest.h>

#include <set>

namespace {

class ThemedSpinEdit : public NativePainterTest {
 protected:
  void SetUp() override {
    NativePainterTest::SetUp();
    ThemeOn();
    WidgetsFoundationInitialize();
    WidgetsEditcoreInitialize();
    WidgetsEditorsInitialize();
    form = TForm::CreateNew(Application);
    form->SetBounds(50, 50, 200, 100);
    edit = New<TcxSpinEdit>(form);
    edit->SetBounds(10, 10, 120, 21);
    edit->SetParent(form);
    edit->GetStyle()->GetLookAndFeel()->SetNativeStyle(true);
    form->Show();
    host().PumpUntilIdle();
  }
  void TearDown() override {
    form->Free();
    WidgetsEditorsFinalize();
    WidgetsEditcoreFinalize();
    WidgetsFoundationFinalize();
    NativePainterTest::TearDown();
  }
  // The (class, part, state) of each theme background the edit's painting draws.
  std::set<std::tuple<String, int, int>> Parts() {
    PaperCanvas paper(120, 21);
    const auto calls = Record([&] { edit->PaintTo(paper.DC(), 0, 0); });
    std::set<std::tuple<String, int, int>> r;
    for (const ThemeCall& c : calls)
      if (c.function == "DrawThemeBackground" && (c.className == "Spin" || c.className == "Button"))
        r.insert({c.className, c.part, c.state});
    return r;
  }
  TForm* form = nullptr;
  TcxSpinEdit* edit = nullptr;
};

using Part = std::tuple<String, int, int>;

TEST_F(ThemedSpinEdit, ButtonsArePartsOfTheSpinThemeByPositionAndState) {
  EXPECT_EQ(Parts(), (std::set<Part>{{"Spin", 1, 1}, {"Spin", 2, 1}}));
  // One pixel parts the two halves of the column.
  const auto& b = edit->EditViewInfo()->ButtonsInfo;
  ASSERT_EQ(b.size(), 2u);
  EXPECT_EQ(b[0]->Bounds.Top, b[1]->Bounds.Bottom + 1);

  edit->SetFocus();
  host().PumpUntilIdle();
  host().KeyDown(VK_DOWN);
  host().PumpUntilIdle();
  EXPECT_EQ(Parts(), (std::set<Part>{{"Spin", 1, 1}, {"Spin", 2, 3}}));
  host().KeyUp(VK_DOWN);
  host().PumpUntilIdle();

  TcxSpinEditButtons* buttons = edit->GetSpinEditProperties()->GetSpinButtons();
  buttons->SetPosition(TcxSpinEditButtonsPosition::sbpHorzRight);
  buttons->SetShowFastButtons(true);
  host().PumpUntilIdle();
  EXPECT_EQ(Parts(), (std::set<Part>{{"Spin", 3, 1}, {"Spin", 4, 1}, {"Button", 1, 1}}));
}

}  // namespace
