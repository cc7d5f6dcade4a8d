// An automatically sized editor follows its style's font: the height is measured again when
// the font changes, not only when a setting of its properties does.
#include "tests/editcore/EditControlTestSupport.h"
#include "widgets/editcore/cxTextEditControl.h"

namespace {

using EditAutoSize = EditControlTest;

TEST_F(EditAutoSize, TheHeightFollowsTheStylesFont) {
  auto* e = New<TcxTextEdit>(form);
  e->SetBounds(10, 10, 121, 21);
  e->SetParent(form);
  Pump();
  const Integer small = e->GetHeight();
  e->GetStyle()->GetFont()->SetSize(24);
  Pump();
  // A 24-point line is taller than 30 pixels, whatever the face.
  EXPECT_GT(e->GetHeight(), 30);
  EXPECT_GT(e->GetHeight(), small);
  e->GetStyle()->GetFont()->SetSize(8);
  Pump();
  EXPECT_EQ(e->GetHeight(), small);
  // Without automatic size, or filling its parent, the editor keeps the height it was given.
  e->SetAutoSize(false);
  e->SetBounds(10, 10, 121, 60);
  e->GetStyle()->GetFont()->SetSize(20);
  Pump();
  EXPECT_EQ(e->GetHeight(), 60);
  EXPECT_EQ(e->GetWidth(), 121);
}

}  // namespace
