// The picture mask: parsing (positions, case control, the tail), placing characters,
// value text and the two validity tests over a table of masks and texts.
#include <gtest/gtest.h>

#include "classlib/core/SysUtils.h"
#include "widgets/editcore/cxStandardMask.h"

#include <typeinfo>

namespace {

Owned<TcxStandardMask> MaskOf(const String& AMask) {
  Owned<TcxStandardMask> m(New<TcxStandardMask>());
  m->SetMask(AMask);
  return m;
}

struct PictureCase {
  const char* Mask;
  String Text;
  String Formatted;   // FormatText with converted characters
  bool Full;
  bool Valid;
  String Value;       // GetValueText of Text
};

class StandardMaskTable : public ::testing::TestWithParam<PictureCase> {};

TEST_P(StandardMaskTable, FiveOperations) {
  const PictureCase& c = GetParam();
  Owned<TcxStandardMask> m = MaskOf(c.Mask);
  String text = c.Text;
  m->FormatText(text, true);
  EXPECT_EQ(text, c.Formatted) << c.Mask << " / " << c.Text;
  EXPECT_EQ(m->IsFullValidText(c.Text), c.Full) << c.Mask << " / " << c.Text;
  EXPECT_EQ(m->IsValidText(c.Text), c.Valid) << c.Mask << " / " << c.Text;
  EXPECT_EQ(m->GetValueText(c.Text), c.Value) << c.Mask << " / " << c.Text;
}

const char kPhone[] = "!(999) 000-0000;1;_";
const char kPhoneDigits[] = "!(999) 000-0000;0;*";

const PictureCase kPictureCases[] = {
    {kPhone, "5551234567", "(555) 123-4567", false, false, "5551234567"},
    {kPhone, "(555) 123-4567", "(555) 123-4567", true, true, "(555) 123-4567"},
    {kPhone, "(55_) 123-4567", "(55_) 123-4567", true, true, "(55 ) 123-4567"},
    {kPhone, "(555) 12_-4567", "(555) 12_-4567", false, true, "(555) 12 -4567"},
    {kPhone, "(55", "(55_) ___-____", false, true, "(55"},
    {kPhone, "(555) 123-45678", "(555) 123-4567", false, false, "(555) 123-4567"},
    {kPhoneDigits, "(555) 123-4567", "(555) 123-4567", true, true, "5551234567"},
    {kPhoneDigits, "(5**) 123-4567", "(5**) 123-4567", true, true, "5  1234567"},
    {kPhoneDigits, "5", "(5**) ***-****", false, false, ""},
    {">LL<>L", "abc", "ABc", true, true, "abc"},
    {"<L>L", "Ab", "aB", true, true, "Ab"},
    // Every letter changes case, the last ones of the alphabet included; the characters
    // beside the letters' ranges stay.
    {">LLLL", "aymz", "AYMZ", true, true, "aymz"},
    {">cccc", "`az{", "`AZ{", true, true, "`az{"},
    {"<cccc", "@AZ[", "@az[", true, true, "@AZ["},
    {"L0", "5a", "a5", false, false, "5a"},
    {"000", "abc", "___", false, false, "abc"},
    {"000", "1 2", "1_2", false, true, "1 2"},
    {"0-0", " 5", "_-5", false, false, " 5"},
    {"90", " 5", "_5", true, true, " 5"},
    {"90", "5 ", "5_", false, true, "5 "},
    {"90", "_5", "_5", true, true, " 5"},
    {"#C", "+\x01", "+\x01", true, true, "+\x01"},
    {"#", "-", "-", true, true, "-"},
    {"0", "+", "_", false, false, "+"},
    {"l", "\xE9", "_", false, false, "\xE9"},
    {"c", "\xE9", "\xE9", true, true, "\xE9"},
    {"aA", "7q", "7q", true, true, "7q"},
    {"a;b", "x;b", "x;b", true, true, "x;b"},
    {"00", "123", "12", false, false, "12"},
    {";1;_", "x", "", false, false, ""},
    {";1;_", "", "", true, true, ""},
    {"0\\", "7", "7", true, true, "7"},
    {"\\0\\L0", "0L5", "0L5", true, true, "0L5"},
    {"\\0\\L0", "5", "0L5", false, false, "5"},
};

INSTANTIATE_TEST_SUITE_P(Table, StandardMaskTable, ::testing::ValuesIn(kPictureCases));

TEST(StandardMask, PositionsCaseControlAndOptionality) {
  Owned<TcxStandardMask> m = MaskOf("!>L<a<>c-");
  ASSERT_EQ(m->Count(), 4);
  auto* l = dynamic_cast<TcxStandardMaskAlphaItem*>(m->Items(0));
  auto* a = dynamic_cast<TcxStandardMaskAlphaNumericItem*>(m->Items(1));
  auto* c = dynamic_cast<TcxStandardMaskASCIIItem*>(m->Items(2));
  auto* dash = dynamic_cast<TcxStandardMaskLiteralItem*>(m->Items(3));
  ASSERT_TRUE(l && a && c && dash);
  EXPECT_EQ(l->CaseControl(), TcxCaseControl::ccUpperCase);
  EXPECT_FALSE(l->Optional());
  EXPECT_EQ(a->CaseControl(), TcxCaseControl::ccLowerCase);
  EXPECT_TRUE(a->Optional());
  EXPECT_EQ(c->CaseControl(), TcxCaseControl::ccUserCase);
  EXPECT_EQ(dash->Literal(), '-');
  EXPECT_EQ(m->GetMask(), "!>L<a<>c-");
  EXPECT_THROW(m->Items(4), EListError);

  // The case control rewrites even a refused character.
  Char ch = 'q';
  EXPECT_FALSE(MaskOf(">0")->Items(0)->Check(ch));
  EXPECT_EQ(ch, 'Q');
}

TEST(StandardMask, EveryPositionCharacterHasItsKindAndOptionality) {
  struct Row {
    char MaskChar;
    const std::type_info& Kind;
    bool Optional;
  };
  const Row rows[] = {{'0', typeid(TcxStandardMaskNumericItem), false},
                      {'9', typeid(TcxStandardMaskNumericItem), true},
                      {'#', typeid(TcxStandardMaskNumericSymbolItem), true},
                      {'L', typeid(TcxStandardMaskAlphaItem), false},
                      {'l', typeid(TcxStandardMaskAlphaItem), true},
                      {'A', typeid(TcxStandardMaskAlphaNumericItem), false},
                      {'a', typeid(TcxStandardMaskAlphaNumericItem), true},
                      {'C', typeid(TcxStandardMaskASCIIItem), false},
                      {'c', typeid(TcxStandardMaskASCIIItem), true}};
  for (const Row& r : rows) {
    Owned<TcxStandardMask> m = MaskOf(String(1, r.MaskChar));
    ASSERT_EQ(m->Count(), 1) << r.MaskChar;
    TcxStandardMaskCustomItem* item = m->Items(0);
    EXPECT_TRUE(typeid(*item) == r.Kind) << r.MaskChar;
    auto* many = dynamic_cast<TcxStandardMaskManyItem*>(item);
    ASSERT_NE(many, nullptr) << r.MaskChar;
    EXPECT_EQ(many->Optional(), r.Optional) << r.MaskChar;
    // An empty position completes the text only where it is optional (any character fills "C").
    if (r.MaskChar != 'C' && r.MaskChar != 'c') {
      EXPECT_EQ(m->IsFullValidText("_"), r.Optional) << r.MaskChar;
      EXPECT_EQ(m->IsFullValidText(" "), r.Optional) << r.MaskChar;
      EXPECT_TRUE(m->IsValidText("_")) << r.MaskChar;
    }
  }
}

TEST(StandardMask, TailFormsAndMisplacedSemicolons) {
  Owned<TcxStandardMask> m = MaskOf("00;0");
  EXPECT_EQ(m->Count(), 2);
  EXPECT_FALSE(m->GetSaveLiterals());
  EXPECT_EQ(m->GetBlankChar(), '_');

  m->SetMask("0-0;1;#");
  EXPECT_TRUE(m->GetSaveLiterals());
  EXPECT_EQ(m->GetBlankChar(), '#');
  EXPECT_EQ(m->GetEmptyDisplayText(), "#-#");
  EXPECT_EQ(m->GetEmptyValueText(), " - ");

  m->SetMask("0-0");   // a new mask starts from the defaults again
  EXPECT_EQ(m->GetBlankChar(), '_');
  EXPECT_TRUE(m->GetSaveLiterals());

  EXPECT_EQ(MaskOf("00;1;")->GetEmptyDisplayText(), "__;1;");
  EXPECT_EQ(MaskOf("0;x")->GetEmptyDisplayText(), "_;x");
  EXPECT_EQ(MaskOf("0;2;_")->GetEmptyDisplayText(), "_;2;_");
  EXPECT_EQ(MaskOf("0;0;__")->GetEmptyDisplayText(), "_;_;__");   // the second 0 is a position
  EXPECT_EQ(MaskOf("0;1;_;")->GetEmptyDisplayText(), "_;1;_;");
  EXPECT_EQ(MaskOf("0\\;1")->GetEmptyDisplayText(), "_;1");

  Owned<TcxStandardMask> digits = MaskOf("(0)0;0;*");
  EXPECT_EQ(digits->GetEmptyDisplayText(), "(*)*");
  EXPECT_EQ(digits->GetEmptyValueText(), "  ");
  m->Clear();
  EXPECT_EQ(m->Count(), 0);
  EXPECT_EQ(m->GetMask(), "");
}

TEST(StandardMask, SeparatorsOfTheLocaleAtParseTime) {
  const TFormatSettings saved = FormatSettings;
  FormatSettings.DateSeparator = '.';
  FormatSettings.TimeSeparator = 'h';
  Owned<TcxStandardMask> m = MaskOf("00/00 00:00");
  FormatSettings = saved;
  EXPECT_EQ(m->GetEmptyDisplayText(), "__.__ __h__");
  String text = "3112 2359";
  m->FormatText(text, true);
  EXPECT_EQ(text, "31.12 23h59");
  EXPECT_TRUE(m->IsFullValidText("31.12 23h59"));
  EXPECT_FALSE(m->IsFullValidText("31/12 23:59"));
}

TEST(StandardMask, UnconvertedFormattingKeepsTheTypedCase) {
  Owned<TcxStandardMask> m = MaskOf(">LL");
  String text = "ab";
  m->FormatText(text, false);
  EXPECT_EQ(text, "ab");
  text = "ab";
  m->FormatText(text, true);
  EXPECT_EQ(text, "AB");
}

TEST(StandardMask, UnitFunctions) {
  EXPECT_EQ(cxStandardMaskFormatText("000", "12", '*'), "12*");
  EXPECT_EQ(cxStandardMaskFormatText("000;1;#", "1"), "1##");
  EXPECT_EQ(cxStandardMaskFormatText(">LL", "ab"), "AB");
  EXPECT_TRUE(cxStandardMaskIsFullValidText("0-0", "1-2"));
  EXPECT_FALSE(cxStandardMaskIsFullValidText("0-0", "1-"));
  EXPECT_TRUE(cxStandardMaskIsValidText("0-0", "1-"));
  EXPECT_EQ(cxStandardMaskBlankChar("0;1;#"), '#');
  EXPECT_EQ(cxStandardMaskBlankChar("0"), '_');
  EXPECT_FALSE(cxStandardMaskSaveLiterals("0;0;_"));
  EXPECT_TRUE(cxStandardMaskSaveLiterals("0;1"));
}

}  // namespace
