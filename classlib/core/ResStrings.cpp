// Resource strings: the override resolver, then the string tables, then the default text.
#include "classlib/core/Exceptions.h"
#include "classlib/core/SysUtils.h"
#include "platform/kernel/Resources.h"

#include <vector>

namespace {
TResStringResolver gResolver = nullptr;
}

TResStringResolver SetResStringResolver(TResStringResolver resolver) {
  TResStringResolver old = gResolver;
  gResolver = resolver;
  return old;
}

String LoadResString(const TResStringRec& rec) {
  if (gResolver) {
    bool found = false;
    String text = gResolver(rec, found);
    if (found) return text;
  }
  // The string table, with a buffer that grows until the text fits.
  for (int size = 256; size <= (1 << 20); size *= 4) {
    std::vector<char> buf(size_t(size), '\0');
    int n = LoadStringA(nullptr, UINT(rec.Id), buf.data(), size);
    if (n <= 0) break;
    if (n < size - 1) return String(buf.data(), size_t(n));
  }
  return rec.Default ? String(rec.Default) : String();
}

namespace SysConst {
// The system unit's texts, numbered from 64512 (0xFC00) so they never meet the widget
// library's tables.
const TResStringRec SInvalidInteger = {64512, "'%s' is not a valid integer value"};
const TResStringRec SInvalidFloat = {64513, "'%s' is not a valid floating point value"};
const TResStringRec SInvalidCurrency = {64514, "'%s' is not a valid currency value"};
const TResStringRec SInvalidFormat = {64515, "Format '%s' invalid or incompatible with argument"};
const TResStringRec SArgumentMissing = {64516, "No argument for format '%s'"};
const TResStringRec SInvalidDate = {64517, "'%s' is not a valid date"};
const TResStringRec SInvalidTime = {64518, "'%s' is not a valid time"};
const TResStringRec SInvalidDateTime = {64519, "'%s' is not a valid date and time"};
const TResStringRec SDateEncodeError = {64520, "Invalid argument to date encode"};
const TResStringRec STimeEncodeError = {64521, "Invalid argument to time encode"};
const TResStringRec SCurrencyOverflow = {64522, "Currency value out of range"};
const TResStringRec SDivByZero = {64523, "Division by zero"};
}  // namespace SysConst
