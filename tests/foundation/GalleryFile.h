// A picture a test paints for a person to look at, written as <build>/gallery/<name>.
#pragma once

#include "platform/gdi/Codecs.h"
#include "platform/host/HeadlessHost.h"
#include "platform/user/Menus.h"
#include "platform/user/User.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

inline void WriteGalleryPng(const DecodedImage& AImage, const char* AName) {
  const std::filesystem::path dir = std::filesystem::path(TL_BINARY_DIR) / "gallery";
  std::filesystem::create_directories(dir);
  const EncodeResult png = EncodePng(AImage);
  ASSERT_TRUE(png.Ok) << png.Error;
  const std::filesystem::path file = dir / AName;
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(png.Bytes.data()), std::streamsize(png.Bytes.size()));
    ASSERT_TRUE(out.good());
  }
  EXPECT_EQ(std::filesystem::file_size(file), png.Bytes.size());
}

// A window's client area as shown, read from one capture of its top-level window (reading
// pixel by pixel would capture the whole window once per pixel).
inline DecodedImage CaptureClientImage(const HeadlessHost& AHost, HWND AWnd) {
  HWND top = GetAncestor(AWnd, GA_ROOT);
  const Surface shown = AHost.Capture(top);
  RECT window;
  GetWindowRect(top, &window);
  POINT origin{0, 0};
  ClientToScreen(AWnd, &origin);
  RECT client;
  GetClientRect(AWnd, &client);
  DecodedImage image;
  image.Width = client.Right - client.Left;
  image.Height = client.Bottom - client.Top;
  image.Pixels.reserve(size_t(image.Width) * size_t(image.Height));
  for (Integer y = 0; y < image.Height; ++y)
    for (Integer x = 0; x < image.Width; ++x)
      image.Pixels.push_back(shown.At(origin.X - window.Left + x, origin.Y - window.Top + y));
  return image;
}

// A rectangle of a top-level window in window coordinates (its frame included), as shown.
inline DecodedImage CaptureWindowRect(const HeadlessHost& AHost, HWND ATop, const RECT& AArea) {
  const Surface shown = AHost.Capture(ATop);
  DecodedImage image;
  image.Width = AArea.Right - AArea.Left;
  image.Height = AArea.Bottom - AArea.Top;
  image.Pixels.reserve(size_t(std::max<Integer>(image.Width, 0)) * size_t(std::max<Integer>(image.Height, 0)));
  for (Integer y = AArea.Top; y < AArea.Bottom; ++y)
    for (Integer x = AArea.Left; x < AArea.Right; ++x) image.Pixels.push_back(shown.At(x, y));
  return image;
}

// The items of a window's menu bar (window coordinates) and the bar's pixels from the first
// item's left to the last item's right, as shown.
struct MenuBarShot {
  std::vector<RECT> items;
  DecodedImage image;
};
inline MenuBarShot CaptureMenuBar(const HeadlessHost& AHost, HWND AWnd, HMENU ABar) {
  MenuBarShot b;
  RECT win;
  GetWindowRect(AWnd, &win);
  for (int i = 0; i < GetMenuItemCount(ABar); ++i) {
    RECT r{};
    GetMenuItemRect(AWnd, ABar, UINT(i), &r);
    b.items.push_back({r.Left - win.Left, r.Top - win.Top, r.Right - win.Left, r.Bottom - win.Top});
  }
  if (b.items.empty()) return b;
  const RECT first = b.items.front();
  b.image = CaptureWindowRect(AHost, AWnd, {first.Left, first.Top, b.items.back().Right, first.Bottom});
  return b;
}
