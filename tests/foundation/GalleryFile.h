// A picture a test paints for a person to look at, written as <build>/gallery/<name>.
#pragma once

#include "platform/gdi/Codecs.h"
#include "platform/host/HeadlessHost.h"
#include "platform/user/User.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

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
