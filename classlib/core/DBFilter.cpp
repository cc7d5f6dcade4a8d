// Filter texts: conditions on fields (= <> < <= > >=, [NOT] LIKE, [NOT] BETWEEN, [NOT] IN,
// IS [NOT] NULL) joined by AND, OR and NOT with parentheses; values are quoted texts,
// numbers, NULL, TRUE or FALSE. A field name with blanks is written in square brackets.
//
// A record is kept exactly as the data controller's own filter keeps it for the same
// conditions, so that a filter handed from a controller to its data set shows the same
// records: Null orders below every value (so "F <> 1" and "F < 1" keep Null records, while
// "F = NULL" and "F <> NULL" are the null tests), texts order by their bytes (after the
// locale's upper case when case does not matter), LIKE is the controller's LIKE, and a
// number is read in the decimal separator it is written in.
//
// A chain of conditions joined by one operator is one node with a child per condition, so
// a chain of any length costs no depth; binding, asking and freeing walk the nesting of
// parentheses and NOT recursively, which the parser bounds.
#include "classlib/core/DB.h"
#include "classlib/core/VariantValueSet.h"

#include <algorithm>
#include <cctype>
#include <limits>
#include <memory>

struct TFilterExpression {
  enum class TKind { kAnd, kOr, kNot, kCompare, kLike, kBetween, kIn, kIsNull };
  TKind Kind = TKind::kCompare;
  std::vector<std::shared_ptr<TFilterExpression>> Items;
  String Field;
  String Op;  // for comparisons
  std::vector<Variant> Values;
  bool Negate = false;  // NOT LIKE, NOT BETWEEN, NOT IN, IS NOT NULL
  // Set by binding to an open data set: the field, and the values as a case-insensitive
  // filter compares them; for IN, the values indexed both ways.
  TField* BoundField = nullptr;
  std::vector<Variant> UpperValues;
  std::shared_ptr<const TVariantValueSet> ValueSet, UpperValueSet;

  TFilterExpression() = default;
  TFilterExpression(const TFilterExpression&) = default;
  // Freed without recursion: the children a node frees with it are taken over first.
  ~TFilterExpression() {
    std::vector<std::shared_ptr<TFilterExpression>> pending = std::move(Items);
    while (!pending.empty()) {
      std::shared_ptr<TFilterExpression> n = std::move(pending.back());
      pending.pop_back();
      if (n.use_count() == 1)
        for (auto& item : n->Items) pending.push_back(std::move(item));
    }
  }
};

namespace {
using TNode = std::shared_ptr<TFilterExpression>;
using TKind = TFilterExpression::TKind;

class TFilterParser {
 public:
  explicit TFilterParser(const String& Text) : FText(Text) {}

  // Read without recursion, so that the parser's own depth does not follow the nesting: a
  // frame per open parenthesis (the first for the whole text) holds what is read in it.
  TNode Parse() {
    struct TFrame {
      std::vector<TNode> Ors;   // the OR chain's terms read so far
      std::vector<TNode> Ands;  // the terms of the AND chain being read
      Integer Nots = 0;         // NOTs before the next term
    };
    std::vector<TFrame> frames(1);
    for (;;) {
      for (;;) {
        SkipBlanks();
        const size_t at = FPos;
        if (TakeWord("NOT")) {
          Nest(at);
          ++frames.back().Nots;
        } else if (TakeChar('(')) {
          Nest(at);
          frames.emplace_back();
        } else {
          break;
        }
      }
      TNode term = ParseCondition();
      // What the term completes: its NOTs, its chains, and each parenthesis it closes, whose
      // expression is a term of the frame around it.
      for (;;) {
        TFrame& f = frames.back();
        for (; f.Nots > 0; --f.Nots, --FDepth) {
          auto n = std::make_shared<TFilterExpression>();
          n->Kind = TKind::kNot;
          n->Items.push_back(std::move(term));
          term = std::move(n);
        }
        AddTerm(f.Ands, TKind::kAnd, std::move(term));
        if (TakeWord("AND")) break;
        AddTerm(f.Ors, TKind::kOr, Chain(TKind::kAnd, f.Ands));
        if (TakeWord("OR")) break;
        term = Chain(TKind::kOr, f.Ors);
        if (frames.size() == 1) {
          SkipBlanks();
          if (FPos < FText.size()) Fail("unexpected text");
          return term;
        }
        if (!TakeChar(')')) Fail("')' expected");
        frames.pop_back();
        --FDepth;
      }
    }
  }

