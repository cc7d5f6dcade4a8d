#include <gtest/gtest.h>

#include "tools/rc/Manifest.h"

#include <fstream>

namespace {

// The error text of parsing `text` as manifest "m.rc"; empty when it parses.
std::string ErrorOf(const std::string& text) {
  try {
    ParseManifest(text, "m.rc");
  } catch (const ManifestError& e) {
    return e.what();
  }
  return "";
}

}  // namespace

TEST(Manifest, ReadsEachKindOfLine) {
  const auto e = ParseManifest(
      "# header\n\n"
      "CURSOR 2100 cursors/x.png hotspot=1,2\n"
      "  BITMAP cx_Full bitmaps/x.png   # trailing\n"
      "STRING 65323 \"Line # not a comment\"\n"
      "RCDATA TMAINFORM forms/main.tdf\n",
      "m.rc");
  ASSERT_EQ(e.size(), 4u);
  EXPECT_EQ(e[0].type, 1);
  EXPECT_EQ(e[0].id, 2100);
  EXPECT_EQ(e[0].source, "cursors/x.png");
  EXPECT_EQ(e[0].hotX, 1);
  EXPECT_EQ(e[0].hotY, 2);
  EXPECT_EQ(e[0].line, 3);
  EXPECT_EQ(e[1].type, 2);
  EXPECT_EQ(e[1].name, "cx_Full");
  EXPECT_EQ(e[2].type, 6);
  EXPECT_EQ(e[2].text, "Line # not a comment");
  EXPECT_EQ(e[3].type, 10);
  EXPECT_EQ(e[3].line, 6);
}

TEST(Manifest, StringEscapesGiveTheirBytes) {
  const auto e = ParseManifest(R"(STRING 1 "a\tb\n\\\"\x80\xe9z\101\0\377")", "m.rc");
  ASSERT_EQ(e.size(), 1u);
  const std::string expected{'a',        '\t',       'b', '\n', '\\', '"',
                             char(0x80), char(0xE9), 'z', 'A',  '\0', char(0xFF)};
  EXPECT_EQ(e[0].text, expected);
}

TEST(Manifest, FaultsNameFileAndLine) {
  EXPECT_EQ(ErrorOf("\nICON 1 x.png"),
            "m.rc:2: unknown resource type \"ICON\" (CURSOR, BITMAP, STRING or RCDATA)");
  EXPECT_EQ(ErrorOf("BITMAP"), "m.rc:1: missing resource name");
  EXPECT_EQ(ErrorOf("BITMAP 0 x.png"), "m.rc:1: resource id \"0\" is not a number from 1 to 65535");
  EXPECT_EQ(ErrorOf("BITMAP 65536 x.png"),
            "m.rc:1: resource id \"65536\" is not a number from 1 to 65535");
  EXPECT_EQ(ErrorOf("BITMAP 12ab x.png"),
            "m.rc:1: resource id \"12ab\" is not a number from 1 to 65535");
  EXPECT_EQ(ErrorOf("BITMAP a-b x.png"), "m.rc:1: bad resource name \"a-b\"");
  EXPECT_EQ(ErrorOf("BITMAP A"), "m.rc:1: missing file name");
  EXPECT_EQ(ErrorOf("BITMAP A x.png extra"),
            "m.rc:1: unexpected text \"extra\" after the resource");
  EXPECT_EQ(ErrorOf("CURSOR 1 x.png"), "m.rc:1: a cursor needs hotspot=x,y");
  EXPECT_EQ(ErrorOf("CURSOR 1 x.png hotspot=1"),
            "m.rc:1: bad hot spot \"hotspot=1\" (expected hotspot=x,y)");
  EXPECT_EQ(ErrorOf("CURSOR 1 x.png hotspot=-1,2"),
            "m.rc:1: bad hot spot \"hotspot=-1,2\" (expected hotspot=x,y)");
  EXPECT_EQ(ErrorOf("STRING NAME \"x\""), "m.rc:1: string resources are numbered, not named");
  EXPECT_EQ(ErrorOf("STRING 1 Line"), "m.rc:1: expected a quoted string");
  EXPECT_EQ(ErrorOf("STRING 1 \"Line"), "m.rc:1: unterminated string");
  EXPECT_EQ(ErrorOf("STRING 1 \"a\\"), "m.rc:1: unterminated string");
  EXPECT_EQ(ErrorOf("STRING 1 \"\\q\""), "m.rc:1: unknown escape \\q");
  EXPECT_EQ(ErrorOf("STRING 1 \"\\xg\""), "m.rc:1: \\x needs hexadecimal digits");
  EXPECT_EQ(ErrorOf("STRING 1 \"\\400\""), "m.rc:1: octal escape above \\377");
  EXPECT_EQ(ErrorOf("STRING 1 \"a\" b"), "m.rc:1: unexpected text \"b\" after the resource");
  EXPECT_EQ(ErrorOf("RCDATA A /etc/passwd"),
            "m.rc:1: file \"/etc/passwd\" must be a relative path without \"..\"");
  EXPECT_EQ(ErrorOf("RCDATA A forms/../../x"),
            "m.rc:1: file \"forms/../../x\" must be a relative path without \"..\"");
}

