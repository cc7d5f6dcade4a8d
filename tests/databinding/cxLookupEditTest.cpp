// The lookup edit over a plain lookup grid: the list field index's clamp, the list's
// preferred size, typed search with the record's own letters and the completion, the
// incremental filter that finds nothing in each list style, stepping through the rows, the
// text turned back into a key, and the list's change notice.
#include "tests/databinding/LookupEditTestSupport.h"

TL_DEFINE_CLASS(TTestLookupEditProperties, [](auto&) {});
TL_DEFINE_CLASS(TTestLookupEdit, [](auto&) {});

namespace {

using LS = TcxEditDropDownListStyle;

const std::vector<std::pair<Integer, String>> kPeople = {
    {10, "ALPHA"}, {20, "BETA"}, {30, "ALTO"}, {40, "GAMMA"}, {50, "ALPINE"}};

TEST_F(LookupEditTest, AListFieldIndexIsClampedToTheColumnsAndAnUnchangedOneIsNoChange) {
  Owned<TTestLookupEditProperties> p(New<TTestLookupEditProperties>(nullptr));
  TChangeCounter changes;
  p->OnPropertiesChanged = {&changes, &TChangeCounter::Changed};
  p->SetListFieldIndex(10);
  EXPECT_EQ(p->GetRawListFieldIndex(), 1);
  EXPECT_EQ(changes.Count, 1);
  p->SetListFieldIndex(1);
  EXPECT_EQ(changes.Count, 1);
  p->SetListFieldIndex(-3);
  EXPECT_EQ(p->GetRawListFieldIndex(), 0);
  EXPECT_EQ(changes.Count, 2);
  // Fewer columns later: the index in use follows them, the stored one stays.
  p->SetListFieldIndex(1);
  p->Grid()->GetColumns()->Delete(1);
  EXPECT_EQ(p->GetRawListFieldIndex(), 1);
  EXPECT_EQ(p->GetListIndex(), 0);
  p->Grid()->GetColumns()->Clear();
  EXPECT_EQ(p->GetListIndex(), -1);
  EXPECT_EQ(p->GetDisplayText(Variant(Integer(10))), "");
}

TEST_F(LookupEditTest, ANewLookupEditHasTheListDefaultsAndKeysStepTheList) {
  Owned<TTestLookupEditProperties> p(New<TTestLookupEditProperties>(nullptr));
  EXPECT_EQ(p->GetDropDownListStyle(), LS::lsEditFixedList);
  EXPECT_EQ(p->GetDropDownRows(), 8);
  EXPECT_TRUE(p->GetIncrementalFiltering());
  EXPECT_FALSE(p->GetDropDownAutoSize());
  EXPECT_FALSE(p->GetDropDownSizeable());
  EXPECT_EQ(p->GetDropDownHeight(), 0);
  EXPECT_EQ(p->GetDropDownWidth(), 0);
  EXPECT_TRUE(p->GetSupportedOperations().Contains(TcxEditSupportedOperation::esoSortingByDisplayText));
  const TShiftState none{}, alt{TShiftStateItem::ssAlt}, ctrl{TShiftStateItem::ssCtrl};
  for (Word k : {Word(VK_PRIOR), Word(VK_NEXT), Word(VK_UP), Word(VK_DOWN)}) {
    EXPECT_TRUE(p->IsLookupDataKey(k, none)) << k;
    EXPECT_FALSE(p->IsLookupDataKey(k, alt)) << k;
  }
  for (Word k : {Word(VK_HOME), Word(VK_END)}) {
    EXPECT_FALSE(p->IsLookupDataKey(k, none)) << k;
    EXPECT_TRUE(p->IsLookupDataKey(k, ctrl)) << k;
  }
  EXPECT_FALSE(p->IsLookupDataKey(VK_LEFT, ctrl));
  Owned<TTestLookupEdit> e(New<TTestLookupEdit>(nullptr));
  EXPECT_EQ(e->GetWidth(), 145);
}

TEST_F(LookupEditTest, TheListIsAsHighAsItsRowsUpToDropDownRowsAndOneRowWhenEmpty) {
  auto* e = MakeEdit({{1, "A"}, {2, "B"}, {3, "C"}});
  TTestLookupEditProperties* p = e->Props();
  TcxLookupGrid* grid = p->Grid();
  const TSize three = e->LookupData()->GetVisualAreaPreferredSize(1000, 500);
  EXPECT_EQ(three.cy, grid->GetHeightForRowCount(3));
  EXPECT_EQ(three.cx, grid->GetColumns()->GetItem(0)->GetWidth() + grid->GetColumns()->GetItem(1)->GetWidth());
  p->SetDropDownRows(2);
  EXPECT_EQ(e->LookupData()->GetVisualAreaPreferredSize(1000, 500).cy, grid->GetHeightForRowCount(2));
  p->Fill({});
  EXPECT_EQ(e->LookupData()->GetVisualAreaPreferredSize(1000, 500).cy, grid->GetHeightForRowCount(1));
  EXPECT_GT(grid->GetHeightForRowCount(2), grid->GetHeightForRowCount(1));
}

TEST_F(LookupEditTest, TypedLettersTakeTheRecordsCaseAndTheRestIsOfferedAsTheCompletion) {
  auto* e = MakeEdit(kPeople);
  e->Props()->SetListFieldIndex(1);
  Type("be");
  EXPECT_EQ(Text(e), "BETA");
  EXPECT_EQ(e->GetSelStart(), 2);
  EXPECT_EQ(e->GetSelLength(), 2);
  EXPECT_TRUE(cxVariantsEqual(e->LookupData()->GetCurrentKey(), Variant(Integer(20))));
  EXPECT_EQ(e->Props()->GetListDataController()->GetFocusedRecordIndex(), 1);
  // The first record in view order that begins with the text.
  String text = "alp", tail;
  ASSERT_TRUE(e->LookupData()->Locate(text, tail, false, false));
  EXPECT_EQ(text, "ALP");
  EXPECT_EQ(tail, "HA");
  text = "alpi";
  ASSERT_TRUE(e->LookupData()->Locate(text, tail, false, false));
  EXPECT_EQ(tail, "NE");
  EXPECT_TRUE(cxVariantsEqual(e->LookupData()->GetCurrentKey(), Variant(Integer(50))));
  text = "zz";
  EXPECT_FALSE(e->LookupData()->Locate(text, tail, false, false));
  EXPECT_TRUE(cxVariantsEqual(e->LookupData()->GetCurrentKey(), Variant(Integer(50))));
}

// While the list is dropped down, typed text filters it; a text nothing begins with keeps the
// previous rows in the lists that take only their texts, and empties an edit list.
TEST_F(LookupEditTest, AnIncrementalFilterThatFindsNothingInEachListStyle) {
  for (LS style : {LS::lsEditFixedList, LS::lsFixedList, LS::lsEditList}) {
    auto* e = MakeEdit(kPeople);
    TTestLookupEditProperties* p = e->Props();
    p->SetListFieldIndex(1);
    p->SetDropDownListStyle(style);
    TcxCustomDataController* c = p->GetListDataController();
    e->LookupData()->DropDown();
    String text = "al", tail;
    ASSERT_TRUE(e->LookupData()->Locate(text, tail, false, false)) << Ord(style);
    EXPECT_EQ(c->GetRowCount(), 3) << Ord(style);
    text = "alx";
    EXPECT_FALSE(e->LookupData()->Locate(text, tail, false, false)) << Ord(style);
    if (style == LS::lsEditList) {
      EXPECT_EQ(c->GetRowCount(), 0);
    } else {
      EXPECT_EQ(c->GetRowCount(), 3) << Ord(style);
      EXPECT_EQ(c->GetIncrementalFilterText(), "al") << Ord(style);
    }
    // The drop-down's end lifts the filter.
    e->LookupData()->CloseUp();
    EXPECT_EQ(c->GetRowCount(), 5) << Ord(style);
    e->Free();
  }
}

TEST_F(LookupEditTest, StepsMoveTheFocusedRowAndTheKeyAndTheTextFollow) {
  auto* e = MakeEdit(kPeople);
  TTestLookupEditProperties* p = e->Props();
  p->SetListFieldIndex(1);
  p->SetDropDownRows(2);
  TcxCustomDataController* c = p->GetListDataController();
  auto key = [&] { return e->LookupData()->GetCurrentKey(); };
  e->LookupData()->Go(cxLookupGoFirst, false);
  EXPECT_TRUE(cxVariantsEqual(key(), Variant(Integer(10))));
  EXPECT_EQ(Text(e), "ALPHA");
  EXPECT_TRUE(c->IsRowSelected(0));
  e->LookupData()->Go(cxLookupGoPrior, false);
  EXPECT_EQ(c->GetFocusedRowIndex(), 0);
  e->LookupData()->Go(cxLookupGoPrior, true);
  EXPECT_EQ(c->GetFocusedRowIndex(), 4);
  EXPECT_EQ(Text(e), "ALPINE");
  e->LookupData()->Go(cxLookupGoNext, true);
  EXPECT_EQ(c->GetFocusedRowIndex(), 0);
  e->LookupData()->Go(cxLookupGoPageDown, false);
  EXPECT_EQ(c->GetFocusedRowIndex(), 2);
  e->LookupData()->Go(cxLookupGoPageDown, false);
  e->LookupData()->Go(cxLookupGoPageDown, false);
  EXPECT_EQ(c->GetFocusedRowIndex(), 4);
  e->LookupData()->Go(cxLookupGoPageUp, false);
  EXPECT_EQ(c->GetFocusedRowIndex(), 2);
  e->LookupData()->Go(cxLookupGoLast, false);
  EXPECT_TRUE(cxVariantsEqual(key(), Variant(Integer(50))));
  // The Down key through the editor.
  e->LookupData()->Go(cxLookupGoFirst, false);
  Key(VK_DOWN);
  EXPECT_EQ(Text(e), "BETA");
  EXPECT_TRUE(cxVariantsEqual(key(), Variant(Integer(20))));
}

// From no focused row a page step counts from just before the first row, as a page down of
// the open list from no row lands on its last row.
TEST_F(LookupEditTest, APageStepFromNoFocusedRowCountsFromBeforeTheFirstRow) {
  auto* e = MakeEdit(kPeople);
  TTestLookupEditProperties* p = e->Props();
  p->SetListFieldIndex(1);
  p->SetDropDownRows(3);
  TcxCustomDataController* c = p->GetListDataController();
  ASSERT_EQ(c->GetFocusedRowIndex(), -1);
  e->LookupData()->Go(cxLookupGoPageDown, false);
  EXPECT_EQ(c->GetFocusedRowIndex(), 2);
  EXPECT_EQ(Text(e), "ALTO");
  EXPECT_TRUE(cxVariantsEqual(e->LookupData()->GetCurrentKey(), Variant(Integer(30))));
  // A page longer than the list stops on the last row.
  c->ChangeFocusedRowIndex(-1);
  p->SetDropDownRows(9);
  e->LookupData()->Go(cxLookupGoPageDown, false);
  EXPECT_EQ(c->GetFocusedRowIndex(), 4);
  c->ChangeFocusedRowIndex(-1);
  e->LookupData()->Go(cxLookupGoPageUp, false);
  EXPECT_EQ(c->GetFocusedRowIndex(), 0);
}

TEST_F(LookupEditTest, TheEditValueIsTheKeyAndATextTurnsBackIntoOne) {
  auto* e = MakeEdit(kPeople);
  TTestLookupEditProperties* p = e->Props();
  p->SetListFieldIndex(1);
  e->SetEditValue(Variant(Integer(30)));
  EXPECT_EQ(Text(e), "ALTO");
  EXPECT_EQ(p->GetListDataController()->GetFocusedRecordIndex(), 2);
  TcxCustomLookupEditLookupData* data = e->GetLookupEditData();
  EXPECT_TRUE(cxVariantsEqual(data->DisplayTextToKey("ALTO"), Variant(Integer(30))));
  // Another record's text, in any case; then a text no record has.
  EXPECT_TRUE(cxVariantsEqual(data->DisplayTextToKey("gamma"), Variant(Integer(40))));
  EXPECT_TRUE(VarIsNull(data->DisplayTextToKey("GAM")));
  EXPECT_TRUE(VarIsNull(data->DisplayTextToKey("")));
  // A key no record has shows no text.
  e->SetEditValue(Variant(Integer(99)));
  EXPECT_EQ(Text(e), "");
  e->SetEditValue(Null());
  EXPECT_EQ(Text(e), "");
  // Typed and posted: the value is the record's key, not its text.
  Type("ga");
  Key(VK_RETURN);
  EXPECT_FALSE(e->HasShownPopup());
  e->PostEditValue(true);
  EXPECT_TRUE(cxVariantsEqual(e->EditValue(), Variant(Integer(40)))) << VarToStr(e->EditValue());
}

TEST_F(LookupEditTest, AChangeOfTheListIsAChangeOfThePropertiesUnlessTheyHoldTheLock) {
  Owned<TTestLookupEditProperties> p(New<TTestLookupEditProperties>(nullptr));
  TChangeCounter changes;
  p->OnPropertiesChanged = {&changes, &TChangeCounter::Changed};
  p->Fill({{1, "A"}});
  EXPECT_GE(changes.Count, 1);
  changes.Count = 0;
  p->LockLookupDataChanges();
  p->Fill({{1, "A"}, {2, "B"}});
  EXPECT_EQ(changes.Count, 0);
  p->UnlockLookupDataChanges();
  p->LockDataController();
  EXPECT_TRUE(p->IsControllerLookupLocked());
  p->Fill({{1, "A"}});
  EXPECT_EQ(changes.Count, 0);
  p->UnlockDataController();
  p->Fill({{3, "C"}});
  EXPECT_GE(changes.Count, 1);
  // Not listening any more: nothing arrives.
  p->RemoveListDataChangeListener();
  changes.Count = 0;
  p->Fill({{4, "D"}});
  EXPECT_EQ(changes.Count, 0);
}

TEST_F(LookupEditTest, DropDownAutoSizeIsStoredWithoutAChangeNotice) {
  Owned<TTestLookupEditProperties> p(New<TTestLookupEditProperties>(nullptr));
  TChangeCounter changes;
  p->OnPropertiesChanged = {&changes, &TChangeCounter::Changed};
  p->SetDropDownAutoSize(true);
  EXPECT_TRUE(p->GetDropDownAutoSize());
  EXPECT_TRUE(p->GetPopupAutoSize());
  EXPECT_EQ(changes.Count, 0);
  p->SetDropDownAutoSize(false);
  EXPECT_FALSE(p->GetDropDownAutoSize());
  EXPECT_EQ(changes.Count, 0);
  // The neighbouring drop-down settings still notify.
  p->SetDropDownRows(3);
  EXPECT_EQ(changes.Count, 1);
  // Inside an update bracket the closing notice still comes.
  p->BeginUpdate();
  p->SetDropDownAutoSize(true);
  EXPECT_EQ(p->UpdateCount(), 1);
  p->EndUpdate();
  EXPECT_EQ(changes.Count, 2);
}

TEST_F(LookupEditTest, AssignCopiesTheListFieldIndexAndIncrementalFiltering) {
  Owned<TTestLookupEditProperties> a(New<TTestLookupEditProperties>(nullptr));
  Owned<TTestLookupEditProperties> b(New<TTestLookupEditProperties>(nullptr));
  a->SetListFieldIndex(1);
  a->SetIncrementalFiltering(false);
  a->SetDropDownRows(3);
  b->Assign(a.get());
  EXPECT_EQ(b->GetListFieldIndex(), 1);
  EXPECT_FALSE(b->GetIncrementalFiltering());
  EXPECT_EQ(b->GetDropDownRows(), 3);
}

}  // namespace
