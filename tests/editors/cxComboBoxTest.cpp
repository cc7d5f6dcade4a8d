// The combo box on a form: opening by the button, Alt+Down and F4; choosing by keys and by the
// mouse; the close-up reasons and whether the choice is taken; typing into the list styles;
// the list's rows and scroll bar; and ItemIndex set by the program.
#include "tests/editors/DropDownTestSupport.h"

#include "classlib/core/FormText.h"
#include "classlib/core/Streams.h"
#include "tests/support/FormDescription.h"
#include "widgets/editors/cxSpinEdit.h"

namespace {

class ComboBoxTest : public DropDownTest {};

TEST_F(ComboBoxTest, OpensByTheButtonAltDownAndF4AndEachClosesItAgain) {
  TcxComboBox* c = AddCombo({"one", "two", "three"});
  ClickButton(c);
  ASSERT_TRUE(c->GetDroppedDown());
  TcxCustomEditPopupWindow* popup = c->PopupWindow();
  EXPECT_TRUE(IsWindowVisible(popup->GetHandle()));
  EXPECT_EQ(GetFocus(), c->InnerTextEdit()->GetHandle()) << "the edit keeps the focus";
  EXPECT_EQ(events.Popups, 1);
  EXPECT_EQ(c->EditViewInfo()->ButtonsInfo[0]->State, TcxEditButtonState::ebsPressed) << "pressed while open";
  ClickButton(c);
  EXPECT_FALSE(c->GetDroppedDown()) << "the button closes it and does not open it again";
  EXPECT_NE(c->EditViewInfo()->ButtonsInfo[0]->State, TcxEditButtonState::ebsPressed);

  AltKey(VK_DOWN);
  ASSERT_TRUE(c->GetDroppedDown());
  AltKey(VK_UP);
  EXPECT_FALSE(c->GetDroppedDown());
  EXPECT_EQ(events.Reason, TcxEditCloseUpReason::crClose);

  Key(VK_F4);
  ASSERT_TRUE(c->GetDroppedDown());
  Key(VK_F4);
  EXPECT_FALSE(c->GetDroppedDown());
  EXPECT_EQ(events.Popups, 3);
  EXPECT_EQ(events.CloseUps, 3);
}

TEST_F(ComboBoxTest, EnterTakesTheHighlightedItemAndEscapeKeepsTheText) {
  TcxComboBox* c = AddCombo({"one", "two", "three"});
  Key(VK_F4);
  Key(VK_DOWN);
  Key(VK_DOWN);
  EXPECT_EQ(List(c)->GetItemIndex(), 1) << "the keys move the list's selection";
  EXPECT_EQ(Text(c), "") << "the text waits for the choice";
  Key(VK_RETURN);
  EXPECT_FALSE(c->GetDroppedDown());
  EXPECT_EQ(Text(c), "two");
  EXPECT_EQ(events.Reason, TcxEditCloseUpReason::crEnter);
  EXPECT_EQ(events.Changes, 1);

  Key(VK_F4);
  Key(VK_DOWN);
  Key(VK_ESCAPE);
  EXPECT_FALSE(c->GetDroppedDown());
  EXPECT_EQ(Text(c), "two");
  EXPECT_EQ(events.Reason, TcxEditCloseUpReason::crCancel);
  EXPECT_EQ(events.Changes, 1);
  EXPECT_EQ(c->GetItemIndex(), 1);
}

// A choice taken from the list after one confirmed by Enter is taken too: each change of the
// text from the list is a modified text the next validation reads.
TEST_F(ComboBoxTest, ASecondChoiceFromTheListIsValidatedAsTheFirstWas) {
  TcxComboBox* c = AddCombo({"one", "two", "three"});
  c->GetComboProperties()->SetValidateOnEnter(true);
  Key(VK_F4);
  Key(VK_DOWN);
  Key(VK_RETURN);
  ASSERT_EQ(Text(c), "one");
  Key(VK_RETURN);
  EXPECT_EQ(VarToStr(c->EditValue()), "one");
  Key(VK_F4);
  Key(VK_DOWN);
  Key(VK_RETURN);
  ASSERT_EQ(Text(c), "two");
  EXPECT_TRUE(c->GetDisplayValueModified());
  EXPECT_FALSE(c->IsValidated());
  Key(VK_RETURN);
  EXPECT_EQ(VarToStr(c->EditValue()), "two");
  // Chosen with the mouse, then the editor left.
  ClickButton(c);
  const TRect item = List(c)->ItemRect(2);
  host().MouseMove(List(c)->GetHandle(), item.Left + 5, item.Top + 2);
  host().Click(List(c)->GetHandle(), item.Left + 5, item.Top + 2);
  host().PumpUntilIdle();
  ASSERT_EQ(Text(c), "three");
  other->SetFocus();
  host().PumpUntilIdle();
  EXPECT_EQ(VarToStr(c->EditValue()), "three");
  EXPECT_EQ(Text(c), "three");
}

TEST_F(ComboBoxTest, AClickOnAnItemTakesItAndAClickOutsideTakesNothing) {
  TcxComboBox* c = AddCombo({"one", "two", "three"});
  ClickButton(c);
  TcxCustomEditListBox* list = List(c);
  const TRect item = list->ItemRect(2);
  host().MouseMove(list->GetHandle(), item.Left + 5, item.Top + 2);
  host().Click(list->GetHandle(), item.Left + 5, item.Top + 2);
  host().PumpUntilIdle();
  EXPECT_FALSE(c->GetDroppedDown());
  EXPECT_EQ(Text(c), "three");
  EXPECT_EQ(events.Reason, TcxEditCloseUpReason::crEnter);
  EXPECT_EQ(GetFocus(), c->InnerTextEdit()->GetHandle());

  ClickButton(c);
  const TRect first = list->ItemRect(0);
  host().MouseMove(list->GetHandle(), first.Left + 5, first.Top + 2);
  host().PumpUntilIdle();
  EXPECT_EQ(list->GetItemIndex(), 0) << "the list follows the pointer";
  host().Click(other->GetHandle(), 3, 3);
  host().PumpUntilIdle();
  EXPECT_FALSE(c->GetDroppedDown());
  EXPECT_EQ(events.Reason, TcxEditCloseUpReason::crNone);
  EXPECT_EQ(Text(c), "three");
}

TEST_F(ComboBoxTest, ClosesWhenTheOwnerHidesOrTheApplicationIsLeft) {
  TcxComboBox* c = AddCombo({"one", "two"});
  Key(VK_F4);
  Key(VK_DOWN);
  ASSERT_TRUE(c->GetDroppedDown());
  c->SetVisible(false);
  EXPECT_FALSE(c->GetDroppedDown());
  EXPECT_EQ(events.Reason, TcxEditCloseUpReason::crNone);
  EXPECT_EQ(Text(c), "");

  c->SetVisible(true);
  c->SetFocus();
  host().PumpUntilIdle();
  Key(VK_F4);
  ASSERT_TRUE(c->GetDroppedDown());
  UserSetApplicationActive(false);
  host().PumpUntilIdle();
  EXPECT_FALSE(c->GetDroppedDown());
  EXPECT_EQ(events.CloseUps, 2);
  UserSetApplicationActive(true);
  host().PumpUntilIdle();
}

TEST_F(ComboBoxTest, AFixedListRefusesTypedTextAndSearchesTheItems) {
  TcxComboBox* c = AddCombo({"Apple", "Banana", "Blueberry"}, TcxEditDropDownListStyle::lsFixedList);
  c->GetComboProperties()->SetImmediateDropDown(false);
  Type("x");
  EXPECT_EQ(Text(c), "");
  Type("b");
  EXPECT_EQ(Text(c), "Banana");
  Type("l");
  EXPECT_EQ(Text(c), "Blueberry") << "the typed letters extend one search";
  EXPECT_EQ(c->GetItemIndex(), 2);
  Type("q");
  EXPECT_EQ(Text(c), "Blueberry") << "text matching no item is refused";
}

TEST_F(ComboBoxTest, TypingOpensTheListAndCompletesAFreeText) {
  TcxComboBox* c = AddCombo({"Apple", "Apricot", "Banana"});
  Type("ap");
  ASSERT_TRUE(c->GetDroppedDown()) << "ImmediateDropDown opens the list on the first character";
  EXPECT_EQ(Text(c), "Apple");
  EXPECT_EQ(List(c)->GetItemIndex(), 0);
  Type("r");
  EXPECT_EQ(Text(c), "Apricot");
  EXPECT_EQ(List(c)->GetItemIndex(), 1);
  Key(VK_RETURN);
  EXPECT_EQ(Text(c), "Apricot");
  Type("zz");
  Key(VK_ESCAPE);
  EXPECT_FALSE(c->GetDroppedDown());
}

TEST_F(ComboBoxTest, TheListShowsUpToDropDownRowsAndAScrollBarBeyond) {
  TcxComboBox* c = AddCombo({"a", "b", "c"});
  Key(VK_F4);
  TcxCustomEditListBox* list = List(c);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->GetClientHeight(), 3 * list->GetItemHeight(-1));
  EXPECT_FALSE(GetWindowLongA(list->GetHandle(), GWL_STYLE) & WS_VSCROLL);
  EXPECT_EQ(c->PopupWindow()->GetWidth(), c->GetWidth()) << "narrow items: as wide as the edit";
  Key(VK_F4);

