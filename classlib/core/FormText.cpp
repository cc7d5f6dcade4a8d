#include "classlib/core/FormText.h"

#include "classlib/core/Filer.h"
#include "classlib/core/ScopeGuards.h"
#include "platform/kernel/CodePage.h"

#include <bit>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

using enum TValueType;

EParserError::EParserError(const String& Source, Integer Line, Integer Column, const String& Msg)
    : Exception(Source + ":" + std::to_string(Line) + ":" + std::to_string(Column) + ": " + Msg),
      FLine(Line),
      FColumn(Column) {}

namespace {

enum class Tok { End, Ident, Integer, Float, String, Binary, Symbol };

struct Token {
  Tok Kind = Tok::End;
  String Text;          // identifier, number text, symbol, or the raw text between braces
  Char Suffix = 0;      // float suffix: 's', 'c', 'd' or 0
  String Bytes;         // string value as 1252 bytes
  WideString Wide;      // string value as UTF-16
  bool IsWide = false;  // the string needs the wide form
  Integer Line = 1, Column = 1;
};

bool IsIdentStart(unsigned char c) { return std::isalpha(c) || c == '_'; }
bool IsIdentChar(unsigned char c) { return std::isalnum(c) || c == '_'; }

class Converter {
 public:
  Converter(const String& text, TStream& out, const TFormTextOptions& opt)
      : FText(text), FOpt(opt), FWriter(New<TWriter>(out)) {}

  void Run() {
    FWriter->WriteSignature();
    Next();
    ConvertObject();
    if (FTok.Kind != Tok::End) Fail("unexpected text after the end of the description");
  }

 private:
  static constexpr int kMaxDepth = 200;

  [[noreturn]] void Fail(const String& msg) const { throw EParserError(FOpt.SourceName, FTok.Line, FTok.Column, msg); }
  [[noreturn]] void FailAt(Integer line, Integer col, const String& msg) const {
    throw EParserError(FOpt.SourceName, line, col, msg);
  }

  // ---- Lexer ----

  unsigned char Peek(size_t ahead = 0) const {
    return FPos + ahead < FText.size() ? static_cast<unsigned char>(FText[FPos + ahead]) : 0;
  }
  bool AtEnd() const { return FPos >= FText.size(); }
  void Advance() {
    if (FText[FPos] == '\n') {
      ++FLine;
      FCol = 1;
    } else if ((static_cast<unsigned char>(FText[FPos]) & 0xC0) != 0x80) {
      ++FCol;  // columns count characters, not UTF-8 continuation bytes
    }
    ++FPos;
  }

  void SkipBlanks() {
    while (!AtEnd() && Peek() <= ' ' && Peek() != 0) Advance();
  }

  void Next() {
    SkipBlanks();
    FTok = Token();
    FTok.Line = FLine;
    FTok.Column = FCol;
    if (AtEnd()) return;
    unsigned char c = Peek();
    if (IsIdentStart(c)) {
      FTok.Kind = Tok::Ident;
      while (!AtEnd() && IsIdentChar(Peek())) {
        FTok.Text += Char(Peek());
        Advance();
      }
    } else if (std::isdigit(c) || c == '$') {
      LexNumber();
    } else if (c == '\'' || c == '#') {
      LexString();
    } else if (c == '{') {
      LexBinary();
    } else if (String("=:[](),<>.+-").find(Char(c)) != String::npos) {
      FTok.Kind = Tok::Symbol;
      FTok.Text = String(1, Char(c));
      Advance();
    } else {
      Fail("unexpected character " + DescribeChar(c));
    }
  }

  static String DescribeChar(unsigned char c) {
    if (c >= 0x21 && c < 0x7F) return String("'") + Char(c) + "'";
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%u", unsigned(c));
    return buf;
  }

