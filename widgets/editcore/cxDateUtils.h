// Calendar routines shared by the date editors, the calendar and the format controller:
// month stepping, week numbers, date text in the locale's or the library's formats, and
// "smart" input such as "today+3".
#pragma once

#include "classlib/core/Enums.h"
#include "classlib/core/Exceptions.h"
#include "classlib/core/NumTypes.h"
#include "platform/kernel/Locale.h"

#include <array>

// No date: an empty date editor and every failed text-to-date conversion hold it.
inline constexpr double NullDate = -700000.0;

TL_ENUM(TcxFirstWeekOfYear, fwySystem, fwyJan1, fwyFirstFullWeek, fwyFirstFourDays);

// The smallest year a date editor accepts: 100, or 1 while the format controller uses the
// library's format settings.
extern Word cxMinYear;
extern Integer cxMaxYear;

// The smart-date words, by index: today, yesterday, tomorrow, Sunday..Saturday,
// first..seventh (days of the Sunday-based current week), bom, eom, now.
inline constexpr int cxSmartDateWordCount = 20;
inline constexpr int cxSmartDateNowIndex = 19;
extern const TResStringRec cxSDateWords[cxSmartDateWordCount];
// The words as last loaded (reloaded at the start of every conversion and mask build, so a
// changed override takes effect at once).
extern std::array<String, cxSmartDateWordCount> cxSmartDateWords;
void cxLoadSmartDateWords();

// Asked when no smart word matches the text (given untrimmed); empty by default.
using TcxSmartTextToDateFunc = bool (*)(const String& AText, TDateTime& ADate);
extern TcxSmartTextToDateFunc cxSmartTextToDateFunc;

// ---- Calendar arithmetic ----

void cxDecMonth(Word& AYear, Word& AMonth);
void cxIncMonth(Word& AYear, Word& AMonth);
// The year stays within 0..65535.
void cxAddMonths(Word& AYear, Word& AMonth, Integer ADelta);
bool cxIsLeapYear(Integer AYear);
// A month outside 1..12 is taken as the nearest valid one.
Word cxDaysPerMonth(Integer AYear, Integer AMonth);
Word cxCheckDay(Integer AYear, Integer AMonth, Integer ADay);
// AKind 0 year, 1 month, 2 day; 0 for any other kind.
Word cxGetDateElement(TDateTime ADate, Integer AKind);
// The time of day, also for dates before the epoch (whose values are negative).
double cxTimeOf(TDateTime ADate);
double cxDateOf(TDateTime ADate);
// The first day of the week holding ADate; AStartOfWeek 0 Sunday .. 6 Saturday (other values
// count round the week: 7 is Sunday again).
TDateTime cxGetWeekStart(TDateTime ADate, Integer AStartOfWeek);
Integer cxWeekOfYear(TDateTime ADate, TcxFirstWeekOfYear AFirstWeekOfYear, Integer AStartOfWeek);
TDateTime cxGetMinDate();

// ---- Locale text ----

String cxGetLocaleString(LCTYPE ALCType);
bool cxFormatLocaleDate(String& AText, DWORD AFlags, const String& AFormat, TDateTime ADate);
String cxGetLongDateText(TDateTime ADate);
String cxGetDateEditFormat(bool AFourDigitYear, TDateTime ADate);
void cxDateTimeToLocaleText(bool AFourDigitYear, String& AText, TDateTime ADate);
void cxDateTimeToText(bool AUseOwnFormat, bool AWithTime, bool AFourDigitYear, String& AText, TDateTime ADate);

// ---- Text to date ----

String cxBlankDateSeparators(const String& AText);
TDateTime cxStrToDateDef(const String& AText, TDateTime ADefault);
// A smart word, optionally followed by a sign and a number of days. A sign followed by
// something other than a number raises EConvertError; any other trailing text means the
// word does not match.
bool cxSmartTextToDate(const String& AText, TDateTime& ADate);
// Never raises: false leaves NullDate in ADate.
bool cxTryTextToDate(const String& AText, TDateTime& ADate);
bool cxTextToDateTime(const String& AText, bool AUseLocaleConversion, TDateTime& ADate);

// ---- Mask-language support ----

// Text as quoted runs: every run without an apostrophe between apostrophes, each apostrophe
// itself written as `AApostrophe` (the mask language and display formats escape it apart).
String cxQuoteTextRuns(const String& AText, const String& AApostrophe);
// AText as a literal of the mask language.
String cxQuoteRegExprText(const String& AText);
void cxAddSmartDateWordsToRegExpr(String& AExpr, bool AWithNow);

namespace cxDateUtils {
void Initialize();
void Finalize();
}  // namespace cxDateUtils
