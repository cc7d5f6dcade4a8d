// Scaling a control by a ratio: edges of the children, fonts that are their own, and the
// scaled control's own position.
#include "classlib/visual/Forms.h"
#include "tests/support/AppTest.h"

#include <gtest/gtest.h>

namespace {

class ControlScale : public AppTest {};

TEST_F(ControlScale, ChildrenEdgesAndOwnFontsScaleTheControlStays) {
  TForm* form = TForm::CreateNew<TForm>(Application);
  form->SetBounds(100, 100, 400, 300);
  auto* panel = New<TCustomControl>(form);
  panel->SetBounds(10, 20, 100, 60);
  panel->SetParent(form);
  auto* a = New<TCustomControl>(form);
  a->SetBounds(2, 2, 10, 10);
  a->SetParent(panel);
  auto* b = New<TCustomControl>(form);
  b->SetBounds(12, 2, 10, 10);
  b->SetParent(panel);
  b->GetFont()->SetSize(10);
  ASSERT_FALSE(b->GetParentFont());
  const Integer parentSize = panel->GetFont()->GetSize();

  panel->ScaleBy(3, 2);
  EXPECT_EQ(panel->GetBoundsRect(), (TRect{10, 20, 160, 110})) << "scaled in place";
  EXPECT_EQ(a->GetBoundsRect(), (TRect{3, 3, 18, 18}));
  EXPECT_EQ(b->GetLeft(), a->GetBoundsRect().Right) << "neighbours stay flush";
  EXPECT_EQ(b->GetFont()->GetSize(), 15);
  EXPECT_FALSE(b->GetParentFont());
  EXPECT_TRUE(a->GetParentFont());
  EXPECT_EQ(panel->GetFont()->GetSize(), parentSize) << "a font taken from the parent is the parent's to scale";

  // Ratios that would collapse or mirror the controls change nothing.
  for (auto [m, d] : {std::pair{0, 1}, std::pair{1, 0}, std::pair{-2, 1}, std::pair{5, 5}}) {
    panel->ScaleBy(m, d);
    EXPECT_EQ(panel->GetBoundsRect(), (TRect{10, 20, 160, 110})) << m << "/" << d;
    EXPECT_EQ(b->GetFont()->GetSize(), 15);
  }
  form->Free();
}

}  // namespace
