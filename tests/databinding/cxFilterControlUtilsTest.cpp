// Filter edit helpers: the operators each editor kind offers per value type, the captions,
// the value editors and their set-up, reading and writing a filter value, the validation
// of a typed value, and the registry with its start-up registrations.
#include "tests/databinding/DBLookupTestSupport.h"
#include "tests/databinding/DatabindingTestSupport.h"
#include "widgets/databinding/cxFilterControlUtils.h"
#include "widgets/databinding/cxLookupEdit.h"
#include "widgets/editcore/cxMaskEdit.h"
#include "widgets/editcore/cxTextEditControl.h"
#include "widgets/editors/cxCheckBox.h"
#include "widgets/editors/cxComboBox.h"
#include "widgets/editors/cxHyperLinkEdit.h"
#include "widgets/editors/cxLabel.h"
#include "widgets/editors/cxMRUEdit.h"
#include "widgets/editors/cxMemo.h"
#include "widgets/editors/cxRadioGroup.h"
#include "widgets/editors/cxSpinEdit.h"
#include "widgets/foundation/cxVariants.h"
#include "widgets/special/cxBlobEdit.h"
#include "widgets/special/cxCalcEdit.h"
#include "widgets/special/cxCurrencyEdit.h"
#include "widgets/special/cxDateEdit.h"
#include "widgets/special/cxImageComboBox.h"
#include "widgets/special/cxTimeEdit.h"

using enum TcxFilterControlOperator;
using Ops = TcxFilterControlOperators;

// A properties class no helper is registered for, below one that has a helper.
class TTestDateProperties : public TcxDateEditProperties {
  TL_CLASS(TTestDateProperties, TcxDateEditProperties)
 public:
  using TcxDateEditProperties::TcxDateEditProperties;
};
TL_DEFINE_CLASS(TTestDateProperties)

// A lookup list whose text for a key is "#" and the key, defined by a lookup field or not.
class TTestLookupProperties : public TcxCustomLookupEditProperties {
  TL_CLASS(TTestLookupProperties, TcxCustomLookupEditProperties)
 public:
  using TcxCustomLookupEditProperties::TcxCustomLookupEditProperties;
  String GetDisplayText(const Variant& AKey) override { return VarIsNull(AKey) ? "" : "#" + VarToStr(AKey); }
  using TcxCustomLookupEditProperties::GetDisplayText;
  bool IsDefinedByLookupField() const override { return ByField; }
  bool ByField = false;
};
TL_DEFINE_CLASS(TTestLookupProperties)