  void LexNumber() {
    FTok.Kind = Tok::Integer;
    if (Peek() == '$') {
      FTok.Text = "$";
      Advance();
      while (!AtEnd() && std::isxdigit(Peek())) {
        FTok.Text += Char(Peek());
        Advance();
      }
      if (FTok.Text.size() == 1) Fail("hexadecimal digits expected after '$'");
      return;
    }
    while (!AtEnd() && std::isdigit(Peek())) {
      FTok.Text += Char(Peek());
      Advance();
    }
    if (Peek() == '.' && std::isdigit(Peek(1))) {
      FTok.Kind = Tok::Float;
      FTok.Text += '.';
      Advance();
      while (!AtEnd() && std::isdigit(Peek())) {
        FTok.Text += Char(Peek());
        Advance();
      }
    }
    if ((Peek() == 'e' || Peek() == 'E') &&
        (std::isdigit(Peek(1)) || ((Peek(1) == '+' || Peek(1) == '-') && std::isdigit(Peek(2))))) {
      FTok.Kind = Tok::Float;
      FTok.Text += 'e';
      Advance();
      if (Peek() == '+' || Peek() == '-') {
        FTok.Text += Char(Peek());
        Advance();
      }
      while (!AtEnd() && std::isdigit(Peek())) {
        FTok.Text += Char(Peek());
        Advance();
      }
    }
    unsigned char s = Peek();
    if ((s == 's' || s == 'S' || s == 'c' || s == 'C' || s == 'd' || s == 'D') && !IsIdentChar(Peek(1))) {
      FTok.Kind = Tok::Float;
      FTok.Suffix = Char(std::tolower(s));
      Advance();
    }
    if (!AtEnd() && IsIdentChar(Peek())) Fail("invalid number");
  }

  void AppendCodePoint(char32_t cp) {
    int b = CpFromUnicode(cp);
    if (b >= 0) {
      FTok.Bytes += Char(b);
      FTok.Wide += CpToUnicode(Byte(b));
    } else {
      FTok.IsWide = true;
      if (cp >= 0x10000) {
        cp -= 0x10000;
        FTok.Wide += char16_t(0xD800 + (cp >> 10));
        FTok.Wide += char16_t(0xDC00 + (cp & 0x3FF));
      } else {
        FTok.Wide += char16_t(cp);
      }
    }
  }

  // One UTF-8 character from the text.
  char32_t ReadUtf8() {
    Integer line = FLine, col = FCol;
    unsigned char c = Peek();
    int extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
    if (extra < 0) FailAt(line, col, "invalid UTF-8 in string");
    char32_t cp = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
    Advance();
    for (int i = 0; i < extra; ++i) {
      unsigned char d = Peek();
      if (AtEnd() || (d & 0xC0) != 0x80) FailAt(line, col, "invalid UTF-8 in string");
      cp = (cp << 6) | (d & 0x3F);
      Advance();
    }
    static const char32_t kMin[4] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) FailAt(line, col, "invalid UTF-8 in string");
    return cp;
  }

  void LexString() {
    FTok.Kind = Tok::String;
    for (;;) {
      if (Peek() == '\'') {
        Integer line = FLine, col = FCol;
        Advance();
        for (;;) {
          if (AtEnd() || Peek() == '\n' || Peek() == '\r') FailAt(line, col, "unterminated string");
          if (Peek() == '\'') {
            if (Peek(1) == '\'') {
              AppendCodePoint('\'');
              Advance();
              Advance();
              continue;
            }
            Advance();
            break;
          }
          AppendCodePoint(ReadUtf8());
        }
      } else if (Peek() == '#') {
        Integer line = FLine, col = FCol;
        Advance();
        uint32_t code = 0;
        bool hex = Peek() == '$';
        if (hex) Advance();
        int digits = 0;
        while (!AtEnd() && (hex ? std::isxdigit(Peek()) : std::isdigit(Peek()))) {
          unsigned char d = Peek();
          code = code * (hex ? 16 : 10) + uint32_t(std::isdigit(d) ? d - '0' : std::tolower(d) - 'a' + 10);
          if (code > 0xFFFF) FailAt(line, col, "character code out of range");
          ++digits;
          Advance();
        }
        if (digits == 0) FailAt(line, col, "character code expected after '#'");
        if (code <= 0xFF) {
          FTok.Bytes += Char(code);
          FTok.Wide += CpToUnicode(Byte(code));
        } else {
          FTok.IsWide = true;
          FTok.Wide += char16_t(code);
        }
      } else {
        break;
      }
    }
  }

  void LexBinary() {
    Integer line = FLine, col = FCol;
    Advance();  // '{'
    FTok.Kind = Tok::Binary;
    for (;;) {
      if (AtEnd()) FailAt(line, col, "unterminated binary data");
      if (Peek() == '}') {
        Advance();
        return;
      }
      FTok.Text += Char(Peek());
      Advance();
    }
  }

