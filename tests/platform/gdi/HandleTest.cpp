#include "platform/gdi/Gdi.h"

#include <gtest/gtest.h>

#include <utility>

TEST(GdiHandles, StaleHandleFailsAfterSlotReuse) {
  const size_t before = GdiLiveObjectCount();
  HBRUSH a = CreateSolidBrush(RGB(1, 2, 3));
  ASSERT_NE(a, nullptr);
  EXPECT_TRUE(DeleteObject(a));
  EXPECT_FALSE(DeleteObject(a));            // already gone
  HPEN b = CreatePen(PS_SOLID, 1, 0);       // likely reuses the slot
  EXPECT_NE(static_cast<HGDIOBJ>(b), static_cast<HGDIOBJ>(a));
  EXPECT_EQ(std::pair(GetObjectType(a), GetObjectType(b)), std::pair(0u, DWORD(OBJ_PEN)));
  EXPECT_TRUE(BrushFromHandle(a) == nullptr && BrushFromHandle(b) == nullptr);   // gone; the wrong kind
  EXPECT_TRUE(DeleteObject(b));
  EXPECT_EQ(GdiLiveObjectCount(), before);
  EXPECT_FALSE(DeleteObject(reinterpret_cast<HGDIOBJ>(uintptr_t(0x12345678))) || DeleteObject(nullptr));
}

TEST(GdiHandles, StockObjectsSurviveDeleteAndAreNotCounted) {
  const size_t before = GdiLiveObjectCount();
  HGDIOBJ white = GetStockObject(WHITE_BRUSH);
  ASSERT_NE(white, nullptr);
  EXPECT_TRUE(DeleteObject(white));         // accepted, but nothing happens
  EXPECT_EQ(GetObjectType(white), OBJ_BRUSH);
  EXPECT_TRUE(GetStockObject(-1) == nullptr && GetStockObject(99) == nullptr);
  EXPECT_EQ(GdiLiveObjectCount(), before);
}
