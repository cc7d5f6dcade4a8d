// Text, numbers, dates and file names of the class library's system unit.
// Strings are 1-based where the class library's are (Pos, Copy, Delete, Insert).
#pragma once

#include "classlib/core/Exceptions.h"
#include "classlib/core/NumTypes.h"
#include "platform/kernel/Locale.h"
#include "platform/kernel/Types.h"

#include <initializer_list>
#include <vector>

// ---- Format settings -------------------------------------------------------------------

struct TFormatSettings {
  Char DecimalSeparator = '.';
  Char ThousandSeparator = ',';
  Char DateSeparator = '/';
  Char TimeSeparator = ':';
  String ShortDateFormat = "M/d/yyyy";
  String LongDateFormat = "dddd, MMMM d, yyyy";
  String ShortTimeFormat = "h:mm AMPM";
  String LongTimeFormat = "h:mm:ss AMPM";
  String TimeAMString = "AM";
  String TimePMString = "PM";
  String ShortMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  String LongMonthNames[12] = {"January", "February", "March",     "April",   "May",      "June",
                               "July",    "August",   "September", "October", "November", "December"};
  // Index 0 is Sunday, as DayOfWeek counts.
  String ShortDayNames[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  String LongDayNames[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
  String CurrencyString = "$";
  Byte CurrencyFormat = 0;     // 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $"
  Byte NegCurrFormat = 0;      // 0..15, the platform's negative currency patterns
  Byte CurrencyDecimals = 2;
  Word TwoDigitYearCenturyWindow = 50;
};

// The process-wide settings every routine without an explicit record uses.
extern TFormatSettings FormatSettings;
// Refills FormatSettings from the platform's locale table.
void GetFormatSettings();
// The built-in United States settings (the locale table's default).
TFormatSettings DefaultFormatSettings();
// The unit's start-up (reads the locale into FormatSettings) and shut-down (back to the
// built-in settings), for the layer's unit list.
void SysUtilsInitialize();
void SysUtilsFinalize();

// The system's character set: one byte per character, so there are no lead bytes.
struct TSysLocale {
  bool FarEast = false;
  bool MiddleEast = false;
};
extern const TSysLocale SysLocale;
enum class TMbcsByteType { mbSingleByte, mbLeadByte, mbTrailByte };
TMbcsByteType ByteType(const String& s, int index1);   // always mbSingleByte here

// ---- Strings -------------------------------------------------------------------------------

int Pos(const String& sub, const String& s);             // 1-based; 0 when absent or sub empty
String Copy(const String& s, int index1, int count);     // index and count clamped to the text
void Delete(String& s, int index1, int count);           // out-of-range index: no change
void Insert(const String& sub, String& s, int index1);   // index clamped to 1..Length+1
String StringOfChar(Char c, int count);

// Blanks are every byte up to and including #32.
String Trim(const String& s);
String TrimLeft(const String& s);
String TrimRight(const String& s);

String UpperCase(const String& s);                       // a-z only
String LowerCase(const String& s);                       // A-Z only
String AnsiUpperCase(const String& s);                   // the code page's case table
String AnsiLowerCase(const String& s);

// Byte-wise; the result's sign orders the texts.
int CompareStr(const String& a, const String& b);
int CompareText(const String& a, const String& b);       // a-z folded to A-Z
bool SameText(const String& a, const String& b);
// Locale order: letters first by their base letter without case, then accents, then
// lower case before upper case. Results are -1, 0 or 1.
int AnsiCompareStr(const String& a, const String& b);
int AnsiCompareText(const String& a, const String& b);
bool AnsiSameText(const String& a, const String& b);
bool AnsiSameStr(const String& a, const String& b);

enum class TReplaceFlag { rfReplaceAll, rfIgnoreCase };
String StringReplace(const String& s, const String& oldPattern, const String& newPattern,
                     std::initializer_list<TReplaceFlag> flags = {});

// A letter or '_' (ASCII), then letters, digits or '_'.
bool IsValidIdent(const String& s);

String QuotedStr(const String& s);                       // 'it''s'
String AnsiQuotedStr(const String& s, Char quote);
// Removes the quotes and undoubles inner quotes; text not starting with `quote` is returned
// unchanged. An unterminated quote takes the rest of the text.
String AnsiDequotedStr(const String& s, Char quote);

// ---- Integers ------------------------------------------------------------------------------

String IntToStr(Integer v);
String IntToStr(Int64 v);
// Upper-case hexadecimal of the value's two's-complement bits, at least `digits` long.
String IntToHex(Integer v, int digits);
String IntToHex(Int64 v, int digits);
// Leading blanks and a sign are allowed, trailing characters are not. "$1F" and "0x1F"
// are hexadecimal bit patterns (up to 8 digits for Integer). Out of range raises.
Integer StrToInt(const String& s);
Integer StrToIntDef(const String& s, Integer def);
bool TryStrToInt(const String& s, Integer& out);
Int64 StrToInt64(const String& s);
Int64 StrToInt64Def(const String& s, Int64 def);
bool TryStrToInt64(const String& s, Int64& out);

// ---- Floating point ----------------------------------------------------------------------

enum class TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };

// Blanks around the number are allowed; the decimal separator is the settings' one.
double StrToFloat(const String& s);
double StrToFloat(const String& s, const TFormatSettings& fs);
double StrToFloatDef(const String& s, double def);
bool TryStrToFloat(const String& s, double& out);
bool TryStrToFloat(const String& s, double& out, const TFormatSettings& fs);
String FloatToStr(double v);
String FloatToStr(double v, const TFormatSettings& fs);
String FloatToStrF(double v, TFloatFormat format, int precision, int digits);
String FloatToStrF(double v, TFloatFormat format, int precision, int digits, const TFormatSettings& fs);
// The picture language: '0' '#' '.' ',' "E+"/"E-", quoted text, up to three ';' sections
// (positive; negative; zero). Rounds half away from zero. Never fails on an odd picture.
String FormatFloat(const String& format, double v);
String FormatFloat(const String& format, double v, const TFormatSettings& fs);
String FormatCurr(const String& format, Currency v);

// Currency arithmetic: exact on the scaled integers; leaving the range raises EOverflow.
inline constexpr Int64 CurrencyScale = 10000;
Currency DoubleToCurr(double v);   // to the nearest 1/10000, ties to even
Currency IntToCurr(Int64 v);
inline double CurrToDouble(Currency c) { return double(c.Raw) / double(CurrencyScale); }
Currency operator-(Currency a);
Currency operator+(Currency a, Currency b);
Currency operator-(Currency a, Currency b);
Currency operator*(Currency a, Currency b);
Currency operator/(Currency a, Currency b);   // EZeroDivide on zero
inline Currency& operator+=(Currency& a, Currency b) { return a = a + b; }
inline Currency& operator-=(Currency& a, Currency b) { return a = a - b; }

String CurrToStr(Currency v);
Currency StrToCurr(const String& s);
bool TryStrToCurr(const String& s, Currency& out);

// ---- Format ---------------------------------------------------------------------------------

// One argument of Format: the class library's "array of const" element.
struct TVarRec {
  enum Kind { vtInteger, vtInt64, vtExtended, vtCurrency, vtString, vtChar, vtPointer, vtBoolean };
  Kind VType;
  Int64 VInt = 0;
  double VFloat = 0;
  Currency VCurr;
  String VStr;
  const void* VPtr = nullptr;