  // ---- Parser ----

  bool IsSymbol(const char* s) const { return FTok.Kind == Tok::Symbol && FTok.Text == s; }
  bool IsKeyword(const char* s) const { return FTok.Kind == Tok::Ident && tl_detail::SameIdent(FTok.Text, s); }
  void Expect(const char* sym) {
    if (!IsSymbol(sym)) Fail(String("'") + sym + "' expected" + Found());
    Next();
  }
  String Found() const {
    switch (FTok.Kind) {
      case Tok::End:
        return " but the description ended";
      case Tok::String:
        return " but found a string";
      case Tok::Binary:
        return " but found binary data";
      default:
        return " but found '" + FTok.Text + "'";
    }
  }
  String ExpectIdent(const char* what) {
    if (FTok.Kind != Tok::Ident) Fail(String(what) + " expected" + Found());
    String s = FTok.Text;
    Next();
    return s;
  }
  // Names are stored with a one-byte length; a longer one is reported where it starts.
  void CheckLength(const String& s, Integer line, Integer col) {
    if (s.size() > 255) FailAt(line, col, "name longer than 255 characters");
  }

  // One level deeper for the scope; refused past kMaxDepth.
  struct Depth {
    explicit Depth(Converter& c) : Level(c.FDepth, c.FDepth + 1) {
      if (c.FDepth > kMaxDepth) c.Fail("nesting too deep");
    }
    TScopedValue<int> Level;
  };

  void ConvertObject() {
    Depth depth(*this);
    Byte flags = 0;
    if (IsKeyword("inherited"))
      flags |= ffInherited;
    else if (IsKeyword("inline"))
      flags |= ffInline;
    else if (!IsKeyword("object"))
      Fail("'object' expected" + Found());
    Next();
    Integer line = FTok.Line, col = FTok.Column;
    String name, cls = ExpectIdent("component name or class name");
    if (IsSymbol(":")) {
      Next();
      name = cls;
      CheckLength(name, line, col);
      line = FTok.Line, col = FTok.Column;
      cls = ExpectIdent("class name");
    }
    CheckLength(cls, line, col);
    bool hasPos = false;
    Int64 childPos = 0;
    if (IsSymbol("[")) {
      Next();
      if (FTok.Kind != Tok::Integer) Fail("child position expected" + Found());
      childPos = ParseInteger(false);
      hasPos = true;
      Next();
      Expect("]");
      flags |= ffChildPos;
    }
    if (flags) {
      Byte prefix = Byte(0xF0 | flags);
      FWriter->Stream().WriteBuffer(&prefix, 1);
      if (hasPos) FWriter->WriteInteger(childPos);
    }
    FWriter->WriteStr(cls);
    FWriter->WriteStr(name);
    while (!IsKeyword("end") && !IsKeyword("object") && !IsKeyword("inherited") && !IsKeyword("inline")) {
      if (FTok.Kind == Tok::End) Fail("'end' expected" + Found());
      ConvertProperty();
    }
    FWriter->WriteListEnd();
    while (!IsKeyword("end")) {
      if (FTok.Kind == Tok::End) Fail("'end' expected" + Found());
      ConvertObject();
    }
    FWriter->WriteListEnd();
    Next();  // end
  }

  void ConvertProperty() {
    const Integer line = FTok.Line, col = FTok.Column;
    String name = ExpectIdent("property name");
    while (IsSymbol(".")) {
      Next();
      name += "." + ExpectIdent("property name after '.'");
    }
    CheckLength(name, line, col);
    FWriter->WriteStr(name);
    Expect("=");
    ConvertValue();
  }

  Int64 ParseInteger(bool negative) {
    const String& t = FTok.Text;
    uint64_t v = 0;
    auto r = t[0] == '$' ? std::from_chars(t.data() + 1, t.data() + t.size(), v, 16)
                         : std::from_chars(t.data(), t.data() + t.size(), v, 10);
    if (r.ec != std::errc() || r.ptr != t.data() + t.size()) Fail("integer out of range");
    // Hexadecimal literals of up to eight digits are 32-bit patterns: $80000005 is negative.
    if (t[0] == '$' && t.size() <= 9) v = uint64_t(Int64(int32_t(uint32_t(v))));
    if (t[0] == '$') return negative ? -Int64(v) : Int64(v);
    if (negative) {
      if (v > uint64_t(INT64_MAX) + 1) Fail("integer out of range");
      return v == uint64_t(INT64_MAX) + 1 ? INT64_MIN : -Int64(v);
    }
    if (v > uint64_t(INT64_MAX)) Fail("integer out of range");
    return Int64(v);
  }

