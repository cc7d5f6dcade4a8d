// The decimal (BCD) and SQL time-stamp value kinds the class library does not carry.
//
// The class library's variant has no custom types, so these kinds travel through variants
// in the forms its own types give them: a decimal as its text in the locale's decimal
// separator (which is also how the tagged stream writes one), a time stamp as a date. The
// codes varFMTBcd and varSQLTimeStamp name the two kinds where a variant type code is
// asked for; cxVarAsValueType converts to them.
#pragma once

#include "classlib/core/Variants.h"

#include <cstdint>

inline constexpr TVarType varFMTBcd = 0x0110;
inline constexpr TVarType varSQLTimeStamp = 0x0111;

// A decimal of up to 64 digits. Fraction holds the digits two per byte, the first digit
// in the high nibble; SignSpecialPlaces holds the sign (bit 7) and the count of digits
// after the decimal point (bits 0..5). 34 bytes, as records store it.
struct TBcd {
  Byte Precision = 1;
  Byte SignSpecialPlaces = 0;
  Byte Fraction[32] = {};
};
static_assert(sizeof(TBcd) == 34);

inline constexpr int MaxFMTBcdDigits = 64;

// Text: an optional sign, digits, and one decimal separator (the locale's, or '.'), with
// blanks around. Leading integer zeros are dropped; more than 64 significant digits fail.
bool TryStrToBcd(const String& AText, TBcd& ABcd);
// EConvertError when the text is not a decimal.
TBcd StrToBcd(const String& AText);
// The general form: a minus sign for a negative value, the integer digits (at least one),
// then the locale's decimal separator and the fraction digits without trailing zeros.
String BcdToStr(const TBcd& ABcd);
// Negative, zero or positive by value; -0 equals 0 and 1.50 equals 1.5.
int BcdCompare(const TBcd& A, const TBcd& B);

// The time stamp of a record: fractions are milliseconds.
struct TSQLTimeStamp {
  SmallInt Year = 0;
  Word Month = 0;
  Word Day = 0;
  Word Hour = 0;
  Word Minute = 0;
  Word Second = 0;
  LongWord Fractions = 0;
};
static_assert(sizeof(TSQLTimeStamp) == 16);

// EConvertError for a stamp that is no valid date and time.
TDateTime SQLTimeStampToDateTime(const TSQLTimeStamp& AStamp);
// Rounded to the millisecond; EConvertError outside the date range.
TSQLTimeStamp DateTimeToSQLTimeStamp(TDateTime ADateTime);
// Negative, zero or positive: year, month, day, hour, minute, second, fractions in turn.
int SQLTimeStampCompare(const TSQLTimeStamp& A, const TSQLTimeStamp& B);

// Variants of the two kinds, and back. A value that cannot be converted raises
// EVariantError, as the class library's own conversions do.
Variant VarFMTBcdCreate(const TBcd& ABcd);
TBcd VarToBcd(const Variant& AValue);
Variant VarSQLTimeStampCreate(const TSQLTimeStamp& AStamp);
TSQLTimeStamp VarToSQLTimeStamp(const Variant& AValue);

// VarAsType that also knows varFMTBcd and varSQLTimeStamp.
Variant cxVarAsValueType(const Variant& AValue, TVarType AVarType);
