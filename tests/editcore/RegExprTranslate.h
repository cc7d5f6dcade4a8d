// Writes a compiled mask as a conventional regular expression (PCRE2 and RE2 syntax),
// for comparing the automaton with those engines. Each character class becomes an
// explicit byte class computed from the class's own definition, symbols folded by the
// code page when the mask is case-insensitive; groups become non-capturing; repetitions
// and references are already expanded in the tree. The engines' caseless modes and
// shorthand classes are never used, since their definitions differ from the mask's.
#pragma once

#include "classlib/core/SysUtils.h"
#include "platform/kernel/CodePage.h"
#include "widgets/editcore/cxRegExpr.h"

#include <bitset>
#include <cstdio>

namespace regexpr_translate {

using ByteSet = std::bitset<256>;

inline ByteSet Range(int lo, int hi) {
  ByteSet s;
  for (int b = lo; b <= hi; ++b) s.set(size_t(b));
  return s;
}

inline ByteSet ClassSet(const TcxRegExprItem* AItem, bool ACaseInsensitive) {
  if (auto* sym = dynamic_cast<const TcxRegExprSymbol*>(AItem)) {
    ByteSet s;
    s.set(Byte(sym->Symbol()));
    if (ACaseInsensitive)
      for (int b = 0; b < 256; ++b)
        if (CpUpper(Byte(b)) == CpUpper(Byte(sym->Symbol()))) s.set(size_t(b));
    return s;
  }
  if (dynamic_cast<const TcxRegExprDateSeparator*>(AItem)) return Range(Byte(FormatSettings.DateSeparator), Byte(FormatSettings.DateSeparator));
  if (dynamic_cast<const TcxRegExprTimeSeparator*>(AItem)) return Range(Byte(FormatSettings.TimeSeparator), Byte(FormatSettings.TimeSeparator));
  if (auto* r = dynamic_cast<const TcxRegExprSubrange*>(AItem)) return Range(Byte(r->StartChar()), Byte(r->FinishChar()));
  if (dynamic_cast<const TcxRegExprAll*>(AItem)) return Range(0, 255);
  ByteSet s;
  bool negative = false;
  if (auto* e = dynamic_cast<const TcxRegExprUserEnumeration*>(AItem)) {
    for (Integer i = 0; i < e->Count(); ++i) s |= ClassSet(e->Items(i), ACaseInsensitive);
    negative = e->Negative();
  } else if (auto* d = dynamic_cast<const TcxRegExprDigit*>(AItem)) {
    s = Range('0', '9');
    negative = d->Negative();
  } else if (auto* w = dynamic_cast<const TcxRegExprIdLetter*>(AItem)) {
    s = Range('0', '9') | Range('A', 'Z') | Range('a', 'z') | Range('_', '_');
    negative = w->Negative();
  } else if (auto* sp = dynamic_cast<const TcxRegExprSpace*>(AItem)) {
    for (int b : {32, 0, 9, 10, 12, 13}) s.set(size_t(b));
    negative = sp->Negative();
  }
  return negative ? ~s : s;
}

inline std::string Hex(int b) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "\\x%02x", b);
  return buf;
}

inline std::string ClassText(const ByteSet& s) {
  if (s.none()) return "[^\\x00-\\xff]";
  std::string t = "[";
  for (int b = 0; b < 256;) {
    if (!s.test(size_t(b))) {
      ++b;
      continue;
    }
    int e = b;
    while (e + 1 < 256 && s.test(size_t(e + 1))) ++e;
    t += Hex(b);
    if (e > b) t += "-" + Hex(e);
    b = e + 1;
  }
  return t + "]";
}

inline std::string AltsText(const TcxRegExprParserAlts* AAlts, bool ACaseInsensitive);

inline std::string ItemText(const TcxRegExprParserItem* AItem, bool ACaseInsensitive) {
  std::string t;
  if (auto* block = dynamic_cast<const TcxRegExprParserBlockItem*>(AItem))
    t = "(?:" + AltsText(block->Alts(), ACaseInsensitive) + ")";
  else
    t = ClassText(ClassSet(static_cast<const TcxRegExprParserSimpleItem*>(AItem)->State()->Item(), ACaseInsensitive));
  return t + AItem->Quantifier()->GetText();
}

inline std::string AltsText(const TcxRegExprParserAlts* AAlts, bool ACaseInsensitive) {
  std::string t;
  for (Integer i = 0; i < AAlts->Count(); ++i) {
    if (i > 0) t += "|";
    const TcxRegExprParserAlt* alt = AAlts->Items(i);
    for (Integer j = 0; j < alt->Count(); ++j) t += ItemText(alt->Items(j), ACaseInsensitive);
  }
  return t;
}

// The whole compiled mask, anchored at both ends.
inline std::string Translate(TcxRegExpr& AExpr) {
  return "\\A(?:" + AltsText(AExpr.GetAutomat()->Alts(), AExpr.GetCaseInsensitive()) + ")\\z";
}

// Every byte some class of the mask accepts.
inline ByteSet Alphabet(TcxRegExpr& AExpr) {
  ByteSet s;
  std::function<void(const TcxRegExprParserAlts*)> walk = [&](const TcxRegExprParserAlts* alts) {
    for (Integer i = 0; i < alts->Count(); ++i)
      for (Integer j = 0; j < alts->Items(i)->Count(); ++j) {
        const TcxRegExprParserItem* item = alts->Items(i)->Items(j);
        if (auto* block = dynamic_cast<const TcxRegExprParserBlockItem*>(item))
          walk(block->Alts());
        else
          s |= ClassSet(static_cast<const TcxRegExprParserSimpleItem*>(item)->State()->Item(),
                        AExpr.GetCaseInsensitive());
      }
  };
  walk(AExpr.GetAutomat()->Alts());
  return s;
}

// The date mask the format controller builds for M/d/yyyy with the smart words; with
// AWithTime the date-and-time form (h:mm:ss AMPM), the largest mask the system generates.
inline String SystemDateMask(bool AWithTime = false) {
  const String date =
      "((0?[1-9]|1[012])|('Jan'|'Feb'|'Mar'|'Apr'|'May'|'Jun'|'Jul'|'Aug'|'Sep'|'Oct'|'Nov'|'Dec'))\\/"
      "([012]?[1-9]|[123]0|31)\\/\\d\\d\\d\\d";
  const String words =
      "'today'|'yesterday'|'tomorrow'|'Sunday'|'Monday'|'Tuesday'|'Wednesday'|'Thursday'|'Friday'|"
      "'Saturday'|'first'|'second'|'third'|'fourth'|'fifth'|'sixth'|'seventh'|'bom'|'eom'";
  const String time = "(0?[1-9]|1[012]):[0-5]\\d(:[0-5]\\d)?(' '('AM'|'PM'))?";
  if (AWithTime)
    return "(" + date + "(' '(" + time + "))?)|(" + words + "|'now')((\\+|-)\\d(\\d(\\d\\d?)?)?)?";
  return "(" + date + ")|(" + words + ")((\\+|-)\\d(\\d(\\d\\d?)?)?)?";
}

}  // namespace regexpr_translate
