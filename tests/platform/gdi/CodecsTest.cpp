#include <gtest/gtest.h>

#include "platform/gdi/Codecs.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void P16(Bytes& v, uint32_t x) { v.push_back(uint8_t(x)); v.push_back(uint8_t(x >> 8)); }
void P32(Bytes& v, uint32_t x) { P16(v, x & 0xFFFF); P16(v, x >> 16); }

// A bitmap file assembled field by field, independent of the encoder.
struct BmpSpec {
  uint32_t headerSize = 40;
  int32_t width = 1, height = 1;
  uint16_t bpp = 24;
  uint32_t compression = 0, clrUsed = 0;
  std::vector<uint32_t> palette = {};   // 0x00RRGGBB
  std::vector<uint32_t> masks = {};     // written after a 40-byte header, or inside a larger one
  Bytes pixels = {};
};

Bytes MakeBmp(const BmpSpec& s) {
  Bytes h;
  const size_t maskBytes = s.headerSize == 40 ? s.masks.size() * 4 : 0;
  const size_t entry = s.headerSize == 12 ? 3 : 4;
  const uint32_t off = uint32_t(14 + s.headerSize + maskBytes + s.palette.size() * entry);
  h.push_back('B'); h.push_back('M');
  P32(h, uint32_t(off + s.pixels.size())); P32(h, 0); P32(h, off);
  P32(h, s.headerSize);
  if (s.headerSize == 12) {
    P16(h, uint32_t(s.width)); P16(h, uint32_t(s.height)); P16(h, 1); P16(h, s.bpp);
  } else {
    P32(h, uint32_t(s.width)); P32(h, uint32_t(s.height)); P16(h, 1); P16(h, s.bpp);
    P32(h, s.compression); P32(h, uint32_t(s.pixels.size())); P32(h, 0); P32(h, 0);
    P32(h, s.clrUsed); P32(h, 0);
    for (size_t i = 40; i < s.headerSize; i += 4) {
      const size_t k = (i - 40) / 4;
      P32(h, k < s.masks.size() ? s.masks[k] : 0);
    }
    if (s.headerSize == 40)
      for (uint32_t m : s.masks) P32(h, m);
  }
  for (uint32_t c : s.palette) {
    h.push_back(uint8_t(c)); h.push_back(uint8_t(c >> 8)); h.push_back(uint8_t(c >> 16));
    if (entry == 4) h.push_back(0);
  }
  h.insert(h.end(), s.pixels.begin(), s.pixels.end());
  return h;
}

DecodeResult Decode(const BmpSpec& s) {
  const Bytes f = MakeBmp(s);
  return DecodeBmp(f.data(), f.size());
}

DecodedImage RandomImage(std::mt19937& rng, int w, int h, bool alpha) {
  DecodedImage img;
  img.Width = w;
  img.Height = h;
  img.HasAlpha = alpha;
  for (int i = 0; i < w * h; ++i) {
    img.Pixels.push_back(rng() & 0xFFFFFF);
    if (alpha) img.Alpha.push_back(uint8_t(rng()));
  }
  return img;
}

void ExpectSameImage(const DecodedImage& a, const DecodedImage& b) {
  ASSERT_EQ(a.Width, b.Width);
  ASSERT_EQ(a.Height, b.Height);
  EXPECT_EQ(a.Pixels, b.Pixels);
  EXPECT_EQ(a.HasAlpha, b.HasAlpha);
  EXPECT_EQ(a.Alpha, b.Alpha);
}

uint32_t Crc32(const uint8_t* p, size_t n) {
  uint32_t c = 0xFFFFFFFF;
  for (size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
  }
  return ~c;
}

// A PNG's header chunk rewritten to declare another size, with a valid checksum.
Bytes WithDeclaredSize(Bytes png, uint32_t w, uint32_t h) {
  auto be = [&](size_t at, uint32_t v) {
    png[at] = uint8_t(v >> 24); png[at + 1] = uint8_t(v >> 16); png[at + 2] = uint8_t(v >> 8); png[at + 3] = uint8_t(v);
  };
  be(16, w);
  be(20, h);
  be(29, Crc32(&png[12], 17));
  return png;
}

}  // namespace

