#include <gtest/gtest.h>

#include "tests/classlib/ErrorText.h"

#include "classlib/core/SysUtils.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>

TEST(SysUtilsStrings, CopyClampsIndexAndCount) {
  EXPECT_EQ(Copy("hello", 2, 3), "ell");
  EXPECT_EQ(Copy("hello", -5, 3), "hel");
  EXPECT_EQ(Copy("hello", 2, -1), "");
  EXPECT_EQ(Copy("hello", 1, std::numeric_limits<int>::max()), "hello");
  EXPECT_EQ(Copy("hello", std::numeric_limits<int>::max(), 5), "");
}

TEST(SysUtilsStrings, DeleteIgnoresOutOfRangeAndInsertClamps) {
  String s = "hello";
  Delete(s, 2, 2);
  EXPECT_EQ(s, "hlo");
  s = "hello";
  Delete(s, 0, 2);
  EXPECT_EQ(s, "hello");
  Delete(s, 5, std::numeric_limits<int>::max());
  EXPECT_EQ(s, "hell");

  String t = "abc";
  Insert("XX", t, 2);
  EXPECT_EQ(t, "aXXbc");
  Insert(">", t, 100);
  EXPECT_EQ(t, "aXXbc>");
  EXPECT_EQ(StringOfChar('*', -2), "");
}

TEST(SysUtilsStrings, TrimRemovesEveryControlAndBlank) {
  EXPECT_EQ(Trim("  a b \t\r\n"), "a b");
  EXPECT_EQ(Trim("\x01x\x1F"), "x");
  EXPECT_EQ(TrimRight("  a  "), "  a");
  EXPECT_EQ(Trim("\xA0x\xA0"), "\xA0x\xA0");   // a no-break space is a character
}

TEST(SysUtilsStrings, CaseMappingAsciiVersusCodePage) {
  EXPECT_EQ(UpperCase("abc\xE9z"), "ABC\xE9Z");
  EXPECT_EQ(LowerCase("ABC\xC9Z"), "abc\xC9z");
  // š œ ÿ é → Š Œ Ÿ É; ß and µ have no capital.
  EXPECT_EQ(AnsiUpperCase("\x9A\x9C\xFF\xE9\xDF\xB5"), "\x8A\x8C\x9F\xC9\xDF\xB5");
  EXPECT_EQ(AnsiLowerCase("\x8A\x8C\x9F\xC9"), "\x9A\x9C\xFF\xE9");
}

TEST(SysUtilsStrings, LocaleOrderPutsAccentsWithTheirLetter) {
  EXPECT_LT(AnsiCompareText("\xE9t\xE9", "F"), 0);   // été sorts among the e's
  EXPECT_GT(CompareStr("\xE9t\xE9", "F"), 0);
  EXPECT_LT(AnsiCompareText("e", "\xE9"), 0);        // the plain letter first
  EXPECT_LT(AnsiCompareStr("a", "A"), 0);            // lower case first
  EXPECT_LT(AnsiCompareStr("A", "b"), 0);            // but letters before case
  EXPECT_TRUE(AnsiSameText("\xC9" "COLE", "\xE9" "cole"));
}

TEST(SysUtilsStrings, StringReplaceFlags) {
  using F = TReplaceFlag;
  EXPECT_EQ(StringReplace("aXbXc", "X", "-"), "a-bXc");
  EXPECT_EQ(StringReplace("aXbXc", "X", "-", {F::rfReplaceAll}), "a-b-c");
  EXPECT_EQ(StringReplace("aXbxc", "x", "-", {F::rfReplaceAll, F::rfIgnoreCase}), "a-b-c");
  EXPECT_EQ(StringReplace("abc", "", "-", {F::rfReplaceAll}), "abc");
  EXPECT_EQ(StringReplace("aa", "a", "aa", {F::rfReplaceAll}), "aaaa");   // no re-scan of output
  EXPECT_EQ(StringReplace("\xE9t\xE9", "\xC9", "e", {F::rfReplaceAll, F::rfIgnoreCase}), "ete");
}

