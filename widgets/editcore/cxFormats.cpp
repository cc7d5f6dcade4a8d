#include "widgets/editcore/cxFormats.h"

#include "classlib/core/SysUtils.h"
#include "classlib/visual/Controls.h"
#include "classlib/visual/Forms.h"
#include "platform/kernel/Units.h"
#include "widgets/editcore/cxDateUtils.h"

#include <algorithm>
#include <cstring>

namespace {

using K = TcxDateTimeFormatItemKind;

TcxFormatController* gController = nullptr;
UnitCounter gUnit;

Char Up(Char c) { return c >= 'a' && c <= 'z' ? Char(c - 'a' + 'A') : c; }

bool SameAt(const String& s, size_t at, const char* what) {
  size_t n = std::strlen(what);
  if (at + n > s.size()) return false;
  for (size_t i = 0; i < n; ++i)
    if (Up(s[at + i]) != Up(what[i])) return false;
  return true;
}

size_t RunLength(const String& s, size_t at, Char upper) {
  size_t n = 0;
  while (at + n < s.size() && Up(s[at + n]) == upper) ++n;
  return n;
}

void AddItem(TcxDateTimeFormatInfo& AInfo, K AKind, const String& AData) {
  if (AKind != K::dtikString && AKind != K::dtikDateSeparator && AKind != K::dtikTimeSeparator &&
      AInfo.DefinedItems[size_t(AKind)])
    return;
  AInfo.DefinedItems[size_t(AKind)] = true;
  AInfo.Items.push_back({AKind, AData});
}

void AddText(TcxDateTimeFormatInfo& AInfo, const String& AText) {
  if (AText.empty()) return;
  if (!AInfo.Items.empty() && AInfo.Items.back().Kind == K::dtikString) {
    AInfo.Items.back().Data += AText;
    return;
  }
  AddItem(AInfo, K::dtikString, AText);
}

Integer LongerAmPm() {
  return Integer(std::max(FormatSettings.TimeAMString.size(), FormatSettings.TimePMString.size()));
}

Integer ItemLength(const TcxDateTimeFormatItem& AItem) {
  switch (AItem.Kind) {
    case K::dtikString:
      return Integer(AItem.Data.size());
    case K::dtikYear:
      return AItem.Data.size() == 2 ? 2 : 4;
    case K::dtikMonth:
    case K::dtikDay:
      return AItem.Data.size() >= 3 ? 3 : 2;
    case K::dtikHour:
    case K::dtikMin:
    case K::dtikSec:
      return 2;
    case K::dtikMSec:
      return 0;
    case K::dtikTimeSuffix:
      if (AnsiSameText(AItem.Data, "A/P")) return 1;
      if (AnsiSameText(AItem.Data, "AM/PM")) return 2;
      return LongerAmPm();
    case K::dtikDateSeparator:
    case K::dtikTimeSeparator:
      return 1;
  }
  return 0;
}

TcxTimeSuffixKind SuffixKind(const String& AData) {
  if (AnsiSameText(AData, "A/P")) return TcxTimeSuffixKind::tskAP;
  if (AnsiSameText(AData, "AM/PM")) return TcxTimeSuffixKind::tskAMPM;
  return TcxTimeSuffixKind::tskAMPMString;
}

// A separator as a literal of the mask language: punctuation after a backslash, anything
// else (a letter would become a character class) between apostrophes.
String RegExprSeparator(Char ASeparator) {
  if (ASeparator == '\0') return String();
  if (ASeparator == ' ') return "' '";
  auto c = static_cast<unsigned char>(ASeparator);
  if (c < 0x80 && std::ispunct(c) && c != '\'') return String("\\") + ASeparator;
  return cxQuoteRegExprText(String(1, ASeparator));
}

// Literal text of a display format: runs without an apostrophe between apostrophes, an
// apostrophe between double quotes.
String QuoteFormatText(const String& AText) { return cxQuoteTextRuns(AText, "\"'\""); }

// The currency symbol inside a number format: characters the number formatting reads as
// placeholders, separators or quotes are quoted one by one.
String QuoteCurrencySymbol(const String& ASymbol) {
  String r;
  for (Char c : ASymbol) {
    if (c == '\'')
      r += "\"'\"";
    else if (std::strchr(",.0#;\"Ee", c) && c != '\0')
      r += String("'") + c + "'";
    else
      r += c;
  }
  return r;
}

}  // namespace

// ---- Lifetime and listeners ----

TcxFormatController::TcxFormatController() {
  Rebuild();
  if (!gController) gController = this;
}