  void ConvertNumber(bool negative) {
    if (FTok.Kind == Tok::Integer) {
      FWriter->WriteInteger(ParseInteger(negative));
      Next();
      return;
    }
    double v = 0;
    auto r = std::from_chars(FTok.Text.data(), FTok.Text.data() + FTok.Text.size(), v);
    if (r.ec != std::errc() || !std::isfinite(v)) Fail("number out of range");
    if (negative) v = -v;
    Byte buf[8];
    switch (FTok.Suffix) {
      case 's': {
        float f = float(v);
        if (!std::isfinite(f)) Fail("number out of range");
        FWriter->WriteValue(vaSingle);
        uint32_t bits = std::bit_cast<uint32_t>(f);
        for (int i = 0; i < 4; ++i) buf[i] = Byte(bits >> (8 * i));
        FWriter->Stream().WriteBuffer(buf, 4);
        break;
      }
      case 'c': {
        double scaled = std::round(v * 10000.0);
        if (!(std::fabs(scaled) < 9.2e18)) Fail("number out of range");
        FWriter->WriteCurrency(Currency::FromRaw(Int64(scaled)));
        break;
      }
      case 'd':
        FWriter->WriteDate(v);
        break;
      default:
        FWriter->WriteFloat(v);
    }
    Next();
  }

  void ConvertString() {
    // Pieces joined by '+', possibly across lines.
    Token total = FTok;
    Next();
    while (IsSymbol("+")) {
      Next();
      if (FTok.Kind != Tok::String) Fail("string expected after '+'" + Found());
      total.Bytes += FTok.Bytes;
      total.Wide += FTok.Wide;
      total.IsWide = total.IsWide || FTok.IsWide;
      Next();
    }
    if (total.IsWide)
      FWriter->WriteWideString(total.Wide);
    else
      FWriter->WriteString(total.Bytes);
  }

