// The filter operators.
#include "classlib/core/SysUtils.h"
#include "widgets/data/cxFilter.h"
#include "widgets/data/cxFilterConsts.h"
#include "widgets/data/cxFilterValueSet.h"
#include "widgets/data/cxLike.h"
#include "widgets/foundation/cxVariants.h"

#include <cmath>

using namespace cxFilterConsts;

namespace {

// Ordered comparison of a record value with an operand; values that cannot be compared
// answer as cxCompareVariants does.
int Cmp(const Variant& A, const Variant& B) { return cxCompareVariants(A, B); }

bool IsArray(const Variant& V) { return VarIsArray(V); }

// The elements of an array from its low to its high bound, or the value alone.
std::vector<Variant> Elements(const Variant& V) {
  std::vector<Variant> r;
  if (!IsArray(V)) {
    r.push_back(V);
    return r;
  }
  for (Integer i = VarArrayLowBound(V), h = VarArrayHighBound(V); i <= h; ++i) r.push_back(V[i]);
  return r;
}

// Pieces of a ";"-separated display text, trimmed; a null piece shows as "blank".
std::vector<String> Pieces(const String& AText, bool AFirstOnly) {
  std::vector<String> r;
  size_t start = 0;
  for (;;) {
    size_t at = AText.find(';', start);
    if (at == String::npos || (AFirstOnly && !r.empty())) {
      r.push_back(Trim(AText.substr(start)));
      break;
    }
    r.push_back(Trim(AText.substr(start, at - start)));
    start = at + 1;
  }
  for (String& p : r)
    if (p.empty()) p = cxFilterText(cxSFilterBlankCaption);
  return r;
}

String Not(const String& AText) { return "NOT (" + AText + ")"; }

String ValueText(TcxFilterOperator* AOperator, const Variant& AValue) {
  String t;
  AOperator->GetValueText(AValue, t);
  return t;
}

}  // namespace

TcxFilterTodaySource cxFilterTodaySource = nullptr;

TDateTime cxFilterToday() { return cxFilterTodaySource ? cxFilterTodaySource() : Date(); }

// ---- TcxFilterOperator ----

TcxFilterCriteria* TcxFilterOperator::Criteria() const { return FCriteriaItem ? FCriteriaItem->GetCriteria() : nullptr; }

String TcxFilterOperator::FieldName() const {
  String name;
  if (FCriteriaItem) FCriteriaItem->GetFieldName(name);
  return name;
}

void TcxFilterOperator::GetExpandedFilterText(const Variant& AValue, String& AText) { GetValueText(AValue, AText); }

void TcxFilterOperator::GetValueText(const Variant& AValue, String& AText) {
  if (GetCustomValueText(AValue, AText)) return;
  TcxFilterCriteria* criteria = Criteria();
  TVarType t = VarType(AValue);
  if (VarIsStr(AValue)) {
    AText = QuotedStr(AValue.AsString());
  } else if (t == varDate) {
    String s;
    if (criteria) criteria->FormatDateTimeValue(AValue, s);
    else s = VarToStr(AValue);
    AText = "'" + s + "'";
  } else if (t == varBoolean) {
    if (criteria) criteria->FormatBooleanValue(AValue, AText);
    else AText = VarToStr(AValue);
  } else if (t == varNull) {
    AText = "NULL";
  } else if (IsArray(AValue)) {
    // An array where a single value belongs (read from a stream): its elements in a list.
    String list;
    for (const Variant& e : Elements(AValue)) list += (list.empty() ? "" : ", ") + ValueText(this, e);
    AText = "(" + list + ")";
  } else {
    AText = VarToStr(AValue);
  }
  if (criteria && FCriteriaItem) criteria->FormatFilterTextValue(FCriteriaItem, AValue, AText);
}

void TcxFilterOperator::AdjustDisplayValue(String&) {}
void TcxFilterOperator::Prepare() {}
bool TcxFilterOperator::GetCustomValueText(const Variant&, String&) { return false; }
void TcxFilterOperator::GetCaption(String& AText) { GetKeyword(AText); }
bool TcxFilterOperator::UseDescription() { return false; }
bool TcxFilterOperator::NeedsExpandedText() { return false; }
bool TcxFilterOperator::IsNullOperator() { return false; }

// ---- Equal, NotEqual ----