 private:
  [[noreturn]] void Fail(const String& What) const {
    // A long text is quoted by its beginning: the position tells where the fault is.
    const size_t quoted = 60;
    const String text = FText.size() > quoted ? FText.substr(0, quoted) + "..." : FText;
    DatabaseError("Invalid filter text at position " + IntToStr(Integer(FPos + 1)) + ": " + What +
                  " in \"" + text + "\"");
  }

  // One more level of parentheses or NOT, opened by the token at At.
  void Nest(size_t At) {
    if (++FDepth <= MaxFilterTextNesting) return;
    FPos = At;
    Fail("nested deeper than " + IntToStr(MaxFilterTextNesting) + " levels");
  }

  void SkipBlanks() {
    while (FPos < FText.size() && std::isspace(static_cast<unsigned char>(FText[FPos]))) ++FPos;
  }

  // The next word (letters, digits, '_' and '.'), upper-cased, without consuming it.
  String PeekWord() {
    SkipBlanks();
    size_t p = FPos;
    while (p < FText.size() && (std::isalnum(static_cast<unsigned char>(FText[p])) ||
                                FText[p] == '_' || FText[p] == '.'))
      ++p;
    return UpperCase(FText.substr(FPos, p - FPos));
  }

  bool TakeWord(const char* Word) {
    if (PeekWord() != Word) return false;
    FPos += std::char_traits<char>::length(Word);
    return true;
  }

  bool TakeChar(char C) {
    SkipBlanks();
    if (FPos < FText.size() && FText[FPos] == C) {
      ++FPos;
      return true;
    }
    return false;
  }

  // A term joins a chain of its own kind (read in parentheses) rather than nesting in it.
  static void AddTerm(std::vector<TNode>& Terms, TKind Kind, TNode Term) {
    if (Term->Kind == Kind)
      Terms.insert(Terms.end(), Term->Items.begin(), Term->Items.end());
    else
      Terms.push_back(std::move(Term));
  }

  // The terms as one node of Kind, or the term alone; Terms is left empty.
  static TNode Chain(TKind Kind, std::vector<TNode>& Terms) {
    TNode n;
    if (Terms.size() == 1) {
      n = std::move(Terms[0]);
    } else {
      n = std::make_shared<TFilterExpression>();
      n->Kind = Kind;
      n->Items = std::move(Terms);
    }
    Terms.clear();
    return n;
  }

  String ParseField() {
    SkipBlanks();
    const size_t open = FPos;
    if (TakeChar('[')) {
      // "]]" stands for one ']' inside the brackets.
      String name;
      for (;;) {
        if (FPos >= FText.size()) Fail("']' expected");
        const char c = FText[FPos++];
        if (c == ']') {
          if (FPos < FText.size() && FText[FPos] == ']') {
            name += ']';
            ++FPos;
            continue;
          }
          // "[]" names nothing: refused as a missing name, never looked up as a field.
          if (name.empty()) {
            FPos = open;
            Fail("field name expected");
          }
          return name;
        }
        name += c;
      }
    }
    const size_t start = FPos;
    while (FPos < FText.size() && (std::isalnum(static_cast<unsigned char>(FText[FPos])) ||
                                   FText[FPos] == '_' || FText[FPos] == '.'))
      ++FPos;
    if (FPos == start) Fail("field name expected");
    return FText.substr(start, FPos - start);
  }

