// fuzz-links: platform_kernel
// Date and time pictures of any bytes, any date fields and any buffer size: the
// formatting must never overrun, must count consistently, and must terminate its output.
#include "platform/kernel/Locale.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

template <class Format>
void Exercise(Format format, size_t cap) {
  const int needed = format(nullptr, 0);
  Check(needed >= 0);
  if (needed == 0) return;
  std::vector<char> exact(static_cast<size_t>(needed));
  Check(format(exact.data(), needed) == needed);
  Check(exact[size_t(needed) - 1] == '\0');
  Check(std::strlen(exact.data()) == size_t(needed) - 1);  // no zero inside the text
  if (needed > 1) {
    std::vector<char> shortBuf(static_cast<size_t>(needed) - 1);
    Check(format(shortBuf.data(), needed - 1) == 0);
  }
  std::vector<char> other(cap + 1);
  const int r = format(other.data(), int(cap));
  Check(r == 0 || r == needed);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 12) return 0;
  SYSTEMTIME st;
  st.wYear = WORD(data[0] | data[1] << 8);
  st.wMonth = data[2] % 14;
  st.wDay = data[3] % 33;
  st.wHour = data[4] % 26;
  st.wMinute = data[5] % 62;
  st.wSecond = data[6] % 62;
  st.wMilliseconds = WORD((data[7] % 5) * 250);
  const LCID ids[] = {LOCALE_USER_DEFAULT, 0x0409, 0x0407, 0x0411, 0x0413};
  const LCID lcid = ids[data[8] % 5];
  const DWORD flags = data[9] % 9 == 8 ? LOCALE_NOUSEROVERRIDE : DWORD(data[9] % 9);
  const size_t cap = data[10];
  const bool noPicture = data[11] & 1;
  const std::string picture(reinterpret_cast<const char*>(data + 12), size - 12);
  const char* pic = noPicture ? nullptr : picture.c_str();
  Exercise([&](LPSTR buf, int cch) { return GetDateFormatA(lcid, flags, &st, pic, buf, cch); },
           cap);
  Exercise([&](LPSTR buf, int cch) { return GetTimeFormatA(lcid, flags, &st, pic, buf, cch); },
           cap);
  return 0;
}