TcxFormatController::~TcxFormatController() {
  FListeners.clear();
  if (FWindowHandle) DeallocateHWnd(FWindowHandle);
  FWindowHandle = nullptr;
  if (gController == this) gController = nullptr;
}

void TcxFormatController::AddListener(IcxFormatControllerListener* AListener) {
  if (!AListener || std::find(FListeners.begin(), FListeners.end(), AListener) != FListeners.end()) return;
  if (FListeners.empty()) {
    // Without a window, locale changes went unheard: catch up before the first listener reads.
    Rebuild();
    FWindowHandle = AllocateHWnd(TWndMethod(this, &TcxFormatController::WndProc));
  }
  FListeners.push_back(AListener);
}

void TcxFormatController::RemoveListener(IcxFormatControllerListener* AListener) {
  auto it = std::find(FListeners.begin(), FListeners.end(), AListener);
  if (it == FListeners.end()) return;
  FListeners.erase(it);
  if (FListeners.empty() && FWindowHandle) {
    DeallocateHWnd(FWindowHandle);
    FWindowHandle = nullptr;
  }
}

void TcxFormatController::NotifyFormatChanged() {
  // A listener may remove itself or another one while being told.
  std::vector<IcxFormatControllerListener*> copy = FListeners;
  for (IcxFormatControllerListener* l : copy)
    if (std::find(FListeners.begin(), FListeners.end(), l) != FListeners.end()) l->FormatChanged();
}

void TcxFormatController::NotifyTimeChanged() {
  std::vector<IcxFormatControllerListener*> copy = FListeners;
  for (IcxFormatControllerListener* l : copy) {
    if (std::find(FListeners.begin(), FListeners.end(), l) == FListeners.end()) continue;
    if (auto* l2 = dynamic_cast<IcxFormatControllerListener2*>(l)) l2->TimeChanged();
  }
}

void TcxFormatController::WndProc(TMessage& Message) {
  if (Message.Msg == WM_WININICHANGE && Message.WParam == 0 && Message.LParam != 0 &&
      AnsiSameText(reinterpret_cast<const char*>(Message.LParam), "intl") &&
      (!Application || Application->GetUpdateFormatSettings())) {
    GetFormatSettings();
    Rebuild();
    NotifyFormatChanged();
    Message.Result = 0;
    return;
  }
  if (Message.Msg == WM_TIMECHANGE) {
    NotifyTimeChanged();
    Message.Result = 0;
    return;
  }
  Message.Result = DefWindowProcA(FWindowHandle, Message.Msg, Message.WParam, Message.LParam);
}

void TcxFormatController::Changed() {
  if (FUpdateLockCount != 0) {
    FChangedWhileLocked = true;
    return;
  }
  Rebuild();
  NotifyFormatChanged();
}

void TcxFormatController::BeginUpdate() { ++FUpdateLockCount; }

void TcxFormatController::EndUpdate() {
  if (FUpdateLockCount == 0) return;
  if (--FUpdateLockCount != 0) return;
  if (FChangedWhileLocked) {
    FChangedWhileLocked = false;
    Rebuild();
  }
  NotifyFormatChanged();
}

// ---- Setters ----

template <class T>
void TcxFormatController::SetAssigned(bool& AFlag, T& AField, const T& Value) {
  AFlag = true;
  if (AField == Value) return;
  AField = Value;
  Changed();
}

void TcxFormatController::SetFlag(bool& AFlag, bool Value) {
  if (AFlag == Value) return;
  AFlag = Value;
  Changed();
}

void TcxFormatController::SetCurrencyFormat(const String& Value) {
  SetAssigned(FAssignedCurrencyFormat, FCurrencyFormat, Value);
}
void TcxFormatController::SetRegExprDateEditMask(const String& Value) {
  SetAssigned(FAssignedRegExprDateEditMask, FRegExprDateEditMask, Value);
}
void TcxFormatController::SetRegExprDateTimeEditMask(const String& Value) {
  SetAssigned(FAssignedRegExprDateTimeEditMask, FRegExprDateTimeEditMask, Value);
}
void TcxFormatController::SetStandardDateEditMask(const String& Value) {
  SetAssigned(FAssignedStandardDateEditMask, FStandardDateEditMask, Value);
}
void TcxFormatController::SetStandardDateTimeEditMask(const String& Value) {
  SetAssigned(FAssignedStandardDateTimeEditMask, FStandardDateTimeEditMask, Value);
}
void TcxFormatController::SetStartOfWeek(Byte Value) {
  SetAssigned(FAssignedStartOfWeek, FStartOfWeek, Byte(Value % 7));
}