  Variant ParseValue() {
    SkipBlanks();
    if (TakeChar('\'')) {
      String s;
      for (;;) {
        if (FPos >= FText.size()) Fail("unterminated text");
        const char c = FText[FPos++];
        if (c == '\'') {
          if (FPos < FText.size() && FText[FPos] == '\'') {
            s += '\'';
            ++FPos;
            continue;
          }
          return s;
        }
        s += c;
      }
    }
    if (TakeWord("NULL")) return Null();
    if (TakeWord("TRUE")) return true;
    if (TakeWord("FALSE")) return false;
    return ParseNumber();
  }

  // Digits with one decimal separator, written as '.' or as the locale writes numbers
  // (then only when a digit follows it, so that the ", " between list values stays a
  // separator), and an exponent. Without a separator or exponent: an integer.
  Variant ParseNumber() {
    const size_t start = FPos;
    const Char decimal = FormatSettings.DecimalSeparator;
    auto digit = [this](size_t p) { return p < FText.size() && std::isdigit(static_cast<unsigned char>(FText[p])); };
    String number;
    if (FPos < FText.size() && (FText[FPos] == '-' || FText[FPos] == '+')) number += FText[FPos++];
    bool real = false;
    while (digit(FPos)) number += FText[FPos++];
    if (FPos < FText.size() && (FText[FPos] == '.' || (FText[FPos] == decimal && digit(FPos + 1)))) {
      real = true;
      number += '.';
      ++FPos;
      while (digit(FPos)) number += FText[FPos++];
    }
    if (FPos < FText.size() && (FText[FPos] == 'E' || FText[FPos] == 'e') && FPos > start) {
      size_t p = FPos + 1;
      if (p < FText.size() && (FText[p] == '-' || FText[p] == '+')) ++p;
      if (digit(p)) {
        real = true;
        number += FText.substr(FPos, p - FPos);
        FPos = p;
        while (digit(FPos)) number += FText[FPos++];
      }
    }
    Int64 whole;
    if (!real && TryStrToInt64(number, whole)) {
      if (whole >= std::numeric_limits<Integer>::min() && whole <= std::numeric_limits<Integer>::max())
        return Integer(whole);
      return whole;
    }
    double v;
    if (number.empty() || !TryStrToFloat(number, v, DefaultFormatSettings())) {
      FPos = start;
      Fail("value expected");
    }
    return v;
  }

  TNode ParseCondition() {
    auto n = std::make_shared<TFilterExpression>();
    n->Field = ParseField();
    if (TakeWord("IS")) {
      n->Kind = TKind::kIsNull;
      n->Negate = TakeWord("NOT");
      if (!TakeWord("NULL")) Fail("NULL expected");
      return n;
    }
    n->Negate = TakeWord("NOT");
    if (TakeWord("LIKE")) {
      n->Kind = TKind::kLike;
      n->Values.push_back(ParseValue());
    } else if (TakeWord("BETWEEN")) {
      n->Kind = TKind::kBetween;
      n->Values.push_back(ParseValue());
      if (!TakeWord("AND")) Fail("AND expected");
      n->Values.push_back(ParseValue());
    } else if (TakeWord("IN")) {
      n->Kind = TKind::kIn;
      if (!TakeChar('(')) Fail("'(' expected");
      do n->Values.push_back(ParseValue());
      while (TakeChar(','));
      if (!TakeChar(')')) Fail("')' expected");
    } else if (n->Negate) {
      Fail("LIKE, BETWEEN or IN expected");
    } else {
      SkipBlanks();
      static const char* const ops[] = {"<>", "<=", ">=", "=", "<", ">"};
      for (const char* op : ops)
        if (FText.compare(FPos, std::char_traits<char>::length(op), op) == 0) {
          n->Op = op;
          FPos += n->Op.size();
          break;
        }
      if (n->Op.empty()) Fail("operator expected");
      n->Values.push_back(ParseValue());
    }
    return n;
  }

