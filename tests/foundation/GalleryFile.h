// A picture a test paints for a person to look at, written as <build>/gallery/<name>.
#pragma once

#include "platform/gdi/Codecs.h"

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