void TcxFormatController::SetUseLibraryFormats(bool Value) {
  if (FUseLibraryFormats == Value) return;
  FUseLibraryFormats = Value;
  // Before the listeners hear of it: what they redo may check dates against the minimum.
  cxMinYear = Value ? 1 : 100;
  Changed();
}

void TcxFormatController::SetTimePartHandling(bool Value) { SetFlag(FTimePartHandling, Value); }
void TcxFormatController::SetSmartInput(bool Value) { SetFlag(FSmartInput, Value); }
void TcxFormatController::SetAssignedCurrencyFormat(bool Value) { SetFlag(FAssignedCurrencyFormat, Value); }
void TcxFormatController::SetAssignedRegExprDateEditMask(bool Value) { SetFlag(FAssignedRegExprDateEditMask, Value); }
void TcxFormatController::SetAssignedRegExprDateTimeEditMask(bool Value) {
  SetFlag(FAssignedRegExprDateTimeEditMask, Value);
}
void TcxFormatController::SetAssignedStandardDateEditMask(bool Value) {
  SetFlag(FAssignedStandardDateEditMask, Value);
}
void TcxFormatController::SetAssignedStandardDateTimeEditMask(bool Value) {
  SetFlag(FAssignedStandardDateTimeEditMask, Value);
}
void TcxFormatController::SetAssignedStartOfWeek(bool Value) { SetFlag(FAssignedStartOfWeek, Value); }

// ---- Rebuild ----

String TcxFormatController::BuildCurrencyFormat() const {
  const TFormatSettings& fs = FormatSettings;
  String n = ",0." + String(size_t(std::min<int>(fs.CurrencyDecimals, 18)), '0');
  String s = QuoteCurrencySymbol(fs.CurrencyString);
  String pos;
  switch (fs.CurrencyFormat <= 3 ? fs.CurrencyFormat : 0) {
    case 0: pos = s + n; break;
    case 1: pos = n + s; break;
    case 2: pos = s + " " + n; break;
    default: pos = n + " " + s; break;
  }
  String neg;
  switch (fs.NegCurrFormat <= 15 ? fs.NegCurrFormat : 0) {
    case 0: neg = "(" + s + n + ")"; break;
    case 1: neg = "-" + s + n; break;
    case 2: neg = s + "-" + n; break;
    case 3: neg = s + n + "-"; break;
    case 4: neg = "(" + n + s + ")"; break;
    case 5: neg = "-" + n + s; break;
    case 6: neg = n + "-" + s; break;
    case 7: neg = n + s + "-"; break;
    case 8: neg = "-" + n + " " + s; break;
    case 9: neg = "-" + s + " " + n; break;
    case 10: neg = n + " " + s + "-"; break;
    case 11: neg = s + " " + n + "-"; break;
    case 12: neg = s + " -" + n; break;
    case 13: neg = n + "- " + s; break;
    case 14: neg = "(" + s + " " + n + ")"; break;
    default: neg = "(" + n + " " + s + ")"; break;
  }
  return pos + ";" + neg;
}

