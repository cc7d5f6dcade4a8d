// The check-state list values: each format written for a known list, read back, and
// malformed text read as all unchecked.
#include "widgets/editors/cxCheckBox.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using CS = TcxCheckBoxState;
using F = TcxCheckStatesValueFormat;

class TItems : public IcxCheckItems {
 public:
  explicit TItems(std::vector<String> ACaptions) : Captions(std::move(ACaptions)) {}
  String GetCaption(Integer Index) override { return Captions.at(size_t(Index)); }
  Integer GetCount() override { return Integer(Captions.size()); }
  std::vector<String> Captions;
};

const CS U = CS::cbsUnchecked, C = CS::cbsChecked, G = CS::cbsGrayed;

TcxCheckStates Read(const Variant& V, TItems& AItems, F AFormat) {
  TcxCheckStates s{C};  // whatever was there before is replaced
  cxValueToCheckStates(V, &AItems, AFormat, s);
  return s;
}

TEST(CheckStates, EachFormatWritesItsTextAndReadsItBack) {
  TItems items({"a", "b;c", "1:x", "d"});
  const TcxCheckStates states{C, G, U, C};
  struct Case {
    F Format;
    Variant Expected;
  };
  const Case cases[] = {
      {F::cvfStatesString, Variant("1201")},
      {F::cvfInteger, Variant(Int64(9))},
      {F::cvfIndices, Variant("1;0,3")},
      {F::cvfCaptions, Variant("3:b;c;1:a1:d")},
  };
  for (const Case& k : cases) {
    Variant v;
    cxCheckStatesToValue(states, &items, k.Format, v);
    EXPECT_EQ(v.VType(), k.Expected.VType());
    EXPECT_TRUE(v == k.Expected) << v.AsString();
    const TcxCheckStates back = Read(v, items, k.Format);
    if (k.Format == F::cvfInteger)  // grayed is not kept by bits
      EXPECT_EQ(back, (TcxCheckStates{C, U, U, C}));
    else
      EXPECT_EQ(back, states) << v.AsString();
  }
  // Nothing checked: no ";" group.
  Variant v;
  cxCheckStatesToValue({G, U, G, U}, &items, F::cvfIndices, v);
  EXPECT_EQ(v.AsString(), "0,2");
}

TEST(CheckStates, EmptyNullAndShortValues) {
  TItems items({"a", "b", "c"});
  const TcxCheckStates none{U, U, U};
  for (F f : {F::cvfCaptions, F::cvfIndices, F::cvfInteger, F::cvfStatesString}) {
    EXPECT_EQ(Read(Variant::MakeNull(), items, f), none);
    EXPECT_EQ(Read(Variant(""), items, f), none);
  }
  // A short text leaves the rest unchecked; a long one is read as far as the items go.
  EXPECT_EQ(Read(Variant("2"), items, F::cvfStatesString), (TcxCheckStates{G, U, U}));
  EXPECT_EQ(Read(Variant("1211111"), items, F::cvfStatesString), (TcxCheckStates{C, G, C}));
  // Integer from text and from a number; bits past the items are ignored.
  EXPECT_EQ(Read(Variant("6"), items, F::cvfInteger), (TcxCheckStates{U, C, C}));
  EXPECT_EQ(Read(Variant(Integer(-1)), items, F::cvfInteger), (TcxCheckStates{C, C, C}));
  // Only the grayed group, and only the checked group.
  EXPECT_EQ(Read(Variant("2"), items, F::cvfIndices), (TcxCheckStates{U, U, G}));
  EXPECT_EQ(Read(Variant(";1"), items, F::cvfIndices), (TcxCheckStates{U, C, U}));
}

TEST(CheckStates, MalformedTextReadsAllUnchecked) {
  TItems items({"a", "b", "c"});
  const TcxCheckStates none{U, U, U};
  const std::vector<std::pair<F, const char*>> bad = {
      {F::cvfStatesString, "13"},
      {F::cvfStatesString, "-1"},
      {F::cvfInteger, "12x"},
      {F::cvfIndices, "3"},
      {F::cvfIndices, "-1"},
      {F::cvfIndices, "0,,1"},
      {F::cvfIndices, "0,"},
      {F::cvfIndices, "0;1;2"},
      {F::cvfIndices, "99999999999999999999"},
      {F::cvfIndices, "1 "},
      {F::cvfCaptions, "5:a"},
      {F::cvfCaptions, "1a"},
      {F::cvfCaptions, ":a"},
      {F::cvfCaptions, "-1:a"},
      {F::cvfCaptions, "99999999999:a"},
      {F::cvfCaptions, "1:a;1:b;1:c"},
      {F::cvfCaptions, "1:z"},
      {F::cvfCaptions, "1:a1:a"},  // one item cannot take two captions
  };
  for (const auto& [format, text] : bad)
    EXPECT_EQ(Read(Variant(text), items, format), none) << text;
  // A value of another type.
  EXPECT_EQ(Read(Variant(true), items, F::cvfIndices), none);
  EXPECT_EQ(Read(Variant(Integer(3)), items, F::cvfCaptions), none);
}

TEST(CheckStates, CaptionsMatchEachParsedCaptionOnce) {
  TItems items({"x", "x", "y"});
  EXPECT_EQ(Read(Variant("1:x;1:x"), items, F::cvfCaptions), (TcxCheckStates{G, C, U}));
  // A caption holding the separators is read by its length.
  TItems odd({"a;b", "1:2"});
  EXPECT_EQ(Read(Variant("3:1:2;3:a;b"), odd, F::cvfCaptions), (TcxCheckStates{C, G}));
}

}  // namespace
