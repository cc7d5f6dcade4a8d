#include <gtest/gtest.h>

#include "platform/kernel/CodePage.h"

#include <clocale>
#include <cwctype>
#include <locale.h>
#include <string>
#include <utility>

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
  // š → Š, œ → Œ, ÿ → Ÿ; ß and µ keep their case, ÷ is no letter.
  for (auto [b, up] : {std::pair{0x9A, 0x8A}, {0x9C, 0x8C}, {0xFF, 0x9F}, {0xDF, 0xDF}, {0xB5, 0xB5}, {0xF7, 0xF7}})
    EXPECT_EQ(CpUpper(Byte(b)), up) << b;
  EXPECT_TRUE(CpIsLower(0xDF) && !CpIsUpper(0xDF) && CpIsUpper(0xC9));
}

TEST(CodePage, WideTextWithoutABecomesTheFallback) {
  EXPECT_EQ(WideToAnsi(u"a\u0100b"), "a?b");
  EXPECT_EQ(WideToAnsi(u"a\u0100b", '#'), "a#b");
  // A surrogate pair is one character, so one fallback; a lone surrogate is one too.
  EXPECT_EQ(WideToAnsi(u"x\U0001F600y"), "x?y");
  EXPECT_EQ(WideToAnsi(WideString{u'x', char16_t(0xD800), u'y'}), "x?y");
  EXPECT_EQ(WideToAnsi(WideString{u'x', char16_t(0xDC00)}), "x?");
}

TEST(CodePage, Utf8AtTheBoundaryDropsWhatHasNoByte) {
  EXPECT_EQ(Utf8ToAnsi("caf\xC3\xA9 \xE2\x82\xAC"), "caf\xE9 \x80");
  // Between a and b: an emoji and a Cyrillic letter (no byte), a broken sequence, stray
  // continuations, an overlong '/' in two and three bytes, an encoded surrogate, and a
  // character beyond U+10FFFF.
  for (const char* middle : {"\xF0\x9F\x98\x80", "\xD0\x96", "\xC3", "\x80\xBF", "\xC0\xAF", "\xE0\x80\xAF",
                             "\xED\xA0\x80", "\xF4\x90\x80\x80"})
    EXPECT_EQ(Utf8ToAnsi(std::string("a") + middle + "b"), "ab") << middle;
  EXPECT_EQ(Utf8ToAnsi("a\xE2\x82"), "a");  // truncated at the end
  EXPECT_EQ(AnsiToUtf8("\x80\x81\xFF"), "\xE2\x82\xAC\xC2\x81\xC3\xBF");
}
