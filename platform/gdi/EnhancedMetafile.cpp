// Enhanced metafiles: records of a 32-bit type and a 32-bit size (a multiple of four), the
// first one the header with the picture's frame in hundredths of a millimetre and the size
// of the device it was made on.
#include "platform/gdi/MetafilePlayer.h"

#include <string>

namespace metafile {

namespace {

constexpr size_t kEmfHeaderSize = 88;
constexpr uint32_t kEmfSignature = 0x464D4520u;
constexpr uint32_t kEmrEof = 14;

MetafileCheck Refused(const std::string& why) {
  MetafileCheck c;
  c.Error = "Enhanced metafile is not valid: " + why;
  return c;
}

}  // namespace

MetafileCheck CheckEnhanced(const uint8_t* data, size_t size) {
  if (size < kEmfHeaderSize) return Refused("its header is cut short");
  if (U32(data + 40) != kEmfSignature) return Refused("its header has no signature");
  const uint32_t headerSize = U32(data + 4);
  const uint64_t declared = U32(data + 48);
  if (headerSize < kEmfHeaderSize || headerSize % 4 || headerSize > declared)
    return Refused("its header claims " + std::to_string(headerSize) + " bytes");
  if (declared > size)
    return Refused("it declares " + std::to_string(declared) + " bytes but holds " + std::to_string(size));
  if (U16(data + 56) > kMaxMetafileObjects)
    return Refused("it declares " + std::to_string(U16(data + 56)) + " objects, more than " +
                   std::to_string(kMaxMetafileObjects));
  size_t at = 0, records = 0;
  while (at < declared) {
    if (declared - at < 8) return Refused("a record is cut short at byte " + std::to_string(at));
    const uint32_t type = U32(data + at), length = U32(data + at + 4);
    if (length < 8 || length % 4 || length > declared - at)
      return Refused("the record at byte " + std::to_string(at) + " claims " + std::to_string(length) +
                     " bytes, past the end");
    if (type == kEmrEof) break;
    if (++records > kMaxMetafileRecords)
      return Refused("it has more than " + std::to_string(kMaxMetafileRecords) + " records");
    at += length;
  }
  MetafileCheck c;
  c.Ok = true;
  c.Enhanced = true;
  c.Records = records;
  return c;
}

bool PlayEnhanced(HDC, const uint8_t*, size_t, const RECT&) { return true; }

}  // namespace metafile
