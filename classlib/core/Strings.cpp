#include "classlib/core/Strings.h"

#include "classlib/core/ScopeGuards.h"
#include "classlib/core/Streams.h"
#include "classlib/core/SysUtils.h"

#include <algorithm>
#include <string>

using enum TDuplicates;

TL_DEFINE_CLASS(TStrings)
TL_DEFINE_CLASS(TStringList, [](auto& c) {
  c.Property("Duplicates", &TStringList::GetDuplicates, &TStringList::SetDuplicates).Default(dupIgnore);
  c.Property("Sorted", &TStringList::GetSorted, &TStringList::SetSorted).Default(false);
  c.Property("CaseSensitive", &TStringList::GetCaseSensitive, &TStringList::SetCaseSensitive).Default(false);
  c.Event("OnChange", &TStringList::OnChange);
  c.Event("OnChanging", &TStringList::OnChanging);
})

namespace {
[[noreturn]] void StringListError(const String& msg) { throw EStringListError(msg); }
[[noreturn]] void StringIndexError(Integer Index) {
  StringListError("List index out of bounds (" + std::to_string(Index) + ")");
}
}  // namespace

// ---- TStrings ----

void TStrings::CheckIndex(Integer Index) const {
  if (Index < 0 || Index >= GetCount()) StringIndexError(Index);
}

Integer TStrings::Add(const String& S) {
  Integer i = GetCount();
  Insert(i, S);
  return i;
}

Integer TStrings::AddObject(const String& S, TObject* AObject) {
  Integer i = Add(S);
  PutObject(i, AObject);
  return i;
}

void TStrings::AddStrings(TStrings* Strings) {
  if (!Strings) return;
  auto update = UpdateBracket(this);
  for (Integer i = 0; i < Strings->Count(); ++i) AddObject(Strings->Get(i), Strings->GetObject(i));
}

void TStrings::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TStrings*>(Source)) {
    if (src == this) return;
    auto update = UpdateBracket(this);
    Clear();
    FDelimiter = src->FDelimiter;
    FQuoteChar = src->FQuoteChar;
    FNameValueSeparator = src->FNameValueSeparator;
    AddStrings(src);
    return;
  }
  inherited::Assign(Source);
}

void TStrings::BeginUpdate() {
  if (FUpdateCount == 0) SetUpdateState(true);
  ++FUpdateCount;
}

void TStrings::EndUpdate() {
  if (FUpdateCount == 0) return;
  if (--FUpdateCount == 0) SetUpdateState(false);
}

void TStrings::Exchange(Integer Index1, Integer Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  BeginUpdate();
  String s1 = Get(Index1);
  TObject* o1 = GetObject(Index1);
  Put(Index1, Get(Index2));
  PutObject(Index1, GetObject(Index2));
  Put(Index2, s1);
  PutObject(Index2, o1);
  EndUpdate();
}

bool TStrings::Equals(const TStrings* Strings) const {
  if (!Strings || Strings->GetCount() != GetCount()) return false;
  for (Integer i = 0; i < GetCount(); ++i)
    if (Get(i) != Strings->Get(i)) return false;
  return true;
}

Integer TStrings::IndexOf(const String& S) const {
  for (Integer i = 0; i < GetCount(); ++i)
    if (CompareStrings(Get(i), S) == 0) return i;
  return -1;
}

Integer TStrings::IndexOfName(const String& Name) const {
  for (Integer i = 0; i < GetCount(); ++i) {
    String s = Get(i);
    size_t p = s.find(FNameValueSeparator);
    if (p != String::npos && CompareStrings(s.substr(0, p), Name) == 0) return i;
  }
  return -1;
}

Integer TStrings::IndexOfObject(const TObject* AObject) const {
  for (Integer i = 0; i < GetCount(); ++i)
    if (GetObject(i) == AObject) return i;
  return -1;
}

void TStrings::InsertObject(Integer Index, const String& S, TObject* AObject) {
  Insert(Index, S);
  PutObject(Index, AObject);
}

void TStrings::Move(Integer CurIndex, Integer NewIndex) {
  if (CurIndex == NewIndex) return;
  CheckIndex(CurIndex);
  CheckIndex(NewIndex);
  BeginUpdate();
  String s = Get(CurIndex);
  TObject* o = GetObject(CurIndex);
  Delete(CurIndex);
  InsertObject(NewIndex, s, o);
  EndUpdate();
}

void TStrings::Put(Integer Index, const String& S) {
  TObject* o = GetObject(Index);
  Delete(Index);
  InsertObject(Index, S, o);
}

int TStrings::CompareStrings(const String& S1, const String& S2) const { return AnsiCompareText(S1, S2); }