void TcxFilterEqualOperator::GetExpandedFilterText(const Variant& AValue, String& AText) {
  if (!IsArray(AValue)) {
    AText = "(" + FieldName() + " = " + ValueText(this, AValue) + ")";
    return;
  }
  std::vector<String> names;
  String list = FieldName();
  size_t start = 0;
  for (;;) {
    size_t at = list.find(';', start);
    names.push_back(Trim(list.substr(start, at == String::npos ? String::npos : at - start)));
    if (at == String::npos) break;
    start = at + 1;
  }
  std::vector<Variant> values = Elements(AValue);
  // Dropping a condition would widen the filter: refuse instead.
  if (values.size() > names.size())
    throw EcxInvalidDataControllerOperation("More values than field names in a filter condition");
  AText.clear();
  for (size_t i = 0; i < values.size(); ++i)
    AText += (i ? " AND " : "") + String("(") + names[i] + " = " + ValueText(this, values[i]) + ")";
}

bool TcxFilterEqualOperator::IsSatisfied(const Variant& AValue, const Variant& AOperand) { return Cmp(AValue, AOperand) == 0; }
void TcxFilterEqualOperator::GetCaption(String& AText) { AText = cxFilterText(cxSFilterOperatorEqual); }
void TcxFilterEqualOperator::GetKeyword(String& AText) { AText = "="; }
bool TcxFilterEqualOperator::NeedsExpandedText() { return CriteriaItem() && IsArray(CriteriaItem()->Value()); }

void TcxFilterNotEqualOperator::GetExpandedFilterText(const Variant& AValue, String& AText) {
  inherited::GetExpandedFilterText(AValue, AText);
  AText = Not(AText);
}
bool TcxFilterNotEqualOperator::IsSatisfied(const Variant& AValue, const Variant& AOperand) {
  return !inherited::IsSatisfied(AValue, AOperand);
}
void TcxFilterNotEqualOperator::GetCaption(String& AText) { AText = cxFilterText(cxSFilterOperatorNotEqual); }
void TcxFilterNotEqualOperator::GetKeyword(String& AText) { AText = "<>"; }

// ---- Less, LessEqual, Greater, GreaterEqual ----

bool TcxFilterLessOperator::IsSatisfied(const Variant& AValue, const Variant& AOperand) { return Cmp(AValue, AOperand) < 0; }
void TcxFilterLessOperator::GetCaption(String& AText) { AText = cxFilterText(cxSFilterOperatorLess); }
void TcxFilterLessOperator::GetKeyword(String& AText) { AText = "<"; }

bool TcxFilterLessEqualOperator::IsSatisfied(const Variant& AValue, const Variant& AOperand) {
  return Cmp(AValue, AOperand) <= 0;
}
void TcxFilterLessEqualOperator::GetCaption(String& AText) { AText = cxFilterText(cxSFilterOperatorLessEqual); }
void TcxFilterLessEqualOperator::GetKeyword(String& AText) { AText = "<="; }

bool TcxFilterGreaterOperator::IsSatisfied(const Variant& AValue, const Variant& AOperand) {
  return Cmp(AValue, AOperand) > 0;
}
void TcxFilterGreaterOperator::GetCaption(String& AText) { AText = cxFilterText(cxSFilterOperatorGreater); }
void TcxFilterGreaterOperator::GetKeyword(String& AText) { AText = ">"; }

bool TcxFilterGreaterEqualOperator::IsSatisfied(const Variant& AValue, const Variant& AOperand) {
  return Cmp(AValue, AOperand) >= 0;
}
void TcxFilterGreaterEqualOperator::GetCaption(String& AText) { AText = cxFilterText(cxSFilterOperatorGreaterEqual); }
void TcxFilterGreaterEqualOperator::GetKeyword(String& AText) { AText = ">="; }

// ---- Like, NotLike ----

Integer TcxFilterLikeOperator::PatternKind() const {
  if (!CriteriaItem() || !Criteria()) return cxLikePlain;
  String text;
  try {
    text = VarToStr(CriteriaItem()->Value());
  } catch (const Exception&) {
    return cxLikePlain;
  }
  return cxGetLikePatternKind(text, Criteria()->GetPercentWildcard());
}

void TcxFilterLikeOperator::AdjustDisplayValue(String& AText) {
  TcxFilterCriteria* criteria = Criteria();
  if (criteria && criteria->GetOptions().Contains(TcxFilterCriteriaOption::fcoShowOperatorDescription))
    cxGetLikePatternKind(AText, criteria->GetPercentWildcard());
}