TEST(Manifest, DuplicatesAreRefusedPerTypeIgnoringCase) {
  EXPECT_EQ(ErrorOf("BITMAP Name a.png\n\nBITMAP NAME b.png"),
            "m.rc:3: duplicate resource BITMAP NAME (first on line 1)");
  EXPECT_EQ(ErrorOf("STRING 5 \"a\"\nSTRING 5 \"b\""),
            "m.rc:2: duplicate resource STRING 5 (first on line 1)");
  // The same name under two types, and an id next to a name, are distinct resources.
  EXPECT_EQ(ErrorOf("BITMAP A a.png\nRCDATA A b.bin\nBITMAP 5 c.png\nSTRING 5 \"x\""), "");
}

TEST(Manifest, SourcesAreCheckedAgainstTheFiles) {
  const std::string data = TL_RC_TEST_DATA;
  auto resolveError = [&](const std::string& line) -> std::string {
    try {
      ResolveSources(ParseManifest(line, "m.rc"), data,
                     {{"forms/sample.tdf", data + "/sample.bin"}}, "m.rc");
    } catch (const ManifestError& e) {
      return e.what();
    }
    return "";
  };
  EXPECT_EQ(resolveError("CURSOR 1 cursors/arrow.png hotspot=3,2"), "");
  EXPECT_EQ(resolveError("CURSOR 1 cursors/arrow.png hotspot=4,0"),
            "m.rc:1: hot spot outside the 4x3 cursor");
  EXPECT_EQ(resolveError("CURSOR 1 cursors/arrow.png hotspot=0,3"),
            "m.rc:1: hot spot outside the 4x3 cursor");
  EXPECT_EQ(resolveError("BITMAP 1 raw/bytes.bin"), "m.rc:1: \"raw/bytes.bin\" is not a PNG file");
  EXPECT_EQ(resolveError("RCDATA 1 missing.bin"),
            "m.rc:1: cannot read \"" + data + "/missing.bin\"");
  const auto paths = ResolveSources(
      ParseManifest("STRING 1 \"x\"\nRCDATA F forms/sample.tdf\nRCDATA G forms/sample.tdf", "m.rc"),
      data, {{"forms/sample.tdf", data + "/sample.bin"}}, "m.rc");
  ASSERT_EQ(paths.size(), 3u);
  EXPECT_EQ(paths[0], "");
  EXPECT_EQ(paths[1], data + "/sample.bin");  // mapped to the converted file
}

TEST(Manifest, GeneratedAssemblyMarksTheStackNonExecutable) {
  const auto entries = ParseManifest("RCDATA A a.bin\nSTRING 3 \"s\"", "m.rc");
  const std::string s = GenerateAssembly(entries, {"/p/a \"q\".bin", ""}, "lib_x");
  EXPECT_NE(s.find(".incbin \"/p/a \\\"q\\\".bin\""), std::string::npos) << s;
  EXPECT_NE(s.find(".section .note.GNU-stack,\"\",@progbits"), std::string::npos);
  EXPECT_NE(s.find(".section .rodata"), std::string::npos);
  EXPECT_NE(s.find(".balign"), std::string::npos);
  // Strings live in the C++ side only.
  EXPECT_EQ(s.find("tl_rc_lib_x_1"), std::string::npos);
  const std::string cpp = GenerateRegistration(entries, "lib_x");
  EXPECT_NE(cpp.find("void TlRegisterResources_lib_x() {"), std::string::npos);
  EXPECT_FALSE(IsIdentifier("lib-x"));
  EXPECT_FALSE(IsIdentifier("1lib"));
  EXPECT_TRUE(IsIdentifier("widgets_foundation"));
}