String TStrings::Names(Integer Index) const {
  String s = Get(Index);
  size_t p = s.find(FNameValueSeparator);
  return p == String::npos ? String() : s.substr(0, p);
}

String TStrings::Values(const String& Name) const {
  Integer i = IndexOfName(Name);
  return i < 0 ? String() : ValueFromIndex(i);
}

void TStrings::SetValues(const String& Name, const String& Value) {
  Integer i = IndexOfName(Name);
  if (!Value.empty()) {
    String line = Name + FNameValueSeparator + Value;
    if (i < 0)
      Add(line);
    else
      Put(i, line);
  } else if (i >= 0) {
    Delete(i);
  }
}

String TStrings::ValueFromIndex(Integer Index) const {
  String s = Get(Index);
  size_t p = s.find(FNameValueSeparator);
  return p == String::npos ? String() : s.substr(p + 1);
}

void TStrings::SetValueFromIndex(Integer Index, const String& Value) {
  if (Value.empty()) {
    Delete(Index);
    return;
  }
  Put(Index, Names(Index) + FNameValueSeparator + Value);
}

String TStrings::GetText() const {
  String r;
  for (Integer i = 0; i < GetCount(); ++i) {
    r += Get(i);
    r += "\r\n";
  }
  return r;
}

void TStrings::SetText(const String& Value) {
  auto update = UpdateBracket(this);
  Clear();
  size_t i = 0, n = Value.size();
  while (i < n) {
    size_t start = i;
    while (i < n && Value[i] != '\r' && Value[i] != '\n') ++i;
    Add(Value.substr(start, i - start));
    if (i < n && Value[i] == '\r') ++i;
    if (i < n && Value[i] == '\n') ++i;
  }
}

String TStrings::GetDelimitedText() const { return JoinDelimited(FDelimiter, FQuoteChar); }

String TStrings::JoinDelimited(Char Delimiter, Char Quote) const {
  Integer n = GetCount();
  if (n == 1 && Get(0).empty()) return String(2, Quote);
  String r;
  for (Integer i = 0; i < n; ++i) {
    String s = Get(i);
    bool quote = std::any_of(s.begin(), s.end(), [&](char ch) {
      return static_cast<unsigned char>(ch) <= ' ' || ch == Quote || ch == Delimiter;
    });
    if (quote) {
      String q(1, Quote);
      for (char ch : s) {
        q += ch;
        if (ch == Quote) q += ch;
      }
      q += Quote;
      s = q;
    }
    if (i > 0) r += Delimiter;
    r += s;
  }
  return r;
}