  String FText;
  size_t FPos = 0;
  Integer FDepth = 0;
};

bool IsNullValue(const Variant& v) { return VarIsNull(v) || VarIsEmpty(v); }

// The order of the data controller's filter: texts by their bytes, dates by their numbers,
// anything else as the variants relate (Null first); values that do not relate count as
// less.
int CompareValues(const Variant& A, const Variant& B) {
  if (A.VType() == varString && B.VType() == varString) {
    const int c = A.AsString().compare(B.AsString());
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
  }
  const bool dates = VarType(A) == varDate && VarType(B) == varDate;
  const Variant a = dates ? Variant(A.AsDouble()) : A, b = dates ? Variant(B.AsDouble()) : B;
  try {
    if (a == b) return 0;
    if (VarIsNull(a)) return -1;
    if (VarIsNull(b)) return 1;
    return a < b ? -1 : 1;
  } catch (const EVariantError&) {
    return -1;
  }
}

// A record's value as the filter compares it: currency as a double, a text in upper case
// when case does not matter.
Variant Prepared(const Variant& V, bool ACaseInsensitive) {
  if (VarIsEmpty(V)) return Null();
  if (VarType(V) == varCurrency) return V.AsDouble();
  if (ACaseInsensitive && VarIsStr(V)) return AnsiUpperCase(V.AsString());
  return V;
}

class TFilterEvaluator {
 public:
  TFilterEvaluator(TFilterOptions Options) : FCaseInsensitive(Options.Contains(TFilterOption::foCaseInsensitive)) {}

  // A small frame per level of nesting: plain loops, and a condition's values live in a
  // frame of its own.
  bool Eval(const TFilterExpression& n) {
    switch (n.Kind) {
      case TKind::kAnd:
        for (const TNode& i : n.Items)
          if (!Eval(*i)) return false;
        return true;
      case TKind::kOr:
        for (const TNode& i : n.Items)
          if (Eval(*i)) return true;
        return false;
      case TKind::kNot:
        return !Eval(*n.Items[0]);
      default:
        return Condition(n);
    }
  }

 private:
  [[gnu::noinline]] bool Condition(const TFilterExpression& n) {
    const Variant v = Prepared(n.BoundField->GetAsVariant(), FCaseInsensitive);
    const std::vector<Variant>& x = FCaseInsensitive ? n.UpperValues : n.Values;
    bool r = false;
    switch (n.Kind) {
      case TKind::kIsNull:
        r = IsNullValue(v);
        break;
      case TKind::kLike: {
        const String text = VarToStr(v), pattern = VarToStr(x[0]);
        r = MatchLikePattern(text.data(), Integer(text.size()), pattern.data(), Integer(pattern.size()), 0, '_',
                             '%');
        break;
      }
      case TKind::kBetween:
        r = CompareValues(x[0], v) <= 0 && CompareValues(v, x[1]) <= 0;
        break;
      case TKind::kIn:
        r = (FCaseInsensitive ? n.UpperValueSet : n.ValueSet)->Contains(v);
        break;
      default: {
        // "= NULL" and "<> NULL" are the null tests.
        if (IsNullValue(x[0]) && (n.Op == "=" || n.Op == "<>")) return IsNullValue(v) == (n.Op == "=");
        const int c = CompareValues(v, x[0]);
        if (n.Op == "=")
          r = c == 0;
        else if (n.Op == "<>")
          r = c != 0;
        else if (n.Op == "<")
          r = c < 0;
        else if (n.Op == "<=")
          r = c <= 0;
        else if (n.Op == ">")
          r = c > 0;
        else
          r = c >= 0;
        break;
      }
    }
    return r != n.Negate;
  }