namespace {

template <class T>
TcxCustomFilterEditHelperClass H() {
  return cxFilterEditHelperClassOf<T>();
}

TcxValueTypeClass kString() { return TcxStringValueType::StaticClass(); }
TcxValueTypeClass kInteger() { return TcxIntegerValueType::StaticClass(); }
TcxValueTypeClass kDate() { return TcxDateTimeValueType::StaticClass(); }

const Ops kBasic{fcoEqual, fcoNotEqual, fcoLess, fcoLessEqual, fcoGreater, fcoGreaterEqual, fcoBlanks, fcoNonBlanks};
const Ops kLists{fcoBetween, fcoNotBetween, fcoInList, fcoNotInList};
const Ops kLike{fcoLike, fcoNotLike};
const Ops kDates{fcoYesterday, fcoToday,    fcoTomorrow, fcoLastWeek, fcoLastMonth, fcoLastYear,
                 fcoThisWeek,  fcoThisMonth, fcoThisYear, fcoNextWeek, fcoNextMonth, fcoNextYear};
const Ops kChoices{fcoEqual, fcoNotEqual, fcoBlanks, fcoNonBlanks};

class FilterHelperTest : public DatabindingTest {
 protected:
  template <class T>
  T* Props() {
    T* p = New<T>(nullptr);
    props.emplace_back(p);
    return p;
  }
  // The helper's value editor on the form, set up from AColumn.
  TcxCustomEdit* ValueEditor(TcxCustomFilterEditHelperClass AHelper, TcxCustomEditProperties* AColumn) {
    TcxCustomEdit* e = AHelper->GetFilterEditClass().Create(form, false);
    e->SetBounds(4, 4 + 24 * Integer(form->ComponentCount()), 120, 21);
    e->SetParent(form);
    AHelper->InitializeFilterEdit(e, AColumn);
    return e;
  }
  std::vector<Owned<TcxCustomEditProperties>> props;
};

// ---- operator sets ----

struct OperatorRow {
  const char* name;
  TcxCustomFilterEditHelperClass helper;
  int column;  // 0 plain, 1 masked, 2 memo blob
  TcxValueTypeClass valueType;
  Ops normal, extended;
};

TEST_F(FilterHelperTest, EachHelperOffersItsOperatorsPerValueType) {
  Ops b = kBasic, bl = kBasic + kLists, like = kLike;
  Ops all = kBasic + kLike;
  const OperatorRow rows[] = {
      // The base rule: like only for string value types, lists when extended.
      {"text/string", H<TcxFilterTextEditHelper>(), 0, kString(), all, all + kLists},
      {"text/integer", H<TcxFilterTextEditHelper>(), 0, kInteger(), b, bl},
      {"text/none", H<TcxFilterTextEditHelper>(), 0, nullptr, b, bl},
      {"hyperlink/string", H<TcxFilterHyperLinkEditHelper>(), 0, kString(), all, all + kLists},
      {"mru/integer", H<TcxFilterMRUEditHelper>(), 0, kInteger(), b, bl},
      {"memo/any", H<TcxFilterMemoHelper>(), 0, kInteger(), like + Ops{fcoBlanks, fcoNonBlanks},
       like + Ops{fcoBlanks, fcoNonBlanks}},
      {"blob memo", H<TcxFilterBlobEditHelper>(), 2, kString(), like + Ops{fcoBlanks, fcoNonBlanks},
       like + Ops{fcoBlanks, fcoNonBlanks}},
      {"blob other", H<TcxFilterBlobEditHelper>(), 0, kString(), Ops{fcoBlanks, fcoNonBlanks},
       Ops{fcoBlanks, fcoNonBlanks}},
      // Mask family: like only without a mask and for a string value type.
      {"mask/string", H<TcxFilterMaskEditHelper>(), 0, kString(), all, all + kLists},
      {"mask masked/string", H<TcxFilterMaskEditHelper>(), 1, kString(), b, bl},
      {"mask/integer", H<TcxFilterMaskEditHelper>(), 0, kInteger(), b, bl},
      {"combo/string", H<TcxFilterComboBoxHelper>(), 0, kString(), all, all + kLists},
      {"combo/integer", H<TcxFilterComboBoxHelper>(), 0, kInteger(), b, bl},
      {"calc/string", H<TcxFilterCalcEditHelper>(), 0, kString(), b, bl},
      {"spin/string", H<TcxFilterSpinEditHelper>(), 0, kString(), b, bl},
      {"time/string", H<TcxFilterTimeEditHelper>(), 0, kString(), b, bl},
      {"currency/string", H<TcxFilterCurrencyEditHelper>(), 0, kString(), b, bl},
      {"date/date", H<TcxFilterDateEditHelper>(), 0, kDate(), b, bl + kDates},
      {"date/string", H<TcxFilterDateEditHelper>(), 0, kString(), b, bl + kDates},
      // Choices.
      {"check box", H<TcxFilterCheckBoxHelper>(), 0, kString(), kChoices, kChoices},
      {"radio group", H<TcxFilterRadioGroupHelper>(), 0, kString(), kChoices,
       kChoices + Ops{fcoInList, fcoNotInList}},
      {"image combo", H<TcxFilterImageComboBoxHelper>(), 0, kString(), kChoices,
       kChoices + Ops{fcoInList, fcoNotInList}},
  };
  auto* plain = Props<TcxMaskEditProperties>();
  auto* masked = Props<TcxMaskEditProperties>();
  masked->SetEditMask("000");
  auto* memoBlob = Props<TcxBlobEditProperties>();
  memoBlob->SetBlobEditKind(TcxBlobEditKind::bekMemo);
  TcxCustomEditProperties* columns[] = {plain, masked, memoBlob};
  for (const OperatorRow& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(r.helper->GetSupportedFilterOperators(columns[r.column], r.valueType, false), r.normal);
    EXPECT_EQ(r.helper->GetSupportedFilterOperators(columns[r.column], r.valueType, true), r.extended);
  }
}

TEST_F(FilterHelperTest, CaptionsFollowTheOperatorsOrder) {
  EXPECT_EQ(cxGetFilterControlOperatorCaption(fcoNone), "");
  EXPECT_EQ(cxGetFilterControlOperatorCaption(fcoEqual), "equals");
  EXPECT_EQ(cxGetFilterControlOperatorCaption(fcoGreaterEqual), "is greater than or equal to");
  EXPECT_EQ(cxGetFilterControlOperatorCaption(fcoNonBlanks), "is not blank");
  EXPECT_EQ(cxGetFilterControlOperatorCaption(fcoNotInList), "not in");
  EXPECT_EQ(cxGetFilterControlOperatorCaption(fcoYesterday), "is yesterday");
  EXPECT_EQ(cxGetFilterControlOperatorCaption(fcoThisMonth), "is this month");
  EXPECT_EQ(cxGetFilterControlOperatorCaption(fcoNextYear), "is next year");
  EXPECT_EQ(cxFilterControlOperatorRange(fcoBetween, fcoNotInList), kLists);
  // Captions pass through the override hook (string 63301 is "does not equal").
  const TResStringRec notEqual{63301, "does not equal"};
  cxSetResourceString(notEqual, "differs from");
  EXPECT_EQ(cxGetFilterControlOperatorCaption(fcoNotEqual), "differs from");
  cxSetResourceString(notEqual, "does not equal");
}

// ---- value editors and their set-up ----

TEST_F(FilterHelperTest, EachHelperNamesItsValueEditor) {
  const std::pair<TcxCustomFilterEditHelperClass, const TClass*> rows[] = {
      {H<TcxFilterTextEditHelper>(), &TcxTextEdit::StaticClass()},
      {H<TcxFilterMemoHelper>(), &TcxTextEdit::StaticClass()},
      {H<TcxFilterBlobEditHelper>(), &TcxTextEdit::StaticClass()},
      {H<TcxFilterMRUEditHelper>(), &TcxTextEdit::StaticClass()},
      {H<TcxFilterMaskEditHelper>(), &TcxMaskEdit::StaticClass()},
      {H<TcxFilterComboBoxHelper>(), &TcxComboBox::StaticClass()},
      {H<TcxFilterCheckBoxHelper>(), &TcxComboBox::StaticClass()},
      {H<TcxFilterRadioGroupHelper>(), &TcxComboBox::StaticClass()},
      {H<TcxFilterCalcEditHelper>(), &TcxCalcEdit::StaticClass()},
      {H<TcxFilterDateEditHelper>(), &TcxDateEdit::StaticClass()},
      {H<TcxFilterCurrencyEditHelper>(), &TcxCurrencyEdit::StaticClass()},
      {H<TcxFilterSpinEditHelper>(), &TcxSpinEdit::StaticClass()},
      {H<TcxFilterImageComboBoxHelper>(), &TcxImageComboBox::StaticClass()},
      {H<TcxFilterTimeEditHelper>(), &TcxTimeEdit::StaticClass()},
      {H<TcxFilterHyperLinkEditHelper>(), &TcxHyperLinkEdit::StaticClass()},
      {H<TcxFilterLookupComboBoxHelper>(), &TcxLookupComboBox::StaticClass()},
  };
  for (const auto& [helper, cls] : rows) {
    SCOPED_TRACE(helper->ClassName());
    EXPECT_EQ(helper->GetFilterEditClass().Class, cls);
  }
  EXPECT_FALSE(H<TcxCustomFilterEditHelper>()->GetFilterEditClass().Class);
  EXPECT_TRUE(H<TcxFilterCheckBoxHelper>()->UseDisplayValue());
  EXPECT_TRUE(H<TcxFilterRadioGroupHelper>()->UseDisplayValue());
  EXPECT_FALSE(H<TcxFilterComboBoxHelper>()->UseDisplayValue());
}

struct TEventSink : TObject {
  void Notify(TObject*) {}
};

TEST_F(FilterHelperTest, TheValueEditorCopiesTheColumnButIsEditableLeftAlignedAndSilent) {
  TEventSink sink;
  auto* column = Props<TcxMaskEditProperties>();
  column->SetReadOnly(true);
  column->GetAlignment()->SetHorz(TAlignment::taRightJustify);
  column->GetAlignment()->SetVert(TcxEditVertAlignment::taVCenter);
  column->SetMaskKind(TcxEditMaskKind::emkRegExpr);
  column->SetEditMask("[0-9]+");
  column->GetButtons()->Add();
  column->OnChange = {&sink, &TEventSink::Notify};
  column->OnEditValueChanged = {&sink, &TEventSink::Notify};
  TcxCustomEdit* e = ValueEditor(H<TcxFilterMaskEditHelper>(), column);
  auto* p = static_cast<TcxCustomMaskEditProperties*>(e->GetActiveProperties());
  EXPECT_EQ(p->GetEditMask(), "[0-9]+");  // copied
  EXPECT_FALSE(p->GetReadOnly());
  EXPECT_EQ(p->GetAlignment()->GetHorz(), TAlignment::taLeftJustify);
  EXPECT_EQ(p->GetAlignment()->GetVert(), TcxEditVertAlignment::taTopJustify);
  EXPECT_EQ(p->GetButtons()->Count(), 0);  // a mask edit has no drop-down or spin
  EXPECT_FALSE(p->OnChange);
  EXPECT_FALSE(p->OnEditValueChanged);
  EXPECT_EQ(p->GetMaskKind(), TcxEditMaskKind::emkRegExprEx);
  EXPECT_FALSE(p->GetAutoSelect());  // masked
  // The column itself is untouched.
  EXPECT_TRUE(column->OnChange);
  EXPECT_TRUE(column->GetReadOnly());
}

TEST_F(FilterHelperTest, DropDownValueEditorsKeepTheirButtonsAndTakeTheirKindsSettings) {
  auto* date = Props<TcxDateEditProperties>();
  date->SetDateOnError(TDateOnError::deToday);
  date->SetSaveTime(false);
  TcxCustomEdit* d = ValueEditor(H<TcxFilterDateEditHelper>(), date);
  auto* dp = static_cast<TcxCustomDateEditProperties*>(d->GetActiveProperties());
  EXPECT_GT(dp->GetButtons()->Count(), 0);
  EXPECT_EQ(dp->GetDateOnError(), TDateOnError::deNull);
  EXPECT_TRUE(dp->GetSaveTime());
  EXPECT_EQ(dp->GetInputKind(), TcxInputKind::ikRegExpr);

  auto* combo = Props<TcxComboBoxProperties>();
  combo->SetDropDownRows(20);
  combo->SetDropDownListStyle(TcxEditDropDownListStyle::lsFixedList);
  combo->SetRevertable(true);
  auto* cp = static_cast<TcxCustomComboBoxProperties*>(ValueEditor(H<TcxFilterComboBoxHelper>(), combo)
                                                           ->GetActiveProperties());
  EXPECT_EQ(cp->GetDropDownRows(), 8);
  EXPECT_EQ(cp->GetDropDownListStyle(), TcxEditDropDownListStyle::lsEditList);
  EXPECT_FALSE(cp->GetRevertable());

  auto* calc = Props<TcxCalcEditProperties>();
  auto* calcp = static_cast<TcxCustomCalcEditProperties*>(ValueEditor(H<TcxFilterCalcEditHelper>(), calc)
                                                              ->GetActiveProperties());
  EXPECT_TRUE(calcp->GetQuickClose());

  auto* time = Props<TcxTimeEditProperties>();
  auto* t = static_cast<TcxCustomTimeEdit*>(ValueEditor(H<TcxFilterTimeEditHelper>(), time));
  EXPECT_EQ(t->GetTime(), 0.0);

  auto* text = Props<TcxTextEditProperties>();
  text->SetAutoSelect(false);
  text->SetHideSelection(false);
  text->SetViewStyle(TcxTextEditViewStyle::vsHideCursor);
  auto* tp = static_cast<TcxCustomTextEditProperties*>(ValueEditor(H<TcxFilterTextEditHelper>(), text)
                                                           ->GetActiveProperties());
  EXPECT_TRUE(tp->GetAutoSelect());
  EXPECT_TRUE(tp->GetHideSelection());
  EXPECT_EQ(tp->GetViewStyle(), TcxTextEditViewStyle::vsNormal);

  auto* image = Props<TcxImageComboBoxProperties>();
  image->SetShowDescriptions(false);
  auto* ip = static_cast<TcxCustomImageComboBoxProperties*>(
      ValueEditor(H<TcxFilterImageComboBoxHelper>(), image)->GetActiveProperties());
  EXPECT_TRUE(ip->GetShowDescriptions());
  EXPECT_EQ(ip->GetDropDownListStyle(), TcxEditDropDownListStyle::lsFixedList);

  auto* spin = Props<TcxSpinEditProperties>();
  spin->SetCanEdit(false);
  auto* sp = static_cast<TcxCustomSpinEditProperties*>(ValueEditor(H<TcxFilterSpinEditHelper>(), spin)
                                                           ->GetActiveProperties());
  EXPECT_TRUE(sp->GetCanEdit());
  EXPECT_GT(sp->GetButtons()->Count(), 0);

  auto* mru = Props<TcxMRUEditProperties>();
  EXPECT_TRUE(H<TcxFilterComboBoxHelper>()->HasDropDownOrSpin(mru));
  EXPECT_FALSE(H<TcxFilterMRUEditHelper>()->HasDropDownOrSpin(mru));
  EXPECT_TRUE(H<TcxFilterTextEditHelper>()->HasDropDownOrSpin(Props<TcxSpinEditProperties>()));
  EXPECT_FALSE(H<TcxFilterTextEditHelper>()->HasDropDownOrSpin(Props<TcxTextEditProperties>()));
}

// ---- value round trips ----

TEST_F(FilterHelperTest, CheckBoxValuesAreItsTwoStatesOrNull) {
  auto* column = Props<TcxCheckBoxProperties>();
  column->SetDisplayChecked("Yes");
  column->SetDisplayUnchecked("No");
  column->SetValueChecked("Y");
  column->SetValueUnchecked("N");
  auto* e = static_cast<TcxComboBox*>(ValueEditor(H<TcxFilterCheckBoxHelper>(), column));
  TStrings* items = e->ActiveProperties()->GetItems();
  ASSERT_EQ(items->Count(), 2);
  EXPECT_EQ(items->Strings(0), "Yes");
  EXPECT_EQ(items->Strings(1), "No");
  EXPECT_EQ(e->ActiveProperties()->GetDropDownListStyle(), TcxEditDropDownListStyle::lsFixedList);

  const TcxCustomFilterEditHelperClass h = H<TcxFilterCheckBoxHelper>();
  Variant v;
  String s;
  const std::tuple<Variant, Integer, const char*> rows[] = {
      {Variant("N"), 1, "No"}, {Variant("Y"), 0, "Yes"}, {Variant::MakeNull(), -1, ""}};
  for (const auto& [value, index, text] : rows) {
    h->SetFilterValue(e, column, value);
    EXPECT_EQ(e->GetItemIndex(), index);
    h->GetFilterValue(e, column, v, s);
    EXPECT_TRUE(cxVariantsEqual(v, value)) << text;
    EXPECT_EQ(s, text);
  }
  // A value in neither state selects nothing.
  h->SetFilterValue(e, column, Variant("?"));
  EXPECT_EQ(e->GetItemIndex(), -1);
}

TEST_F(FilterHelperTest, RadioGroupValuesAreItsItemsAndNoItemIsNull) {
  auto* column = Props<TcxRadioGroupProperties>();
  const std::pair<const char*, Integer> itemsIn[] = {{"Red", 10}, {"Green", 20}, {"Blue", 30}};
  for (const auto& [caption, value] : itemsIn) {
    auto* item = static_cast<TcxRadioGroupItem*>(column->GetItems()->Add());
    item->SetCaption(caption);
    item->SetValue(value);
  }
  auto* e = static_cast<TcxComboBox*>(ValueEditor(H<TcxFilterRadioGroupHelper>(), column));
  TStrings* items = e->ActiveProperties()->GetItems();
  ASSERT_EQ(items->Count(), 3);
  EXPECT_EQ(items->Strings(2), "Blue");

  const TcxCustomFilterEditHelperClass h = H<TcxFilterRadioGroupHelper>();
  Variant v;
  String s;
  h->SetFilterValue(e, column, 20);
  EXPECT_EQ(e->GetItemIndex(), 1);
  h->GetFilterValue(e, column, v, s);
  EXPECT_EQ(v.AsInteger(), 20);
  EXPECT_EQ(s, "Green");
  // No item: Null, as the check box gives.
  h->SetFilterValue(e, column, Variant::MakeNull());
  EXPECT_EQ(e->GetItemIndex(), -1);
  h->GetFilterValue(e, column, v, s);
  EXPECT_TRUE(VarIsNull(v));
  EXPECT_EQ(s, "");
  h->SetFilterValue(e, column, 99);
  h->GetFilterValue(e, column, v, s);
  EXPECT_TRUE(VarIsNull(v));
  // Properties of another kind give no item rather than a wrong one.
  e->SetItemIndex(0);
  h->GetFilterValue(e, Props<TcxTextEditProperties>(), v, s);
  EXPECT_TRUE(VarIsNull(v));
}

TEST_F(FilterHelperTest, TypedEditorsHandTheirValueBackWithTheColumnsText) {
  struct Row {
    const char* name;
    TcxCustomFilterEditHelperClass helper;
    TcxCustomEditProperties* column;
    Variant value;
    const char* text;
  };
  auto* currency = Props<TcxCurrencyEditProperties>();
  currency->SetDisplayFormat("0.00");
  auto* spin = Props<TcxSpinEditProperties>();
  auto* memoBlob = Props<TcxBlobEditProperties>();
  memoBlob->SetBlobEditKind(TcxBlobEditKind::bekMemo);
  const Row rows[] = {
      {"text", H<TcxFilterTextEditHelper>(), Props<TcxTextEditProperties>(), Variant("pear"), "pear"},
      {"memo", H<TcxFilterMemoHelper>(), Props<TcxMemoProperties>(), Variant("two\r\nlines"), "two\r\nlines"},
      {"mask", H<TcxFilterMaskEditHelper>(), Props<TcxMaskEditProperties>(), Variant("ab"), "ab"},
      {"combo", H<TcxFilterComboBoxHelper>(), Props<TcxComboBoxProperties>(), Variant("fig"), "fig"},
      {"hyperlink", H<TcxFilterHyperLinkEditHelper>(), Props<TcxHyperLinkEditProperties>(), Variant("a.b"), "a.b"},
      {"currency", H<TcxFilterCurrencyEditHelper>(), currency, Variant(12.5), "12.50"},
      {"spin", H<TcxFilterSpinEditHelper>(), spin, Variant(42), "42"},
      {"label", H<TcxFilterTextEditHelper>(), Props<TcxLabelProperties>(), Variant("cap"), "cap"},
      {"blob", H<TcxFilterBlobEditHelper>(), memoBlob, Variant("note"), "note"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    TcxCustomEdit* e = ValueEditor(r.helper, r.column);
    r.helper->SetFilterValue(e, r.column, r.value);
    Variant v;
    String s;
    r.helper->GetFilterValue(e, r.column, v, s);
    EXPECT_TRUE(cxVariantsEqualLoose(v, r.value));
    EXPECT_EQ(s, r.text);
  }
}

// ---- validation ----

TEST_F(FilterHelperTest, ARejectedValueRaisesInvalidValueWithTheEditorModifiedAndFocused) {
  Show();
  auto* column = Props<TcxTextEditProperties>();
  TcxCustomEdit* e = ValueEditor(H<TcxFilterTextEditHelper>(), column);
  auto* other = New<TcxTextEdit>(form);
  other->SetParent(form);
  other->SetBounds(4, 150, 60, 21);
  Pump();
  other->SetFocus();
  Pump();
  ASSERT_FALSE(e->GetDisplayValueModified());
  ASSERT_TRUE(other->IsFocused());
  Variant v("abc");
  try {
    cxFilterControlValidateValue(e, kInteger(), H<TcxFilterTextEditHelper>(), v);
    FAIL() << "no error";
  } catch (const EcxFilterControlError& err) {
    EXPECT_EQ(err.Message(), "Invalid value");
  }
  EXPECT_TRUE(e->CanFocus());
  Pump();
  EXPECT_TRUE(e->GetDisplayValueModified());
  EXPECT_TRUE(e->IsFocused());
}

TEST_F(FilterHelperTest, EmptyTextIsNullForNonStringColumnsAndValidValuesPass) {
  const TcxCustomFilterEditHelperClass h = H<TcxFilterTextEditHelper>();
  TcxCustomEdit* e = ValueEditor(h, Props<TcxTextEditProperties>());
  Variant v("");
  cxFilterControlValidateValue(e, kInteger(), h, v);
  EXPECT_TRUE(VarIsNull(v));
  Variant s("");
  cxFilterControlValidateValue(e, kString(), h, s);
  EXPECT_FALSE(VarIsNull(s));
  Variant n("17");
  cxFilterControlValidateValue(e, kInteger(), h, n);
  EXPECT_EQ(VarToStr(n), "17");
  EXPECT_FALSE(e->GetDisplayValueModified());
  // Without a value type nothing is refused.
  Variant any("x");
  cxFilterControlValidateValue(e, nullptr, h, any);
  EXPECT_EQ(VarToStr(any), "x");
}

// ---- the registry ----

TEST_F(FilterHelperTest, StartUpRegistersEveryHelperInOrderThenTheLabelsAndTheBlobs) {
  TcxFilterEditsController* c = cxGetFilterEditsController();
  ASSERT_TRUE(c);
  const std::pair<const TClass*, TcxCustomFilterEditHelperClass> expected[] = {
      {&TcxCalcEditProperties::StaticClass(), H<TcxFilterCalcEditHelper>()},
      {&TcxCheckBoxProperties::StaticClass(), H<TcxFilterCheckBoxHelper>()},
      {&TcxComboBoxProperties::StaticClass(), H<TcxFilterComboBoxHelper>()},
      {&TcxCurrencyEditProperties::StaticClass(), H<TcxFilterCurrencyEditHelper>()},
      {&TcxDateEditProperties::StaticClass(), H<TcxFilterDateEditHelper>()},
      {&TcxHyperLinkEditProperties::StaticClass(), H<TcxFilterHyperLinkEditHelper>()},
      {&TcxImageComboBoxProperties::StaticClass(), H<TcxFilterImageComboBoxHelper>()},
      {&TcxLookupComboBoxProperties::StaticClass(), H<TcxFilterLookupComboBoxHelper>()},
      {&TcxMaskEditProperties::StaticClass(), H<TcxFilterMaskEditHelper>()},
      {&TcxMemoProperties::StaticClass(), H<TcxFilterMemoHelper>()},
      {&TcxMRUEditProperties::StaticClass(), H<TcxFilterMRUEditHelper>()},
      {&TcxRadioGroupProperties::StaticClass(), H<TcxFilterRadioGroupHelper>()},
      {&TcxSpinEditProperties::StaticClass(), H<TcxFilterSpinEditHelper>()},
      {&TcxTextEditProperties::StaticClass(), H<TcxFilterTextEditHelper>()},
      {&TcxTimeEditProperties::StaticClass(), H<TcxFilterTimeEditHelper>()},
      {&TcxLabelProperties::StaticClass(), H<TcxFilterTextEditHelper>()},
      {&TcxBlobEditProperties::StaticClass(), H<TcxFilterBlobEditHelper>()},
  };
  ASSERT_EQ(c->Count(), Integer(std::size(expected)));
  for (Integer i = 0; i < c->Count(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(c->Items(i).ItemClass, expected[i].first);
    EXPECT_EQ(c->Items(i).RegisteredClass, &expected[i].second->ClassType());
    EXPECT_EQ(c->FindHelper(*expected[i].first), expected[i].second);
  }

  cxFilterControlUtils::UnregisterEditorUnitHelpers();
  EXPECT_EQ(c->Count(), 15);
  EXPECT_FALSE(c->FindHelper(TcxLabelProperties::StaticClass()));
  EXPECT_FALSE(c->FindHelper(TcxBlobEditProperties::StaticClass()));
  cxFilterControlUtils::RegisterEditorUnitHelpers();
  EXPECT_EQ(c->FindHelper(TcxBlobEditProperties::StaticClass()), H<TcxFilterBlobEditHelper>());

  // Shut-down frees the registry with everything in it; start-up makes it anew.
  WidgetsDatabindingFinalize();
  EXPECT_FALSE(cxGetFilterEditsController());
  WidgetsDatabindingInitialize();
  ASSERT_TRUE(cxGetFilterEditsController());
  EXPECT_EQ(cxGetFilterEditsController()->FindHelper(TcxLabelProperties::StaticClass()),
            H<TcxFilterTextEditHelper>());
}

TEST_F(FilterHelperTest, AClassWithoutItsOwnHelperFindsItsNearestAncestors) {
  TcxFilterEditsController* c = cxGetFilterEditsController();
  ASSERT_TRUE(c);
  EXPECT_EQ(c->FindHelper(TTestDateProperties::StaticClass()), H<TcxFilterDateEditHelper>());
  // Ancestors of registered classes have none.
  EXPECT_FALSE(c->FindHelper(TcxCustomDateEditProperties::StaticClass()));
  EXPECT_FALSE(c->FindHelper(TcxCustomEditProperties::StaticClass()));
  // A helper of its own wins, and its removal falls back to the ancestor's.
  c->Register(TTestDateProperties::StaticClass(), H<TcxFilterTextEditHelper>());
  EXPECT_EQ(c->FindHelper(TTestDateProperties::StaticClass()), H<TcxFilterTextEditHelper>());
  EXPECT_EQ(c->FindHelper(TcxDateEditProperties::StaticClass()), H<TcxFilterDateEditHelper>());
  c->Unregister(TTestDateProperties::StaticClass(), H<TcxFilterTextEditHelper>());
  EXPECT_EQ(c->FindHelper(TTestDateProperties::StaticClass()), H<TcxFilterDateEditHelper>());
}

}  // namespace

namespace {

TEST_F(FilterHelperTest, TheLookupHelperTakesAKeyFromAFixedListAndKeepsAFieldsProvider) {
  const TcxCustomFilterEditHelperClass h = H<TcxFilterLookupComboBoxHelper>();
  auto* column = Props<TTestLookupProperties>();
  EXPECT_EQ(h->GetSupportedFilterOperators(column, kString(), false), kChoices);
  EXPECT_EQ(h->GetSupportedFilterOperators(column, kInteger(), true), kChoices);
  Variant key("not a number");
  EXPECT_TRUE(h->IsValueValid(kInteger(), key));
  EXPECT_FALSE(h->KeepsDefaultValuesProvider(column));
  column->ByField = true;
  EXPECT_TRUE(h->KeepsDefaultValuesProvider(column));
  EXPECT_FALSE(h->KeepsDefaultValuesProvider(Props<TcxComboBoxProperties>()));

  // Set up on a combo box's properties: a fixed list that sizes itself and can be resized.
  auto* e = New<TcxComboBox>(form);
  e->SetParent(form);
  column->SetDropDownListStyle(TcxEditDropDownListStyle::lsEditList);
  h->InitializeProperties(e->GetActiveProperties(), column, true);
  auto* p = e->ActiveProperties();
  EXPECT_EQ(p->GetDropDownListStyle(), TcxEditDropDownListStyle::lsFixedList);
  EXPECT_TRUE(p->GetPopupAutoSize());
  EXPECT_TRUE(p->GetPopupSizeable());

  e->SetEditValue(7);
  Variant v;
  String s;
  h->GetFilterValue(e, column, v, s);
  EXPECT_EQ(v.AsInteger(), 7);
  EXPECT_EQ(s, "#7");
}

}  // namespace

namespace {

using FilterLookupHelperTest = DBLookupTest;

TEST_F(FilterLookupHelperTest, ALookupColumnsValueEditorListsItsRecordsAndGivesKeysWithTheirTexts) {
  TcxLookupComboBoxProperties* column = MakeCombo()->GetProperties();
  const TcxCustomFilterEditHelperClass h = cxGetFilterEditsController()->FindHelper(column->ClassType());
  ASSERT_EQ(h, cxFilterEditHelperClassOf<TcxFilterLookupComboBoxHelper>());
  TcxCustomEdit* e = h->GetFilterEditClass().Create(form, false);
  e->SetParent(form);
  e->SetBounds(10, 40, 150, 21);
  h->InitializeFilterEdit(e, column);
  auto* p = static_cast<TcxLookupComboBoxProperties*>(e->GetActiveProperties());
  EXPECT_EQ(p->GetListSource(), peopleSource);
  EXPECT_EQ(p->GetDropDownListStyle(), TcxEditDropDownListStyle::lsFixedList);
  Variant v;
  String s;
  for (const auto& [key, text] : {std::pair<Integer, const char*>{3, "Bobby"}, {7, "Dora"}}) {
    h->SetFilterValue(e, column, key);
    h->GetFilterValue(e, column, v, s);
    EXPECT_EQ(v.AsInteger(), key);
    EXPECT_EQ(s, text);
  }
  // A key no record has keeps its value and has no text.
  h->SetFilterValue(e, column, 6);
  h->GetFilterValue(e, column, v, s);
  EXPECT_EQ(v.AsInteger(), 6);
  EXPECT_EQ(s, "");
}

}  // namespace