  c->GetComboProperties()->SetDropDownRows(0);
  EXPECT_EQ(c->GetComboProperties()->GetDropDownRows(), 8);
  for (int i = 0; i < 17; ++i) c->GetComboProperties()->GetItems()->Add("item " + std::to_string(i));
  Key(VK_F4);
  EXPECT_EQ(list->GetClientHeight(), 8 * list->GetItemHeight(-1));
  EXPECT_TRUE(GetWindowLongA(list->GetHandle(), GWL_STYLE) & WS_VSCROLL);
  Key(VK_F4);

  c->GetComboProperties()->SetDropDownRows(3);
  Key(VK_F4);
  EXPECT_EQ(list->GetClientHeight(), 3 * list->GetItemHeight(-1));
}

TEST_F(ComboBoxTest, ItemIndexSetByTheProgramChangesTheTextAndFiresOnChangeOnce) {
  TcxComboBox* c = AddCombo({"Size: 6, Colors: 3", "Size: 10, Colors: 4"}, TcxEditDropDownListStyle::lsFixedList);
  other->SetFocus();
  host().PumpUntilIdle();
  c->SetItemIndex(1);
  EXPECT_EQ(Text(c), "Size: 10, Colors: 4");
  EXPECT_EQ(events.Changes, 1);
  EXPECT_EQ(c->GetItemIndex(), 1);
  c->SetItemIndex(1);
  EXPECT_EQ(events.Changes, 1) << "the same item again is no change";
  c->SetFocus();
  host().PumpUntilIdle();
  EXPECT_EQ(Text(c), "Size: 10, Colors: 4") << "entering the edit keeps the chosen item";
  c->SetItemIndex(0);
  EXPECT_EQ(Text(c), "Size: 6, Colors: 3");
  EXPECT_EQ(events.Changes, 2);
  c->SetItemIndex(-1);
  EXPECT_EQ(Text(c), "");
  EXPECT_EQ(c->GetItemIndex(), -1);
  EXPECT_EQ(events.Changes, 3);
}

}  // namespace