bool TcxFilterLikeOperator::IsSatisfied(const Variant& AValue, const Variant& AOperand) {
  TcxFilterCriteria* criteria = Criteria();
  String text, pattern;
  try {
    text = VarToStr(AValue);
    pattern = VarToStr(AOperand);
  } catch (const Exception&) {
    return false;  // an array has no text to match
  }
  return cxLikeMatches(text, pattern, criteria ? criteria->GetPercentWildcard() : '%',
                       criteria ? criteria->GetUnderscoreWildcard() : '_');
}

void TcxFilterLikeOperator::GetCaption(String& AText) {
  switch (PatternKind()) {
    case cxLikeBeginsWith: AText = cxFilterText(cxSFilterOperatorBeginsWith); break;
    case cxLikeEndsWith: AText = cxFilterText(cxSFilterOperatorEndsWith); break;
    case cxLikeContains: AText = cxFilterText(cxSFilterOperatorContains); break;
    default: AText = cxFilterText(cxSFilterOperatorLike); break;
  }
}
void TcxFilterLikeOperator::GetKeyword(String& AText) { AText = "LIKE"; }

bool TcxFilterNotLikeOperator::IsSatisfied(const Variant& AValue, const Variant& AOperand) {
  return !inherited::IsSatisfied(AValue, AOperand);
}
void TcxFilterNotLikeOperator::GetCaption(String& AText) {
  switch (PatternKind()) {
    case cxLikeBeginsWith: AText = cxFilterText(cxSFilterOperatorDoesNotBeginWith); break;
    case cxLikeEndsWith: AText = cxFilterText(cxSFilterOperatorDoesNotEndWith); break;
    case cxLikeContains: AText = cxFilterText(cxSFilterOperatorDoesNotContain); break;
    default: AText = cxFilterText(cxSFilterOperatorNotLike); break;
  }
}
void TcxFilterNotLikeOperator::GetKeyword(String& AText) { AText = "NOT LIKE"; }

// ---- Between, NotBetween ----

void TcxFilterBetweenOperator::GetExpandedFilterText(const Variant& AValue, String& AText) {
  std::vector<Variant> v = Elements(AValue);
  if (v.size() < 2) {
    GetValueText(AValue, AText);
    return;
  }
  String f = FieldName();
  AText = "(" + f + " >= " + ValueText(this, v[0]) + ") AND (" + f + " <= " + ValueText(this, v[1]) + ")";
}

void TcxFilterBetweenOperator::AdjustDisplayValue(String& AText) {
  std::vector<String> p = Pieces(AText, true);
  if (p.size() < 2) return;
  AText = p[0] + " " + cxFilterText(cxSFilterAndCaption) + " " + p[1];
}

bool TcxFilterBetweenOperator::GetCustomValueText(const Variant& AValue, String& AText) {
  if (!IsArray(AValue)) return false;
  std::vector<Variant> v = Elements(AValue);
  if (v.size() < 2) return false;
  AText = ValueText(this, v[0]) + " AND " + ValueText(this, v[1]);
  return true;
}

bool TcxFilterBetweenOperator::IsSatisfied(const Variant& AValue, const Variant& AOperand) {
  if (!IsArray(AOperand)) return false;
  std::vector<Variant> v = Elements(AOperand);
  if (v.size() < 2) return false;
  return Cmp(v[0], AValue) <= 0 && Cmp(AValue, v[1]) <= 0;
}

void TcxFilterBetweenOperator::GetCaption(String& AText) { AText = cxFilterText(cxSFilterOperatorBetween); }
void TcxFilterBetweenOperator::GetKeyword(String& AText) { AText = "BETWEEN"; }
bool TcxFilterBetweenOperator::UseDescription() { return true; }
bool TcxFilterBetweenOperator::NeedsExpandedText() { return Criteria() && Criteria()->GetTranslateBetween(); }

void TcxFilterNotBetweenOperator::GetExpandedFilterText(const Variant& AValue, String& AText) {
  inherited::GetExpandedFilterText(AValue, AText);
  AText = Not(AText);
}
bool TcxFilterNotBetweenOperator::IsSatisfied(const Variant& AValue, const Variant& AOperand) {
  if (!IsArray(AOperand) || VarArrayHighBound(AOperand) - VarArrayLowBound(AOperand) < 1) return false;
  return !inherited::IsSatisfied(AValue, AOperand);
}
void TcxFilterNotBetweenOperator::GetCaption(String& AText) { AText = cxFilterText(cxSFilterOperatorNotBetween); }
void TcxFilterNotBetweenOperator::GetKeyword(String& AText) { AText = "NOT BETWEEN"; }