TEST(SysUtilsStrings, QuotingRoundTrips) {
  EXPECT_EQ(QuotedStr("it's"), "'it''s'");
  EXPECT_EQ(AnsiDequotedStr("'it''s' tail", '\''), "it's");
  EXPECT_EQ(AnsiDequotedStr("'abc", '\''), "abc");
  EXPECT_EQ(AnsiDequotedStr("'", '\''), "");
  for (const char* s : {"", "a", "''", "a'b''c'"})
    EXPECT_EQ(AnsiDequotedStr(QuotedStr(s), '\''), s);
}

TEST(SysUtilsIntegers, StrToIntAcceptsTheClassLibrarySyntax) {
  EXPECT_EQ(StrToInt("  -42"), -42);
  EXPECT_EQ(StrToInt("+7"), 7);
  EXPECT_EQ(StrToInt("0x1f"), 31);
  EXPECT_EQ(StrToInt("-$10"), -16);
  EXPECT_EQ(StrToInt("$FFFFFFFF"), -1);   // a hexadecimal text is the value's bits
  EXPECT_EQ(StrToInt("-2147483648"), std::numeric_limits<Integer>::min());
  EXPECT_EQ(StrToInt64("-9223372036854775808"), std::numeric_limits<Int64>::min());
}

TEST(SysUtilsIntegers, StrToIntRefusesOverflowAndStrayCharacters) {
  for (const char* bad : {"2147483648", "-2147483649", "12 ", "", "-", "$", "0x", "1.0", "$1FFFFFFFF", "--1",
                          "-$80000000"})
    EXPECT_THROW(StrToInt(bad), EConvertError) << bad;
  for (const char* bad : {"9223372036854775808", "-9223372036854775809", "$1FFFFFFFFFFFFFFFF"})
    EXPECT_THROW(StrToInt64(bad), EConvertError) << bad;
  EXPECT_EQ(MessageOf<EConvertError>([] { StrToInt("abc"); }), "'abc' is not a valid integer value");
  EXPECT_EQ(StrToIntDef("2147483648", -1), -1);
  Integer v = 77;
  EXPECT_FALSE(TryStrToInt("1x", v));
  EXPECT_EQ(v, 77);   // untouched on failure
}

TEST(SysUtilsFiles, NamesSplitWithoutTranscoding) {
  EXPECT_EQ(ExtractFilePath("/home/u/x.ini"), "/home/u/");
  EXPECT_EQ(ExtractFileDir("/home/u/x.ini"), "/home/u");
  EXPECT_EQ(ExtractFileDir("/x.ini"), "/");
  EXPECT_EQ(ExtractFileName("C:\\games\\t.exe"), "t.exe");
  EXPECT_EQ(ExtractFileExt("x.tar.gz"), ".gz");
  EXPECT_EQ(ExtractFileExt("a/b.c/d"), "");
  EXPECT_EQ(ChangeFileExt("a.b/c", ".x"), "a.b/c.x");
  EXPECT_EQ(IncludeTrailingPathDelimiter("a/"), "a/");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("/"), "/");
  // A folder named in Cyrillic (UTF-8 bytes) stays byte for byte.
  const String cyr = "/home/\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD/";
  EXPECT_EQ(ExtractFilePath(cyr + "highscores.ini"), cyr);
  EXPECT_EQ(ExtractFileName(cyr + "\xD1\x84.ini"), "\xD1\x84.ini");
}

TEST(SysUtilsFiles, FileExistsOnlyForRegularFiles) {
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / ("sysutils_test_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  fs::path file = dir / "present.ini";
  std::ofstream(file) << "x";
  EXPECT_TRUE(FileExists(file.string()));
  EXPECT_FALSE(FileExists(dir.string()));
  EXPECT_TRUE(DirectoryExists(dir.string()));
  EXPECT_FALSE(FileExists(file.string() + String(1, '\0') + "x"));
  fs::remove_all(dir);
}
