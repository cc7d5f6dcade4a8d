// Date-editor text conversion on arbitrary bytes: smart words with offsets, the locale's
// and the library's readings, and the controller's parse of a format picture. Nothing may
// crash or raise; a failed conversion leaves the null date, and a date read shows as text.
// Today and now come from a fixed virtual clock, so a run replays on any day.
// fuzz-links: widgets_editcore
#include "classlib/core/SysUtils.h"
#include "widgets/editcore/cxDateUtils.h"
#include "widgets/editcore/cxFormats.h"
#include "tests/fuzz/support/FixedClock.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > 4096) return 0;
  static FixedClock clock;
  static bool started = [] {
    SysUtilsInitialize();
    cxFormats::Initialize();
    return true;
  }();
  (void)started;
  const String text(reinterpret_cast<const char*>(data) + 1, size - 1);
  TcxFormatController* c = cxGetFormatController();
  c->SetUseLibraryFormats(data[0] & 1);
  TDateTime d = 0.0;
  switch ((data[0] >> 1) % 4) {
    case 0:
      if (!cxTryTextToDate(text, d) && d.Value != NullDate) std::abort();
      break;
    case 1:
      if (!cxTextToDateTime(text, data[0] & 0x40, d) && d.Value != NullDate) std::abort();
      break;
    case 2: {
      TcxDateTimeFormatInfo info;
      if (c->GetDateTimeFormatInfo(text, info)) {
        c->GetDateTimeStandardMask(info, TcxDateTimeEditMaskKind(data[0] >> 5 & 1 ? 1 : 2));
        c->GetDateTimeRegExprMask(info, data[0] & 0x80);
        c->GetDateTimeDisplayFormat(info);
        TcxDateTimeFormatItemKind kind;
        Integer start = 0, length = 0;
        TcxTimeSuffixKind suffix;
        cxFindDateTimeFormatItem(info, Integer(size % 40), kind, start, length, suffix);
      } else if (!info.Items.empty()) {
        std::abort();
      }
      break;
    }
    default:
      try {
        cxSmartTextToDate(text, d);
      } catch (const EConvertError&) {
        // A sign followed by something other than a number: the callers catch it.
      }
      break;
  }
  // Whatever date a conversion gave shows again as text, in every way the editors show one.
  if (d.Value != NullDate) {
    String shown;
    cxDateTimeToText(data[0] & 0x20, data[0] & 0x40, data[0] & 0x80, shown, d);
    cxDateTimeToLocaleText(data[0] & 0x80, shown, d);
    cxGetLongDateText(d);
    cxWeekOfYear(d, TcxFirstWeekOfYear(size % 4), Integer(size % 8));
    cxGetWeekStart(d, Integer(size % 7));
  }
  return 0;
}
