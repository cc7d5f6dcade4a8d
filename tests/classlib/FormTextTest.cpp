#include <gtest/gtest.h>

#include "classlib/core/FormText.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <tuple>
#include <unistd.h>

namespace {
String Convert(const String& text, const TFormTextOptions& opt = {}) {
  Owned<TMemoryStream> m(New<TMemoryStream>());
  ObjectTextToBinary(text, *m, opt);
  return String(reinterpret_cast<const char*>(m->Memory()), size_t(m->GetSize()));
}

// The binary form of "object A: TX <body> end" with the given property bytes.
String Wrap(const String& props) { return String("TPF0\x02TX\x01" "A", 9) + props + String("\0\0", 2); }

// Bytes of a literal, embedded NULs included.
template <size_t N>
String B(const char (&s)[N]) {
  return String(s, N - 1);
}

struct ParseFailure {
  std::string Message;
  Integer Line = 0, Column = 0;
};
ParseFailure Fail(const String& text, const TFormTextOptions& opt = {}) {
  try {
    Convert(text, opt);
  } catch (const EParserError& e) {
    return {e.Message(), e.Line(), e.Column()};
  }
  ADD_FAILURE() << "accepted: " << text;
  return {};
}
}  // namespace

TEST(FormText, ScalarValuesTakeTheirBinaryShapes) {
  EXPECT_EQ(Convert("object A: TX\n  N = 5\nend"), Wrap(B("\x01N\x02\x05")));
  EXPECT_EQ(Convert("object A: TX N = 100000 end"), Wrap(B("\x01N\x04\xA0\x86\x01\x00")));
  // Eight hex digits are a 32-bit pattern, so system colours stay negative.
  EXPECT_EQ(Convert("object A: TX N = $80000005 end"), Wrap(B("\x01N\x04\x05\x00\x00\x80")));
  EXPECT_EQ(Convert("object A: TX N = True M = false K = nil end"),
            Wrap(B("\x01N\x09\x01M\x08\x01K\x0D")));
  EXPECT_EQ(Convert("object A: TX N = alTop end"), Wrap(B("\x01N\x07\x05" "alTop")));
  EXPECT_EQ(Convert("object A: TX F = 1.0 end"), Wrap(B("\x01" "F\x05\0\0\0\0\0\0\0\x80\xFF\x3F")));
  EXPECT_EQ(Convert("object A: TX F = 1.5c end"), Wrap(B("\x01" "F\x10\x98\x3A\0\0\0\0\0\0")));
  EXPECT_EQ(Convert("object A: TX F = 2.0s end"), Wrap(B("\x01" "F\x0F\0\0\0\x40")));
}

TEST(FormText, StringsConcatenateQuotedPiecesAndCodes) {
  EXPECT_EQ(Convert("object A: TX S = 'It''s'#13#10'ok' +\n   #$41'' end"),
            Wrap(B("\x01S\x06\x09It's\r\nokA")));
  // UTF-8 text becomes 1252 bytes where it can.
  EXPECT_EQ(Convert("object A: TX S = 'caf\xC3\xA9 \xE2\x82\xAC' end"), Wrap(B("\x01S\x06\x06" "caf\xE9 \x80")));
  // A character without a 1252 byte makes the string wide.
  EXPECT_EQ(Convert("object A: TX S = 'a\xE2\x98\x83' end"), Wrap(B("\x01S\x12\x02\0\0\0a\0\x03\x26")));
  String longText = "object A: TX S = '" + String(256, 'q') + "' end";
  EXPECT_EQ(Convert(longText), Wrap(B("\x01S\x0C\x00\x01\x00\x00") + String(256, 'q')));
}

TEST(FormText, SetsListsCollectionsAndBinary) {
  EXPECT_EQ(Convert("object A: TX S = [a, b] E = [] end"),
            Wrap(B("\x01S\x0B\x01" "a\x01" "b\x00\x01" "E\x0B\x00")));
  EXPECT_EQ(Convert("object A: TX L = ('x' 1 (2)) end"),
            Wrap(B("\x01L\x01\x06\x01x\x02\x01\x01\x02\x02\x00\x00")));
  EXPECT_EQ(Convert("object A: TX C = <item W = 1 end item [3] end> end"),
            Wrap(B("\x01" "C\x0E\x01\x01W\x02\x01\x00\x02\x03\x01\x00\x00")));
  EXPECT_EQ(Convert("object A: TX D = {0aFF 10} end"), Wrap(B("\x01" "D\x0A\x03\0\0\0\x0A\xFF\x10")));
}