  void ConvertBinary() {
    String raw = FTok.Text;
    Integer line = FTok.Line, col = FTok.Column;
    size_t i = 0;
    while (i < raw.size() && static_cast<unsigned char>(raw[i]) <= ' ') ++i;
    String data;
    if (raw.compare(i, 7, "include") == 0 && (i + 7 == raw.size() || !IsIdentChar(static_cast<unsigned char>(raw[i + 7])))) {
      data = ReadInclude(raw.substr(i + 7), line, col);
    } else {
      int nibbles = 0;
      unsigned acc = 0;
      for (char ch : raw) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (c <= ' ') continue;
        if (!std::isxdigit(c)) FailAt(line, col, "invalid character " + DescribeChar(c) + " in binary data");
        acc = acc * 16 + unsigned(std::isdigit(c) ? c - '0' : std::tolower(c) - 'a' + 10);
        if (++nibbles % 2 == 0) {
          data += Char(acc);
          acc = 0;
        }
      }
      if (nibbles % 2) FailAt(line, col, "odd number of hexadecimal digits in binary data");
    }
    if (data.size() > size_t(TMemoryStream::MaxSize)) FailAt(line, col, "binary data too large");
    FWriter->WriteValue(vaBinary);
    Byte len[4];
    for (int k = 0; k < 4; ++k) len[k] = Byte(data.size() >> (8 * k));
    FWriter->Stream().WriteBuffer(len, 4);
    FWriter->Stream().WriteBuffer(data.data(), Integer(data.size()));
    Next();
  }

  String ReadInclude(const String& rest, Integer line, Integer col) {
    size_t i = 0;
    while (i < rest.size() && static_cast<unsigned char>(rest[i]) <= ' ') ++i;
    if (i >= rest.size() || rest[i] != '\'') FailAt(line, col, "quoted file name expected after 'include'");
    String path;
    for (++i;; ++i) {
      if (i >= rest.size()) FailAt(line, col, "unterminated file name in include");
      if (rest[i] == '\'') {
        if (i + 1 < rest.size() && rest[i + 1] == '\'') {
          path += '\'';
          ++i;
          continue;
        }
        ++i;
        break;
      }
      path += rest[i];
    }
    while (i < rest.size() && static_cast<unsigned char>(rest[i]) <= ' ') ++i;
    if (i != rest.size()) FailAt(line, col, "unexpected text after the include's file name");
    if (!FOpt.AllowIncludes) FailAt(line, col, "file includes are not allowed here");
    if (path.empty()) FailAt(line, col, "empty file name in include");
    String full = !path.empty() && path[0] == '/' ? path : FOpt.IncludeDir + "/" + path;
    try {
      Owned<TMemoryStream> m(New<TMemoryStream>());
      m->LoadFromFile(full);
      return String(reinterpret_cast<const char*>(m->Memory()), size_t(m->GetSize()));
    } catch (const EStreamError& e) {
      FailAt(line, col, "cannot include '" + path + "': " + e.Message());
    }
  }

  void ConvertValue() {
    Depth depth(*this);
    switch (FTok.Kind) {
      case Tok::Integer:
      case Tok::Float:
        ConvertNumber(false);
        return;
      case Tok::String:
        ConvertString();
        return;
      case Tok::Binary:
        ConvertBinary();
        return;
      case Tok::Ident: {
        const Integer line = FTok.Line, col = FTok.Column;
        String ident = FTok.Text;
        Next();
        while (IsSymbol(".")) {
          Next();
          ident += "." + ExpectIdent("identifier after '.'");
        }
        CheckLength(ident, line, col);
        FWriter->WriteIdent(ident);
        return;
      }
      case Tok::End:
        Fail("value expected but the description ended");
      case Tok::Symbol:
        break;
    }
    if (IsSymbol("-") || IsSymbol("+")) {
      bool negative = IsSymbol("-");
      Next();
      if (FTok.Kind != Tok::Integer && FTok.Kind != Tok::Float) Fail("number expected after sign" + Found());
      ConvertNumber(negative);
    } else if (IsSymbol("[")) {
      Next();
      FWriter->WriteValue(vaSet);
      if (!IsSymbol("]")) {
        for (;;) {
          if (FTok.Kind != Tok::Ident && FTok.Kind != Tok::Integer) Fail("set element expected" + Found());
          CheckLength(FTok.Text, FTok.Line, FTok.Column);
          if (FTok.Text.empty()) Fail("set element expected");
          FWriter->WriteStr(FTok.Text);
          Next();
          if (IsSymbol("]")) break;
          Expect(",");
        }
      }
      FWriter->WriteStr(String());
      Next();
    } else if (IsSymbol("(")) {
      Next();
      FWriter->WriteListBegin();
      while (!IsSymbol(")")) {
        if (FTok.Kind == Tok::End) Fail("')' expected but the description ended");
        ConvertValue();
      }
      FWriter->WriteListEnd();
      Next();
    } else if (IsSymbol("<")) {
      Next();
      FWriter->WriteValue(vaCollection);
      while (!IsSymbol(">")) {
        if (!IsKeyword("item")) Fail("'item' expected" + Found());
        Next();
        if (IsSymbol("[")) {
          Next();
          if (FTok.Kind != Tok::Integer) Fail("item order expected" + Found());
          FWriter->WriteInteger(ParseInteger(false));
          Next();
          Expect("]");
        }
        FWriter->WriteListBegin();
        while (!IsKeyword("end")) {
          if (FTok.Kind == Tok::End) Fail("'end' expected" + Found());
          ConvertProperty();
        }
        FWriter->WriteListEnd();
        Next();
      }
      FWriter->WriteListEnd();
      Next();
    } else {
      Fail("value expected" + Found());
    }
  }

  const String& FText;
  const TFormTextOptions& FOpt;
  Owned<TWriter> FWriter;
  size_t FPos = 0;
  Integer FLine = 1, FCol = 1;
  Token FTok;
  int FDepth = 0;
};

}  // namespace

void ObjectTextToBinary(const String& Text, TStream& Output, const TFormTextOptions& Options) {
  Converter(Text, Output, Options).Run();
}

void ObjectTextToBinary(TStream& Input, TStream& Output) {
  Input.SetPosition(0);
  Int64 size = Input.GetSize();
  if (size < 0 || size > TMemoryStream::MaxSize) throw EReadError("Stream read error");
  String text(size_t(size), '\0');
  Input.ReadBuffer(text.data(), Integer(size));
  ObjectTextToBinary(text, Output);
}
