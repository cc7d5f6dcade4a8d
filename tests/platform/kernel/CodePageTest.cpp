#include <gtest/gtest.h>

#include "platform/kernel/CodePage.h"

#include <clocale>
#include <cwctype>
#include <locale.h>

namespace {

// The C library's Unicode case mapping, through a locale object of its own (the process
// locale is never changed): an independent reference for the code page's case tables.
class UnicodeCase {
 public:
  UnicodeCase() : loc_(newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(0))) {}
  ~UnicodeCase() {
    if (loc_) freelocale(loc_);
  }
  bool Available() const { return loc_ != locale_t(0); }
  char32_t Upper(char32_t c) const { return char32_t(towupper_l(wint_t(c), loc_)); }
  char32_t Lower(char32_t c) const { return char32_t(towlower_l(wint_t(c), loc_)); }
  bool Alpha(char32_t c) const { return iswalpha_l(wint_t(c), loc_); }

 private:
  locale_t loc_;
};

}  // namespace

TEST(CodePage, EveryByteRoundTrips) {
  for (int b = 0; b < 256; ++b) {
    const char16_t u = CpToUnicode(Byte(b));
    EXPECT_EQ(CpFromUnicode(u), b) << "byte " << b;
  }
  String all;
  for (int b = 0; b < 256; ++b) all.push_back(char(b));
  EXPECT_EQ(WideToAnsi(AnsiToWide(all)), all);
  EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(all)), all);
}

TEST(CodePage, KnownCharactersAndTheUndefinedBytes) {
  EXPECT_EQ(CpToUnicode(0x80), u'\u20AC');
  EXPECT_EQ(CpToUnicode(0x9F), u'\u0178');
  EXPECT_EQ(CpToUnicode(0x85), u'\u2026');
  EXPECT_EQ(CpToUnicode(0xE9), u'\u00E9');
  for (Byte b : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) EXPECT_EQ(CpToUnicode(b), char16_t(b));
  EXPECT_EQ(CpFromUnicode(0x20AC), 0x80);
  EXPECT_EQ(CpFromUnicode(0x0100), -1);
  EXPECT_EQ(CpFromUnicode(0x0080), -1);  // a C1 control that 1252 gives to the euro
  EXPECT_EQ(CpFromUnicode(0x1F600), -1);
  // No two bytes share a character.
  for (int a = 0; a < 256; ++a)
    for (int b = a + 1; b < 256; ++b) ASSERT_NE(CpToUnicode(Byte(a)), CpToUnicode(Byte(b)));
}

TEST(CodePage, CaseTablesAgreeWithUnicode) {
  UnicodeCase uc;
  if (!uc.Available()) GTEST_SKIP() << "no C.UTF-8 locale on this machine";
  for (int b = 0; b < 256; ++b) {
    const char32_t u = CpToUnicode(Byte(b));
    const int up = CpFromUnicode(uc.Upper(u));
    const int low = CpFromUnicode(uc.Lower(u));
    // A case partner outside the code page leaves the byte as it is.
    EXPECT_EQ(CpUpper(Byte(b)), up < 0 ? b : up) << "byte " << b;
    EXPECT_EQ(CpLower(Byte(b)), low < 0 ? b : low) << "byte " << b;
    EXPECT_EQ(CpIsAlpha(Byte(b)), uc.Alpha(u)) << "byte " << b;
  }
}

TEST(CodePage, CaseRulesThatMatterToText) {
  EXPECT_EQ(CpUpper(0x9A), 0x8A);  // š → Š
  EXPECT_EQ(CpUpper(0x9C), 0x8C);  // œ → Œ
  EXPECT_EQ(CpUpper(0xFF), 0x9F);  // ÿ → Ÿ
  EXPECT_EQ(CpLower(0x9F), 0xFF);
  EXPECT_EQ(CpUpper(0xDF), 0xDF);  // ß keeps its case
  EXPECT_EQ(CpUpper(0xB5), 0xB5);  // µ too
  EXPECT_EQ(CpUpper(0xF7), 0xF7);  // ÷ is no letter
  EXPECT_EQ(CpLower(0xD7), 0xD7);  // × neither
  EXPECT_TRUE(CpIsLower(0xDF));
  EXPECT_FALSE(CpIsUpper(0xDF));
  EXPECT_TRUE(CpIsUpper(0xC9));
  EXPECT_FALSE(CpIsAlpha(0xD7));
  EXPECT_FALSE(CpIsAlpha('1'));
  for (int b = 0; b < 256; ++b) {
    EXPECT_FALSE(CpIsUpper(Byte(b)) && CpIsLower(Byte(b)));
    if (CpIsUpper(Byte(b)) || CpIsLower(Byte(b))) {
      EXPECT_TRUE(CpIsAlpha(Byte(b)));
    }
    if (CpUpper(Byte(b)) != b) {
      EXPECT_EQ(CpLower(CpUpper(Byte(b))), b);
    }
  }
}

TEST(CodePage, WideTextWithoutABecomesTheFallback) {
  EXPECT_EQ(WideToAnsi(u"a\u0100b"), "a?b");
  EXPECT_EQ(WideToAnsi(u"a\u0100b", '#'), "a#b");
  // A surrogate pair is one character, so one fallback; a lone surrogate is one too.
  EXPECT_EQ(WideToAnsi(u"x\U0001F600y"), "x?y");
  EXPECT_EQ(WideToAnsi(WideString{u'x', char16_t(0xD800), u'y'}), "x?y");
  EXPECT_EQ(WideToAnsi(WideString{u'x', char16_t(0xDC00)}), "x?");
  EXPECT_EQ(AnsiToWide("\x80z"), u"\u20ACz");
}

TEST(CodePage, Utf8AtTheBoundaryDropsWhatHasNoByte) {
  EXPECT_EQ(Utf8ToAnsi("caf\xC3\xA9 \xE2\x82\xAC"), "caf\xE9 \x80");
  EXPECT_EQ(Utf8ToAnsi("a\xF0\x9F\x98\x80"
                       "b"),
            "ab");  // emoji: no byte
  EXPECT_EQ(Utf8ToAnsi("a\xD0\x96"
                       "b"),
            "ab");  // Cyrillic: no byte
  EXPECT_EQ(Utf8ToAnsi("a\xC3"
                       "b"),
            "ab");                          // broken sequence
  EXPECT_EQ(Utf8ToAnsi("a\xE2\x82"), "a");  // truncated at the end
  EXPECT_EQ(Utf8ToAnsi("a\x80\xBF"
                       "b"),
            "ab");  // stray continuations
  EXPECT_EQ(Utf8ToAnsi("a\xC0\xAF"
                       "b"),
            "ab");  // overlong '/'
  EXPECT_EQ(Utf8ToAnsi("a\xE0\x80\xAF"
                       "b"),
            "ab");  // overlong, three bytes
  EXPECT_EQ(Utf8ToAnsi("a\xED\xA0\x80"
                       "b"),
            "ab");  // encoded surrogate
  EXPECT_EQ(Utf8ToAnsi("a\xF4\x90\x80\x80"
                       "b"),
            "ab");  // beyond U+10FFFF
  EXPECT_EQ(Utf8ToAnsi(std::string("a\0b", 3)), std::string("a\0b", 3));
  EXPECT_EQ(AnsiToUtf8("\x80\x81\xFF"), "\xE2\x82\xAC\xC2\x81\xC3\xBF");
}
