// The list position of the combo box and the most-recently-used edit follows the value when it
// changes from outside (the program, an undo): Up and Down with the list closed step from the
// item shown, and the opened list highlights it, as in a new editor given the same value.
#include "tests/editors/DropDownTestSupport.h"
#include "widgets/editors/cxMRUEdit.h"

namespace {

using enum TcxEditDropDownListStyle;

class ComboBoxPositionTest : public DropDownTest,
                             public ::testing::WithParamInterface<TcxEditDropDownListStyle> {
 protected:
  TcxComboBox* AddFive() {
    TcxComboBox* c = AddCombo({"one", "two", "three", "four", "five"}, GetParam());
    c->GetComboProperties()->SetImmediateDropDown(false);
    return c;
  }
};

TEST_P(ComboBoxPositionTest, AValueSetByTheProgramIsWhereTheKeysStepFrom) {
  TcxComboBox* c = AddFive();
  Key(VK_DOWN);
  Key(VK_DOWN);
  ASSERT_EQ(Text(c), "two");
  c->SetEditValue(Variant("four"));
  ASSERT_EQ(Text(c), "four");
  EXPECT_EQ(c->GetItemIndex(), 3);
  Key(VK_DOWN);
  EXPECT_EQ(Text(c), "five");
  c->SetEditValue(Variant("two"));
  Key(VK_UP);
  EXPECT_EQ(Text(c), "one");
  // The text set rather than the value.
  c->SetDisplayText("three");
  EXPECT_EQ(c->GetItemIndex(), 2);
  Key(VK_DOWN);
  EXPECT_EQ(Text(c), "four");
}

TEST_P(ComboBoxPositionTest, TheOpenedListHighlightsAValueSetByTheProgram) {
  TcxComboBox* c = AddFive();
  Key(VK_DOWN);
  c->SetEditValue(Variant("four"));
  Key(VK_F4);
  ASSERT_TRUE(c->GetDroppedDown());
  EXPECT_EQ(List(c)->GetItemIndex(), 3);
  Key(VK_DOWN);
  Key(VK_RETURN);
  EXPECT_EQ(Text(c), "five");
  // Set while the list is open: the list moves with it.
  Key(VK_F4);
  c->SetEditValue(Variant("two"));
  EXPECT_EQ(List(c)->GetItemIndex(), 1);
  Key(VK_DOWN);
  Key(VK_RETURN);
  EXPECT_EQ(Text(c), "three");
}

// A value that is no item (or none) leaves no item current: Down goes to the first, as from
// a new editor.
TEST_P(ComboBoxPositionTest, AValueThatIsNoItemLeavesNoItemCurrent) {
  TcxComboBox* c = AddFive();
  Key(VK_DOWN);
  Key(VK_DOWN);
  Key(VK_DOWN);
  ASSERT_EQ(Text(c), "three");
  c->SetEditValue(Variant::MakeNull());
  EXPECT_EQ(c->GetItemIndex(), -1);
  Key(VK_DOWN);
  EXPECT_EQ(Text(c), "one");
}

TEST_P(ComboBoxPositionTest, EscapeTakingBackAStepIsWhereTheNextStepStartsFrom) {
  TcxComboBox* c = AddFive();
  other->SetFocus();
  host().PumpUntilIdle();
  c->SetEditValue(Variant("two"));
  c->SetFocus();
  host().PumpUntilIdle();
  Key(VK_DOWN);
  Key(VK_DOWN);
  ASSERT_EQ(Text(c), "four");
  Key(VK_ESCAPE);
  ASSERT_EQ(Text(c), "two") << "the value before the steps";
  EXPECT_EQ(c->GetItemIndex(), 1);
  Key(VK_DOWN);
  EXPECT_EQ(Text(c), "three");
}

TEST_P(ComboBoxPositionTest, AValueSetWhileUnfocusedIsWhereTheKeysStepFromOnEntering) {
  TcxComboBox* c = AddFive();
  Key(VK_DOWN);
  other->SetFocus();
  host().PumpUntilIdle();
  c->SetEditValue(Variant("three"));
  EXPECT_EQ(c->GetItemIndex(), 2);
  c->SetFocus();
  host().PumpUntilIdle();
  Key(VK_DOWN);
  EXPECT_EQ(Text(c), "four");
}

std::string StyleName(const ::testing::TestParamInfo<TcxEditDropDownListStyle>& i) {
  static const char* const names[] = {"EditFixedList", "EditList", "FixedList"};
  return names[Ord(i.param)];
}

INSTANTIATE_TEST_SUITE_P(EveryListStyle, ComboBoxPositionTest,
                         ::testing::Values(lsEditList, lsEditFixedList, lsFixedList), StyleName);

class MRUEditPositionTest : public DropDownTest {};

TEST_F(MRUEditPositionTest, AValueSetByTheProgramIsWhereTheKeysStepFrom) {
  auto* e = New<TcxMRUEdit>(form);
  e->SetBounds(10, 10, 150, 21);
  e->SetParent(form);
  e->GetMRUProperties()->SetImmediateDropDown(false);
  for (const char* s : {"red", "green", "blue", "grey"})
    e->GetMRUProperties()->GetLookupItems()->Add(s);
  host().PumpUntilIdle();
  e->SetFocus();
  host().PumpUntilIdle();
  Key(VK_DOWN);
  ASSERT_EQ(Text(e), "red");
  e->SetEditValue(Variant("blue"));
  EXPECT_EQ(e->GetItemIndex(), 2);
  Key(VK_DOWN);
  EXPECT_EQ(Text(e), "grey");
  // The item chosen went to the top: green is the third now.
  e->SetEditValue(Variant("green"));
  Key(VK_F4);
  ASSERT_TRUE(e->GetDroppedDown());
  EXPECT_EQ(List(e)->GetItemIndex(), 2);
  EXPECT_EQ(List(e)->GetItemText(2), "green");
  Key(VK_ESCAPE);
}

}  // namespace
