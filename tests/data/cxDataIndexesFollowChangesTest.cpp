// What follows the records change by change instead of being built again must answer as a
// full rebuild does: the key index and the text index after random edits, insertions and
// deletions (against the test's own copy of the records), the incremental filter narrowed
// keystroke by keystroke under random sorts, groupings, filters and changes (against the
// rows a model of the rules gives), and group summaries read column by column (against sums
// the test makes in row order, bit for bit).
#include "DataControllerTestSupport.h"
#include "platform/kernel/CodePage.h"
#include "widgets/data/cxDataFind.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <random>
#include <string>

namespace {

using enum TcxDataSortOrder;
using enum TcxSummaryKind;
using enum TcxSummaryPosition;
using enum TcxFilterOperatorKind;
using V = std::vector<Integer>;

bool BeginsIgnoringCase(const String& AText, const String& APrefix) {
  if (AText.size() < APrefix.size()) return false;
  for (size_t i = 0; i < APrefix.size(); ++i)
    if (CpUpper(Byte(AText[i])) != CpUpper(Byte(APrefix[i]))) return false;
  return true;
}

// Texts that share beginnings of every length around the eight bytes an index entry
// carries, in mixed case, with code-page letters whose upper case is another byte and an
// occasional zero byte.
String RandomText(std::mt19937& AGen) {
  static const char* kStems[] = {"",          "a",        "Ab",         "namesake",
                                 "NAMESAKE-", "abcdefgh", "ABCDEFGHij", "b\0c"};
  static const char kLetters[] = {'a', 'A', 'b', 'B', char(0x9A), char(0x8A), '-', '1'};
  const size_t stem = AGen() % 8;
  String s(kStems[stem], stem == 7 ? 3 : std::strlen(kStems[stem]));
  for (unsigned n = AGen() % 4; n > 0; --n) s += kLetters[AGen() % sizeof(kLetters)];
  if (AGen() % 3 == 0) {
    for (Char& ch : s)
      if (AGen() % 2) ch = Char(CpUpper(Byte(ch)));
  }
  return s;
}

class IndexesFollowChanges : public ControllerTest {
 protected:
  // The record the key locate object finds for AValue on the item.
  Integer Locate(Integer AItem, const Variant& AValue) {
    Owned<TcxDataControllerKeyLocateObject> locate(New<TcxDataControllerKeyLocateObject>(c_.get()));
    Owned<TcxValueDefUnboundReader> reader(New<TcxValueDefUnboundReader>());
    locate->KeyFields().push_back(c_->GetItemField(AItem));
    reader->SetValue(c_->GetItemField(AItem), AValue);
    locate->ReadData(reader.get());
    return locate->FindRecordIndex();
  }
  // Whether the item's key index answers now (it is built and follows the records).
  bool KeyIndexAnswers(Integer AItem) {
    Owned<TcxDataControllerKeyLocateObject> locate(New<TcxDataControllerKeyLocateObject>(c_.get()));
    Owned<TcxValueDefUnboundReader> reader(New<TcxValueDefUnboundReader>());
    reader->SetValue(c_->GetItemField(AItem), Null());
    locate->ReadData(reader.get());
    Integer r = 0;
    return c_->DataStorage()->FindEqualRecord(c_->GetItemField(AItem)->GetValueDef(),
                                              locate->RecordIndex(), r);
  }
  TcxValueDef* Def(Integer AItem) { return c_->GetItemField(AItem)->GetValueDef(); }
};

// ---- The key index ------------------------------------------------------------------------

// Items: 0 Integer, 1 String, 2 LargeInt, 3 Currency; the copy keeps each value as a
// variant of the item's type, or Null.
TEST_F(IndexesFollowChanges, TheKeyIndexFindsWhatTheCopyHoldsThroughEveryChange) {
  AddItems({IntType(), StrType(), TcxLargeIntValueType::StaticClass(),
            TcxCurrencyValueType::StaticClass()});
  std::mt19937 gen(71);
  auto pick = [&](Integer n) { return Integer(gen() % unsigned(n)); };
  auto value = [&](Integer AItem) -> Variant {
    if (pick(6) == 0) return Null();
    switch (AItem) {
      case 0:
        return Variant(pick(25) - 5);
      case 1:
        return Variant(RandomText(gen));
      case 2:
        return Variant(Int64(pick(25)) * Int64(3000000019));
      default:
        return Variant(Currency::FromRaw(Int64(pick(25)) * 2500));
    }
  };
  std::vector<std::vector<Variant>> rows;
  auto setRow = [&](Integer r) {
    for (Integer i = 0; i < 4; ++i) {
      rows[size_t(r)][size_t(i)] = value(i);
      c_->SetValue(r, i, rows[size_t(r)][size_t(i)]);
    }
  };
  c_->BeginUpdate();
  c_->SetRecordCount(120);
  rows.assign(120, std::vector<Variant>(4, Null()));
  for (Integer r = 0; r < 120; ++r) setRow(r);
  c_->EndUpdate();
  // The first record of the copy whose value equals the key (Null only equals Null).
  auto expected = [&](Integer AItem, const Variant& AKey) {
    for (size_t r = 0; r < rows.size(); ++r) {
      const Variant& v = rows[r][size_t(AItem)];
      if (VarIsNull(v) || VarIsNull(AKey) ? VarIsNull(v) && VarIsNull(AKey)
                                          : VarToStr(v) == VarToStr(AKey))
        return Integer(r);
    }
    return Integer(-1);
  };
  // Walking for keys no record holds pays for every index.
  const Variant absent[] = {Variant(1000), Variant(String("absent")), Variant(Int64(-7)),
                            Variant(Currency::FromRaw(-1))};
  for (Integer i = 0; i < 4; ++i) EXPECT_EQ(Locate(i, absent[i]), -1);
  for (Integer i = 0; i < 4; ++i) ASSERT_TRUE(KeyIndexAnswers(i)) << i;
  Integer hits = 0;
  for (Integer step = 0; step < 400; ++step) {
    SCOPED_TRACE("step " + IntToStr(step));
    const Integer n = Integer(rows.size());
    switch (pick(9)) {
      case 0:
      case 1: {
        const Integer r = pick(n), i = pick(4);
        rows[size_t(r)][size_t(i)] = value(i);
        c_->SetValue(r, i, rows[size_t(r)][size_t(i)]);
        break;
      }
      case 2: {
        const Integer r = c_->InsertRecord(pick(n + 1));
        rows.insert(rows.begin() + r, std::vector<Variant>(4, Null()));
        if (pick(2)) setRow(r);
        break;
      }
      case 3: {
        const Integer r = c_->AppendRecord();
        rows.emplace_back(4, Null());
        if (pick(2)) setRow(r);
        break;
      }
      case 4: {
        const Integer r = pick(n);
        c_->DeleteRecord(r);
        rows.erase(rows.begin() + r);
        break;
      }
      case 5: {
        V list;
        for (Integer k = pick(6); k >= 0; --k) list.push_back(pick(n));
        std::sort(list.begin(), list.end());
        list.erase(std::unique(list.begin(), list.end()), list.end());
        c_->DeleteRecords(list);
        for (auto it = list.rbegin(); it != list.rend(); ++it) rows.erase(rows.begin() + *it);
        break;
      }
      case 6: {
        // A value the field cannot take changes nothing.
        const Integer r = pick(n);
        EXPECT_ANY_THROW(c_->SetValue(r, pick(2) ? 0 : 2, "not a number"));
        break;
      }
      case 7: {
        const Integer count = std::max<Integer>(1, n + pick(7) - 3);
        c_->SetRecordCount(count);
        rows.resize(size_t(count), std::vector<Variant>(4, Null()));
        break;
      }
      default: {
        // One record read over another from its stream form, then a stream cut short.
        const Integer from = pick(n), to = pick(n);
        TStringStream s;
        c_->DataStorage()->WriteRecord(from, s);
        s.SetPosition(0);
        c_->DataStorage()->ReadRecord(to, s);
        rows[size_t(to)] = rows[size_t(from)];
        TStringStream cut(s.DataString().substr(0, s.DataString().size() / 2));
        EXPECT_ANY_THROW(c_->DataStorage()->ReadRecord(pick(n), cut));
        break;
      }
    }
    ASSERT_EQ(c_->GetRecordCount(), Integer(rows.size()));
    for (Integer k = 0; k < 12; ++k) {
      const Integer i = pick(4);
      const Variant key = pick(4) == 0 || rows.empty()
                              ? value(i)
                              : rows[size_t(pick(Integer(rows.size())))][size_t(i)];
      const Integer want = expected(i, key);
      ASSERT_EQ(Locate(i, key), want) << "item " << i << " key " << VarToStr(key);
      if (want >= 0) ++hits;
    }
    for (Integer i = 0; i < 4; ++i) ASSERT_TRUE(KeyIndexAnswers(i)) << "item " << i;
  }
  EXPECT_GT(hits, 3000);
}

// Many insertions and deletions between reads: the key index keeps answering (it never
// finds itself wrong and drops out) and finds each key's first record, as the records
// renumbered by each change would give. Keys repeat, so that a key's first record moves.
TEST_F(IndexesFollowChanges, TheKeyIndexKeepsAnsweringThroughRunsOfInsertionsAndDeletions) {
  AddItems({IntType()});
  std::mt19937 gen(113);
  auto pick = [&](Integer n) { return Integer(gen() % unsigned(n)); };
  std::vector<Integer> keys;
  c_->BeginUpdate();
  c_->SetRecordCount(200);
  for (Integer r = 0; r < 200; ++r) {
    keys.push_back(pick(150));
    c_->SetValue(r, 0, Variant(keys.back()));
  }
  c_->EndUpdate();
  EXPECT_EQ(Locate(0, Variant(1000)), -1);
  ASSERT_TRUE(KeyIndexAnswers(0));
  auto expected = [&](Integer AKey) {
    const auto it = std::find(keys.begin(), keys.end(), AKey);
    return it == keys.end() ? Integer(-1) : Integer(it - keys.begin());
  };
  for (Integer step = 0; step < 1500; ++step) {
    SCOPED_TRACE("step " + IntToStr(step));
    const Integer n = Integer(keys.size());
    // Runs of one kind of change, read only now and then.
    const Integer kind = (step / 40) % 3 == 0 ? pick(2) : pick(4);
    if (kind == 0 || n < 20) {
      const Integer r = c_->InsertRecord(pick(n + 1));
      keys.insert(keys.begin() + r, pick(150));
      c_->SetValue(r, 0, Variant(keys[size_t(r)]));
    } else if (kind == 1 || n > 400) {
      const Integer r = pick(n);
      c_->DeleteRecord(r);
      keys.erase(keys.begin() + r);
    } else if (kind == 2) {
      V list;
      for (Integer k = pick(12); k >= 0; --k) list.push_back(pick(n));
      std::sort(list.begin(), list.end());
      list.erase(std::unique(list.begin(), list.end()), list.end());
      c_->DeleteRecords(list);
      for (auto it = list.rbegin(); it != list.rend(); ++it) keys.erase(keys.begin() + *it);
    } else {
      const Integer r = pick(n);
      keys[size_t(r)] = pick(150);
      c_->SetValue(r, 0, Variant(keys[size_t(r)]));
    }
    if (step % 23 != 0) continue;
    // Asked first: an index that dropped out would be built again by the searches below.
    ASSERT_TRUE(KeyIndexAnswers(0));
    // A few keys: a key read learns of every change, one left unread only at a renumbering.
    for (Integer k = 0; k < 6; ++k) {
      const Integer key = pick(152) - 1;
      ASSERT_EQ(Locate(0, Variant(key)), expected(key)) << "key " << key;
    }
  }
}

// ---- The text index -----------------------------------------------------------------------

// Item 0 String (its value is its text), item 1 Integer with stored display texts (the text
// is what was stored, whatever the value).
TEST_F(IndexesFollowChanges, TheTextIndexFindsWhatTheCopyHoldsThroughEveryChange) {
  AddItems({StrType(), IntType()});
  c_->ChangeTextStored(1, true);
  for (unsigned seed = 1; seed <= 2; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 gen(seed * 977);
    auto pick = [&](Integer n) { return Integer(gen() % unsigned(n)); };
    // texts[item][record]
    std::vector<String> texts[2];
    c_->SetRecordCount(0);
    c_->BeginUpdate();
    c_->SetRecordCount(300);
    for (Integer r = 0; r < 300; ++r) {
      texts[0].push_back(RandomText(gen));
      texts[1].push_back(RandomText(gen));
      c_->SetValue(r, 0, Variant(texts[0].back()));
      c_->SetValue(r, 1, r);
      c_->SetDisplayText(r, 1, texts[1].back());
    }
    c_->EndUpdate();
    for (Integer i = 0; i < 2; ++i) c_->DataStorage()->CountTextWalk(Def(i), c_->GetRecordCount());
    Integer found = 0;
    for (Integer step = 0; step < 500; ++step) {
      SCOPED_TRACE("step " + IntToStr(step));
      const Integer n = Integer(texts[0].size());
      switch (pick(8)) {
        case 0:
        case 1: {
          const Integer r = pick(n);
          texts[0][size_t(r)] = pick(8) ? RandomText(gen) : String();
          c_->SetValue(
              r, 0,
              pick(5) == 0 && texts[0][size_t(r)].empty() ? Null() : Variant(texts[0][size_t(r)]));
          break;
        }
        case 2: {
          const Integer r = pick(n);
          texts[1][size_t(r)] = RandomText(gen);
          c_->SetDisplayText(r, 1, texts[1][size_t(r)]);
          // A new value leaves the stored text as it was.
          c_->SetValue(pick(n), 1, pick(1000));
          break;
        }
        case 3: {
          const Integer r = c_->InsertRecord(pick(n + 1));
          texts[0].insert(texts[0].begin() + r, String());
          texts[1].insert(texts[1].begin() + r, String());
          break;
        }
        case 4: {
          const Integer r = c_->AppendRecord();
          texts[0].push_back(RandomText(gen));
          texts[1].push_back(String());
          c_->SetValue(r, 0, Variant(texts[0].back()));
          break;
        }
        case 5: {
          const Integer r = pick(n);
          c_->DeleteRecord(r);
          for (auto& t : texts) t.erase(t.begin() + r);
          break;
        }
        case 6: {
          V list;
          for (Integer k = pick(5); k >= 0; --k) list.push_back(pick(n));
          std::sort(list.begin(), list.end());
          list.erase(std::unique(list.begin(), list.end()), list.end());
          c_->DeleteRecords(list);
          for (auto it = list.rbegin(); it != list.rend(); ++it)
            for (auto& t : texts) t.erase(t.begin() + *it);
          break;
        }
        default: {
          const Integer count = std::max<Integer>(1, n + pick(5) - 2);
          c_->SetRecordCount(count);
          for (auto& t : texts) t.resize(size_t(count));
          break;
        }
      }
      for (Integer k = 0; k < 6; ++k) {
        const Integer i = pick(2);
        const std::vector<String>& all = texts[size_t(i)];
        // Prefixes of texts held (up to and past the eight bytes of an entry's head) and new ones.
        String prefix =
            pick(3) == 0 || all.empty() ? RandomText(gen) : all[size_t(pick(Integer(all.size())))];
        prefix.resize(std::min<size_t>(prefix.size(), size_t(pick(13))));
        V want;
        for (size_t r = 0; r < all.size(); ++r)
          if (BeginsIgnoringCase(all[r], prefix)) want.push_back(Integer(r));
        V got;
        ASSERT_TRUE(c_->DataStorage()->FindTextPrefix(Def(i), prefix, got)) << "item " << i;
        ASSERT_EQ(got, want) << "item " << i << " prefix \"" << prefix << "\"";
        found += Integer(got.size());
      }
    }
    EXPECT_GT(found, 5000);
  }
}

// ---- The narrowed incremental filter --------------------------------------------------------

// Items: 0 String name (filtered), 1 Integer num, 2 Float flt (some NaN, which orders no set
// of records the way it orders a part of it). Every keystroke's rows against the model: the
// records whose name begins with the text (any case; Null as an empty name), that pass
// "num > 10" when that filter is on, ordered by the grouping (num, ascending unless sorted
// otherwise) and the sort, then by record; groups as runs of one num. Sorted by flt, the order
// is the one a new controller gives for the same records, view and text.
TEST_F(IndexesFollowChanges, TheNarrowedFilterKeepsTheRowsAFullFilterKeeps) {
  AddItems({StrType(), IntType(), TcxFloatValueType::StaticClass()});
  struct Rec {
    std::optional<String> Name;
    std::optional<Integer> Num;
    double Flt;
  };
  std::mt19937 gen(29);
  auto pick = [&](Integer n) { return Integer(gen() % unsigned(n)); };
  std::vector<Rec> recs;
  auto randomRec = [&] {
    Rec r;
    if (pick(8)) r.Name = RandomText(gen);
    if (pick(6)) r.Num = pick(20);
    r.Flt = pick(10) ? double(pick(1000)) / 8 : std::nan("");
    return r;
  };
  auto write = [&](Integer r) {
    const Rec& x = recs[size_t(r)];
    c_->SetValue(r, 0, x.Name ? Variant(*x.Name) : Null());
    c_->SetValue(r, 1, x.Num ? Variant(*x.Num) : Null());
    c_->SetValue(r, 2, x.Flt);
  };
  c_->BeginUpdate();
  c_->SetRecordCount(400);
  for (Integer r = 0; r < 400; ++r) {
    recs.push_back(randomRec());
    write(r);
  }
  c_->EndUpdate();
  // The view: grouped by num or not; sorted by none (-1) or an item, either way; filtered.
  bool grouped = false, filtered = false;
  Integer sortItem = -1;
  TcxDataSortOrder sortOrder = soAscending;
  String typed;
  auto applyView = [&] {
    c_->BeginUpdate();
    c_->ClearSorting(false);
    c_->ChangeItemGroupIndex(1, grouped ? 0 : -1);
    if (sortItem >= 0) c_->ChangeSortingOrder(sortItem, sortOrder);
    c_->Filter()->Clear();
    if (filtered) c_->Filter()->Root()->AddItem(items_[1].get(), foGreater, 10, "10");
    c_->Filter()->SetActive(filtered);
    c_->EndUpdate();
  };
  // -1, 0, 1 by the view's keys, Null first, then the direction of each key.
  auto compare = [&](Integer a, Integer b) {
    const Rec &x = recs[size_t(a)], &y = recs[size_t(b)];
    auto byNum = [&](TcxDataSortOrder AOrder) {
      if (x.Num != y.Num) {
        const bool less = !x.Num || (y.Num && *x.Num < *y.Num);
        return (less ? -1 : 1) * (AOrder == soDescending ? -1 : 1);
      }
      return 0;
    };
    if (grouped) {
      const int c = byNum(sortItem == 1 ? sortOrder : soAscending);
      if (c) return c;
    }
    int c = 0;
    if (sortItem == 1) c = byNum(sortOrder);
    if (sortItem == 0 && x.Name != y.Name) c = (!x.Name || (y.Name && *x.Name < *y.Name)) ? -1 : 1;
    if (sortItem >= 0 && sortItem != 1 && sortOrder == soDescending) c = -c;
    return c ? c : (a < b ? -1 : a > b ? 1 : 0);
  };
  // The rows of a new controller over the same records, view and text.
  auto fresh = [&] {
    Owned<TcxCustomDataController> other(New<TcxDataController>(nullptr));
    std::vector<Owned<TestItem>> items;
    const TcxValueTypeClass types[] = {StrType(), IntType(), TcxFloatValueType::StaticClass()};
    for (Integer i = 0; i < 3; ++i) {
      items.emplace_back(New<TestItem>());
      other->AddItem(items.back().get());
      other->ChangeValueTypeClass(i, types[i]);
    }
    other->BeginUpdate();
    other->SetRecordCount(Integer(recs.size()));
    for (Integer r = 0; r < Integer(recs.size()); ++r) {
      const Rec& x = recs[size_t(r)];
      other->SetValue(r, 0, x.Name ? Variant(*x.Name) : Null());
      other->SetValue(r, 1, x.Num ? Variant(*x.Num) : Null());
      other->SetValue(r, 2, x.Flt);
    }
    other->ChangeItemGroupIndex(1, grouped ? 0 : -1);
    if (sortItem >= 0) other->ChangeSortingOrder(sortItem, sortOrder);
    if (filtered) other->Filter()->Root()->AddItem(items[1].get(), foGreater, 10, "10");
    other->Filter()->SetActive(filtered);
    other->EndUpdate();
    other->ApplyIncrementalFilter(0, typed);
    V rows;
    for (Integer i = 0; i < other->GetFilteredRecordCount(); ++i)
      rows.push_back(other->GetFilteredRecordIndex(i));
    return rows;
  };
  auto check = [&](const char* AWhat) {
    V want;
    for (Integer r = 0; r < Integer(recs.size()); ++r) {
      const Rec& x = recs[size_t(r)];
      if (!typed.empty() && !BeginsIgnoringCase(x.Name.value_or(String()), typed)) continue;
      if (filtered && !(x.Num && *x.Num > 10)) continue;
      want.push_back(r);
    }
    V got;
    for (Integer i = 0; i < c_->GetFilteredRecordCount(); ++i)
      got.push_back(c_->GetFilteredRecordIndex(i));
    if (sortItem == 2) {
      V kept = got;
      std::sort(kept.begin(), kept.end());
      ASSERT_EQ(kept, want) << AWhat << " \"" << typed << "\"";
      want = fresh();
    } else {
      std::sort(want.begin(), want.end(), [&](Integer a, Integer b) { return compare(a, b) < 0; });
    }
    ASSERT_EQ(got, want) << AWhat << " \"" << typed << "\" grouped " << grouped << " sort "
                         << sortItem;
    // Each group's records: the run of one num it starts, none left out.
    if (!grouped) return;
    TcxDataGroups* groups = c_->DataControllerInfo()->Groups();
    Integer next = 0;
    for (Integer g = 0; g < groups->Count(); ++g) {
      const TcxDataGroupInfo& info = groups->Items(g);
      ASSERT_EQ(info.FirstPosition, next) << AWhat;
      Integer end = next;
      while (end + 1 < Integer(want.size()) &&
             recs[size_t(want[size_t(end + 1)])].Num == recs[size_t(want[size_t(next)])].Num)
        ++end;
      ASSERT_EQ(info.EndIndex, end) << AWhat;
      next = end + 1;
    }
    ASSERT_EQ(next, Integer(want.size())) << AWhat;
  };
  Integer narrowed = 0;
  for (Integer step = 0; step < 700; ++step) {
    SCOPED_TRACE("step " + IntToStr(step));
    const Integer op = pick(20);
    const String before = typed;
    if (op < 9) {
      typed += RandomText(gen).substr(0, 1);  // a key (the first of a new text, or nothing)
      if (typed.empty()) typed = "a";
    } else if (op < 11) {
      if (!typed.empty()) typed.pop_back();  // backspace
    } else if (op < 12) {
      typed = RandomText(gen).substr(0, 2);  // another text
    } else if (op < 13) {
      const Integer r = pick(Integer(recs.size()));
      recs[size_t(r)] = randomRec();
      write(r);
    } else if (op < 14) {
      const Integer r = c_->InsertRecord(pick(Integer(recs.size()) + 1));
      recs.insert(recs.begin() + r, randomRec());
      write(r);
    } else if (op < 15) {
      const Integer r = pick(Integer(recs.size()));
      c_->DeleteRecord(r);
      recs.erase(recs.begin() + r);
    } else if (op < 16) {
      sortItem = pick(4) - 1;
      sortOrder = pick(2) ? soAscending : soDescending;
      applyView();
    } else if (op < 17) {
      grouped = !grouped;
      applyView();
    } else if (op < 18) {
      filtered = !filtered;
      applyView();
    } else {
      // Several keys and an edit in one bracket.
      c_->BeginUpdate();
      typed += "b";
      c_->ApplyIncrementalFilter(0, typed);
      const Integer r = pick(Integer(recs.size()));
      recs[size_t(r)].Name = typed + "x";
      write(r);
      typed += "X";
      c_->ApplyIncrementalFilter(0, typed);
      c_->EndUpdate();
      check("bracket");
      continue;
    }
    const bool grew = typed.size() > before.size() && BeginsIgnoringCase(typed, before);
    if (grew && !filtered && c_->DataControllerInfo()->CanNarrowFilter()) ++narrowed;
    c_->ApplyIncrementalFilter(0, typed);
    check(op < 12 ? "typed" : "changed");
  }
  // Most keystrokes that only added a key narrowed the rows kept.
  EXPECT_GT(narrowed, 50);
}

// ---- Group summaries ----------------------------------------------------------------------

// Items: 0 String city, 1 Integer flag, 2 Integer, 3 Currency, 4 Float, 5 LargeInt. Sums,
// minimums, maximums, counts and the Float's average of every group, and the footer's,
// against the test's own accumulation in row order (Null values count, add nothing).
TEST_F(IndexesFollowChanges, GroupSummariesAreTheSumsInRowOrderBitForBit) {
  AddItems({StrType(), IntType(), IntType(), TcxCurrencyValueType::StaticClass(),
            TcxFloatValueType::StaticClass(), TcxLargeIntValueType::StaticClass()});
  TcxDataGroupSummaryItems* items = c_->Summary()->DefaultGroupSummaryItems();
  TcxDataFooterSummaryItems* footer = c_->Summary()->FooterSummaryItems();
  struct Summed {
    Integer Item;
    TcxSummaryKind Kind;
  };
  const std::vector<Summed> summed = {{2, skSum},   {3, skSum},    {4, skSum},    {5, skSum},
                                      {4, skMin},   {4, skMax},    {2, skMin},    {3, skMax},
                                      {2, skCount}, {-1, skCount}, {4, skAverage}};
  for (const Summed& s : summed) {
    items->Add(s.Item < 0 ? nullptr : items_[size_t(s.Item)].get(), spGroup, s.Kind);
    footer->Add(s.Item < 0 ? nullptr : items_[size_t(s.Item)].get(), spFooter, s.Kind);
  }
  std::mt19937 gen(43);
  auto pick = [&](Integer n) { return Integer(gen() % unsigned(n)); };
  using Row = std::vector<Variant>;
  std::vector<Row> rows;
  auto randomRow = [&] {
    Row r(6, Null());
    if (pick(9)) r[0] = String("City") + char('A' + pick(7));
    r[1] = pick(2);
    if (pick(7)) r[2] = pick(2000) - 1000;
    if (pick(7)) r[3] = Currency::FromRaw(Int64(pick(100000)) * 37);
    // Floats whose sums round differently in another order.
    if (pick(7)) r[4] = double(pick(1 << 20)) / 7.0 * (pick(2) ? 1e-3 : 1e5);
    if (pick(7)) r[5] = Int64(pick(1000)) * 1000000007;
    return r;
  };
  auto write = [&](Integer r) {
    for (Integer i = 0; i < 6; ++i) c_->SetValue(r, i, rows[size_t(r)][size_t(i)]);
  };
  c_->BeginUpdate();
  c_->SetRecordCount(600);
  for (Integer r = 0; r < 600; ++r) {
    rows.push_back(randomRow());
    write(r);
  }
  c_->EndUpdate();
  // The test's accumulation of one item over records in the order given.
  auto accumulate = [&](const Summed& s, const V& ARecords) -> Variant {
    Integer count = 0;
    std::optional<double> d;
    std::optional<Int64> i;
    for (Integer r : ARecords) {
      ++count;
      if (s.Item < 0) continue;
      const Variant& v = rows[size_t(r)][size_t(s.Item)];
      if (VarIsNull(v)) {
        if ((s.Kind == skSum || s.Kind == skAverage) && !d && !i) {
          if (s.Item == 4)
            d = 0.0;
          else
            i = 0;
        }
        continue;
      }
      const bool real = s.Item == 4;
      const double x = real ? v.AsDouble() : 0;
      const Int64 y = real ? 0 : s.Item == 3 ? v.AsCurrency().Raw : v.AsInt64();
      switch (s.Kind) {
        case skSum:
        case skAverage:
          if (real)
            d = d.value_or(0.0) + x;
          else
            i = i.value_or(0) + y;
          break;
        case skMin:
          if (real)
            d = d ? std::min(*d, x) : x;
          else
            i = i ? std::min(*i, y) : y;
          break;
        case skMax:
          if (real)
            d = d ? std::max(*d, x) : x;
          else
            i = i ? std::max(*i, y) : y;
          break;
        default:
          break;
      }
    }
    if (s.Kind == skCount) return count;
    if (s.Kind == skAverage) return d ? Variant(*d / double(count)) : Null();
    if (d) return *d;
    if (i) return s.Item == 3 ? Variant(Currency::FromRaw(*i)) : Variant(*i);
    return Null();
  };
  auto same = [](const Summed& s, const Variant& AWant, const Variant& AGot) {
    if (VarIsNull(AWant) || VarIsNull(AGot)) return VarIsNull(AWant) == VarIsNull(AGot);
    if (s.Kind == skCount) return AGot.AsInteger() == AWant.AsInteger();
    if (s.Item == 4) {
      const double a = AWant.AsDouble(), b = AGot.AsDouble();
      return std::memcmp(&a, &b, sizeof a) == 0;
    }
    if (s.Item == 3) return AGot.AsCurrency().Raw == AWant.AsCurrency().Raw;
    return AGot.AsInt64() == AWant.AsInt64();
  };
  Integer levels = 1, groupsChecked = 0;
  for (Integer step = 0; step < 120; ++step) {
    SCOPED_TRACE("step " + IntToStr(step));
    c_->BeginUpdate();
    switch (pick(6)) {
      case 0: {
        const Integer r = pick(Integer(rows.size()));
        rows[size_t(r)] = randomRow();
        write(r);
        break;
      }
      case 1: {
        const Integer r = c_->InsertRecord(pick(Integer(rows.size()) + 1));
        rows.insert(rows.begin() + r, randomRow());
        write(r);
        break;
      }
      case 2: {
        const Integer r = pick(Integer(rows.size()));
        c_->DeleteRecord(r);
        rows.erase(rows.begin() + r);
        break;
      }
      case 3: {
        // Within the groups: storage order, or the Float or the Integer either way.
        c_->ClearSorting(false);
        const Integer s = pick(3);
        if (s) c_->ChangeSortingOrder(s == 1 ? 4 : 2, pick(2) ? soAscending : soDescending);
        break;
      }
      case 4:
        levels = 1 + pick(2);
        break;
      default: {
        const bool on = !c_->Filter()->GetActive();
        c_->Filter()->Clear();
        if (on) c_->Filter()->Root()->AddItem(items_[2].get(), foGreater, -500, "-500");
        c_->Filter()->SetActive(on);
        break;
      }
    }
    c_->ChangeItemGroupIndex(0, 0);
    c_->ChangeItemGroupIndex(1, levels == 2 ? 1 : -1);
    // A record written again: every step reads the records anew, so the footer (summed when
    // the records are read, before they are sorted) sums them in storage order.
    write(pick(Integer(rows.size())));
    c_->EndUpdate();
    // The rows as shown are the order summed in: each group's records are its run of them.
    V shown;
    for (Integer p = 0; p < c_->GetFilteredRecordCount(); ++p)
      shown.push_back(c_->GetFilteredRecordIndex(p));
    TcxDataGroups* groups = c_->DataControllerInfo()->Groups();
    ASSERT_GT(groups->Count(), 0);
    for (Integer g = 0; g < groups->Count(); ++g) {
      const TcxDataGroupInfo& info = groups->Items(g);
      const Integer last = groups->Items(info.LastDescendant).EndIndex;
      const V records(shown.begin() + info.FirstPosition, shown.begin() + last + 1);
      for (Integer k = 0; k < Integer(summed.size()); ++k) {
        const Variant want = accumulate(summed[size_t(k)], records);
        const Variant got = c_->Summary()->GetGroupSummaryValue(g, k);
        ASSERT_TRUE(same(summed[size_t(k)], want, got))
            << "group " << g << " item " << k << ": " << VarToStr(got) << " instead of "
            << VarToStr(want);
      }
      ++groupsChecked;
    }
    V stored = shown;
    std::sort(stored.begin(), stored.end());
    for (Integer k = 0; k < Integer(summed.size()); ++k) {
      if (summed[size_t(k)].Item < 0) continue;  // a footer counts the records of an item
      const Variant want = accumulate(summed[size_t(k)], stored);
      const Variant got = c_->Summary()->GetFooterSummaryValue(k);
      ASSERT_TRUE(same(summed[size_t(k)], want, got))
          << "footer item " << k << ": " << VarToStr(got) << " instead of " << VarToStr(want);
    }
  }
  EXPECT_GT(groupsChecked, 1000);
}

}  // namespace
