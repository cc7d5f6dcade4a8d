// Metafiles written record by record for the player's tests, and canvases to play them on.
#pragma once

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/Metafile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace metafile_test {

// A placeable metafile written record by record: words as the records hold them.
class Wmf {
 public:
  explicit Wmf(int16_t right, int16_t bottom, uint16_t objects = 8, int16_t left = 0, int16_t top = 0)
      : objects_(objects) {
    Put32(head_, kPlaceableMetafileKey);
    for (int v : {0, int(left), int(top), int(right), int(bottom), 96, 0, 0, 0}) Put16(head_, uint16_t(v));
  }
  Wmf& Rec(uint16_t fn, std::initializer_list<int> words) {
    std::vector<uint8_t> p;
    for (int w : words) Put16(p, uint16_t(w));
    return Raw(fn, p);
  }
  Wmf& Raw(uint16_t fn, std::vector<uint8_t> params) {
    if (params.size() % 2) params.push_back(0);
    Put32(body_, uint32_t(3 + params.size() / 2));
    Put16(body_, fn);
    body_.insert(body_.end(), params.begin(), params.end());
    return *this;
  }
  std::vector<uint8_t> Bytes() const {
    std::vector<uint8_t> rec = body_;
    Put32(rec, 3);
    Put16(rec, 0);   // end of file
    std::vector<uint8_t> f = head_;
    for (int v : {1, 9, 0x300}) Put16(f, uint16_t(v));
    Put32(f, uint32_t(9 + rec.size() / 2));
    Put16(f, objects_);
    Put32(f, 0);
    Put16(f, 0);
    f.insert(f.end(), rec.begin(), rec.end());
    return f;
  }
  static void Put16(std::vector<uint8_t>& v, uint16_t w) {
    v.push_back(uint8_t(w));
    v.push_back(uint8_t(w >> 8));
  }
  static void Put32(std::vector<uint8_t>& v, uint32_t w) {
    Put16(v, uint16_t(w));
    Put16(v, uint16_t(w >> 16));
  }

 private:
  uint16_t objects_;
  std::vector<uint8_t> head_, body_;
};

// An enhanced metafile written record by record. Its reference device has one pixel a
// millimetre, so a frame of w x h pixels is w*100 x h*100 hundredths of a millimetre.
class Emf {
 public:
  Emf(int w, int h, uint16_t handles = 8) : w_(w), h_(h), handles_(handles) {}
  Emf& Rec(uint32_t type, std::initializer_list<int32_t> values) {
    std::vector<uint8_t> p;
    for (int32_t v : values) Wmf::Put32(p, uint32_t(v));
    return Raw(type, p);
  }
  Emf& Raw(uint32_t type, std::vector<uint8_t> params) {
    while (params.size() % 4) params.push_back(0);
    Wmf::Put32(body_, type);
    Wmf::Put32(body_, uint32_t(8 + params.size()));
    body_.insert(body_.end(), params.begin(), params.end());
    ++records_;
    return *this;
  }
  std::vector<uint8_t> Bytes() const {
    std::vector<uint8_t> rec = body_;
    for (uint32_t v : {14u, 20u, 0u, 16u, 20u}) Wmf::Put32(rec, v);   // end of file
    std::vector<uint8_t> f;
    for (int32_t v : {1, 88, 0, 0, w_ - 1, h_ - 1, 0, 0, w_ * 100, h_ * 100, 0x464D4520, 0x10000}) Wmf::Put32(f, uint32_t(v));
    Wmf::Put32(f, uint32_t(88 + rec.size()));
    Wmf::Put32(f, uint32_t(records_ + 2));
    Wmf::Put16(f, handles_);
    Wmf::Put16(f, 0);
    for (int32_t v : {0, 0, 0, 1000, 1000, 1000, 1000}) Wmf::Put32(f, uint32_t(v));
    f.insert(f.end(), rec.begin(), rec.end());
    return f;
  }

 private:
  int w_, h_;
  uint16_t handles_;
  size_t records_ = 0;
  std::vector<uint8_t> body_;
};

// The low and high words of a colour.
inline int Lo(COLORREF c) { return int(c & 0xFFFF); }
inline int Hi(COLORREF c) { return int(c >> 16); }

inline int32_t FloatBits(float f) {
  int32_t v;
  std::memcpy(&v, &f, 4);
  return v;
}

// The pixels of a w x h white canvas after `draw`.
inline std::vector<Pixel> Drawn(int w, int h, const std::function<void(HDC)>& draw) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateBitmap(w, h, 1, 32, nullptr);
  HGDIOBJ old = SelectObject(dc, bmp);
  BitmapFromHandle(bmp)->Pixels->Fill(0xFFFFFF);
  draw(dc);
  std::vector<Pixel> px;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) px.push_back(BitmapFromHandle(bmp)->Pixels->At(x, y));
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
  return px;
}

inline std::vector<Pixel> Played(int w, int h, const std::vector<uint8_t>& f, RECT target = {-1, -1, -1, -1}) {
  if (target.Left == -1) target = {0, 0, w, h};
  return Drawn(w, h, [&](HDC dc) {
    std::string why;
    EXPECT_TRUE(PlayMetafile(dc, f.data(), f.size(), target, why)) << why;
  });
}

// Selects, draws, deselects and deletes: the direct drawings' pens, brushes and fonts.
inline void With(HDC dc, HGDIOBJ obj, const std::function<void()>& draw) {
  HGDIOBJ old = SelectObject(dc, obj);
  draw();
  SelectObject(dc, old);
  DeleteObject(obj);
}

// Draws with a new pen and brush selected, then deletes both.
inline void WithPenAndBrush(HDC dc, HPEN pen, HBRUSH brush, const std::function<void()>& draw) {
  With(dc, pen, [&] { With(dc, brush, draw); });
}

}  // namespace metafile_test