namespace {

TEST_F(ComboBoxTest, ReadsItsListSettingsFromAFormText) {
  TcxComboBox* c = AddCombo({});
  const String text =
      "object cbSize: TcxComboBox\n"
      "  Properties.DropDownListStyle = lsFixedList\n"
      "  Properties.DropDownRows = 5\n"
      "  Properties.Items.Strings = (\n"
      "    'Size: 6, Colors: 3'\n"
      "    'Size: 10, Colors: 4')\n"
      "end\n";
  ReadDescription(text, c);
  host().PumpUntilIdle();
  EXPECT_TRUE(c->GetComboProperties()->IsFixedList());
  EXPECT_EQ(c->GetComboProperties()->GetDropDownRows(), 5);
  EXPECT_EQ(c->GetComboProperties()->GetItems()->Count(), 2);
  c->SetItemIndex(1);
  EXPECT_EQ(Text(c), "Size: 10, Colors: 4");
  TcxRegisteredClasses* r = GetRegisteredEditProperties();
  EXPECT_GE(r->GetIndexByClass(&TcxComboBoxProperties::StaticClass()), 0);
}

}  // namespace

namespace {

class TButtonClicks : public TObject {
 public:
  int Count = 0;
  void Click(TObject*) { ++Count; }
};

TEST_F(ComboBoxTest, EscapeAndEnterCloseTheListBeforeTheDialogsButtonsHearThem) {
  TcxComboBox* c = AddCombo({"one", "two"});
  TButtonClicks cancels, defaults;
  auto* cancel = New<TButton>(form);
  cancel->SetBounds(200, 200, 75, 25);
  cancel->SetCancel(true);
  cancel->OnClick = {&cancels, &TButtonClicks::Click};
  cancel->SetParent(form);
  auto* ok = New<TButton>(form);
  ok->SetBounds(100, 200, 75, 25);
  ok->SetDefault(true);
  ok->OnClick = {&defaults, &TButtonClicks::Click};
  ok->SetParent(form);
  c->SetFocus();
  Pump();
  host().Key(VK_F4);
  host().Key(VK_DOWN);
  host().Key(VK_ESCAPE);
  Pump();
  EXPECT_FALSE(c->GetDroppedDown());
  EXPECT_EQ(cancels.Count, 0);
  host().Key(VK_F4);
  host().Key(VK_DOWN);
  host().Key(VK_RETURN);
  Pump();
  EXPECT_EQ(Text(c), "one");
  EXPECT_EQ(defaults.Count, 0);
  host().Key(VK_ESCAPE);
  Pump();
  EXPECT_EQ(Text(c), "") << "a closed list leaves Escape to the edit: the value comes back";
}

TEST_F(ComboBoxTest, FreedWhileItsListIsOpen) {
  TcxComboBox* c = AddCombo({"one", "two"});
  Key(VK_F4);
  ASSERT_TRUE(c->GetDroppedDown());
  c->Free();
  host().PumpUntilIdle();
  EXPECT_EQ(cxShownPopupCount(), 0);
  EXPECT_EQ(events.CloseUps, 1);
}

}  // namespace

