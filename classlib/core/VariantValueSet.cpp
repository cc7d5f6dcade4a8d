// The value list's index; see the header for the roads a comparison takes.
#include "classlib/core/VariantValueSet.h"

#include "classlib/core/SysUtils.h"
#include "platform/kernel/CodePage.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace {

enum class TKind { kNull, kArray, kEmpty, kText, kBoolean, kInteger, kCurrency, kFloat, kDate, kOther };

TKind KindOf(const Variant& V) {
  if (VarIsArray(V)) return TKind::kArray;
  switch (V.VType()) {
    case varNull: return TKind::kNull;
    case varEmpty: return TKind::kEmpty;
    case varString: case varOleStr: return TKind::kText;
    case varBoolean: return TKind::kBoolean;
    case varSmallint: case varInteger: case varShortInt: case varByte:
    case varWord: case varLongWord: case varInt64: return TKind::kInteger;
    case varCurrency: return TKind::kCurrency;
    case varSingle: case varDouble: return TKind::kFloat;
    case varDate: return TKind::kDate;
    default: return TKind::kOther;
  }
}

// Integers, Booleans and Empty meet each other and currency exactly.
bool IsExact(TKind K) {
  return K == TKind::kEmpty || K == TKind::kBoolean || K == TKind::kInteger || K == TKind::kCurrency;
}

// The conversions of the comparison; false where it raises (such values are not equal).
bool AsExact(const Variant& V, TKind K, __int128& AKey) {
  try {
    AKey = K == TKind::kCurrency ? __int128(V.AsCurrency().Raw) : __int128(V.AsInt64()) * CurrencyScale;
    return true;
  } catch (const Exception&) {
    return false;
  }
}

bool AsDouble(const Variant& V, double& AKey) {
  try {
    AKey = V.AsDouble();
  } catch (const Exception&) {
    return false;
  }
  return !std::isnan(AKey);  // NaN equals nothing
}

bool AsDate(const Variant& V, double& AKey) {
  try {
    AKey = V.AsDateTime().Value;
  } catch (const Exception&) {
    return false;
  }
  return !std::isnan(AKey);
}

bool AsBoolean(const Variant& V, bool& AKey) {
  try {
    AKey = V.AsBoolean();
    return true;
  } catch (const Exception&) {
    return false;
  }
}

// A wide text with characters the code page lacks: its text key would meet other such
// texts that differ from it, so it is compared the ordinary way.
bool LosesCharacters(const Variant& V) {
  if (V.VType() != varOleStr) return false;
  const WideString w = V.AsWideString();
  return AnsiToWide(WideToAnsi(w)) != w;
}

}  // namespace