void TcxFormatController::Rebuild() {
  if (!FAssignedCurrencyFormat) FCurrencyFormat = BuildCurrencyFormat();
  if (!FAssignedStartOfWeek) {
    String v = cxGetLocaleString(LOCALE_IFIRSTDAYOFWEEK);
    Integer first = StrToIntDef(Trim(v.empty() ? String("0") : v), 0);
    FStartOfWeek = Byte((std::clamp<Integer>(first, 0, 6) + 1) % 7);
  }
  const TFormatSettings& fs = FormatSettings;
  GetDateTimeFormatInfo(fs.ShortDateFormat, FDateFormatInfo);
  GetDateTimeFormatInfo(fs.LongTimeFormat, FTimeFormatInfo);
  GetDateTimeFormatInfo(fs.ShortDateFormat + " " + fs.LongTimeFormat, FDateTimeFormatInfo);

  FComputedStandardDateEditMask = GetDateTimeStandardMask(FDateFormatInfo, TcxDateTimeEditMaskKind::dtmkDate);
  if (!FAssignedStandardDateEditMask) FStandardDateEditMask = FComputedStandardDateEditMask;

  String date = GetDateTimeRegExprMask(FDateFormatInfo, false);
  String time = GetDateTimeRegExprMask(FTimeFormatInfo, true);
  if (!FAssignedRegExprDateEditMask) {
    // An empty expression inside the word alternatives would not compile: no mask at all.
    FRegExprDateEditMask = date;
    if (!date.empty()) cxAddSmartDateWordsToRegExpr(FRegExprDateEditMask, false);
  }
  if (!FAssignedRegExprDateTimeEditMask) {
    if (date.empty() || time.empty()) {
      FRegExprDateTimeEditMask.clear();
    } else {
      FRegExprDateTimeEditMask = date + "' '(" + time + ")?";
      cxAddSmartDateWordsToRegExpr(FRegExprDateTimeEditMask, true);
    }
  }
  if (!FAssignedStandardDateTimeEditMask)
    FStandardDateTimeEditMask = GetDateTimeStandardMask(FDateTimeFormatInfo, TcxDateTimeEditMaskKind::dtmkDateTime);
  FDateDisplayFormat = GetDateTimeDisplayFormat(FDateFormatInfo);
  FDateTimeDisplayFormat = GetDateTimeDisplayFormat(FDateTimeFormatInfo);

  const String& f = fs.ShortDateFormat;
  FDateEditFormat.clear();
  for (size_t i = 0; i < f.size(); ++i) {
    Char c = f[i];
    FDateEditFormat += c;
    if (c != 'd' && c != 'M') continue;
    bool before = i > 0 && f[i - 1] == c;
    bool after = i + 1 < f.size() && f[i + 1] == c;
    if (!before && !after) FDateEditFormat += c;
  }
}

// ---- Parsing ----

bool TcxFormatController::GetDateTimeFormatInfo(const String& AFormat, TcxDateTimeFormatInfo& AInfo) const {
  AInfo = TcxDateTimeFormatInfo();
  bool hasSuffix = false;
  if (!ParseFormat(AFormat.empty() ? String("C") : AFormat, AInfo, 0, hasSuffix)) {
    AInfo = TcxDateTimeFormatInfo();
    return false;
  }
  auto hour = std::find_if(AInfo.Items.begin(), AInfo.Items.end(),
                           [](const TcxDateTimeFormatItem& i) { return i.Kind == K::dtikHour; });
  if (hour == AInfo.Items.end()) {
    auto suffix = std::find_if(AInfo.Items.begin(), AInfo.Items.end(),
                               [](const TcxDateTimeFormatItem& i) { return i.Kind == K::dtikTimeSuffix; });
    if (suffix != AInfo.Items.end()) {
      AInfo.Items.erase(suffix);
      AInfo.DefinedItems[size_t(K::dtikTimeSuffix)] = false;
    }
  } else {
    hour->Data = (hasSuffix ? "12" : "24") + hour->Data;
  }
  return true;
}

