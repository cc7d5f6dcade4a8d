#include "widgets/special/cxTimeEditFormats.h"

#include <algorithm>
#include <cctype>

namespace {

struct TFormatRow {
  const char* Display12;
  const char* Display24;
  const char* Mask24;
  Integer Digits;  // characters of "00:00:00" the format keeps
};

constexpr TFormatRow kFormats[3] = {
    {"hh:nn:ss ampm", "hh:nn:ss", "00:00:00;1;0", 8},
    {"hh:nn ampm", "hh:nn", "00:00;1;0", 5},
    {"hh ampm", "hh", "00;1;0", 2},
};

// Until the locale has been read: two letters for the designator.
String gMasks12[3] = {"00:00:00 LL;1;0", "00:00 LL;1;0", "00 LL;1;0"};

const TFormatRow& Row(TcxTimeEditTimeFormat AFormat) { return kFormats[size_t(AFormat)]; }

Integer TwoDigits(const String& S, size_t APos) {
  Integer r = 0;
  for (size_t i = APos; i < APos + 2; ++i) {
    const Char c = i < S.size() ? S[i] : Char('0');
    r = r * 10 + (c >= '0' && c <= '9' ? c - '0' : 0);
  }
  return r;
}

Char Up(Char c) { return Char(std::toupper(static_cast<unsigned char>(c))); }

}  // namespace

String cxTimeEditDisplayFormat(TcxTimeEditTimeFormat AFormat, bool AUse24Hour) {
  return AUse24Hour ? Row(AFormat).Display24 : Row(AFormat).Display12;
}

String cxTimeEditMask(TcxTimeEditTimeFormat AFormat, bool AUse24Hour) {
  return AUse24Hour ? String(Row(AFormat).Mask24) : gMasks12[size_t(AFormat)];
}

void cxTimeEditBuildMasks() {
  // Noon in the locale's 12-hour form: everything after the digits shapes the suffix.
  const String noon = FormatDateTime("hh:mm:ss AMPM", 0.5);
  String suffix;
  for (size_t i = 8; i < noon.size(); ++i) suffix += noon[i] == ' ' ? ' ' : 'c';
  while (!suffix.empty() && suffix.back() == ' ') suffix.pop_back();
  for (size_t f = 0; f < 3; ++f) gMasks12[f] = String("00:00:00").substr(0, size_t(kFormats[f].Digits)) + suffix + ";1;0";
}

Integer cxTimeEditSuffixStart(TcxTimeEditTimeFormat AFormat) { return (3 - Integer(AFormat)) * 3 + 1; }

Integer cxTimeEditPartStart(TcxTimePart APart, TcxTimeEditTimeFormat AFormat) {
  switch (APart) {
    case TcxTimePart::tpHour: return 1;
    case TcxTimePart::tpMin: return 4;
    case TcxTimePart::tpSec: return 7;
    case TcxTimePart::tpAMPM: return cxTimeEditSuffixStart(AFormat);
  }
  return 1;
}

TcxTimePart cxTimeEditPartAt(Integer APos, TcxTimeEditTimeFormat AFormat, bool AUse24Hour) {
  const Integer digits = Row(AFormat).Digits;
  if (!AUse24Hour && APos > digits) return TcxTimePart::tpAMPM;
  const String format = Row(AFormat).Display24;
  const Integer p = std::clamp<Integer>(APos, 1, Integer(format.size()));
  Char c = format[size_t(p - 1)];
  if (c == ':' && size_t(p) < format.size()) c = format[size_t(p)];
  if (c == 'h') return TcxTimePart::tpHour;
  if (c == 'n') return TcxTimePart::tpMin;
  return TcxTimePart::tpSec;
}

Integer cxTimeEditTextToSeconds(const String& AText, TcxTimeEditTimeFormat AFormat, bool AUse24Hour) {
  Integer hours = TwoDigits(AText, 0);
  if (!AUse24Hour) hours %= 12;
  Integer r = hours * 3600;
  if (AFormat != TcxTimeEditTimeFormat::tfHour) r += TwoDigits(AText, 3) * 60;
  if (AFormat == TcxTimeEditTimeFormat::tfHourMinSec) r += TwoDigits(AText, 6);
  const String& pm = FormatSettings.TimePMString;
  // Without a PM designator every text would end with it: no time is afternoon by text.
  if (!AUse24Hour && !pm.empty()) {
    const String text = TrimRight(AText);
    if (text.size() >= pm.size() && SameText(text.substr(text.size() - pm.size()), pm)) r += cxSecondsPerHalfDay;
  }
  return r;
}