void TStrings::SetDelimitedText(const String& Value) {
  auto blank = [](char ch) { return static_cast<unsigned char>(ch) <= ' '; };
  auto update = UpdateBracket(this);
  Clear();
  size_t i = 0, n = Value.size();
  while (i < n && blank(Value[i])) ++i;
  while (i < n) {
    String s;
    if (Value[i] == FQuoteChar) {
      ++i;
      while (i < n) {
        if (Value[i] == FQuoteChar) {
          if (i + 1 < n && Value[i + 1] == FQuoteChar) {
            s += FQuoteChar;
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        s += Value[i++];
      }
    } else {
      size_t start = i;
      while (i < n && !blank(Value[i]) && Value[i] != FDelimiter) ++i;
      s = Value.substr(start, i - start);
    }
    Add(s);
    while (i < n && blank(Value[i])) ++i;
    if (i < n && Value[i] == FDelimiter) {
      if (i + 1 == n) Add(String());
      ++i;
      while (i < n && blank(Value[i])) ++i;
    }
  }
}

String TStrings::GetCommaText() const { return JoinDelimited(',', '"'); }

void TStrings::SetCommaText(const String& Value) {
  TScopedValue<Char> delimiter(FDelimiter, ',');
  TScopedValue<Char> quote(FQuoteChar, '"');
  SetDelimitedText(Value);
}

void TStrings::LoadFromStream(TStream& Stream) {
  Int64 size = Stream.GetSize() - Stream.GetPosition();
  if (size < 0) size = 0;
  if (size > TMemoryStream::MaxSize) throw EReadError("Stream read error");
  String s(size_t(size), '\0');
  s.resize(size_t(Stream.Read(s.data(), Integer(size))));
  SetText(s);
}

void TStrings::SaveToStream(TStream& Stream) const {
  String s = GetText();
  Stream.WriteBuffer(s.data(), Integer(s.size()));
}

void TStrings::LoadFromFile(const String& FileName) {
  Owned<TMemoryStream> m(New<TMemoryStream>());
  m->LoadFromFile(FileName);   // regular files only, within the size limit
  LoadFromStream(*m);
}

void TStrings::SaveToFile(const String& FileName) const {
  Owned<TMemoryStream> m(New<TMemoryStream>());
  SaveToStream(*m);
  m->SaveToFile(FileName);
}

// ---- TStringList ----

void TStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::Changing() {
  if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

void TStringList::SetUpdateState(bool Updating) {
  if (Updating)
    Changing();
  else
    Changed();
}

Integer TStringList::Add(const String& S) { return AddObject(S, nullptr); }

Integer TStringList::AddObject(const String& S, TObject* AObject) {
  Integer i;
  if (!FSorted) {
    i = GetCount();
  } else if (Find(S, i)) {
    if (FDuplicates == dupIgnore) return i;
    if (FDuplicates == dupError) StringListError("String list does not allow duplicates");
  }
  InsertItem(i, S, AObject);
  return i;
}

void TStringList::InsertItem(Integer Index, const String& S, TObject* AObject) {
  Changing();
  FList.insert(FList.begin() + Index, {S, AObject});
  Changed();
}

void TStringList::Clear() {
  if (FList.empty()) return;
  Changing();
  FList.clear();
  Changed();
}

void TStringList::Delete(Integer Index) {
  CheckIndex(Index);
  Changing();
  FList.erase(FList.begin() + Index);
  Changed();
}

void TStringList::Exchange(Integer Index1, Integer Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  Changing();
  std::swap(FList[size_t(Index1)], FList[size_t(Index2)]);
  Changed();
}

bool TStringList::Find(const String& S, Integer& Index) const {
  bool found = false;
  Integer lo = 0, hi = GetCount() - 1;
  while (lo <= hi) {
    Integer mid = lo + (hi - lo) / 2;
    int c = CompareStrings(FList[size_t(mid)].first, S);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (c == 0) found = true;
    }
  }
  Index = lo;
  return found;
}

Integer TStringList::IndexOf(const String& S) const {
  if (!FSorted) return inherited::IndexOf(S);
  Integer i;
  return Find(S, i) ? i : -1;
}

void TStringList::Insert(Integer Index, const String& S) { InsertObject(Index, S, nullptr); }

void TStringList::InsertObject(Integer Index, const String& S, TObject* AObject) {
  if (FSorted) StringListError("Operation not allowed on sorted list");
  if (Index < 0 || Index > GetCount()) StringIndexError(Index);
  InsertItem(Index, S, AObject);
}

String TStringList::Get(Integer Index) const {
  CheckIndex(Index);
  return FList[size_t(Index)].first;
}

TObject* TStringList::GetObject(Integer Index) const {
  CheckIndex(Index);
  return FList[size_t(Index)].second;
}

void TStringList::Put(Integer Index, const String& S) {
  if (FSorted) StringListError("Operation not allowed on sorted list");
  CheckIndex(Index);
  Changing();
  FList[size_t(Index)].first = S;
  Changed();
}

void TStringList::PutObject(Integer Index, TObject* AObject) {
  CheckIndex(Index);
  Changing();
  FList[size_t(Index)].second = AObject;
  Changed();
}

int TStringList::CompareStrings(const String& S1, const String& S2) const {
  return FCaseSensitive ? AnsiCompareStr(S1, S2) : AnsiCompareText(S1, S2);
}

void TStringList::Sort() {
  if (FSorted || GetCount() < 2) return;
  Changing();
  SortItems();
  Changed();
}

void TStringList::SortItems() {
  std::stable_sort(FList.begin(), FList.end(),
                   [this](const auto& a, const auto& b) { return CompareStrings(a.first, b.first) < 0; });
}

void TStringList::CustomSort(TStringListSortCompare Compare) {
  if (FSorted || !Compare || GetCount() < 2) return;
  Changing();
  // Sort an index permutation, so the compare function sees the list as it stands.
  std::vector<Integer> order(FList.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = Integer(i);
  std::stable_sort(order.begin(), order.end(), [&](Integer a, Integer b) { return Compare(this, a, b) < 0; });
  std::vector<std::pair<String, TObject*>> sorted;
  sorted.reserve(FList.size());
  for (Integer i : order) sorted.push_back(FList[size_t(i)]);
  FList = std::move(sorted);
  Changed();
}

void TStringList::SetSorted(bool Value) {
  if (FSorted == Value) return;
  if (Value) {
    Changing();
    SortItems();
    Changed();
  }
  FSorted = Value;
}

void TStringList::SetCaseSensitive(bool Value) {
  if (FCaseSensitive == Value) return;
  FCaseSensitive = Value;
  if (FSorted) {
    Changing();
    SortItems();
    Changed();
  }
}