  TVarRec(int v) : VType(vtInteger), VInt(v) {}
  TVarRec(unsigned v) : VType(vtInt64), VInt(Int64(v)) {}
  TVarRec(Int64 v) : VType(vtInt64), VInt(v) {}
  TVarRec(double v) : VType(vtExtended), VFloat(v) {}
  TVarRec(TDateTime v) : VType(vtExtended), VFloat(v.Value) {}
  TVarRec(Currency v) : VType(vtCurrency), VCurr(v) {}
  TVarRec(const char* v) : VType(vtString), VStr(v ? v : "") {}
  TVarRec(String v) : VType(vtString), VStr(std::move(v)) {}
  TVarRec(char v) : VType(vtChar), VStr(1, v) {}
  TVarRec(bool v) : VType(vtBoolean), VInt(v) {}
  TVarRec(const void* v) : VType(vtPointer), VPtr(v) {}
};
using TVarRecs = std::initializer_list<TVarRec>;

// %[index:][-][width][.precision]type with d u x e f g n m p s; '*' takes the number from
// the arguments. A missing argument or one of the wrong kind raises EConvertError.
String Format(const String& format, TVarRecs args);
String Format(const String& format, TVarRecs args, const TFormatSettings& fs);

// C-style formatting, for texts written as printf patterns: %[flags][width][.precision]type
// with flags - 0 + blank, types d i u x X c s f e g and %%. Errors raise as Format does.
String StrPrintf(const String& format, TVarRecs args);

// A destination of StrScanf: %d and %i fill an Integer or Int64, %u a Cardinal, %s and
// %c a String, %f a double.
struct TScanArg {
  enum Kind { saInteger, saInt64, saCardinal, saString, saDouble } Kind;
  void* Ptr;
  TScanArg(Integer* p) : Kind(saInteger), Ptr(p) {}
  TScanArg(Int64* p) : Kind(saInt64), Ptr(p) {}
  TScanArg(Cardinal* p) : Kind(saCardinal), Ptr(p) {}
  TScanArg(String* p) : Kind(saString), Ptr(p) {}
  TScanArg(double* p) : Kind(saDouble), Ptr(p) {}
};
// Reads `text` by a scanf pattern: blanks in the pattern match any run of blanks, %d skips
// leading blanks and takes an optional sign, other characters must match exactly, text
// after the pattern is ignored. Returns the count of values stored (earlier values stay
// stored when a later one fails); a numeric value out of its range stops the scan.
// A pattern naming more values than given, or the wrong kind, raises EConvertError.
int StrScanf(const String& text, const String& format, std::initializer_list<TScanArg> args);

// ---- Dates and times -------------------------------------------------------------------------

inline constexpr double MinDateTime = -693593.0;         // 0001-01-01
inline constexpr double MaxDateTime = 2958465.99999999;  // 9999-12-31 23:59:59.999
inline constexpr Integer DateDelta = 693594;             // days from 0001-01-01 to 1899-12-31 + 1
inline constexpr Integer MSecsPerDay = 86400000;

// The fraction and the whole part of a number, both keeping its sign.
double Frac(double x);
double Int(double x);

bool IsLeapYear(Word year);
Word DaysInAMonth(Word year, Word month);                // 0 for a month outside 1..12
Word DaysInMonth(TDateTime dt);
TDateTime EncodeDate(Word year, Word month, Word day);   // EConvertError when invalid
bool TryEncodeDate(Word year, Word month, Word day, TDateTime& out);
TDateTime EncodeTime(Word hour, Word min, Word sec, Word msec);
bool TryEncodeTime(Word hour, Word min, Word sec, Word msec, TDateTime& out);
// Outside MinDateTime..MaxDateTime (or NaN) every part decodes as 0.
void DecodeDate(TDateTime dt, Word& year, Word& month, Word& day);
void DecodeTime(TDateTime dt, Word& hour, Word& min, Word& sec, Word& msec);
// Joins a date and a time of day so that dates before 1899-12-30 keep their time forwards.
TDateTime ComposeDateTime(TDateTime date, TDateTime time);
Word DayOfWeek(TDateTime dt);                            // 1 Sunday .. 7 Saturday
TDateTime IncMonth(TDateTime dt, int months = 1);        // day clamped to the target month
void DateTimeToSystemTime(TDateTime dt, SYSTEMTIME& st);   // wDayOfWeek 0 = Sunday
TDateTime SystemTimeToDateTime(const SYSTEMTIME& st);      // EConvertError when invalid

// The clock seam's wall time, in local time.
TDateTime Now();
TDateTime Date();
TDateTime Time();

String FormatDateTime(const String& format, TDateTime dt);
String FormatDateTime(const String& format, TDateTime dt, const TFormatSettings& fs);
String DateToStr(TDateTime dt);
String DateToStr(TDateTime dt, const TFormatSettings& fs);
String TimeToStr(TDateTime dt);
String TimeToStr(TDateTime dt, const TFormatSettings& fs);
String DateTimeToStr(TDateTime dt);
String DateTimeToStr(TDateTime dt, const TFormatSettings& fs);

// Numbers separated by the date separator in the order of the short date format; with
// two numbers the year is the current one; a year of at most two digits is placed in the
// century window. Blanks around the text are allowed.
TDateTime StrToDate(const String& s);
TDateTime StrToDate(const String& s, const TFormatSettings& fs);
bool TryStrToDate(const String& s, TDateTime& out);
bool TryStrToDate(const String& s, TDateTime& out, const TFormatSettings& fs);
TDateTime StrToTime(const String& s);
TDateTime StrToTime(const String& s, const TFormatSettings& fs);
bool TryStrToTime(const String& s, TDateTime& out);
bool TryStrToTime(const String& s, TDateTime& out, const TFormatSettings& fs);
TDateTime StrToDateTime(const String& s);
TDateTime StrToDateTime(const String& s, const TFormatSettings& fs);
bool TryStrToDateTime(const String& s, TDateTime& out);
bool TryStrToDateTime(const String& s, TDateTime& out, const TFormatSettings& fs);
// The tolerant reading variants use: blanks, commas, '-', '.' or the date separator between
// the parts, month names (long or short, any case) in any position, and an optional time.
bool TryTextToDateTimeLoose(const String& s, TDateTime& out, const TFormatSettings& fs);

// ---- Files ----------------------------------------------------------------------------------

inline constexpr Char PathDelim = '/';
// Paths carry the operating system's bytes unchanged. Both '/' and '\' separate folders.
String ExtractFilePath(const String& fileName);          // up to and including the last delimiter
String ExtractFileDir(const String& fileName);           // without the trailing delimiter
String ExtractFileName(const String& fileName);
String ExtractFileExt(const String& fileName);           // with the dot; "" when none
String ChangeFileExt(const String& fileName, const String& ext);
String IncludeTrailingPathDelimiter(const String& s);
String ExcludeTrailingPathDelimiter(const String& s);
bool FileExists(const String& fileName);                 // a regular file (not a folder)
bool DirectoryExists(const String& name);

// ---- Resource strings used by these routines -----------------------------------------------

namespace SysConst {
extern const TResStringRec SInvalidInteger;
extern const TResStringRec SInvalidFloat;
extern const TResStringRec SInvalidCurrency;
extern const TResStringRec SInvalidFormat;
extern const TResStringRec SArgumentMissing;
extern const TResStringRec SInvalidDate;
extern const TResStringRec SInvalidTime;
extern const TResStringRec SInvalidDateTime;
extern const TResStringRec SDateEncodeError;
extern const TResStringRec STimeEncodeError;
extern const TResStringRec SCurrencyOverflow;
extern const TResStringRec SDivByZero;
}  // namespace SysConst