// ---- InList, NotInList ----

void TcxFilterInListOperator::GetExpandedFilterText(const Variant& AValue, String& AText) {
  String f = FieldName();
  AText.clear();
  bool first = true;
  for (const Variant& e : Elements(AValue)) {
    AText += (first ? "" : " OR ") + String("(") + f + " = " + ValueText(this, e) + ")";
    first = false;
  }
}

void TcxFilterInListOperator::AdjustDisplayValue(String& AText) {
  std::vector<String> p = Pieces(AText, false);
  String joined;
  for (size_t i = 0; i < p.size(); ++i) joined += (i ? ", " : "") + p[i];
  AText = "(" + joined + ")";
}

bool TcxFilterInListOperator::GetCustomValueText(const Variant& AValue, String& AText) {
  if (!IsArray(AValue)) return false;
  String joined;
  bool first = true;
  for (const Variant& e : Elements(AValue)) {
    joined += (first ? "" : ", ") + ValueText(this, e);
    first = false;
  }
  AText = "(" + joined + ")";
  return true;
}

TcxFilterInListOperator::~TcxFilterInListOperator() = default;

void TcxFilterInListOperator::Prepare() { FValueSet.reset(); }

bool TcxFilterInListOperator::IsSatisfied(const Variant& AValue, const Variant& AOperand) {
  TcxFilterCriteriaItem* item = CriteriaItem();
  if (item && &AOperand == &item->PreparedValue()) {
    if (!FValueSet || FValueSetGeneration != item->PreparedGeneration()) {
      FValueSet.reset();
      FValueSet = std::make_unique<TcxFilterValueSet>(AOperand);
      FValueSetGeneration = item->PreparedGeneration();
    }
    return FValueSet->Contains(AValue);
  }
  // Another operand, asked once: compared element by element.
  const bool list = IsArray(AOperand);
  const Integer low = list ? VarArrayLowBound(AOperand) : 0, high = list ? VarArrayHighBound(AOperand) : 0;
  for (Integer i = low; i <= high; ++i) {
    try {
      if (AValue == (list ? AOperand[i] : AOperand)) return true;
    } catch (const Exception&) {
      // Values that cannot be compared ("abc" and 1) are simply not equal.
    }
  }
  return false;
}

void TcxFilterInListOperator::GetCaption(String& AText) { AText = cxFilterText(cxSFilterOperatorInList); }
void TcxFilterInListOperator::GetKeyword(String& AText) { AText = "IN"; }
bool TcxFilterInListOperator::UseDescription() { return true; }
bool TcxFilterInListOperator::NeedsExpandedText() { return Criteria() && Criteria()->GetTranslateIn(); }

void TcxFilterNotInListOperator::GetExpandedFilterText(const Variant& AValue, String& AText) {
  inherited::GetExpandedFilterText(AValue, AText);
  AText = Not(AText);
}
bool TcxFilterNotInListOperator::IsSatisfied(const Variant& AValue, const Variant& AOperand) {
  return !inherited::IsSatisfied(AValue, AOperand);
}
void TcxFilterNotInListOperator::GetCaption(String& AText) { AText = cxFilterText(cxSFilterOperatorNotInList); }
void TcxFilterNotInListOperator::GetKeyword(String& AText) { AText = "NOT IN"; }

// ---- Null, NotNull ----

void TcxFilterNullOperator::AdjustDisplayValue(String& AText) {
  TcxFilterCriteria* criteria = Criteria();
  if (criteria && criteria->GetOptions().Contains(TcxFilterCriteriaOption::fcoShowOperatorDescription)) AText.clear();
}
bool TcxFilterNullOperator::IsSatisfied(const Variant& AValue, const Variant&) {
  return Criteria() ? Criteria()->IsValueNull(AValue) : VarIsNull(AValue);
}
void TcxFilterNullOperator::GetCaption(String& AText) { AText = cxFilterText(cxSFilterOperatorIsNull); }
bool TcxFilterNullOperator::IsNullOperator() { return true; }

