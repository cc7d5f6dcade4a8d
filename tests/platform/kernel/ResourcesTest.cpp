#include "tests/support/KernelTest.h"

#include "platform/kernel/Resources.h"

#include <cstring>
#include <stdexcept>
#include <string>
#include <utility>

namespace {

const Byte kPng[] = {0x89, 'P', 'N', 'G', 1, 2, 3};
const Byte kRaw[] = {0, 1, 2, 0, 255};
const Byte kLine[] = {'L', 'i', 'n', 'e'};
const Byte kLong[] = {'a', 'b', 'c', 'd', 'e', 'f'};

const ResourceItem kItems[] = {
    {1, 2100, nullptr, kPng, sizeof kPng, 5, 7},
    {2, 0, "CX_FullScrollBitmap", kPng, 4, 0, 0},
    {6, 65323, nullptr, kLine, sizeof kLine, 0, 0},
    {6, 9, nullptr, kLong, sizeof kLong, 0, 0},
    {6, 10, nullptr, nullptr, 0, 0, 0},
    {10, 0, "TMAINFORM", kRaw, sizeof kRaw, 0, 0},
    {10, 77, nullptr, kRaw, 2, 0, 0},
};
const ResourceTable kTable{"test_table", kItems, std::size(kItems)};

// Same bitmap name in another case: a clash.
const ResourceItem kClash[] = {
    {10, 0, "OTHER", kRaw, 1, 0, 0},
    {2, 0, "cx_fullscrollbitmap", kPng, 4, 0, 0},
};
const ResourceTable kClashTable{"clashing_table", kClash, std::size(kClash)};

const ResourceItem kSelfClash[] = {
    {6, 3, nullptr, kLine, 1, 0, 0},
    {6, 3, nullptr, kLine, 2, 0, 0},
};

std::string Bytes(HRSRC res) {
  const void* p = LockResource(LoadResource(nullptr, res));
  if (!p) return "<none>";
  return std::string(static_cast<const char*>(p), SizeofResource(nullptr, res));
}

class ResourcesTest : public KernelTest {
 protected:
  void SetUp() override {
    KernelTest::SetUp();
    RegisterResourceTable(kTable);
  }
};

}  // namespace

TEST_F(ResourcesTest, EachTypeIsFoundByIdOrName) {
  HRSRC cursor = FindResourceA(nullptr, MAKEINTRESOURCEA(2100), RT_CURSOR);
  ASSERT_NE(cursor, nullptr);
  EXPECT_EQ(Bytes(cursor), std::string(reinterpret_cast<const char*>(kPng), sizeof kPng));
  EXPECT_EQ(ResourceHotspot(cursor), Point(5, 7));

  HRSRC bitmap = FindResourceA(nullptr, "cx_fullscrollbitmap", RT_BITMAP);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(SizeofResource(nullptr, bitmap), 4u);

  EXPECT_EQ(Bytes(FindResourceA(nullptr, "TMainForm", RT_RCDATA)), std::string("\0\1\2\0\xFF", 5));
}

TEST_F(ResourcesTest, TypeAndKindOfNameMustMatch) {
  // Types are numbers: "RCDATA" names none.
  const std::pair<const char*, const char*> absent[] = {
      {MAKEINTRESOURCEA(2100), RT_BITMAP}, {"2100", RT_CURSOR}, {nullptr, RT_RCDATA}, {"TMAINFORM", "RCDATA"}};
  for (auto [name, type] : absent) EXPECT_EQ(FindResourceA(nullptr, name, type), nullptr);
  EXPECT_EQ(LoadResource(nullptr, nullptr), nullptr);
  EXPECT_EQ(SizeofResource(nullptr, nullptr), 0u);
  EXPECT_EQ(LockResource(nullptr), nullptr);
}

TEST_F(ResourcesTest, LoadStringCopiesTruncatesAndTerminates) {
  char buf[16];
  EXPECT_EQ(LoadStringA(nullptr, 65323, buf, sizeof buf), 4);
  EXPECT_STREQ(buf, "Line");
  EXPECT_EQ(LoadStringA(nullptr, 9, buf, 4), 3);
  EXPECT_STREQ(buf, "abc");
  // No room for a character, present but empty, absent: nothing but the terminator.
  for (auto [id, size] : {std::pair{9, 1}, {10, int(sizeof buf)}, {11, int(sizeof buf)}}) {
    std::strcpy(buf, "junk");
    EXPECT_EQ(LoadStringA(nullptr, UINT(id), buf, size), 0) << id;
    EXPECT_STREQ(buf, "") << id;
  }
  EXPECT_EQ(LoadStringA(nullptr, 65323, nullptr, 5), 0);
  EXPECT_EQ(LoadStringA(nullptr, 0x10000 + 65323, buf, sizeof buf), 0);
}

TEST_F(ResourcesTest, DuplicatesFailLoudlyAndAddNothing) {
  try {
    RegisterResourceTable(kClashTable);
    ADD_FAILURE() << "a duplicate was accepted";
  } catch (const std::logic_error& e) {
    EXPECT_STREQ(e.what(),
                 "duplicate resource BITMAP cx_fullscrollbitmap in clashing_table, already "
                 "registered by test_table");
  }
  EXPECT_EQ(FindResourceA(nullptr, "OTHER", RT_RCDATA), nullptr);  // nothing half-added
  try {
    RegisterResourceTable({"self", kSelfClash, 2});
    ADD_FAILURE() << "a duplicate within a table was accepted";
  } catch (const std::logic_error& e) {
    EXPECT_STREQ(e.what(), "duplicate resource STRING 3 in self");
  }
  EXPECT_NO_THROW(RegisterResourceTable(kTable));  // the same table again
}

TEST_F(ResourcesTest, UnregisteredTablesLeaveStaleHandlesBehind) {
  const ResourceItem other[] = {{10, 0, "OTHER", kRaw, 1, 0, 0}};
  RegisterResourceTable({"other", other, 1});
  HRSRC a = FindResourceA(nullptr, "OTHER", RT_RCDATA);
  HRSRC b = FindResourceA(nullptr, "TMAINFORM", RT_RCDATA);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(UnregisterResourceTable("other"), TRUE);
  EXPECT_EQ(UnregisterResourceTable("other"), FALSE);
  EXPECT_EQ(LoadResource(nullptr, a), nullptr);
  EXPECT_EQ(LoadResource(nullptr, b), nullptr);  // all handles of before are stale
  EXPECT_EQ(FindResourceA(nullptr, "OTHER", RT_RCDATA), nullptr);
  EXPECT_NE(LoadResource(nullptr, FindResourceA(nullptr, "TMAINFORM", RT_RCDATA)), nullptr);
  EXPECT_EQ(LoadResource(nullptr, reinterpret_cast<HRSRC>(uintptr_t(0xDEAD))), nullptr);
}
