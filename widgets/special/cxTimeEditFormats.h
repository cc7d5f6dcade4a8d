// The time edit's text rules, apart from the control: its fixed formats and masks (the
// 12-hour masks follow the locale's designators), the value of a masked time text, the part
// of the time under a position, the step of a spin on that part, and the typing rules of
// the digit and AM/PM parts, which the date edit shares for the time in its text.
#pragma once

#include "classlib/core/Enums.h"
#include "classlib/core/SysUtils.h"

TL_ENUM(TcxTimeEditTimeFormat, tfHourMinSec, tfHourMin, tfHour);
TL_ENUM(TcxTimePart, tpHour, tpMin, tpSec, tpAMPM);

inline constexpr Integer cxSecondsPerDay = 86400;
inline constexpr Integer cxSecondsPerHalfDay = 43200;

// The display format of the focused text: "hh:nn:ss", or with " ampm" in 12-hour format.
String cxTimeEditDisplayFormat(TcxTimeEditTimeFormat AFormat, bool AUse24Hour);
// The edit mask. The 12-hour masks end in as many places as the locale's designator needs.
String cxTimeEditMask(TcxTimeEditTimeFormat AFormat, bool AUse24Hour);
// Rebuilds the 12-hour masks from the locale; run at start-up and on every locale change.
void cxTimeEditBuildMasks();

// The 1-based position where the AM/PM part starts: 10, 7 or 4.
Integer cxTimeEditSuffixStart(TcxTimeEditTimeFormat AFormat);
// The part under the 1-based position APos of a text in the format's display form.
TcxTimePart cxTimeEditPartAt(Integer APos, TcxTimeEditTimeFormat AFormat, bool AUse24Hour);
// The 1-based start of a part's two characters.
Integer cxTimeEditPartStart(TcxTimePart APart, TcxTimeEditTimeFormat AFormat);

// Seconds since midnight of a masked time text. Characters that are not digits count as 0;
// PM adds 12 hours only when the locale has a PM designator.
Integer cxTimeEditTextToSeconds(const String& AText, TcxTimeEditTimeFormat AFormat, bool AUse24Hour);

// The step of one spin on APart from the value ASeconds: hours 3600, minutes 60, seconds 1
// (minutes and seconds tenfold when AFast), AM/PM 12 hours across noon; negative backward.
Integer cxTimeEditIncrement(TcxTimePart APart, bool AFast, bool ABackward, Integer ASeconds);

// Typing ADigit at the 0-based offset AOffset (0 or 1) of a two-digit part whose value must
// lie in AMin..AMax. APart holds the part's two characters and is rewritten; ANewOffset is
// where the caret stands in the part afterwards. False for a refused key.
bool cxTimeEditTypeDigit(String& APart, Integer AOffset, Char ADigit, Integer AMin, Integer AMax, Integer& ANewOffset);
// Typing AChar at the 0-based offset AOffset of the AM/PM part: a character that only one
// designator has there gives that whole designator (AReplace); a character of their common
// beginning is kept as typed; any other is refused.
bool cxTimeEditTypeSuffix(Char AChar, Integer AOffset, String& AReplace);

TL_ENUM(TcxTimeTyping, ttPlain, ttRewritten, ttRefused);
// A key typed at the 1-based position APos of AText, inside a two-digit part starting at
// APartStart whose value lies in AMin..AMax: ttPlain when the key goes in as typed,
// ttRewritten when AText was corrected (ACaret: where the caret goes, 0-based), ttRefused.
TcxTimeTyping cxTimeEditTypeIntoText(String& AText, Integer APartStart, Integer APos, Char AKey, Integer AMin,
                                     Integer AMax, Integer& ACaret);
// A key typed into the AM/PM part starting at APartStart: the whole designator written (as
// far as AText reaches), the key kept as typed, or refused.
TcxTimeTyping cxTimeEditTypeSuffixIntoText(String& AText, Integer APartStart, Integer APos, Char AKey,
                                           Integer& ACaret);