template <class K>
void TVariantValueSet::TIndex<K>::Seal() {
  // Stable, so that the first of equal keys is the element kept; equal keys take the same
  // road to the same verdict, so one is enough.
  std::stable_sort(Entries.begin(), Entries.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  Entries.erase(std::unique(Entries.begin(), Entries.end(),
                            [](const auto& a, const auto& b) { return !(a.first < b.first) && !(b.first < a.first); }),
                Entries.end());
}

template <class K>
Integer TVariantValueSet::TIndex<K>::Find(const K& AKey) const {
  auto it = std::lower_bound(Entries.begin(), Entries.end(), AKey,
                             [](const std::pair<K, Integer>& e, const K& k) { return e.first < k; });
  return it != Entries.end() && !(AKey < it->first) ? it->second : -1;
}

TVariantValueSet::TVariantValueSet(const Variant& AList) {
  if (VarIsArray(AList)) {
    for (Integer i = VarArrayLowBound(AList), h = VarArrayHighBound(AList); i <= h; ++i) FElements.push_back(AList[i]);
  } else {
    FElements.push_back(AList);
  }
  Build();
}

TVariantValueSet::TVariantValueSet(std::vector<Variant> AElements) : FElements(std::move(AElements)) { Build(); }

void TVariantValueSet::Build() {
  for (Integer i = 0; i < Integer(FElements.size()); ++i) {
    const Variant& e = FElements[size_t(i)];
    const TKind k = KindOf(e);
    if (k == TKind::kArray) continue;  // an array equals nothing
    if (k == TKind::kNull) {
      FHasNull = true;
      continue;
    }
    if (k == TKind::kOther || LosesCharacters(e)) {
      FUnclassified.push_back(i);
      continue;
    }
    double d;
    if (AsDate(e, d)) FAllAsDates.Add(d, i);
    if (k == TKind::kDate) {
      if (AsDate(e, d)) FDates.Add(d, i);
      continue;
    }
    if (k == TKind::kText || k == TKind::kEmpty) FTexts.Add(e.AsString(), i);
    bool b;
    if (k == TKind::kText && AsBoolean(e, b) && FTextByBoolean[b] < 0) FTextByBoolean[b] = i;
    if (k == TKind::kBoolean && AsBoolean(e, b) && FBooleanByBoolean[b] < 0) FBooleanByBoolean[b] = i;
    __int128 x;
    if (IsExact(k) && AsExact(e, k, x)) FExact.Add(x, i);
    const unsigned group = k == TKind::kFloat ? dgFloat
                           : k == TKind::kText ? dgText
                           : k == TKind::kBoolean || k == TKind::kEmpty ? dgBooleanOrEmpty
                                                                        : dgNumber;
    if (AsDouble(e, d)) FDoubles[std::countr_zero(group)].Add(d, i);
  }
  FTexts.Seal();
  FExact.Seal();
  FDates.Seal();
  FAllAsDates.Seal();
  for (TIndex<double>& index : FDoubles) index.Seal();
}

// The element found is compared once more the ordinary way: the index only narrows.
bool TVariantValueSet::Confirms(Integer AElement, const Variant& AValue) const {
  if (AElement < 0) return false;
  try {
    return AValue == FElements[size_t(AElement)];
  } catch (const Exception&) {
    return false;
  }
}

// A value is converted only when some element waits on that road: reading a text as a
// number, a date or a Boolean costs more than the search.
bool TVariantValueSet::FoundDouble(const Variant& AValue, unsigned AGroups) const {
  for (unsigned bit = 0; bit < 4; ++bit)
    if (FDoubles[bit].Entries.empty()) AGroups &= ~(1u << bit);
  double d;
  if (AGroups == 0 || !AsDouble(AValue, d)) return false;
  for (unsigned bit = 0; bit < 4; ++bit)
    if ((AGroups & (1u << bit)) && Confirms(FDoubles[bit].Find(d), AValue)) return true;
  return false;
}

bool TVariantValueSet::FoundDate(const TIndex<double>& AIndex, const Variant& AValue) const {
  double d;
  return !AIndex.Entries.empty() && AsDate(AValue, d) && Confirms(AIndex.Find(d), AValue);
}

bool TVariantValueSet::Contains(const Variant& AValue) const {
  const TKind k = KindOf(AValue);
  if (k == TKind::kArray) return false;
  if (k == TKind::kNull) return FHasNull;
  for (Integer i : FUnclassified)
    if (Confirms(i, AValue)) return true;
  if (k == TKind::kOther) {
    for (Integer i = 0; i < Integer(FElements.size()); ++i)
      if (Confirms(i, AValue)) return true;
    return false;
  }
  if (k == TKind::kDate) return FoundDate(FAllAsDates, AValue);
  // Anything else meets dates as a date.
  if (FoundDate(FDates, AValue)) return true;
  if ((k == TKind::kText || k == TKind::kEmpty) && Confirms(FTexts.Find(AValue.AsString()), AValue)) return true;
  bool b;
  if (k == TKind::kText && (FBooleanByBoolean[0] >= 0 || FBooleanByBoolean[1] >= 0) && AsBoolean(AValue, b) &&
      Confirms(FBooleanByBoolean[b], AValue))
    return true;
  if (k == TKind::kBoolean && (FTextByBoolean[0] >= 0 || FTextByBoolean[1] >= 0) && AsBoolean(AValue, b) &&
      Confirms(FTextByBoolean[b], AValue))
    return true;
  __int128 x;
  if (IsExact(k) && AsExact(AValue, k, x) && Confirms(FExact.Find(x), AValue)) return true;
  switch (k) {
    case TKind::kFloat: return FoundDouble(AValue, dgFloat | dgNumber | dgBooleanOrEmpty | dgText);
    case TKind::kText: return FoundDouble(AValue, dgFloat | dgNumber);
    case TKind::kInteger: case TKind::kCurrency: return FoundDouble(AValue, dgFloat | dgText);
    default: return FoundDouble(AValue, dgFloat);
  }
}