TEST(Codecs, BmpRoundTripsAtBothDepths) {
  std::mt19937 rng(1);
  for (auto [w, h] : {std::pair{1, 1}, {3, 2}, {5, 7}, {64, 3}}) {
    const DecodedImage img = RandomImage(rng, w, h, false);
    for (int bpp : {24, 32}) {
      const EncodeResult e = EncodeBmp(img, bpp);
      ASSERT_TRUE(e.Ok) << e.Error;
      const DecodeResult d = DecodeBmp(e.Bytes.data(), e.Bytes.size());
      ASSERT_TRUE(d.Ok) << d.Error;
      ExpectSameImage(d.Image, img);
    }
    const DecodedImage withAlpha = RandomImage(rng, w, h, true);
    const EncodeResult e = EncodeBmp(withAlpha, 32);
    ASSERT_TRUE(e.Ok);
    const DecodeResult d = DecodeImage(e.Bytes.data(), e.Bytes.size());
    ASSERT_TRUE(d.Ok) << d.Error;
    ExpectSameImage(d.Image, withAlpha);
  }
}

TEST(Codecs, EncodersRefuseInconsistentImages) {
  DecodedImage img;
  EXPECT_FALSE(EncodeBmp(img).Ok) << "no pixels";
  img.Width = 2;
  img.Height = 2;
  img.Pixels.assign(3, 0);
  EXPECT_FALSE(EncodeBmp(img).Ok) << "short pixel buffer";
  img.Pixels.assign(4, 0);
  img.HasAlpha = true;
  const EncodeResult e = EncodePng(img);
  EXPECT_FALSE(e.Ok) << "missing alpha";
  img.HasAlpha = false;
  EXPECT_FALSE(EncodeBmp(img, 16).Ok);
  EXPECT_TRUE(EncodeBmp(img, 24).Ok);
}

