// The button under visual styles: which painter it takes and that it draws the push-button
// part of the button theme.
#include "classlib/visual/Forms.h"
#include "tests/foundation/NativePainterFixture.h"
#include "widgets/editcore/EditcoreUnits.h"
#include "widgets/editors/EditorsUnits.h"
#include "widgets/editors/cxButtons.h"
#include "widgets/foundation/FoundationUnits.h"

#include <gtest/gtest.h>

namespace {

using K = TcxLookAndFeelKind;
using BS = TcxButtonState;

class ThemedButton : public NativePainterTest {
 protected:
  void Open(bool themed) {
    if (themed) ThemeOn();
    WidgetsFoundationInitialize();
    WidgetsEditorsInitialize();
    started = true;
    form = TForm::CreateNew(Application);
    form->SetBounds(50, 50, 200, 100);
    button = New<TcxButton>(form);
    button->SetBounds(10, 10, 80, 25);
    button->SetCaption("Go");
    button->SetParent(form);
    form->Show();
    host().PumpUntilIdle();
  }
  void TearDown() override {
    if (form) form->Free();
    if (started) {
      WidgetsEditorsFinalize();
      WidgetsFoundationFinalize();
    }
    NativePainterTest::TearDown();
  }
  bool started = false;
  TForm* form = nullptr;
  TcxButton* button = nullptr;
};

TEST_F(ThemedButton, Office11GivesWayToTheNativePainterUnderVisualStyles) {
  Open(true);
  button->GetLookAndFeel()->SetKind(K::lfOffice11);
  EXPECT_EQ(button->GetPainterClass(), cxWinXPPainter());
  button->GetLookAndFeel()->SetKind(K::lfFlat);
  EXPECT_EQ(button->GetPainterClass(), cxFlatPainter());
  button->GetLookAndFeel()->SetNativeStyle(true);
  EXPECT_EQ(button->GetPainterClass(), cxWinXPPainter());
  PaperCanvas paper(80, 25);
  const auto calls = Record([&] { button->PaintTo(paper.Cx(), false, true); });
  bool pushButton = false;
  for (const ThemeCall& c : calls) pushButton |= c.function == "DrawThemeBackground" && c.part == 1;
  EXPECT_TRUE(pushButton);
  EXPECT_TRUE(paper.Painted());
}

TEST_F(ThemedButton, Office11IsStandardWithoutVisualStyles) {
  Open(false);
  button->GetLookAndFeel()->SetKind(K::lfOffice11);
  EXPECT_EQ(button->GetPainterClass(), cxStandardPainter());
  button->GetLookAndFeel()->SetNativeStyle(true);
  EXPECT_EQ(button->GetPainterClass(), cxStandardPainter());
}

}  // namespace
