// The radio button and the group box under visual styles: the themed radio part in each
// state, and the themed group-box frame inset on the caption's side.
#include "classlib/visual/Forms.h"
#include "platform/gdi/FontEngine.h"
#include "platform/user/User.h"
#include "tests/foundation/NativePainterFixture.h"
#include "widgets/editcore/EditcoreUnits.h"
#include "widgets/editcore/cxEditStyles.h"
#include "widgets/editors/EditorsUnits.h"
#include "widgets/editors/cxGroupBox.h"
#include "widgets/editors/cxRadioGroup.h"
#include "widgets/foundation/FoundationUnits.h"

#include <gtest/gtest.h>

namespace {

using RS = TcxRadioButtonState;

class TThemedProbeRadio : public TcxRadioButton {
 public:
  using TcxRadioButton::TcxRadioButton;
  void At(const TPoint& P) { UpdateState(P, false); }
};

class Themed : public NativePainterTest {
 protected:
  void SetUp() override {
    NativePainterTest::SetUp();
    ThemeOn();
    WidgetsFoundationInitialize();
    WidgetsEditcoreInitialize();
    WidgetsEditorsInitialize();
    form = TForm::CreateNew(Application);
    form->SetBounds(50, 50, 200, 100);
    radio = New<TThemedProbeRadio>(form);
    radio->SetBounds(10, 10, 120, 20);
    radio->SetCaption("One");
    radio->SetParent(form);
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
  TForm* form = nullptr;
  TThemedProbeRadio* radio = nullptr;
};

TEST_F(Themed, RadioDrawsTheThemedPartInTheStateOfItsLookAndCheck) {
  radio->GetLookAndFeel()->SetNativeStyle(true);
  ASSERT_TRUE(radio->IsNativeStyle());
  struct Case {
    RS state;
    bool checked;
    int themeState;
  };
  const Case cases[] = {{RS::rbsNormal, false, 1}, {RS::rbsHot, false, 2},    {RS::rbsPressed, false, 3},
                        {RS::rbsDisabled, false, 4}, {RS::rbsNormal, true, 5}, {RS::rbsHot, true, 6},
                        {RS::rbsPressed, true, 7},  {RS::rbsDisabled, true, 8}};
  for (const Case& c : cases) {
    radio->SetEnabled(c.state != RS::rbsDisabled);
    radio->SetChecked(c.checked);
    if (c.state == RS::rbsPressed) SetCapture(radio->Handle());
    radio->At(c.state == RS::rbsNormal ? TPoint{-1, -1} : TPoint{5, 5});
    ASSERT_EQ(radio->GetVisualState(), c.state);
    PaperCanvas paper(120, 20);
    const auto calls = Record([&] { radio->PaintTo(paper.Cx(), false); });
    if (c.state == RS::rbsPressed) ReleaseCapture();
    int found = 0;
    for (const ThemeCall& t : calls)
      if (t.function == "DrawThemeBackground" && t.part == 2) {
        ++found;
        EXPECT_EQ(t.state, c.themeState);
        EXPECT_EQ(t.rect, radio->GetGlyphRect());
      }
    EXPECT_EQ(found, 1) << c.themeState;
    EXPECT_EQ(radio->GetGlyphRect().Left, 0) << "a native glyph stands at the edge";
  }
  // Without the native style the look's painter draws it, one pixel in.
  radio->SetEnabled(true);
  radio->GetLookAndFeel()->SetNativeStyle(false);
  PaperCanvas paper(120, 20);
  const auto calls = Record([&] { radio->PaintTo(paper.Cx(), false); });
  for (const ThemeCall& t : calls) EXPECT_NE(t.part, 2);
  EXPECT_EQ(radio->GetGlyphRect().Left, 1);
}

TEST_F(Themed, GroupBoxFrameIsTheThemedPartInsetByHalfTheCaptionHeight) {
  Owned<TcxCustomGroupBoxProperties> props(New<TcxCustomGroupBoxProperties>(nullptr));
  Owned<TcxEditStyle> style(New<TcxEditStyle>(nullptr, TcxContainerStateItem::csNormal));
  style->SetTransparentBorder(false);
  style->GetFont()->SetName(kTestFaceName);
  style->GetFont()->SetHeight(-10);
  style->GetLookAndFeel()->SetKind(TcxLookAndFeelKind::lfOffice11);
  Owned<TcxGroupBoxViewData> data(static_cast<TcxGroupBoxViewData*>(props->CreateViewData(style.get(), false)));
  ASSERT_TRUE(data->NativeStyle) << "the Office11 look frames natively under visual styles";
  Owned<TcxGroupBoxViewInfo> info(static_cast<TcxGroupBoxViewInfo*>(props->GetViewInfoClass().Create()));
  PaperCanvas paper(185, 105);
  for (TcxCaptionAlignment a : {TcxCaptionAlignment::alTopLeft, TcxCaptionAlignment::alRightCenter}) {
    for (bool enabled : {true, false}) {
      data->CaptionAlignment = a;
      data->Caption = "Options";
      data->Enabled = enabled;
      data->Calculate(paper.Cx(), {0, 0, 185, 105}, {-1, -1}, TcxMouseButton::cxmbNone, {}, info.get(), false);
      const auto calls = Record([&] { info->Paint(paper.Cx()); });
      const int half = info->CaptionFontHeight / 2;
      const TRect frame = a == TcxCaptionAlignment::alTopLeft ? TRect{0, half, 185, 105} : TRect{0, 0, 185 - half, 105};
      int found = 0;
      for (const ThemeCall& t : calls)
        if (t.function == "DrawThemeBackground" && t.part == 4) {
          ++found;
          EXPECT_EQ(t.state, enabled ? 1 : 2);
          EXPECT_EQ(t.rect, frame);
        }
      EXPECT_EQ(found, 1);
    }
  }
}

}  // namespace