TEST(Codecs, BmpLayoutsDecodeToTheirPixels) {
  const Pixel a = 0x112233, b = 0xA0B0C0, A = 0x0000AA, B = 0x00BB00, C = 0xCC0000;
  struct Case {
    const char* what;
    BmpSpec spec;
    std::vector<Pixel> pixels;
    std::vector<uint8_t> alpha = {};
  };
  const Case cases[] = {
      // One 32-bit word per row; row 0 is 1 0 1 1 0 0 0 0 | 0 1, row 1 all ten set.
      {"1 bit, top-down rows",
       {.width = 10, .height = -2, .bpp = 1, .palette = {a, b},
        .pixels = {0b10110000, 0b01000000, 0, 0, 0xFF, 0xC0, 0, 0}},
       {b, a, b, b, a, a, a, a, a, b, b, b, b, b, b, b, b, b, b, b}},
      {"8 bits, indices past a short colour table show black",
       {.width = 2, .height = 1, .bpp = 8, .clrUsed = 1, .palette = {0xFF0000}, .pixels = {0, 200, 0, 0}},
       {0xFF0000, 0}},
      // R G B A from the low byte up.
      {"32 bits with an alpha mask inside a larger header",
       {.headerSize = 56, .width = 1, .height = 1, .bpp = 32, .compression = 3,
        .masks = {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000}, .pixels = {0x11, 0x22, 0x33, 0x80}},
       {0x112233}, {0x80}},
      // Bottom row: run 1 1 1, run 2 2, end of line. Move right 1: the middle row starts at
      // x = 1 with 3 3, end of line. Top row: literal 1 2 3 (padded), then a run past the
      // right edge is cut. End of bitmap.
      {"8-bit runs",
       {.width = 5, .height = 3, .bpp = 8, .compression = 1, .palette = {0x000000, A, B, C},
        .pixels = {3, 1, 2, 2, 0, 0, 0, 2, 1, 0, 2, 3, 0, 0, 0, 3, 1, 2, 3, 0, 9, 2, 0, 1}},
       {A, B, C, B, B, 0, C, C, 0, 0, A, A, A, B, B}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const DecodeResult d = Decode(c.spec);
    ASSERT_TRUE(d.Ok) << d.Error;
    EXPECT_EQ(d.Image.Pixels, c.pixels);
    EXPECT_EQ(d.Image.HasAlpha, !c.alpha.empty());
    EXPECT_EQ(d.Image.Alpha, c.alpha);
  }
  const DecodeResult d = Decode({.headerSize = 56, .width = 1, .height = 1, .bpp = 32, .compression = 3,
                                 .masks = {0x0000F0F0, 0xFF00, 0xFF, 0}, .pixels = {0x11, 0x22, 0x33, 0x80}});
  EXPECT_FALSE(d.Ok);
  EXPECT_NE(d.Error.find("contiguous"), std::string::npos) << d.Error;
}

TEST(Codecs, MalformedBmpsGetErrors) {
  struct Case {
    const char* what;
    BmpSpec spec;
  };
  BmpSpec base;
  base.width = 2; base.height = 2; base.bpp = 24;
  base.pixels.assign(16, 0x7F);
  std::vector<Case> cases;
  auto with = [&](const char* what, auto change) {
    BmpSpec s = base;
    change(s);
    cases.push_back({what, s});
  };
  with("zero width", [](BmpSpec& s) { s.width = 0; });
  with("zero height", [](BmpSpec& s) { s.height = 0; });
  with("lowest height", [](BmpSpec& s) { s.height = INT_MIN; });
  with("over-wide", [](BmpSpec& s) { s.width = 40000; });
  with("too many pixels", [](BmpSpec& s) { s.width = 30000; s.height = 30000; });
  with("odd depth", [](BmpSpec& s) { s.bpp = 7; });
  with("unknown compression", [](BmpSpec& s) { s.compression = 99; });
  with("bit fields at 24 bits", [](BmpSpec& s) { s.compression = 3; s.masks = {0xFF, 0xFF00, 0xFF0000}; });
  with("short pixel data", [](BmpSpec& s) { s.pixels.resize(15); });
  with("colour table beyond the file", [](BmpSpec& s) {
    s.bpp = 8; s.clrUsed = 200; s.palette = {1, 2}; s.pixels.clear();
  });
  auto runs = [](BmpSpec& s) {
    s.width = 4; s.height = 1; s.bpp = 4; s.compression = 2; s.palette = {1, 2, 3}; s.pixels = {3, 0x12, 0, 1};
  };
  with("runs without an end marker", [&](BmpSpec& s) { runs(s); s.pixels.resize(2); });
  with("top-down runs", [&](BmpSpec& s) { runs(s); s.height = -1; });
  for (const Case& c : cases) {
    const DecodeResult d = Decode(c.spec);
    EXPECT_FALSE(d.Ok) << c.what;
    EXPECT_FALSE(d.Error.empty()) << c.what;
    EXPECT_TRUE(d.Image.Pixels.empty()) << c.what;
  }
  const Bytes good = MakeBmp(base);
  ASSERT_TRUE(DecodeBmp(good.data(), good.size()).Ok);
  for (size_t n = 0; n < good.size(); ++n) EXPECT_FALSE(DecodeBmp(good.data(), n).Ok) << "prefix " << n;
  EXPECT_FALSE(DecodeBmp(nullptr, 0).Ok);
  const uint8_t text[] = "GIF89a";
  EXPECT_EQ(DecodeImage(text, sizeof text).Error, "unknown image format");
}

TEST(Codecs, MalformedPngsGetErrors) {
  std::mt19937 rng(4);
  const DecodedImage img = RandomImage(rng, 6, 5, true);
  const Bytes good = EncodePng(img).Bytes;
  ASSERT_FALSE(good.empty());
  // Cut short anywhere, the file fails with a message, or (once only the closing chunk is
  // missing) still gives exactly the whole image.
  for (size_t n = 0; n < good.size(); ++n) {
    const DecodeResult d = DecodePng(good.data(), n);
    if (d.Ok) {
      EXPECT_GE(n, good.size() - 12) << "prefix " << n;
      ExpectSameImage(d.Image, img);
    } else {
      EXPECT_FALSE(d.Error.empty());
    }
  }
  // A declared size over the caps is refused before any pixel is read.
  Bytes big = WithDeclaredSize(good, 40000, 4);
  DecodeResult d = DecodePng(big.data(), big.size());
  EXPECT_FALSE(d.Ok);
  EXPECT_NE(d.Error.find("too large"), std::string::npos) << d.Error;
  big = WithDeclaredSize(good, 20000, 20000);
  EXPECT_FALSE(DecodePng(big.data(), big.size()).Ok);
  // A size that fits the caps but not the data: the decoder runs out of data cleanly.
  big = WithDeclaredSize(good, 3000, 3000);
  EXPECT_FALSE(DecodePng(big.data(), big.size()).Ok);
  // Damaged bytes anywhere give an answer, never a crash.
  for (int iter = 0; iter < 300; ++iter) {
    Bytes bad = good;
    for (int k = 0; k < 3; ++k) bad[rng() % bad.size()] ^= uint8_t(1 + rng() % 255);
    const DecodeResult r = DecodePng(bad.data(), bad.size());
    if (r.Ok) EXPECT_EQ(r.Image.Pixels.size(), size_t(r.Image.Width) * size_t(r.Image.Height));
    else EXPECT_FALSE(r.Error.empty());
  }
}

// The fuzz seeds were written by an independent tool; the intact ones must decode and the
// damaged ones (named so) must not.
TEST(Codecs, SeedCorpusFilesDecodeAsNamed) {
  namespace fs = std::filesystem;
  int seen = 0;
  for (const char* dir : {"bmp_reader", "png_reader"}) {
    for (const auto& e : fs::directory_iterator(fs::path(TL_SOURCE_DIR) / "tests/fuzz" / dir)) {
      std::ifstream in(e.path(), std::ios::binary);
      const Bytes f((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      const std::string name = e.path().filename().string();
      const bool broken = name.rfind("truncated", 0) == 0 || name.rfind("huge", 0) == 0 ||
                          name.rfind("negative", 0) == 0 || name.rfind("bad", 0) == 0;
      const DecodeResult d = DecodeImage(f.data(), f.size());
      EXPECT_EQ(d.Ok, !broken) << name << ": " << d.Error;
      ++seen;
    }
  }
  EXPECT_GE(seen, 10);
}

TEST(Codecs, IndependentlyWrittenFilesGiveTheirPixels) {
  namespace fs = std::filesystem;
  auto load = [](const char* rel) {
    std::ifstream in(fs::path(TL_SOURCE_DIR) / "tests/fuzz" / rel, std::ios::binary);
    const Bytes f((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return DecodeImage(f.data(), f.size());
  };
  DecodeResult d = load("png_reader/rgb_2x2.png");
  ASSERT_TRUE(d.Ok) << d.Error;
  EXPECT_EQ(d.Image.Pixels, (std::vector<Pixel>{0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}));
  EXPECT_FALSE(d.Image.HasAlpha);
  d = load("png_reader/palette_trns.png");
  ASSERT_TRUE(d.Ok) << d.Error;
  EXPECT_EQ(d.Image.Alpha, (std::vector<uint8_t>{0, 255})) << "a transparency chunk gives alpha";
  d = load("bmp_reader/24bit_2x2.bmp");   // bottom-up: the file's first row is the lower one
  ASSERT_TRUE(d.Ok) << d.Error;
  EXPECT_EQ(d.Image.Pixels, (std::vector<Pixel>{0x0000FF, 0xFFFFFF, 0xFF0000, 0x00FF00}));
}

TEST(Codecs, RunLengthFilesDeclaringGiantImagesAreRefusedAtThePixelLimit) {
  // A few bytes of run-length data can declare any size: only the limit stops them.
  auto rle = [](int w, int h) {
    BmpSpec s;
    s.width = w, s.height = h, s.bpp = 8, s.compression = 1, s.palette = {0xFF0000};
    s.pixels = {2, 0, 0, 1};   // two pixels of index 0, end of bitmap
    return Decode(s);
  };
  const DecodeResult atLimit = rle(4096, 4096), over = rle(4097, 4096), giant = rle(8192, 8192);
  EXPECT_TRUE(atLimit.Ok) << atLimit.Error;
  EXPECT_EQ(atLimit.Image.Pixels[size_t(4095) * 4096], 0xFF0000u);   // bottom-up: the last row first
  EXPECT_EQ(over.Error, "image too large (4097 x 4096)");
  EXPECT_EQ(giant.Error, "image too large (8192 x 8192)");
}

namespace {

uint32_t TestCrc(const uint8_t* p, size_t n) {
  uint32_t c = 0xFFFFFFFFu;
  for (size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
  }
  return ~c;
}

// The first image data chunk's data offset and length.
std::pair<size_t, size_t> FirstIdat(const Bytes& png) {
  for (size_t at = 8; at + 12 <= png.size();) {
    const size_t n = size_t(png[at]) << 24 | size_t(png[at + 1]) << 16 | size_t(png[at + 2]) << 8 | png[at + 3];
    if (std::memcmp(&png[at + 4], "IDAT", 4) == 0) return {at + 8, n};
    at += 12 + n;
  }
  return {0, 0};
}

// A deflate block of the reserved type after the zlib header: chunks and CRCs all right,
// pixel data that cannot inflate.
Bytes WithBadPixelData(Bytes png) {
  const auto [at, n] = FirstIdat(png);
  if (n < 3) return {};
  png[at + 2] = 0xFF;
  const uint32_t crc = TestCrc(&png[at - 4], n + 4);
  for (int k = 0; k < 4; ++k) png[at + n + size_t(k)] = uint8_t(crc >> (24 - 8 * k));
  return png;
}

}  // namespace

TEST(Codecs, PngRowsReadOneAtATimeAreTheWholeDecodesRows) {
  std::mt19937 rng(9);
  for (bool alpha : {false, true}) {
    const DecodedImage img = RandomImage(rng, 7, 6, alpha);
    const Bytes png = EncodePng(img).Bytes;
    PngRowReader r;
    ASSERT_TRUE(r.Open(png.data(), png.size())) << r.Error();
    EXPECT_TRUE(r.Supported());
    EXPECT_EQ(r.Width(), 7);
    EXPECT_EQ(r.Height(), 6);
    EXPECT_EQ(r.HasAlpha(), alpha);
    ASSERT_TRUE(r.ReadRow(nullptr, nullptr));  // skipped
    for (Integer y = 1; y < 6; ++y) {
      EXPECT_EQ(r.NextRow(), y);
      std::vector<Pixel> px(7);
      std::vector<uint8_t> a(7, 0);
      ASSERT_TRUE(r.ReadRow(px.data(), a.data())) << r.Error();
      EXPECT_EQ(px, std::vector<Pixel>(img.Pixels.begin() + 7 * y, img.Pixels.begin() + 7 * y + 7)) << y;
      if (alpha) {
        EXPECT_EQ(a, std::vector<uint8_t>(img.Alpha.begin() + 7 * y, img.Alpha.begin() + 7 * y + 7)) << y;
      }
    }
    Pixel extra[7];
    EXPECT_FALSE(r.ReadRow(extra, nullptr));
    EXPECT_FALSE(r.Error().empty());
  }
}

TEST(Codecs, PngRowReaderTakesOnlyWhatItDecodesExactlyAndReportsBadPixelData) {
  auto load = [](const char* name) {
    std::ifstream in(std::filesystem::path(TL_SOURCE_DIR) / "tests/fuzz/png_reader" / name, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  };
  const Bytes palette = load("palette_trns.png");
  PngRowReader r;
  EXPECT_FALSE(r.Open(palette.data(), palette.size()));
  EXPECT_FALSE(r.Supported());
  EXPECT_EQ(r.Error(), "");
  EXPECT_FALSE(r.Open(palette.data(), 5));
  EXPECT_EQ(r.Error(), "not a PNG file");

  std::mt19937 rng(5);
  const Bytes good = EncodePng(RandomImage(rng, 40, 30, false)).Bytes;
  // A linear gamma makes the whole decode change the values: not for the row reader.
  const Bytes plain = load("rgb_2x2.png");  // no colour-space chunk
  for (uint32_t gamma : {100000u, 45455u}) {
    Bytes chunk = {0, 0, 0, 4, 'g', 'A', 'M', 'A'};
    for (int k = 0; k < 4; ++k) chunk.push_back(uint8_t(gamma >> (24 - 8 * k)));
    const uint32_t crc = TestCrc(&chunk[4], 8);
    for (int k = 0; k < 4; ++k) chunk.push_back(uint8_t(crc >> (24 - 8 * k)));
    Bytes tagged = plain;
    tagged.insert(tagged.begin() + 33, chunk.begin(), chunk.end());  // after the header chunk
    EXPECT_EQ(r.Open(tagged.data(), tagged.size()), gamma == 45455u) << gamma << " " << r.Error();
    EXPECT_EQ(r.Supported(), gamma == 45455u) << gamma;
  }
  const Bytes bad = WithBadPixelData(good);
  ASSERT_FALSE(bad.empty());
  std::string why;
  EXPECT_TRUE(CheckPngChunks(bad.data(), bad.size(), why)) << why;
  EXPECT_FALSE(DecodePng(bad.data(), bad.size()).Ok);
  ASSERT_TRUE(r.Open(bad.data(), bad.size())) << r.Error();
  bool failed = false;
  for (int y = 0; y < 30 && !failed; ++y) failed = !r.ReadRow(nullptr, nullptr);
  EXPECT_TRUE(failed);
  EXPECT_EQ(r.Error().rfind("PNG: ", 0), 0u) << r.Error();
  EXPECT_FALSE(r.IsOpen());
}

TEST(Codecs, PngChunkCheckFindsDamageAndCutsWithoutDecoding) {
  std::mt19937 rng(6);
  const Bytes good = EncodePng(RandomImage(rng, 9, 4, true)).Bytes;
  std::string why;
  ASSERT_TRUE(CheckPngChunks(good.data(), good.size(), why)) << why;
  for (size_t n = 0; n < good.size(); ++n) EXPECT_FALSE(CheckPngChunks(good.data(), n, why)) << "prefix " << n;
  Bytes flipped = good;
  flipped[FirstIdat(good).first + 1] ^= 0x10;
  EXPECT_FALSE(CheckPngChunks(flipped.data(), flipped.size(), why));
  EXPECT_EQ(why, "PNG: chunk IDAT is damaged (CRC)");
}