void TcxFilterNotNullOperator::GetExpandedFilterText(const Variant& AValue, String& AText) {
  TcxFilterEqualOperator::GetExpandedFilterText(AValue, AText);
  AText = Not(AText);
}
bool TcxFilterNotNullOperator::IsSatisfied(const Variant& AValue, const Variant& AOperand) {
  return !inherited::IsSatisfied(AValue, AOperand);
}
void TcxFilterNotNullOperator::GetCaption(String& AText) { AText = cxFilterText(cxSFilterOperatorIsNotNull); }
void TcxFilterNotNullOperator::GetKeyword(String& AText) { AText = "<>"; }

// ---- Date operators ----

void TcxFilterDateOperator::GetExpandedFilterText(const Variant&, String& AText) {
  String f = FieldName();
  AText = "(" + f + " >= " + ValueText(this, VarFromDateTime(FDateStart)) + ") AND (" + f + " < " +
          ValueText(this, VarFromDateTime(FDateEnd)) + ")";
}

void TcxFilterDateOperator::AdjustDisplayValue(String& AText) { AText.clear(); }

void TcxFilterDateOperator::Prepare() {
  double today = std::trunc(cxFilterToday().Value);
  Word y, m, d;
  DecodeDate(today, y, m, d);
  auto first = [](int AYear, int AMonth) {
    while (AMonth > 12) {
      AMonth -= 12;
      ++AYear;
    }
    while (AMonth < 1) {
      AMonth += 12;
      --AYear;
    }
    TDateTime r;
    if (!TryEncodeDate(Word(AYear), Word(AMonth), 1, r)) return 0.0;
    return r.Value;
  };
  double ws = cxGetStartOfWeek(today).Value;
  switch (Kind()) {
    case TcxFilterOperatorKind::foYesterday: FDateStart = today - 1; FDateEnd = today; break;
    case TcxFilterOperatorKind::foToday: FDateStart = today; FDateEnd = today + 1; break;
    case TcxFilterOperatorKind::foTomorrow: FDateStart = today + 1; FDateEnd = today + 2; break;
    case TcxFilterOperatorKind::foLastWeek: FDateStart = ws - 7; FDateEnd = ws; break;
    case TcxFilterOperatorKind::foThisWeek: FDateStart = ws; FDateEnd = ws + 7; break;
    case TcxFilterOperatorKind::foNextWeek: FDateStart = ws + 7; FDateEnd = ws + 14; break;
    case TcxFilterOperatorKind::foLastMonth: FDateStart = first(y, m - 1); FDateEnd = first(y, m); break;
    case TcxFilterOperatorKind::foThisMonth: FDateStart = first(y, m); FDateEnd = first(y, m + 1); break;
    case TcxFilterOperatorKind::foNextMonth: FDateStart = first(y, m + 1); FDateEnd = first(y, m + 2); break;
    case TcxFilterOperatorKind::foLastYear: FDateStart = first(y - 1, 1); FDateEnd = first(y, 1); break;
    case TcxFilterOperatorKind::foThisYear: FDateStart = first(y, 1); FDateEnd = first(y + 1, 1); break;
    case TcxFilterOperatorKind::foNextYear: FDateStart = first(y + 1, 1); FDateEnd = first(y + 2, 1); break;
    default: break;
  }
}

bool TcxFilterDateOperator::IsSatisfied(const Variant& AValue, const Variant&) {
  if (Criteria() ? Criteria()->IsValueNull(AValue) : VarIsNull(AValue)) return false;
  try {
    Variant start = VarFromDateTime(FDateStart), end = VarFromDateTime(FDateEnd);
    return start <= AValue && AValue < end;
  } catch (const Exception&) {
    return false;  // no date
  }
}

void TcxFilterDateOperator::GetCaption(String& AText) {
  AText = cxFilterText(cxSFilterDateOperators[Integer(Kind()) - Integer(TcxFilterOperatorKind::foYesterday)]);
}
void TcxFilterDateOperator::GetKeyword(String& AText) { GetCaption(AText); }
bool TcxFilterDateOperator::NeedsExpandedText() { return true; }

// ---- Classes by kind ----

