// The fixture of the data units' tests: the kernel with its built-in locale, the format
// settings read from it, and the data units started; plus hex helpers for byte images.
#pragma once

#include "classlib/core/Streams.h"
#include "classlib/core/SysUtils.h"
#include "tests/support/KernelTest.h"
#include "widgets/data/DataUnits.h"

#include <string>

class DataTest : public KernelTest {
 protected:
  void SetUp() override {
    KernelTest::SetUp();
    GetFormatSettings();
    WidgetsDataInitialize();
  }
  void TearDown() override {
    WidgetsDataFinalize();
    ResetLocale();
    FormatSettings = DefaultFormatSettings();
    KernelTest::TearDown();
  }
};

// "0A FF 31" <-> bytes; blanks between bytes are optional.
inline String Unhex(const std::string& hex) {
  String r;
  std::string digits;
  for (char c : hex)
    if (c != ' ') digits += c;
  for (size_t i = 0; i + 1 < digits.size(); i += 2) r += Char(std::stoi(digits.substr(i, 2), nullptr, 16));
  return r;
}

inline std::string Hex(const String& bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string r;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i) r += ' ';
    r += digits[Byte(bytes[i]) >> 4];
    r += digits[Byte(bytes[i]) & 15];
  }
  return r;
}