bool TcxFormatController::ParseFormat(const String& AFormat, TcxDateTimeFormatInfo& AInfo, int ADepth,
                                      bool& AHasSuffix) const {
  if (ADepth >= 2) return true;
  const TFormatSettings& fs = FormatSettings;
  auto nested = [&](const String& AText) { return ParseFormat(AText, AInfo, ADepth + 1, AHasSuffix); };
  Char lastLetter = '\0';
  size_t i = 0;
  const String& s = AFormat;
  while (i < s.size()) {
    Char raw = s[i];
    Char c = Up(raw);
    if (c == 'M' && lastLetter == 'H') c = 'N';
    if (c < '"' || c > 'Z') {
      AddText(AInfo, String(1, raw));
      ++i;
      continue;
    }
    if (c >= 'A' && c <= 'Z') lastLetter = c;
    switch (c) {
      case '"':
      case '\'': {
        size_t j = s.find(raw, i + 1);
        if (j == String::npos) j = s.size();
        AddText(AInfo, s.substr(i + 1, j - i - 1));
        i = j < s.size() ? j + 1 : j;
        continue;
      }
      case '/':
        AddItem(AInfo, K::dtikDateSeparator, "/");
        ++i;
        continue;
      case ':':
        AddItem(AInfo, K::dtikTimeSeparator, ":");
        ++i;
        continue;
      case 'A':
        if (SameAt(s, i, "AM/PM") || SameAt(s, i, "A/P")) {
          size_t n = SameAt(s, i, "AM/PM") ? 5 : 3;
          AddItem(AInfo, K::dtikTimeSuffix, s.substr(i, n));
          AHasSuffix = true;
          i += n;
        } else if (SameAt(s, i, "AMPM")) {
          AddItem(AInfo, K::dtikTimeSuffix, "AMPM");
          AHasSuffix = true;
          i += 4;
        } else if (SameAt(s, i, "AAAA")) {
          AddItem(AInfo, K::dtikDay, "DDDD");
          i += 4;
        } else if (SameAt(s, i, "AAA")) {
          AddItem(AInfo, K::dtikDay, "DDD");
          i += 3;
        } else {
          AddText(AInfo, String(1, raw));
          ++i;
        }
        continue;
      case 'C':
        if (!nested(fs.ShortDateFormat)) return false;
        AddText(AInfo, " ");
        if (!nested(fs.LongTimeFormat)) return false;
        ++i;
        continue;
      case 'G':
        return false;
      default:
        break;
    }
    size_t run = RunLength(s, i, Up(raw));
    String letters = s.substr(i, run);
    i += run;
    switch (c) {
      case 'D':
        if (run <= 4)
          AddItem(AInfo, K::dtikDay, String(run, 'D'));
        else if (!nested(run == 5 ? fs.ShortDateFormat : fs.LongDateFormat))
          return false;
        break;
      case 'E':
      case 'Y':
        AddItem(AInfo, K::dtikYear, run < 3 ? "YY" : "YYYY");
        break;
      case 'H':
        AddItem(AInfo, K::dtikHour, letters.substr(0, 2));
        break;
      case 'M':
        AddItem(AInfo, K::dtikMonth, letters.substr(0, 4));
        break;
      case 'N':
        AddItem(AInfo, K::dtikMin, letters.substr(0, 2));
        break;
      case 'S':
        AddItem(AInfo, K::dtikSec, letters.substr(0, 2));
        break;
      case 'T':
        if (!nested(run == 1 ? fs.ShortTimeFormat : fs.LongTimeFormat)) return false;
        break;
      case 'Z':
        AddItem(AInfo, K::dtikMSec, letters.substr(0, 3));
        break;
      default:
        AddText(AInfo, letters);
        break;
    }
  }
  return true;
}

// ---- Masks and display formats ----

String TcxFormatController::GetDateTimeStandardMask(const TcxDateTimeFormatInfo& AInfo,
                                                    TcxDateTimeEditMaskKind AMaskKind) const {
  if (AInfo.Items.empty()) return String();
  bool time = AMaskKind == TcxDateTimeEditMaskKind::dtmkTime;
  String r = time ? "" : "!";
  for (const TcxDateTimeFormatItem& item : AInfo.Items) {
    switch (item.Kind) {
      case K::dtikString:
        for (Char c : item.Data) r += String("\\") + c;
        break;
      case K::dtikYear:
        r += item.Data.size() == 2 ? "99" : "9999";
        break;
      case K::dtikMonth:
      case K::dtikDay:
        r += item.Data.size() >= 3 ? "lll" : "99";
        break;
      case K::dtikHour:
      case K::dtikMin:
      case K::dtikSec:
        r += time ? "00" : "99";
        break;
      case K::dtikMSec:
        break;
      case K::dtikTimeSuffix:
        r += String(size_t(ItemLength(item)), 'c');
        break;
      case K::dtikDateSeparator:
        r += "/";
        break;
      case K::dtikTimeSeparator:
        r += ":";
        break;
    }
  }
  return r + (time ? ";1;0" : ";1; ");
}