TcxFilterOperatorClass cxFilterOperatorClassOf(TcxFilterOperatorKind AKind) {
  using K = TcxFilterOperatorKind;
  using B = TcxFilterOperator;
  using I = TcxFilterCriteriaItem*;
  switch (AKind) {
    case K::foEqual: return ClassOf<TcxFilterEqualOperator, B, I>();
    case K::foNotEqual: return ClassOf<TcxFilterNotEqualOperator, B, I>();
    case K::foLess: return ClassOf<TcxFilterLessOperator, B, I>();
    case K::foLessEqual: return ClassOf<TcxFilterLessEqualOperator, B, I>();
    case K::foGreater: return ClassOf<TcxFilterGreaterOperator, B, I>();
    case K::foGreaterEqual: return ClassOf<TcxFilterGreaterEqualOperator, B, I>();
    case K::foLike: return ClassOf<TcxFilterLikeOperator, B, I>();
    case K::foNotLike: return ClassOf<TcxFilterNotLikeOperator, B, I>();
    case K::foBetween: return ClassOf<TcxFilterBetweenOperator, B, I>();
    case K::foNotBetween: return ClassOf<TcxFilterNotBetweenOperator, B, I>();
    case K::foInList: return ClassOf<TcxFilterInListOperator, B, I>();
    case K::foNotInList: return ClassOf<TcxFilterNotInListOperator, B, I>();
    case K::foYesterday: return ClassOf<TcxFilterYesterdayOperator, B, I>();
    case K::foToday: return ClassOf<TcxFilterTodayOperator, B, I>();
    case K::foTomorrow: return ClassOf<TcxFilterTomorrowOperator, B, I>();
    case K::foLastWeek: return ClassOf<TcxFilterLastWeekOperator, B, I>();
    case K::foLastMonth: return ClassOf<TcxFilterLastMonthOperator, B, I>();
    case K::foLastYear: return ClassOf<TcxFilterLastYearOperator, B, I>();
    case K::foThisWeek: return ClassOf<TcxFilterThisWeekOperator, B, I>();
    case K::foThisMonth: return ClassOf<TcxFilterThisMonthOperator, B, I>();
    case K::foThisYear: return ClassOf<TcxFilterThisYearOperator, B, I>();
    case K::foNextWeek: return ClassOf<TcxFilterNextWeekOperator, B, I>();
    case K::foNextMonth: return ClassOf<TcxFilterNextMonthOperator, B, I>();
    case K::foNextYear: return ClassOf<TcxFilterNextYearOperator, B, I>();
  }
  return ClassOf<TcxFilterEqualOperator, B, I>();
}

TL_DEFINE_CLASS(TcxFilterOperator)
TL_DEFINE_CLASS(TcxFilterEqualOperator)
TL_DEFINE_CLASS(TcxFilterNotEqualOperator)
TL_DEFINE_CLASS(TcxFilterLessOperator)
TL_DEFINE_CLASS(TcxFilterLessEqualOperator)
TL_DEFINE_CLASS(TcxFilterGreaterOperator)
TL_DEFINE_CLASS(TcxFilterGreaterEqualOperator)
TL_DEFINE_CLASS(TcxFilterLikeOperator)
TL_DEFINE_CLASS(TcxFilterNotLikeOperator)
TL_DEFINE_CLASS(TcxFilterBetweenOperator)
TL_DEFINE_CLASS(TcxFilterNotBetweenOperator)
TL_DEFINE_CLASS(TcxFilterInListOperator)
TL_DEFINE_CLASS(TcxFilterNotInListOperator)
TL_DEFINE_CLASS(TcxFilterNullOperator)
TL_DEFINE_CLASS(TcxFilterNotNullOperator)
TL_DEFINE_CLASS(TcxFilterDateOperator)
TL_DEFINE_CLASS(TcxFilterYesterdayOperator)
TL_DEFINE_CLASS(TcxFilterTodayOperator)
TL_DEFINE_CLASS(TcxFilterTomorrowOperator)
TL_DEFINE_CLASS(TcxFilterLastWeekOperator)
TL_DEFINE_CLASS(TcxFilterLastMonthOperator)
TL_DEFINE_CLASS(TcxFilterLastYearOperator)
TL_DEFINE_CLASS(TcxFilterThisWeekOperator)
TL_DEFINE_CLASS(TcxFilterThisMonthOperator)
TL_DEFINE_CLASS(TcxFilterThisYearOperator)
TL_DEFINE_CLASS(TcxFilterNextWeekOperator)
TL_DEFINE_CLASS(TcxFilterNextMonthOperator)
TL_DEFINE_CLASS(TcxFilterNextYearOperator)
