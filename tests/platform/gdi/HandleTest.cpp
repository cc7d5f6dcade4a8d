#include "platform/gdi/Gdi.h"
#include "platform/gdi/ImageList.h"

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

TEST(GdiHandles, StaleHandlesStayDeadThroughManyReuses) {
  HBRUSH staleBrush = CreateSolidBrush(RGB(1, 1, 1));
  HDC staleDc = CreateCompatibleDC(nullptr);
  HIMAGELIST staleList = ImageList_Create(4, 4, 0, 0, 0);
  ASSERT_TRUE(staleBrush && staleDc && staleList);
  DeleteObject(staleBrush);
  DeleteDC(staleDc);
  ImageList_Destroy(staleList);
  // Past a 16-bit generation's wrap: every cycle frees what it made, so slots are reused.
  int revived = 0;
  for (int i = 0; i < 70000; ++i) {
    HBRUSH b = CreateSolidBrush(RGB(2, 2, 2));
    HDC d = CreateCompatibleDC(nullptr);
    HIMAGELIST il = ImageList_Create(4, 4, 0, 0, 0);
    int cx = 0, cy = 0;
    revived += GetObjectType(staleBrush) != 0 || SaveDC(staleDc) != 0 || ImageList_GetIconSize(staleList, &cx, &cy);
    if (i == 69999) {
      // A second delete through the stale handles touches nobody else's object.
      EXPECT_FALSE(DeleteObject(staleBrush) || DeleteDC(staleDc) || ImageList_Destroy(staleList));
      EXPECT_EQ(GetObjectType(b), DWORD(OBJ_BRUSH));
      EXPECT_TRUE(ImageList_GetIconSize(il, &cx, &cy));
    }
    DeleteObject(b);
    DeleteDC(d);
    ImageList_Destroy(il);
  }
  EXPECT_EQ(revived, 0);
}