namespace {

// Draws nothing but records what it was asked to draw; measures item i as 10 + 2i pixels.
class TItemPainter : public TObject {
 public:
  std::vector<Integer> Drawn;
  bool EditAreaSelected = false;
  void Draw(TcxCustomComboBox*, TcxCanvas*, Integer AIndex, const TRect&, TOwnerDrawState AState) {
    Drawn.push_back(AIndex);
    if (AState.Contains(TOwnerDrawStateItem::odFocused)) EditAreaSelected = AState.Contains(TOwnerDrawStateItem::odSelected);
  }
  void Measure(TWinControl*, Integer AIndex, Integer& AHeight) { AHeight = 10 + 2 * AIndex; }
};

TEST_F(ComboBoxTest, ItemsAreMeasuredAndDrawnByTheEvents) {
  TcxComboBox* c = AddCombo({"a", "b", "c"}, TcxEditDropDownListStyle::lsFixedList);
  TItemPainter painter;
  c->GetComboProperties()->OnMeasureItem = {&painter, &TItemPainter::Measure};
  c->GetComboProperties()->OnDrawItem = {&painter, &TItemPainter::Draw};
  Key(VK_F4);
  TcxCustomEditListBox* list = List(c);
  EXPECT_EQ(list->GetStyle(), TListBoxStyle::lbOwnerDrawVariable);
  EXPECT_EQ(list->GetClientHeight(), 10 + 12 + 14);
  EXPECT_EQ(list->ItemRect(2).Height(), 14);
  std::vector<Integer> drawn = painter.Drawn;
  std::sort(drawn.begin(), drawn.end());
  drawn.erase(std::unique(drawn.begin(), drawn.end()), drawn.end());
  EXPECT_EQ(drawn, (std::vector<Integer>{-1, 0, 1, 2})) << "every item, and the edit area with no item yet";
  Key(VK_DOWN);
  Key(VK_DOWN);
  Key(VK_RETURN);
  painter.Drawn.clear();
  c->Invalidate();
  host().PumpUntilIdle();
  ASSERT_FALSE(painter.Drawn.empty()) << "a fixed list's edit area is drawn by the event too";
  EXPECT_EQ(painter.Drawn.back(), 1);
  EXPECT_TRUE(painter.EditAreaSelected) << "selected while the edit has the focus";

  c->GetComboProperties()->OnMeasureItem = TMeasureItemEvent();
  c->GetComboProperties()->SetItemHeight(20);
  Key(VK_F4);
  EXPECT_EQ(list->GetStyle(), TListBoxStyle::lbOwnerDrawFixed);
  EXPECT_EQ(list->GetClientHeight(), 60);
}

TEST_F(ComboBoxTest, ARevertableComboStepsToTheNextItemOnADoubleClick) {
  TcxComboBox* c = AddCombo({"a", "b", "c"});
  c->GetComboProperties()->SetRevertable(true);
  c->SetItemIndex(2);
  const HWND inner = c->InnerTextEdit()->GetHandle();
  host().DoubleClick(inner, 3, 3);
  host().PumpUntilIdle();
  EXPECT_EQ(Text(c), "a") << "past the last item it starts again";
  host().DoubleClick(inner, 40, 3);
  host().PumpUntilIdle();
  EXPECT_EQ(Text(c), "b");
  c->GetComboProperties()->SetRevertable(false);
  host().DoubleClick(inner, 3, 3);
  host().PumpUntilIdle();
  EXPECT_EQ(Text(c), "b");
}

}  // namespace

