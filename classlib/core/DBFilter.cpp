// Filter texts: conditions on fields (= <> < <= > >=, [NOT] LIKE, [NOT] BETWEEN, [NOT] IN,
// IS [NOT] NULL) joined by AND, OR and NOT with parentheses; values are quoted texts,
// numbers, NULL, TRUE or FALSE. A field name with blanks is written in square brackets.
#include "classlib/core/DB.h"

#include <cctype>
#include <memory>

struct TFilterExpression {
  enum class TKind { kAnd, kOr, kNot, kCompare, kLike, kBetween, kIn, kIsNull };
  TKind Kind = TKind::kCompare;
  std::vector<std::shared_ptr<TFilterExpression>> Items;
  String Field;
  String Op;  // for comparisons
  std::vector<Variant> Values;
  bool Negate = false;  // NOT LIKE, NOT BETWEEN, NOT IN, IS NOT NULL
};

namespace {
using TNode = std::shared_ptr<TFilterExpression>;
using TKind = TFilterExpression::TKind;

class TFilterParser {
 public:
  explicit TFilterParser(const String& Text) : FText(Text) {}

  TNode Parse() {
    TNode n = ParseOr();
    SkipBlanks();
    if (FPos < FText.size()) Fail("unexpected text");
    return n;
  }

