// The mask language's lexer: source bytes to lexems, collecting every error it meets.
#include "classlib/core/SysUtils.h"
#include "widgets/editcore/cxRegExpr.h"

using enum TcxRegExprLexemCode;

namespace {

bool IsDigit(Char c) { return c >= '0' && c <= '9'; }

int HexValue(Char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

bool TcxRegExpr::ReadChar(Char& Ch) {
  if (FStreamPosition >= FSourceSize) return false;
  Ch = Char(FSourceData[FStreamPosition++]);
  if (Ch == '\r') ++FLine;
  if (Ch == '\n')
    FColumn = 0;
  else
    ++FColumn;
  return true;
}

bool TcxRegExpr::Peek(Integer AOffset, Char& Ch) const {
  if (AOffset < 0 || AOffset >= FSourceSize - FStreamPosition) return false;
  Ch = Char(FSourceData[FStreamPosition + AOffset]);
  return true;
}

void TcxRegExpr::AddLexem(TcxRegExprLexemCode ACode, const String& AValue, Integer ALine, Integer AChar) {
  if (FLexems->Count() >= MaxLexemCount) {
    // Lexing goes on to report other errors, but keeps no more lexems.
    if (!FTooComplex) AddError(ALine, AChar, scxRegExprTooComplex);
    FTooComplex = true;
    return;
  }
  TcxLexem lexem;
  lexem.Char = AChar;
  lexem.Code = ACode;
  lexem.Line = ALine;
  lexem.Value = AValue;
  FLexems->Add(lexem);
}

void TcxRegExpr::Lex() {
  Integer depth = 0;
  Char c;
  while (ReadChar(c)) {
    if (cxRegExprIsSpace(c)) continue;
    const Integer line = FLine, col = FColumn;
    const String value(1, c);
    switch (c) {
      case '(':
        AddLexem(relcSpecial, value, line, col);
        if (++depth > MaxBlockNesting && !FTooComplex) {
          FTooComplex = true;
          AddError(line, col, scxRegExprTooComplex);
        }
        break;
      case ')':
        AddLexem(relcSpecial, value, line, col);
        --depth;
        break;
      case '*': case '+': case '?': case '|':
        AddLexem(relcSpecial, value, line, col);
        break;
      case '[':
        AddLexem(relcSpecial, value, line, col);
        LexBracket();
        break;
      case '{':
        AddLexem(relcSpecial, value, line, col);
        LexBrace();
        break;
      case '.':
        AddLexem(relcAll, value, line, col);
        break;
      case '/':
        AddLexem(relcDateSeparator, value, line, col);
        break;
      case ':':
        AddLexem(relcTimeSeparator, value, line, col);
        break;
      case '\\':
        LexEscape();
        break;
      case '\'':
        LexQuotedText();
        break;
      default:
        AddLexem(relcSymbol, value, line, col);
        break;
    }
  }
  if (depth > 0)
    AddError(0, 0, scxRegExprMissing, ")");
  else if (depth < 0)
    AddError(0, 0, scxRegExprUnnecessary, ")");
}

// After a backslash (just read); every lexem made here stands at the backslash.
void TcxRegExpr::LexEscape() {
  const Integer line = FLine, col = FColumn;
  Char c;
  if (!ReadChar(c)) return;
  if (c >= '1' && c <= '9') {
    AddLexem(relcReference, String(1, c), line, col);
    return;
  }
  if (cxRegExprIsSpace(c)) {
    AddError(FLine, FColumn, scxRegExprIncorrectSpace);
    return;
  }
  auto symbol = [&](Char s) { AddLexem(relcSymbol, String(1, s), line, col); };
  switch (c) {
    case 'd': AddLexem(relcDigit, "d", line, col); break;
    case 'D': AddLexem(relcNotDigit, "D", line, col); break;
    case 'w': AddLexem(relcId, "w", line, col); break;
    case 'W': AddLexem(relcNotId, "W", line, col); break;
    case 's': AddLexem(relcSpace, "s", line, col); break;
    case 'S': AddLexem(relcNotSpace, "S", line, col); break;
    case 't': symbol('\t'); break;
    case 'n': symbol('\n'); break;
    case 'r': symbol('\r'); break;
    case 'f': symbol('\f'); break;
    case 'a': symbol('\a'); break;
    case 'e': symbol('\x1B'); break;
    case 'p': symbol(FormatSettings.DecimalSeparator); break;
    case 'x': {
      int code = 0;
      for (int i = 0; i < 2; ++i) {
        Char h;
        if (!ReadChar(h)) {
          AddError(FLine, FColumn + 1, scxRegExprHexNumberExpected);
          return;
        }
        const int v = HexValue(h);
        if (v < 0) {
          AddError(FLine, FColumn, scxRegExprHexNumberExpected0, String(1, h));
          return;
        }
        code = code * 16 + v;
      }
      symbol(Char(code));
      break;
    }
    default:
      symbol(c);
      break;
  }
}

// After an opening quote: every character up to the closing quote is a symbol; two quotes
// in a row stand for one.
void TcxRegExpr::LexQuotedText() {
  Char c;
  for (;;) {
    if (!ReadChar(c)) {
      AddError(FLine, FColumn + 1, scxRegExprMissing, " ' ");
      return;
    }
    const Integer line = FLine, col = FColumn;
    if (c == '\'') {
      Char n;
      if (!Peek(0, n) || n != '\'') return;
      ReadChar(n);
    }
    AddLexem(relcSymbol, String(1, c), line, col);
  }
}

// After "[": the set's items up to "]".
void TcxRegExpr::LexBracket() {
  Char c;
  bool first = true;
  for (;;) {
    if (!ReadChar(c)) {
      AddError(FLine, FColumn + 1, scxRegExprMissing, "]");
      return;
    }
    if (cxRegExprIsSpace(c)) continue;
    const Integer line = FLine, col = FColumn;
    const String value(1, c);
    const bool atFirst = first;
    first = false;
    switch (c) {
      case ']':
        AddLexem(relcSpecial, value, line, col);
        return;
      case '\\':
        LexEscape();
        continue;
      case '\'':
        LexQuotedText();
        continue;
      case '/':
        AddLexem(relcDateSeparator, value, line, col);
        continue;
      case ':':
        AddLexem(relcTimeSeparator, value, line, col);
        continue;
      default:
        break;
    }
    if (atFirst) {
      // A leading "^" negates the set; a leading "-" is a literal dash.
      AddLexem(c == '^' ? relcSpecial : relcSymbol, value, line, col);
    } else if (c == '-') {
      // A dash right before the closing bracket is a literal; the end of the source while
      // looking is reported by the next round.
      Char n = 0;
      Integer k = 0;
      while (Peek(k, n) && cxRegExprIsSpace(n)) ++k;
      const bool literal = Peek(k, n) && n == ']';
      AddLexem(literal ? relcSymbol : relcSpecial, value, line, col);
    } else {
      AddLexem(relcSymbol, value, line, col);
    }
  }
}

// After "{": integers, commas and the closing "}".
void TcxRegExpr::LexBrace() {
  Char c;
  for (;;) {
    if (!ReadChar(c)) {
      AddError(FLine, FColumn + 1, scxRegExprMissing, "}");
      return;
    }
    if (cxRegExprIsSpace(c)) continue;
    const Integer line = FLine, col = FColumn;
    if (IsDigit(c)) {
      String digits(1, c);
      Char n;
      while (Peek(0, n) && IsDigit(n)) {
        ReadChar(n);
        digits += n;
      }
      AddLexem(relcInteger, digits, line, col);
    } else if (c == ',') {
      AddLexem(relcSpecial, ",", line, col);
    } else if (c == '}') {
      AddLexem(relcSpecial, "}", line, col);
      return;
    } else {
      AddError(line, col, scxRegExprIllegalSymbol, c == '\'' ? String(" ' ") : String(1, c));
    }
  }
}