namespace {

TEST_F(ComboBoxTest, AClickOnAFocusedFixedListsTextOpensItAndTheNextClickClosesIt) {
  TcxComboBox* c = AddCombo({"one", "two"}, TcxEditDropDownListStyle::lsFixedList);
  host().Click(c->GetHandle(), 20, 10);
  host().PumpUntilIdle();
  ASSERT_TRUE(c->GetDroppedDown());
  host().Click(c->GetHandle(), 20, 10);
  host().PumpUntilIdle();
  EXPECT_FALSE(c->GetDroppedDown()) << "the press that closed it does not open it again";
  host().Click(c->GetHandle(), 20, 10);
  host().PumpUntilIdle();
  EXPECT_TRUE(c->GetDroppedDown()) << "the next press opens it";
  Key(VK_ESCAPE);
  c->GetComboProperties()->SetDropDownListStyle(TcxEditDropDownListStyle::lsEditList);
  host().Click(c->InnerTextEdit()->GetHandle(), 5, 5);
  host().PumpUntilIdle();
  EXPECT_FALSE(c->GetDroppedDown()) << "a list that takes typing opens by its button only";
}

TEST_F(ComboBoxTest, DraggingFromTheButtonOntoTheListChoosesWhereTheButtonIsReleased) {
  TcxComboBox* c = AddCombo({"one", "two", "three"});
  const TRect b = c->EditViewInfo()->ButtonsInfo[0]->Bounds;
  host().MouseDown(c->GetHandle(), (b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2);
  host().PumpUntilIdle();
  ASSERT_TRUE(c->GetDroppedDown());
  TcxCustomEditListBox* list = List(c);
  const TRect item = list->ItemRect(1);
  host().MouseMove(list->GetHandle(), item.Left + 4, item.Top + 3);
  host().PumpUntilIdle();
  EXPECT_EQ(list->GetItemIndex(), 1);
  host().MouseUp(list->GetHandle(), item.Left + 4, item.Top + 3);
  host().PumpUntilIdle();
  EXPECT_FALSE(c->GetDroppedDown());
  EXPECT_EQ(Text(c), "two");
  EXPECT_EQ(events.Reason, TcxEditCloseUpReason::crEnter);
}

TEST_F(ComboBoxTest, ItemIndexSetWhileTheListIsOpenMovesTheListAndTheText) {
  TcxComboBox* c = AddCombo({"one", "two", "three"});
  Key(VK_F4);
  c->SetItemIndex(2);
  EXPECT_EQ(Text(c), "three");
  EXPECT_EQ(List(c)->GetItemIndex(), 2);
  EXPECT_EQ(events.Changes, 1);
  Key(VK_ESCAPE);
  EXPECT_EQ(Text(c), "three");
}

}  // namespace

namespace {

TEST_F(ComboBoxTest, TheListTakesTheLookOfTheEditsButton) {
  TcxComboBox* c = AddCombo({"one", "two"});
  const std::pair<TcxEditButtonStyle, TcxLookAndFeelKind> table[] = {
      {TcxEditButtonStyle::btsHotFlat, TcxLookAndFeelKind::lfFlat},
      {TcxEditButtonStyle::bts3D, TcxLookAndFeelKind::lfStandard},
      {TcxEditButtonStyle::btsSimple, TcxLookAndFeelKind::lfUltraFlat},
      {TcxEditButtonStyle::btsOffice11, TcxLookAndFeelKind::lfOffice11}};
  for (const auto& [style, kind] : table) {
    c->GetEditStyle()->SetButtonStyle(style);
    host().PumpUntilIdle();
    Key(VK_F4);
    ASSERT_EQ(c->EditViewInfo()->ButtonsInfo[0]->ButtonStyle, style);
    EXPECT_EQ(List(c)->GetLookAndFeel()->GetKind(), kind);
    Key(VK_F4);
  }
}

}  // namespace

namespace {

TEST_F(ComboBoxTest, PageKeysStepAPageOfRowsInTheOpenList) {
  TcxComboBox* c = AddCombo({});
  for (int i = 0; i < 20; ++i) c->GetComboProperties()->GetItems()->Add("item " + std::to_string(i));
  c->GetComboProperties()->SetDropDownRows(5);
  Key(VK_F4);
  Key(VK_NEXT);
  EXPECT_EQ(List(c)->GetItemIndex(), 4) << "from no item, a page of five rows";
  Key(VK_NEXT);
  EXPECT_EQ(List(c)->GetItemIndex(), 8);
  Key(VK_PRIOR);
  EXPECT_EQ(List(c)->GetItemIndex(), 4);
  Key(VK_RETURN);
  EXPECT_EQ(Text(c), "item 4");
}

// An edit list: Backspace re-completes what is left of the typed part, and clears the text when
// nothing is left; Delete edits nothing.
TEST_F(ComboBoxTest, BackspaceAndDeleteInAnEditList) {
  TcxComboBox* c = AddCombo({"Apple", "Apricot", "Banana"}, TcxEditDropDownListStyle::lsEditFixedList);
  c->GetComboProperties()->SetImmediateDropDown(false);
  Type("ap");
  EXPECT_EQ(Text(c), "Apple");
  Key(VK_BACK);
  EXPECT_EQ(Text(c), "Apple");
  EXPECT_EQ(c->GetSelStart(), 1);
  EXPECT_EQ(c->GetSelLength(), 4);
  Key(VK_BACK);
  EXPECT_EQ(Text(c), "");
  // Without a highlight the rest of the text becomes the completion first.
  Type("b");
  EXPECT_EQ(Text(c), "Banana");
  Key(VK_RIGHT);
  Key(VK_HOME);
  for (int i = 0; i < 3; ++i) Key(VK_RIGHT);
  Key(VK_BACK);
  EXPECT_EQ(Text(c), "Banana");
  EXPECT_EQ(c->GetSelStart(), 2);
  EXPECT_EQ(c->GetSelLength(), 4);
  Key(VK_HOME);
  Key(VK_DELETE);
  EXPECT_EQ(Text(c), "Banana");
}

// A fixed list paints the typed letters' completion as the selection and keeps it after a miss.
TEST_F(ComboBoxTest, AFixedListShowsItsSearchHighlight) {
  TcxComboBox* c = AddCombo({"Apple", "Banana", "Blueberry"}, TcxEditDropDownListStyle::lsFixedList);
  c->GetComboProperties()->SetImmediateDropDown(false);
  Type("b");
  auto* vi = dynamic_cast<TcxCustomTextEditViewInfo*>(c->EditViewInfo());
  ASSERT_NE(vi, nullptr);
  EXPECT_EQ(vi->SelStart, 1);
  EXPECT_EQ(vi->SelLength, 5);
  Type("q");
  EXPECT_EQ(Text(c), "Banana");
  EXPECT_EQ(c->GetSelText(), "anana");
  EXPECT_EQ(vi->SelLength, 5);
  // Without accumulated typing the highlight is not painted.
  c->GetComboProperties()->SetAccumulateFixedListTyping(false);
  Type("l");
  EXPECT_EQ(Text(c), "Blueberry");
  EXPECT_EQ(c->GetSelText(), "ueberry");
  EXPECT_EQ(vi->SelLength, 0);
}

// Records the state each drawing of an item was given.
class TStatePainter : public TObject {
 public:
  std::vector<TOwnerDrawState> States;
  void Draw(TcxCustomComboBox*, TcxCanvas*, Integer, const TRect&, TOwnerDrawState AState) { States.push_back(AState); }
};

// The edit area of a fixed list is drawn selected and focused while the edit has the focus, the
// list open or not.
TEST_F(ComboBoxTest, AnOwnerDrawnEditAreaStaysSelectedWhileTheListIsOpen) {
  TcxComboBox* c = AddCombo({"a", "b"}, TcxEditDropDownListStyle::lsFixedList);
  TStatePainter painter;
  c->GetComboProperties()->OnDrawItem = {&painter, &TStatePainter::Draw};
  const TOwnerDrawState selected{TOwnerDrawStateItem::odSelected, TOwnerDrawStateItem::odFocused};
  Key(VK_F4);
  ASSERT_TRUE(c->GetDroppedDown());
  painter.States.clear();
  c->Invalidate();
  host().PumpUntilIdle();
  ASSERT_FALSE(painter.States.empty());
  EXPECT_EQ(painter.States.back() * selected, selected);
  Key(VK_ESCAPE);
  other->SetFocus();
  host().PumpUntilIdle();
  painter.States.clear();
  c->Invalidate();
  host().PumpUntilIdle();
  ASSERT_FALSE(painter.States.empty());
  EXPECT_EQ(painter.States.back() * selected, TOwnerDrawState());
}

// Only editors with buttons or a popup keep their buttons' and popup's style values; the edit
// style does not publish gradient buttons.
TEST_F(ComboBoxTest, ButtonAndPopupStyleValuesAreKeptOnlyWhereThereAreSome) {
  auto* text = New<TcxTextEdit>(form);
  auto* spin = New<TcxSpinEdit>(form);
  TcxComboBox* combo = AddCombo({"a"});
  for (TcxCustomEdit* e : std::initializer_list<TcxCustomEdit*>{text, spin, combo}) {
    auto* st = static_cast<TcxEditStyle*>(e->GetStyle());
    st->SetButtonStyle(TcxEditButtonStyle::btsFlat);
    st->SetPopupBorderStyle(TcxEditPopupBorderStyle::epbsSingle);
  }
  auto stored = [](TcxCustomEdit* e) {
    auto* st = static_cast<TcxEditStyle*>(e->GetStyle());
    return std::make_pair(st->IsButtonStyleStored(), st->IsPopupBorderStyleStored());
  };
  EXPECT_EQ(stored(text), std::make_pair(false, false));
  EXPECT_EQ(stored(spin), std::make_pair(true, false));
  EXPECT_EQ(stored(combo), std::make_pair(true, true));
  EXPECT_EQ(GetPropInfo(text->GetStyle(), "GradientButtons"), nullptr);
  EXPECT_NE(GetPropInfo(text->GetStyle(), "ButtonStyle"), nullptr);
}

}  // namespace
