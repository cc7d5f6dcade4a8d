// Text readers and picture languages of the system unit on arbitrary bytes. The first
// byte chooses the routine; the rest is the text. None may crash, hang or leak; each
// either answers or raises the class library's conversion error. The wall clock (the
// current year of two-digit years) is a fixed virtual one, so a run replays on any day.
// fuzz-links: classlib_core
#include "classlib/core/SysUtils.h"
#include "classlib/core/Variants.h"
#include "tests/fuzz/support/FixedClock.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

namespace {
// Values as stored data can hold them: ordinary ones, the ends of the calendar, and doubles
// no date or picture has room for.
const double kValues[] = {0.0,     -1.5,     1234.5678, 1e17,      -2.5e-7,   44259.2104, -693593.5, 2958465.999,
                          -1e300,  1e300,    5e-324,    -0.0,      HUGE_VAL,  -HUGE_VAL,  NAN,       9.2233720368547758e18};

TFormatSettings German() {
  TFormatSettings fs;
  fs.DecimalSeparator = ',';
  fs.ThousandSeparator = '.';
  fs.DateSeparator = '.';
  fs.ShortDateFormat = "dd.MM.yyyy";
  return fs;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > 4096) return 0;
  static FixedClock clock;
  const String text(reinterpret_cast<const char*>(data) + 1, size - 1);
  static const TFormatSettings us, de = German();
  const TFormatSettings& fs = (data[0] & 0x80) ? de : us;
  TDateTime dt;
  double d;
  try {
    switch (data[0] & 0x0F) {
      case 0: TryStrToDateTime(text, dt, fs); break;
      case 1: TryStrToDate(text, dt, fs); break;
      case 2: TryStrToTime(text, dt, fs); break;
      case 3: TryTextToDateTimeLoose(text, dt, fs); break;
      case 4: TryStrToFloat(text, d, fs); break;
      case 5:
        for (double v : kValues) FormatFloat(text, v, fs);
        break;
      case 6:
        for (double v : kValues) FormatDateTime(text, v, fs);
        break;
      case 7:
        try {
          Format(text, {1, "s", 2.5, Int64(-3)}, fs);
        } catch (const EConvertError&) {
        }
        Format(text, {-1e300, HUGE_VAL, NAN, 5e-324}, fs);
        break;
      case 8:
        try {
          StrPrintf(text, {1, "s", 2.5, Int64(-3)});
        } catch (const EConvertError&) {
        }
        StrPrintf(text, {-1e300, HUGE_VAL, NAN, 5e-324});
        break;
      case 9: {
        Integer a, b;
        String s;
        StrScanf(text, "%d,%d %s", {&a, &b, &s});
        break;
      }
      case 10: VarToDateTime(Variant(text)); break;
      case 11: Variant(text).AsInteger(); break;
      default: {
        Integer i;
        Int64 j;
        TryStrToInt(text, i);
        TryStrToInt64(text, j);
        break;
      }
    }
  } catch (const EConvertError&) {
  } catch (const EVariantError&) {
  }
  return 0;
}
