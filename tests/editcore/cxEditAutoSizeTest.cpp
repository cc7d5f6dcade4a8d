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

TEST_F(EditAutoSize, OnlyAlignmentsThatSetTheHeightKeepIt) {
  // Sides, client and custom alignment give the height; top, bottom and none take the measured one.
  for (TAlign a : {TAlign::alLeft, TAlign::alRight, TAlign::alClient, TAlign::alCustom, TAlign::alTop,
                   TAlign::alBottom, TAlign::alNone}) {
    SCOPED_TRACE(EnumInfo<TAlign>::Name(a));
    auto* e = New<TcxTextEdit>(form);
    e->SetBounds(10, 10, 121, 21);
    e->SetParent(form);
    e->SetAlign(a);
    Pump();
    const Integer before = e->GetHeight();
    e->GetStyle()->GetFont()->SetSize(24);
    Pump();
    const bool keeps = a == TAlign::alLeft || a == TAlign::alRight || a == TAlign::alClient || a == TAlign::alCustom;
    if (keeps)
      EXPECT_EQ(e->GetHeight(), before);
    else
      EXPECT_GT(e->GetHeight(), 30);
    e->Free();
  }
}

TEST_F(EditAutoSize, ACustomAlignedEditorKeepsItsPlaceAndHeight) {
  auto* e = New<TcxTextEdit>(form);
  e->SetAlign(TAlign::alCustom);
  e->SetBounds(15, 25, 121, 90);
  e->SetParent(form);
  Pump();
  e->GetStyle()->GetFont()->SetSize(24);
  Pump();
  EXPECT_EQ(e->GetBoundsRect(), (TRect{15, 25, 136, 115}));
}

}  // namespace