 private:
  [[noreturn]] void Fail(const String& What) const {
    DatabaseError("Invalid filter text at position " + IntToStr(Integer(FPos + 1)) + ": " + What +
                  " in \"" + FText + "\"");
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

  TNode Join(TKind Kind, TNode A, TNode B) {
    auto n = std::make_shared<TFilterExpression>();
    n->Kind = Kind;
    n->Items = {std::move(A), std::move(B)};
    return n;
  }

  TNode ParseOr() {
    TNode n = ParseAnd();
    while (TakeWord("OR")) n = Join(TKind::kOr, n, ParseAnd());
    return n;
  }

  TNode ParseAnd() {
    TNode n = ParseNot();
    while (TakeWord("AND")) n = Join(TKind::kAnd, n, ParseNot());
    return n;
  }

  TNode ParseNot() {
    if (TakeWord("NOT")) {
      auto n = std::make_shared<TFilterExpression>();
      n->Kind = TKind::kNot;
      n->Items.push_back(ParseNot());
      return n;
    }
    if (TakeChar('(')) {
      TNode n = ParseOr();
      if (!TakeChar(')')) Fail("')' expected");
      return n;
    }
    return ParseCondition();
  }

  String ParseField() {
    SkipBlanks();
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
    const size_t start = FPos;
    if (FPos < FText.size() && (FText[FPos] == '-' || FText[FPos] == '+')) ++FPos;
    while (FPos < FText.size() && (std::isdigit(static_cast<unsigned char>(FText[FPos])) ||
                                   FText[FPos] == '.' || FText[FPos] == 'E' || FText[FPos] == 'e'))
      ++FPos;
    double v;
    if (FPos == start ||
        !TryStrToFloat(FText.substr(start, FPos - start), v, DefaultFormatSettings())) {
      FPos = start;
      Fail("value expected");
    }
    if (v == double(Integer(v)) &&
        FText.substr(start, FPos - start).find_first_of(".eE") == String::npos)
      return Integer(v);
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
};

bool IsNullValue(const Variant& v) { return VarIsNull(v) || VarIsEmpty(v); }

// '%' any run of characters, '_' one character. Returning to the last '%' only is enough
// for these two wildcards, so the match takes at most text length × pattern length steps.
bool MatchLike(const String& Text, const String& Pattern) {
  size_t t = 0, p = 0, star = String::npos, resume = 0;
  while (t < Text.size()) {
    if (p < Pattern.size() && (Pattern[p] == '_' || (Pattern[p] != '%' && Pattern[p] == Text[t]))) {
      ++t;
      ++p;
    } else if (p < Pattern.size() && Pattern[p] == '%') {
      star = p++;
      resume = t;
    } else if (star != String::npos) {
      p = star + 1;
      t = ++resume;
    } else {
      return false;
    }
  }
  while (p < Pattern.size() && Pattern[p] == '%') ++p;
  return p == Pattern.size();
}

class TFilterEvaluator {
 public:
  TFilterEvaluator(TDataSet& DataSet, TFilterOptions Options)
      : FDataSet(DataSet), FOptions(Options) {}

  bool Eval(const TFilterExpression& n) {
    switch (n.Kind) {
      case TKind::kAnd:
        return Eval(*n.Items[0]) && Eval(*n.Items[1]);
      case TKind::kOr:
        return Eval(*n.Items[0]) || Eval(*n.Items[1]);
      case TKind::kNot:
        return !Eval(*n.Items[0]);
      default:
        break;
    }
    TField* field = FDataSet.FieldByName(n.Field);
    const Variant v = field->GetAsVariant();
    if (n.Kind == TKind::kIsNull) return IsNullValue(v) != n.Negate;
    if (n.Kind == TKind::kCompare && IsNullValue(n.Values[0])) {
      if (n.Op == "=") return IsNullValue(v);
      if (n.Op == "<>") return !IsNullValue(v);
    }
    if (IsNullValue(v)) return false;
    bool r = false;
    switch (n.Kind) {
      case TKind::kLike: {
        String s = VarToStr(v), p = VarToStr(n.Values[0]);
        if (CaseInsensitive()) s = AnsiUpperCase(s), p = AnsiUpperCase(p);
        r = MatchLike(s, p);
        break;
      }
      case TKind::kBetween:
        r = Compare(field, v, n.Values[0], false) >= 0 &&
            Compare(field, v, n.Values[1], false) <= 0;
        break;
      case TKind::kIn:
        for (const Variant& x : n.Values)
          if (!IsNullValue(x) && Compare(field, v, x, false) == 0) r = true;
        break;
      default: {
        const int c = Compare(field, v, n.Values[0], n.Op == "=" || n.Op == "<>");
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

 private:
  bool CaseInsensitive() const { return FOptions.Contains(TFilterOption::foCaseInsensitive); }

  // A trailing '*' of a text compared for equality matches any ending, unless
  // foNoPartialCompare is set.
  int Compare(TField* Field, const Variant& v, const Variant& x, bool Equality) {
    if (IsNullValue(x)) return 1;
    if (VarIsStr(v)) {
      String a = VarToStr(v), b = VarToStr(x);
      if (CaseInsensitive()) a = AnsiUpperCase(a), b = AnsiUpperCase(b);
      if (Equality && !FOptions.Contains(TFilterOption::foNoPartialCompare) && !b.empty() &&
          b.back() == '*') {
        b.pop_back();
        a = a.substr(0, b.size());
      }
      return a == b ? 0 : (a < b ? -1 : 1);
    }
    try {
      double a, b;
      if (VarType(v) == varDate) {
        a = VarToDateTime(v).Value;
        b = VarToDateTime(x).Value;
      } else if (VarType(v) == varBoolean) {
        a = v.AsBoolean() ? 1 : 0;
        b = x.AsBoolean() ? 1 : 0;
      } else {
        a = v.AsDouble();
        b = x.AsDouble();
      }
      return a == b ? 0 : (a < b ? -1 : 1);
    } catch (const Exception&) {
      DatabaseError(
          "Filter value " + VarToStr(x) + " does not suit field '" + Field->FieldName() + "'",
          &FDataSet);
    }
  }

  TDataSet& FDataSet;
  TFilterOptions FOptions;
};

void CheckFields(const TFilterExpression& n, const TDataSet& DataSet) {
  if (!n.Field.empty()) DataSet.FieldByName(n.Field);
  for (const auto& i : n.Items) CheckFields(*i, DataSet);
}
}  // namespace

std::shared_ptr<const TFilterExpression> ParseFilterText(const String& Text) {
  return TFilterParser(Text).Parse();
}

bool EvaluateFilterText(const TFilterExpression& Expression, TDataSet& DataSet,
                        TFilterOptions Options) {
  return TFilterEvaluator(DataSet, Options).Eval(Expression);
}

void CheckFilterFields(const TFilterExpression& Expression, const TDataSet& DataSet) {
  CheckFields(Expression, DataSet);
}