Integer cxTimeEditIncrement(TcxTimePart APart, bool AFast, bool ABackward, Integer ASeconds) {
  Integer r = 1;
  switch (APart) {
    case TcxTimePart::tpHour: r = 3600; break;
    case TcxTimePart::tpMin: r = AFast ? 600 : 60; break;
    case TcxTimePart::tpSec: r = AFast ? 10 : 1; break;
    case TcxTimePart::tpAMPM:
      // Either way the step crosses noon.
      return ASeconds >= cxSecondsPerHalfDay ? -cxSecondsPerHalfDay : cxSecondsPerHalfDay;
  }
  return ABackward ? -r : r;
}

bool cxTimeEditTypeDigit(String& APart, Integer AOffset, Char ADigit, Integer AMin, Integer AMax, Integer& ANewOffset) {
  if (ADigit < '0' || ADigit > '9' || AOffset < 0 || AOffset > 1) return false;
  if (APart.size() < 2) APart.resize(2, '0');
  String typed = APart;
  typed[size_t(AOffset)] = ADigit;
  const Integer value = TwoDigits(typed, 0);
  if (value >= AMin && value <= AMax) {
    APart = typed;
    ANewOffset = AOffset + 1;
    return true;
  }
  if (AOffset == 0) {
    const Char maxFirst = Char('0' + AMax / 10);
    if (ADigit != '0' && ADigit > maxFirst) {
      APart = String("0") + ADigit;
      ANewOffset = 2;
    } else if (ADigit != '0') {
      APart = String(1, ADigit) + "0";
      ANewOffset = 1;
    } else {
      // "00" below a minimum of 1: the smallest value that starts with "0".
      APart = "0" + IntToStr(std::clamp<Integer>(AMin, 1, 9));
      ANewOffset = 1;
    }
    return true;
  }
  if (ADigit == '0') return false;
  APart = String("0") + ADigit;
  ANewOffset = 2;
  return true;
}

bool cxTimeEditTypeSuffix(Char AChar, Integer AOffset, String& AReplace) {
  AReplace.clear();
  const String& am = FormatSettings.TimeAMString;
  const String& pm = FormatSettings.TimePMString;
  const size_t i = size_t(std::max<Integer>(AOffset, 0));
  const bool inAM = i < am.size() && Up(am[i]) == Up(AChar);
  const bool inPM = i < pm.size() && Up(pm[i]) == Up(AChar);
  if (inAM && inPM) return true;
  if (inAM || inPM) {
    AReplace = inAM ? am : pm;
    return true;
  }
  return false;
}

TcxTimeTyping cxTimeEditTypeIntoText(String& AText, Integer APartStart, Integer APos, Char AKey, Integer AMin,
                                     Integer AMax, Integer& ACaret) {
  const Integer offset = APos - APartStart;
  if (offset < 0 || offset > 1 || APartStart < 1 || AText.size() < size_t(APartStart + 1))
    return TcxTimeTyping::ttPlain;
  String digits = AText.substr(size_t(APartStart - 1), 2);
  Integer newOffset = 0;
  if (!cxTimeEditTypeDigit(digits, offset, AKey, AMin, AMax, newOffset)) return TcxTimeTyping::ttRefused;
  String plain = AText.substr(size_t(APartStart - 1), 2);
  plain[size_t(offset)] = AKey;
  if (digits == plain && newOffset == offset + 1) return TcxTimeTyping::ttPlain;
  AText.replace(size_t(APartStart - 1), 2, digits);
  // Past the part's last digit the caret goes on over the separator to the next part.
  ACaret = APartStart - 1 + newOffset;
  if (newOffset == 2 && ACaret + 1 < Integer(AText.size())) ++ACaret;
  return TcxTimeTyping::ttRewritten;
}

TcxTimeTyping cxTimeEditTypeSuffixIntoText(String& AText, Integer APartStart, Integer APos, Char AKey,
                                           Integer& ACaret) {
  String replace;
  if (!cxTimeEditTypeSuffix(AKey, APos - APartStart, replace)) return TcxTimeTyping::ttRefused;
  if (replace.empty()) return TcxTimeTyping::ttPlain;
  const size_t size = AText.size();
  AText = AText.substr(0, std::min(size, size_t(std::max<Integer>(APartStart - 1, 0)))) + replace;
  if (AText.size() > size) AText.resize(size);
  ACaret = Integer(AText.size());
  return TcxTimeTyping::ttRewritten;
}
