// A mutated PNG almost never keeps its chunk checksums right, so the decoders stop at the
// first chunk the fuzzer touched. The targets that read PNG data also try a copy whose
// checksums are recomputed, so the values inside the chunks (sizes, depths, compressed
// rows) reach the code past the checksum test.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

// The bytes with the CRC of every whole chunk after the first PNG signature recomputed;
// empty when there is no signature or nothing to change.
inline std::vector<uint8_t> PngWithChunkCrcsMended(const uint8_t* data, size_t size) {
  static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  static const auto kTable = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  size_t at = 0;
  while (at + 8 <= size && std::memcmp(data + at, kSignature, 8) != 0) ++at;
  if (at + 8 > size) return {};
  std::vector<uint8_t> out(data, data + size);
  bool changed = false;
  for (at += 8; size - at >= 12;) {
    const uint32_t length = uint32_t(out[at]) << 24 | uint32_t(out[at + 1]) << 16 | uint32_t(out[at + 2]) << 8 | out[at + 3];
    if (length > size - at - 12) break;
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = at + 4; i < at + 8 + length; ++i) c = kTable[(c ^ out[i]) & 0xFF] ^ (c >> 8);
    c ^= 0xFFFFFFFFu;
    uint8_t* crc = &out[at + 8 + length];
    const uint8_t want[4] = {uint8_t(c >> 24), uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)};
    if (std::memcmp(crc, want, 4) != 0) {
      std::memcpy(crc, want, 4);
      changed = true;
    }
    at += 12 + size_t(length);
  }
  if (!changed) return {};
  return out;
}