  bool FCaseInsensitive;
};

bool IsDateField(TFieldType T) {
  return T == TFieldType::ftDate || T == TFieldType::ftTime || T == TFieldType::ftDateTime ||
         T == TFieldType::ftTimeStamp;
}

bool IsNumberField(TFieldType T) {
  switch (T) {
    case TFieldType::ftSmallint: case TFieldType::ftInteger: case TFieldType::ftWord: case TFieldType::ftFloat:
    case TFieldType::ftCurrency: case TFieldType::ftBCD: case TFieldType::ftAutoInc: case TFieldType::ftLargeint:
    case TFieldType::ftFMTBcd:
      return true;
    default:
      return false;
  }
}

// Reads Count digits at I; false when there are fewer.
bool ReadDigits(const String& S, size_t& I, size_t Count, Word& Value) {
  Value = 0;
  for (size_t end = I + Count; I < end; ++I) {
    if (I >= S.size() || S[I] < '0' || S[I] > '9') return false;
    Value = Word(Value * 10 + (S[I] - '0'));
  }
  return true;
}

// A date written year first, "yyyy-mm-dd", optionally followed by " hh:nn", ":ss" and a
// fraction of up to three digits: read so whatever the locale, since no locale writes its
// dates so with another meaning.
bool TryReadYearFirstDate(const String& S, TDateTime& Date) {
  size_t i = 0;
  Word year, month, day, hour = 0, minute = 0, second = 0, msec = 0;
  if (!ReadDigits(S, i, 4, year) || i >= S.size() || S[i++] != '-' || !ReadDigits(S, i, 2, month) ||
      i >= S.size() || S[i++] != '-' || !ReadDigits(S, i, 2, day))
    return false;
  if (i < S.size()) {
    if ((S[i] != ' ' && S[i] != 'T') || !ReadDigits(S, ++i, 2, hour) || i >= S.size() ||
        S[i++] != ':' || !ReadDigits(S, i, 2, minute))
      return false;
    if (i < S.size() && (S[i++] != ':' || !ReadDigits(S, i, 2, second))) return false;
    if (i < S.size()) {
      if (S[i++] != '.') return false;
      Word digits = 0;
      for (; i < S.size() && digits < 3; ++digits) {
        Word d;
        if (!ReadDigits(S, i, 1, d)) return false;
        msec = Word(msec * 10 + d);
      }
      if (i < S.size() || digits == 0) return false;
      for (; digits < 3; ++digits) msec = Word(msec * 10);
    }
  }
  TDateTime date, time;
  if (!TryEncodeDate(year, month, day, date) || !TryEncodeTime(hour, minute, second, msec, time))
    return false;
  Date = ComposeDateTime(date, time);
  return true;
}

// A quoted value meeting a date, number or Boolean field is read as one (a date written year
// first, else as the locale writes it); one that does not read so is refused.
Variant BindValue(const Variant& V, const TField* AField, const TDataSet& ADataSet) {
  if (!VarIsStr(V)) return V;
  const TFieldType type = AField->DataType();
  try {
    TDateTime date;
    if (IsDateField(type))
      return VarFromDateTime(TryReadYearFirstDate(Trim(V.AsString()), date) ? date
                                                                            : V.AsDateTime());
    if (IsNumberField(type)) return V.AsDouble();
    if (type == TFieldType::ftBoolean) return V.AsBoolean();
  } catch (const Exception&) {
    DatabaseError("Filter value " + VarToStr(V) + " does not suit field '" + AField->FieldName() + "'", &ADataSet);
  }
  return V;
}

[[gnu::noinline]] void BindCondition(TFilterExpression& n, const TDataSet& ADataSet) {
  n.BoundField = ADataSet.FieldByName(n.Field);
  n.UpperValues.clear();
  for (Variant& v : n.Values) {
    if (n.Kind != TKind::kLike) v = BindValue(v, n.BoundField, ADataSet);
    n.UpperValues.push_back(Prepared(v, true));
  }
  // Indexed once, for every record the filter asks about.
  if (n.Kind == TKind::kIn) {
    n.ValueSet = std::make_shared<const TVariantValueSet>(n.Values);
    n.UpperValueSet = std::make_shared<const TVariantValueSet>(n.UpperValues);
  }
}

// A frame per level of nesting, the conditions bound in frames of their own.
std::shared_ptr<TFilterExpression> Bind(const TFilterExpression& n, const TDataSet& ADataSet) {
  auto bound = std::make_shared<TFilterExpression>(n);
  for (auto& item : bound->Items) item = Bind(*item, ADataSet);
  if (!n.Field.empty()) BindCondition(*bound, ADataSet);
  return bound;
}
}  // namespace

