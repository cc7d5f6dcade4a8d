// The most-recently-used edit: entered texts go to the top of the list, the limit cuts from
// the end, and the ellipsis button with its own click event.
#include "widgets/editors/cxMRUEdit.h"

#include "tests/editors/DropDownTestSupport.h"

namespace {

class TClicks : public TObject {
 public:
  int Count = 0;
  void Click(TObject*) { ++Count; }
};

class MRUEditTest : public DropDownTest {
 protected:
  TcxMRUEdit* AddMRU(Integer AMax) {
    auto* e = New<TcxMRUEdit>(form);
    e->SetBounds(10, 10, 150, 21);
    e->SetParent(form);
    e->GetMRUProperties()->SetMaxItemCount(AMax);
    host().PumpUntilIdle();
    e->SetFocus();
    host().PumpUntilIdle();
    return e;
  }
  // Replaces the text by S and presses Enter.
  void Enter(TcxMRUEdit* e, const char* S) {
    e->SelectAll();
    Type(S);
    Key(VK_RETURN);
  }
  static std::vector<String> Items(TcxMRUEdit* e) {
    std::vector<String> r;
    TStrings* items = e->GetMRUProperties()->GetLookupItems();
    for (Integer i = 0; i < items->Count(); ++i) r.push_back(items->Strings(i));
    return r;
  }
  using V = std::vector<String>;
};

TEST_F(MRUEditTest, EnteredTextsGoToTheTopAndTheLimitCutsTheOldest) {
  TcxMRUEdit* e = AddMRU(3);
  e->GetMRUProperties()->SetImmediateDropDown(false);
  for (const char* s : {"one", "two", "three", "four"}) Enter(e, s);
  EXPECT_EQ(Items(e), V({"four", "three", "two"}));
  Enter(e, "two");
  EXPECT_EQ(Items(e), V({"two", "four", "three"})) << "moved, not added again";
  Enter(e, "THREE");
  EXPECT_EQ(Items(e), V({"three", "two", "four"})) << "the same text in other letters is the same item";
  Enter(e, "");
  EXPECT_EQ(Items(e).size(), 3u);
}

TEST_F(MRUEditTest, LoweringTheLimitCutsAtOnceAndZeroMeansNone) {
  TcxMRUEdit* e = AddMRU(0);
  for (const char* s : {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l"})
    e->GetMRUProperties()->GetLookupItems()->Add(s);
  e->GetMRUProperties()->SetMaxItemCount(10);
  EXPECT_EQ(Items(e).size(), 10u);
  e->GetMRUProperties()->SetMaxItemCount(2);
  EXPECT_EQ(Items(e), V({"a", "b"}));
  e->GetMRUProperties()->SetMaxItemCount(-4);
  EXPECT_EQ(e->GetMRUProperties()->GetMaxItemCount(), 0);
}

TEST_F(MRUEditTest, AnItemChosenFromTheListMovesToTheTop) {
  TcxMRUEdit* e = AddMRU(0);
  for (const char* s : {"red", "green", "blue"}) e->GetMRUProperties()->GetLookupItems()->Add(s);
  Key(VK_F4);
  Key(VK_DOWN);
  Key(VK_DOWN);
  Key(VK_DOWN);
  Key(VK_RETURN);
  EXPECT_EQ(Text(e), "blue");
  EXPECT_EQ(Items(e), V({"blue", "red", "green"}));
  EXPECT_EQ(e->GetItemIndex(), 0) << "the current item moved with it";
}

TEST_F(MRUEditTest, TheEllipsisButtonFiresItsOwnClickAndCanBeHidden) {
  TcxMRUEdit* e = AddMRU(0);
  TClicks clicks;
  e->GetMRUProperties()->OnButtonClick = {&clicks, &TClicks::Click};
  TcxEditButtons* buttons = e->GetMRUProperties()->GetButtons();
  ASSERT_EQ(buttons->Count(), 2);
  EXPECT_EQ(buttons->Items(1)->GetKind(), TcxEditButtonKind::bkEllipsis);
  EXPECT_EQ(buttons->GetDefaultButton(), buttons->Items(1));
  Integer ellipsis = -1;
  for (const auto& b : e->EditViewInfo()->ButtonsInfo)
    if (b->ButtonIndex == 1) ellipsis = (b->Bounds.Left + b->Bounds.Right) / 2;
  ASSERT_GE(ellipsis, 0);
  host().Click(e->GetHandle(), ellipsis, 10);
  host().PumpUntilIdle();
  EXPECT_EQ(clicks.Count, 1);
  EXPECT_FALSE(e->GetDroppedDown());

  e->GetMRUProperties()->SetShowEllipsis(false);
  EXPECT_EQ(buttons->VisibleCount(), 1);
  host().PumpUntilIdle();
  EXPECT_EQ(e->EditViewInfo()->ButtonsInfo.size(), 1u);
}

TEST_F(MRUEditTest, TheGlyphGoesToTheEllipsisOrBackToTheDropDownButton) {
  TcxMRUEdit* e = AddMRU(0);
  Owned<TBitmap> glyph(New<TBitmap>());
  glyph->SetSize(8, 8);
  e->GetMRUProperties()->SetButtonGlyph(glyph.get());
  TcxEditButtons* buttons = e->GetMRUProperties()->GetButtons();
  EXPECT_EQ(buttons->Items(1)->GetKind(), TcxEditButtonKind::bkGlyph);
  EXPECT_EQ(buttons->Items(0)->GetKind(), TcxEditButtonKind::bkDown);
  e->GetMRUProperties()->SetShowEllipsis(false);
  EXPECT_EQ(buttons->Items(0)->GetKind(), TcxEditButtonKind::bkGlyph);
  EXPECT_EQ(buttons->Items(1)->GetKind(), TcxEditButtonKind::bkEllipsis);
  e->GetMRUProperties()->SetButtonGlyph(nullptr);
  EXPECT_EQ(buttons->Items(0)->GetKind(), TcxEditButtonKind::bkDown);
}

}  // namespace

namespace {

// A sorted list places every text itself: an entered text joins it in its sorted place, one
// already there stays, and nothing is lost or refused on the way.
TEST_F(MRUEditTest, ASortedListTakesEnteredTextsInTheirPlace) {
  TcxMRUEdit* e = AddMRU(3);
  e->GetMRUProperties()->SetImmediateDropDown(false);
  e->GetMRUProperties()->SetSorted(true);
  for (const char* s : {"m", "x"}) e->GetMRUProperties()->GetLookupItems()->Add(s);
  Enter(e, "x");
  EXPECT_EQ(Items(e), V({"m", "x"}));
  Enter(e, "c");
  EXPECT_EQ(Items(e), V({"c", "m", "x"}));
  // Past the limit the list is cut from its end.
  Enter(e, "d");
  EXPECT_EQ(Items(e), V({"c", "d", "m"}));
  EXPECT_EQ(Text(e), "d");
  EXPECT_TRUE(TakeExceptions().empty());
}

}  // namespace
