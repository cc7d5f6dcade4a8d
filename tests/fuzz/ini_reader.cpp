// fuzz-links: classlib_core
// Any bytes parse; what the parser lists can be read back, survives a rewrite, and a
// value written into the parsed text reads back unchanged. A value read as a whole number
// reads back the same from its decimal text.
#include "classlib/core/Exceptions.h"
#include "classlib/core/IniFiles.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const String text(reinterpret_cast<const char*>(data), size);
  TIniDocument doc;
  doc.Parse(text);

  const std::vector<String> sections = doc.Sections();
  for (const String& s : sections) {
    Check(doc.SectionExists(s));
    for (const String& k : doc.Keys(s)) {
      String v;
      Check(doc.FindValue(s, k, v));
      Integer n = 0, again = 0;
      if (IniParseInteger(v, n)) Check(IniParseInteger(std::to_string(n), again) && again == n);
    }
  }

  // A rewrite without changes keeps the same content.
  TIniDocument again;
  again.Parse(doc.Text());
  Check(again.Sections() == sections);
  for (const String& s : sections) Check(again.SectionValues(s) == doc.SectionValues(s));

  // A write of a key reads back, and leaves every other section as it was.
  try {
    doc.SetValue("fuzz", "key", "value");
  } catch (const EIniFileException&) {
    Check(false);
  }
  TIniDocument written;
  written.Parse(doc.Text());
  String v;
  Check(written.FindValue("FUZZ", "KEY", v) && v == "value");
  for (const String& s : sections)
    if (s != "fuzz" && !(s.size() == 4 && (s[0] | 0x20) == 'f' && (s[1] | 0x20) == 'u' &&
                         (s[2] | 0x20) == 'z' && (s[3] | 0x20) == 'z'))
      Check(written.SectionValues(s) == again.SectionValues(s));

  // Names taken from the input itself are either accepted and read back, or refused.
  if (!sections.empty()) {
    const std::vector<String> keys = doc.Keys(sections.front());
    const String key = keys.empty() ? String("k") : keys.back();
    try {
      doc.SetValue(sections.front(), key, text.substr(0, 64));
      Check(doc.FindValue(sections.front(), key, v));
    } catch (const EIniFileException&) {
    }
    doc.DeleteKey(sections.front(), key);
    Check(!doc.FindValue(sections.front(), key, v));
    doc.EraseSection(sections.front());
    Check(!doc.SectionExists(sections.front()));
  }
  return 0;
}