TEST(FormText, HeadersCarryInheritedInlineAndChildPosition) {
  EXPECT_EQ(Convert("inherited A: TX end"), B("TPF0\xF1\x02TX\x01" "A\0\0"));
  EXPECT_EQ(Convert("object TX\n  inline B: TY [2]\n  end\nend"),
            B("TPF0\x02TX\x00\x00\xF6\x02\x02\x02TY\x01" "B\0\0\0"));
}

TEST(FormText, MalformedDescriptionsReportLineAndColumn) {
  ParseFailure f = Fail("object A: TX\n  Caption = 'open\nend");
  EXPECT_EQ(f.Line, 2);
  EXPECT_EQ(f.Column, 13);
  EXPECT_NE(f.Message.find("description:2:13: unterminated string"), std::string::npos) << f.Message;

  f = Fail("object A: TX\n  Width 10\nend");
  EXPECT_EQ(f.Line, 2);
  EXPECT_EQ(f.Column, 9);
  EXPECT_NE(f.Message.find("'=' expected"), std::string::npos) << f.Message;

  TFormTextOptions named;
  named.SourceName = "forms/main.tdf";
  f = Fail("object A: TX\n  Width = 10\n", named);
  EXPECT_NE(f.Message.find("forms/main.tdf:3:1: 'end' expected but the description ended"), std::string::npos)
      << f.Message;

  EXPECT_NE(Fail("object A: TX end end").Message.find("after the end"), std::string::npos);
  EXPECT_NE(Fail("object A: TX D = {123} end").Message.find("odd number"), std::string::npos);
  EXPECT_NE(Fail("object A: TX N = 99999999999999999999 end").Message.find("out of range"), std::string::npos);
  EXPECT_NE(Fail("object A: TX N = 12abc end").Message.find("invalid number"), std::string::npos);
  EXPECT_NE(Fail("object A: TX N = 'bad \xC3(' end").Message.find("invalid UTF-8"), std::string::npos);
  EXPECT_NE(Fail(String("object A: TX N = 1\0 end", 23)).Message.find("unexpected character #0"), std::string::npos);
  // Names longer than a stored name can be: reported where the name starts.
  for (const auto& [text, line, col] : {std::tuple(String("object A: TX ") + String(300, 'P') + " = 1 end", 1, 14),
                                        std::tuple("object\n  " + String(256, 'n') + ": TX end", 2, 3),
                                        std::tuple("object A: " + String(256, 'T') + " end", 1, 11),
                                        std::tuple("object A: TX\n P = [a, " + String(256, 's') + "] end", 2, 10)}) {
    f = Fail(text);
    EXPECT_EQ(std::tuple(f.Line, f.Column), std::tuple(line, col)) << f.Message;
    EXPECT_NE(f.Message.find("name longer than 255 characters"), std::string::npos) << f.Message;
  }
}

TEST(FormText, DeepNestingIsAnErrorNotAStackOverflow) {
  ParseFailure f = Fail("object A: TX L = " + String(100000, '(') + " end");
  EXPECT_NE(f.Message.find("nesting too deep"), std::string::npos);
  String objects;
  for (int i = 0; i < 1000; ++i) objects += "object TX ";
  EXPECT_NE(Fail(objects).Message.find("nesting too deep"), std::string::npos);
}

TEST(FormText, IncludesReadFilesBesideTheDescriptionOnlyWhenAllowed) {
  char dir[] = "/tmp/tl_formtextXXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  String path = String(dir) + "/blob.bin";
  {
    std::ofstream f(path, std::ios::binary);
    f << String("\x01\x00\x02", 3);
  }
  TFormTextOptions opt;
  opt.IncludeDir = dir;
  opt.AllowIncludes = true;
  EXPECT_EQ(Convert("object A: TX D = {include 'blob.bin'} end", opt), Wrap(B("\x01" "D\x0A\x03\0\0\0\x01\x00\x02")));
  EXPECT_NE(Fail("object A: TX D = {include 'nope.bin'} end", opt).Message.find("cannot include 'nope.bin'"),
            std::string::npos);
  EXPECT_NE(Fail("object A: TX D = {include 'blob.bin'} end").Message.find("not allowed"), std::string::npos);
  std::remove(path.c_str());
  rmdir(dir);
}
