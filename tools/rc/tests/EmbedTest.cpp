// The test manifest (tests/data/test.rc) embedded by the real tool and looked up through
// the platform's resource functions.
#include <gtest/gtest.h>

#include "platform/kernel/Resources.h"

#include <cstring>
#include <fstream>
#include <iterator>

void TlRegisterResources_rc_test();

namespace {

std::string FileBytes(const std::string& relative) {
  std::ifstream in(std::string(TL_RC_TEST_DATA) + "/" + relative, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string Bytes(HRSRC res) {
  const void* p = LockResource(LoadResource(nullptr, res));
  if (!p) return "<none>";
  return std::string(static_cast<const char*>(p), SizeofResource(nullptr, res));
}

class Embedded : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearResourceTables();
    TlRegisterResources_rc_test();
  }
  void TearDown() override { ClearResourceTables(); }
};

}  // namespace

TEST_F(Embedded, FilesArriveByteForByte) {
  HRSRC cursor = FindResourceA(nullptr, MAKEINTRESOURCEA(2100), RT_CURSOR);
  ASSERT_NE(cursor, nullptr);
  EXPECT_EQ(Bytes(cursor), FileBytes("cursors/arrow.png"));
  EXPECT_EQ(ResourceHotspot(cursor), Point(3, 2));

  HRSRC bitmap = FindResourceA(nullptr, "dot_bitmap", RT_BITMAP);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(Bytes(bitmap), FileBytes("bitmaps/dot.png"));

  // Raw data keeps its zero bytes and every byte value.
  EXPECT_EQ(Bytes(FindResourceA(nullptr, "RAW", RT_RCDATA)), FileBytes("raw/bytes.bin"));
  // A mapped file is embedded in its converted form.
  EXPECT_EQ(Bytes(FindResourceA(nullptr, "SampleForm", RT_RCDATA)), "TPF0converted");
}

TEST_F(Embedded, StringsKeepTheirEscapedBytes) {
  char buf[64];
  EXPECT_EQ(LoadStringA(nullptr, 65323, buf, sizeof buf), 4);
  EXPECT_STREQ(buf, "Line");
  const char expected[] = "Tab\there \"quoted\" caf\xE9 A\\";
  EXPECT_EQ(LoadStringA(nullptr, 7, buf, sizeof buf), int(std::strlen(expected)));
  EXPECT_STREQ(buf, expected);
  EXPECT_EQ(LoadStringA(nullptr, 8, buf, sizeof buf), 0);
  EXPECT_NE(FindResourceA(nullptr, MAKEINTRESOURCEA(8), RT_STRING), nullptr);
}

TEST_F(Embedded, RegisteringTheGeneratedTableTwiceIsHarmless) {
  EXPECT_NO_THROW(TlRegisterResources_rc_test());
  EXPECT_NE(FindResourceA(nullptr, MAKEINTRESOURCEA(2100), RT_CURSOR), nullptr);
}