String TcxFormatController::GetDateTimeRegExprMask(const TcxDateTimeFormatInfo& AInfo, bool AIsTime) const {
  const TFormatSettings& fs = FormatSettings;
  bool date = AInfo.DefinedItems[size_t(K::dtikYear)] || AInfo.DefinedItems[size_t(K::dtikMonth)] ||
              AInfo.DefinedItems[size_t(K::dtikDay)];
  bool time = AInfo.DefinedItems[size_t(K::dtikHour)] || AInfo.DefinedItems[size_t(K::dtikMin)] ||
              AInfo.DefinedItems[size_t(K::dtikSec)];
  if (date && time) return String();
  String r;
  for (const TcxDateTimeFormatItem& item : AInfo.Items) {
    switch (item.Kind) {
      case K::dtikString:
        r += cxQuoteRegExprText(item.Data);
        break;
      case K::dtikYear:
        if (!AIsTime) r += item.Data.size() == 2 ? "\\d\\d" : "\\d\\d\\d\\d";
        break;
      case K::dtikMonth:
        if (!AIsTime) {
          const String* names = item.Data.size() == 4 ? fs.LongMonthNames : fs.ShortMonthNames;
          String alternatives;
          for (int m = 0; m < 12; ++m) {
            if (names[m].empty()) continue;  // an empty alternative would not compile
            if (!alternatives.empty()) alternatives += "|";
            alternatives += cxQuoteRegExprText(names[m]);
          }
          r += alternatives.empty() ? String("(0?[1-9]|1[012])") : "((0?[1-9]|1[012])|(" + alternatives + "))";
        }
        break;
      case K::dtikDay:
        if (!AIsTime) r += "([012]?[1-9]|[123]0|31)";
        break;
      case K::dtikDateSeparator:
        if (!AIsTime) r += RegExprSeparator(fs.DateSeparator);
        break;
      case K::dtikHour:
        if (AIsTime) r += item.Data.rfind("12", 0) == 0 ? "(0?[1-9]|1[012])" : "([01]?\\d|2[0-3])";
        break;
      case K::dtikMin:
      case K::dtikSec:
        if (AIsTime) r += "[0-5]?\\d";
        break;
      case K::dtikTimeSuffix:
        if (AIsTime) {
          if (AnsiSameText(item.Data, "A/P")) {
            r += "(A|P)?";
          } else if (AnsiSameText(item.Data, "AM/PM")) {
            r += "(AM|PM)?";
          } else {
            const String& am = fs.TimeAMString;
            const String& pm = fs.TimePMString;
            if (!am.empty() && !pm.empty())
              r += "(" + cxQuoteRegExprText(am) + "|" + cxQuoteRegExprText(pm) + ")?";
            else if (!am.empty() || !pm.empty())
              r += "(" + cxQuoteRegExprText(am.empty() ? pm : am) + ")?";
          }
        }
        break;
      case K::dtikTimeSeparator:
        if (AIsTime) r += RegExprSeparator(fs.TimeSeparator);
        break;
      case K::dtikMSec:
        break;
    }
  }
  return r;
}

String TcxFormatController::GetDateTimeDisplayFormat(const TcxDateTimeFormatInfo& AInfo) const {
  String r;
  for (const TcxDateTimeFormatItem& item : AInfo.Items) {
    switch (item.Kind) {
      case K::dtikString:
        r += QuoteFormatText(item.Data);
        break;
      case K::dtikYear:
        r += AnsiLowerCase(item.Data);
        break;
      case K::dtikMonth:
        r += item.Data.size() >= 3 ? "mmm" : "mm";
        break;
      case K::dtikDay:
        r += item.Data.size() >= 3 ? "ddd" : "dd";
        break;
      case K::dtikHour:
        r += "hh";
        break;
      case K::dtikMin:
        r += "nn";
        break;
      case K::dtikSec:
        r += "ss";
        break;
      case K::dtikTimeSuffix:
        r += AnsiLowerCase(item.Data);
        break;
      case K::dtikDateSeparator:
        r += "/";
        break;
      case K::dtikTimeSeparator:
        r += ":";
        break;
      case K::dtikMSec:
        break;
    }
  }
  return r;
}

// ---- Items by position ----

bool cxFindDateTimeFormatItem(const TcxDateTimeFormatInfo& AInfo, Integer APosition, TcxDateTimeFormatItemKind& AKind,
                              Integer& AStart, Integer& ALength, TcxTimeSuffixKind& ATimeSuffixKind) {
  if (APosition < 1 || AInfo.Items.empty()) return false;
  Integer start = 1;
  for (const TcxDateTimeFormatItem& item : AInfo.Items) {
    Integer len = ItemLength(item);
    if (start + len > APosition) {
      AKind = item.Kind;
      AStart = start;
      ALength = len;
      if (item.Kind == K::dtikTimeSuffix) ATimeSuffixKind = SuffixKind(item.Data);
      return true;
    }
    start += len;
  }
  return false;
}

Integer cxGetDateTimeFormatTextLength(const TcxDateTimeFormatInfo& AInfo) {
  Integer n = 0;
  for (const TcxDateTimeFormatItem& item : AInfo.Items) n += ItemLength(item);
  return n;
}

TcxFormatController* cxGetFormatController() {
  if (!gController) New<TcxFormatController>();
  return gController;
}

void cxFormats::Initialize() {
  if (!gUnit.Enter()) return;
  cxDateUtils::Initialize();
  cxGetFormatController();
}

void cxFormats::Finalize() {
  if (!gUnit.Leave()) return;
  if (gController) gController->Free();
  gController = nullptr;
  cxDateUtils::Finalize();
}

TL_DEFINE_CLASS(TcxFormatController)