namespace {

// The pattern read once: escapes resolved, so each token is a literal, the one-character
// wildcard or the many-characters wildcard.
struct TLikeToken {
  enum TTokenKind : Byte { kLiteral, kOne, kMany } Kind;
  Char C;
};

}  // namespace

bool MatchLikePattern(const Char* AText, Integer ATextLength, const Char* APattern, Integer APatternLength,
                      Char AEscapeChar, Char AOneChar, Char AManyChars) {
  const Integer T = ATextLength > 0 ? ATextLength : 0;
  const Integer P = APatternLength > 0 ? APatternLength : 0;

  // Leading tokens before the first many-characters wildcard match at fixed places.
  Integer p = 0, t = 0;
  bool escaped = false;
  for (; p < P; ++p) {
    Char c = APattern[p];
    if (AEscapeChar != 0 && !escaped && c == AEscapeChar) {
      escaped = true;
      continue;
    }
    if (!escaped && c == AManyChars) break;
    if (t >= T) return false;
    if ((c != AOneChar || escaped) && c != AText[t]) return false;
    escaped = false;
    ++t;
  }
  if (p >= P) return t == T;

  std::vector<TLikeToken> tokens;
  tokens.reserve(size_t(P - p));
  escaped = false;
  for (Integer i = p; i < P; ++i) {
    Char c = APattern[i];
    if (AEscapeChar != 0 && !escaped && c == AEscapeChar) {
      escaped = true;
      continue;
    }
    if (!escaped && c == AManyChars)
      tokens.push_back({TLikeToken::kMany, c});
    else if (!escaped && c == AOneChar)
      tokens.push_back({TLikeToken::kOne, c});
    else
      tokens.push_back({TLikeToken::kLiteral, c});
    escaped = false;
  }

  // next[k]: whether tokens i+1.. match the text from k (k = t..T); built from the end.
  const size_t width = size_t(T - t) + 1;
  std::vector<Byte> next(width, 0), cur(width, 0);
  next[width - 1] = 1;  // no tokens left: only the end of the text matches
  for (size_t i = tokens.size(); i-- > 0;) {
    const TLikeToken& tok = tokens[i];
    if (tok.Kind == TLikeToken::kMany) {
      // Some k in [j, T] with the rest matching from k: the wildcard takes the characters
      // between, none or all of them.
      Byte any = 0;
      for (size_t j = width; j-- > 0;) {
        any |= next[j];
        cur[j] = any;
      }
    } else {
      cur[width - 1] = 0;
      for (size_t j = 0; j + 1 < width; ++j) {
        Char c = AText[size_t(t) + j];
        cur[j] = (tok.Kind == TLikeToken::kOne || tok.C == c) ? next[j + 1] : 0;
      }
    }
    next.swap(cur);
  }
  return next[0] != 0;
}

std::shared_ptr<const TFilterExpression> ParseFilterText(const String& Text) {
  return TFilterParser(Text).Parse();
}

bool EvaluateFilterText(const TFilterExpression& Expression, TDataSet&, TFilterOptions Options) {
  return TFilterEvaluator(Options).Eval(Expression);
}

std::shared_ptr<const TFilterExpression> BindFilterText(const TFilterExpression& Expression,
                                                        const TDataSet& DataSet) {
  return Bind(Expression, DataSet);
}
