// Images beside the captions of popup menus: from the menu's image list or the item's
// bitmap, drawn in the menu the platform shows in the normal, selected and disabled states.
#include "classlib/core/Filer.h"
#include "classlib/visual/ImgList.h"
#include "classlib/visual/Menus.h"
#include "tests/foundation/GalleryFile.h"
#include "tests/support/AppTest.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// A Size x Size bitmap of clFuchsia (its bottom-left pixel: transparent in the menu) with a
// square of AColor inset by Size / 4.
TBitmap* NewGlyph(Integer Size, TColor AColor) {
  TBitmap* b = New<TBitmap>();
  b->SetSize(Size, Size);
  b->Canvas()->Brush()->SetColor(clFuchsia);
  b->Canvas()->FillRect(TRect{0, 0, Size, Size});
  b->Canvas()->Brush()->SetColor(AColor);
  b->Canvas()->FillRect(TRect{Size / 4, Size / 4, Size - Size / 4, Size - Size / 4});
  return b;
}

class MenuImagesTest : public AppTest {
 protected:
  struct Shown {
    std::vector<RECT> items;   // client coordinates of the popup
    DecodedImage image;        // the popup's client area
  };
  void SetUp() override {
    AppTest::SetUp();
    Application->CreateForm(form);
    form->SetBounds(50, 50, 300, 200);
    form->Show();
    images = New<TImageList>(form);
    Owned<TBitmap> red(NewGlyph(16, clRed)), blue(NewGlyph(16, clBlue));
    images->AddMasked(red.get(), clDefault);
    images->AddMasked(blue.get(), clDefault);
    menu = New<TPopupMenu>(form);
  }
  TMenuItem* Add(TPopupMenu* AMenu, const char* ACaption, Integer AImageIndex, bool AEnabled = true) {
    TMenuItem* i = New<TMenuItem>(form);
    i->SetCaption(ACaption);
    i->SetImageIndex(AImageIndex);
    i->SetEnabled(AEnabled);
    AMenu->Items()->Add(i);
    return i;
  }
  // Pops AMenu up, runs ABefore at the first idle point, then captures it and closes it.
  Shown Show(TPopupMenu* AMenu, std::function<void()> ABefore = nullptr) {
    Shown s;
    host().WhenIdle([&] {
      if (ABefore) ABefore();
    });
    host().WhenIdle([&] {
      HWND w = FindWindowA(MenuWindowClassName, nullptr);
      ASSERT_NE(w, nullptr);
      RECT win;
      GetWindowRect(w, &win);
      for (Integer i = 0; i < GetMenuItemCount(AMenu->Handle()); ++i) {
        RECT r{};
        GetMenuItemRect(nullptr, AMenu->Handle(), UINT(i), &r);
        s.items.push_back({r.Left - win.Left, r.Top - win.Top, r.Right - win.Left, r.Bottom - win.Top});
      }
      s.image = CaptureClientImage(host(), w);
      host().Key(VK_ESCAPE);
    });
    AMenu->Popup(100, 100);
    Pump();
    return s;
  }
  static Pixel At(const DecodedImage& AImage, LONG x, LONG y) {
    return AImage.Pixels[size_t(y) * size_t(AImage.Width) + size_t(x)];
  }
  // The block of AImage at (x, y) of AWidth x AHeight pixels.
  static std::vector<Pixel> Block(const DecodedImage& AImage, LONG x, LONG y, LONG AWidth, LONG AHeight) {
    std::vector<Pixel> out;
    for (LONG j = y; j < y + AHeight; ++j)
      for (LONG i = x; i < x + AWidth; ++i) out.push_back(At(AImage, i, j));
    return out;
  }
  static Pixel Of(TColor AColor) { return PixelFromColor(ColorToRGB(AColor)); }
  // Image AIndex of the list drawn disabled on the menu's colour.
  std::vector<Pixel> DisabledLook(Integer AIndex) const {
    Owned<TBitmap> b(New<TBitmap>());
    b->SetSize(16, 16);
    b->Canvas()->Brush()->SetColor(clMenu);
    b->Canvas()->FillRect(TRect{0, 0, 16, 16});
    images->Draw(b->Canvas(), 0, 0, AIndex, false);
    std::vector<Pixel> out;
    for (Integer j = 0; j < 16; ++j)
      for (Integer i = 0; i < 16; ++i) out.push_back(Of(b->Canvas()->GetPixel(i, j)));
    return out;
  }

  TForm* form = nullptr;
  TImageList* images = nullptr;
  TPopupMenu* menu = nullptr;
};

TEST_F(MenuImagesTest, ListImagesShowBesideTheCaptionsNormalSelectedAndDisabled) {
  Add(menu, "&Cut", 0);
  Add(menu, "&Plain", -1);
  Add(menu, "&Off", 1, false);
  menu->SetImages(images);
  const Shown s = Show(menu);
  ASSERT_EQ(s.items.size(), 3u);
  // The image sits after the check-mark column (18 pixels into the item), centred in the
  // item's height: 16 high in a line of 20, so 2 down.
  const LONG x = s.items[0].Left + 18, y = s.items[0].Top + 2;
  EXPECT_EQ(s.items[0].Bottom - s.items[0].Top, 20);
  EXPECT_EQ(At(s.image, x + 8, y + 8), Of(clRed));
  EXPECT_EQ(At(s.image, x + 4, y + 4), Of(clRed));
  EXPECT_EQ(At(s.image, x + 11, y + 11), Of(clRed));
  // Its transparent margin shows the menu.
  EXPECT_EQ(At(s.image, x + 1, y + 1), Of(clMenu));
  EXPECT_EQ(At(s.image, x + 3, y + 8), Of(clMenu));
  // The item without an image shows nothing in the column.
  const std::vector<Pixel> blank(16 * 16, Of(clMenu));
  EXPECT_EQ(Block(s.image, x, s.items[1].Top + 2, 16, 16), blank);

  // Disabled: the image list's disabled look of the same image, on the menu.
  const std::vector<Pixel> disabled = DisabledLook(1);
  const std::vector<Pixel> off = Block(s.image, x, s.items[2].Top + 2, 16, 16);
  EXPECT_EQ(off, disabled);
  EXPECT_NE(At(s.image, x + 8, s.items[2].Top + 10), Of(clBlue));
  EXPECT_NE(off, blank);

  // Selected: the image on the highlight.
  const Shown hot = Show(menu, [&] { host().Key(VK_DOWN); });
  EXPECT_EQ(At(hot.image, x + 8, y + 8), Of(clRed));
  EXPECT_EQ(At(hot.image, x + 1, y + 1), Of(clHighlight));
  EXPECT_EQ(At(hot.image, x + 3, y + 8), Of(clHighlight));

  WriteGalleryPng(s.image, "menu-images.png");
  WriteGalleryPng(hot.image, "menu-images-selected.png");
}

TEST_F(MenuImagesTest, TheImageColumnMovesTheCaptionsAndTallImagesRaiseTheirItems) {
  TPopupMenu* plain = New<TPopupMenu>(form);
  Add(plain, "&Cut", -1);
  Add(plain, "&Plain", -1);
  Add(menu, "&Cut", 0);
  Add(menu, "&Plain", -1);
  menu->SetImages(images);
  const Shown p = Show(plain);
  const Shown s = Show(menu);
  ASSERT_EQ(s.items.size(), 2u);
  ASSERT_EQ(p.items.size(), 2u);
  // The captions move by the image width plus a gap of 2; the heights stay (16 + 2 < 20).
  EXPECT_EQ(s.items[1].Bottom - s.items[1].Top, p.items[1].Bottom - p.items[1].Top);
  EXPECT_EQ(s.items[0].Right, p.items[0].Right + 18);
  EXPECT_EQ(Block(s.image, 20 + 18, s.items[1].Top, 30, 20), Block(p.image, 20, p.items[1].Top, 30, 20));

  // Images taller than the line raise their items to their height plus 2.
  images->SetHeight(24);
  images->SetWidth(24);
  Owned<TBitmap> big(NewGlyph(24, clLime));
  images->AddMasked(big.get(), clDefault);
  const Shown tall = Show(menu);
  ASSERT_EQ(tall.items.size(), 2u);
  EXPECT_EQ(tall.items[0].Bottom - tall.items[0].Top, 26);
  EXPECT_EQ(tall.items[1].Bottom - tall.items[1].Top, 20);
  EXPECT_EQ(At(tall.image, tall.items[0].Left + 18 + 12, tall.items[0].Top + 1 + 12), Of(clLime));
}

TEST_F(MenuImagesTest, AnIndexOutOfTheListShowsNothingAndKeepsTheLayout) {
  TPopupMenu* plain = New<TPopupMenu>(form);
  Add(plain, "&Cut", -1);
  Add(plain, "&Far", -1);
  Add(menu, "&Cut", 2);
  Add(menu, "&Far", 1000);
  menu->SetImages(images);
  const Shown p = Show(plain);
  const Shown s = Show(menu);
  EXPECT_EQ(s.items, p.items);
  EXPECT_EQ(s.image.Pixels, p.image.Pixels);
  EXPECT_EQ(Show(menu, [&] { host().Key(VK_DOWN); }).image.Pixels,
            Show(plain, [&] { host().Key(VK_DOWN); }).image.Pixels);
  // Without a list, indexes ask for nothing; a freed list is forgotten.
  menu->Items()->Items(0)->SetImageIndex(0);
  images->Free();
  EXPECT_EQ(menu->GetImages(), nullptr);
  EXPECT_EQ(Show(menu).image.Pixels, p.image.Pixels);
}

TEST_F(MenuImagesTest, AnItemBitmapShowsWhenTheListHasNoImageForIt) {
  TMenuItem* glyph = Add(menu, "&Glyph", -1);
  TMenuItem* both = Add(menu, "&Both", 0);
  TMenuItem* off = Add(menu, "&Off", -1, false);
  Owned<TBitmap> green(NewGlyph(12, clLime));
  glyph->SetBitmap(green.get());
  both->SetBitmap(green.get());
  off->SetBitmap(green.get());
  EXPECT_NE(glyph->GetBitmap(), green.get());
  const Shown alone = Show(menu);
  ASSERT_EQ(alone.items.size(), 3u);
  // 12 wide and high, 4 down in a line of 20.
  const LONG x = alone.items[0].Left + 18;
  EXPECT_EQ(At(alone.image, x + 6, alone.items[0].Top + 4 + 6), Of(clLime));
  EXPECT_EQ(At(alone.image, x + 1, alone.items[0].Top + 4 + 1), Of(clMenu));
  EXPECT_NE(At(alone.image, x + 6, alone.items[2].Top + 4 + 6), Of(clLime));
  EXPECT_NE(At(alone.image, x + 6, alone.items[2].Top + 4 + 6), Of(clMenu));
  // With the list, an index the list has wins over the bitmap.
  menu->SetImages(images);
  const Shown listed = Show(menu);
  EXPECT_EQ(At(listed.image, x + 8, listed.items[1].Top + 2 + 8), Of(clRed));
  EXPECT_EQ(At(listed.image, x + 6, listed.items[0].Top + 4 + 6), Of(clLime));
  // Assigning nullptr frees the bitmap: no image and no column left.
  glyph->SetBitmap(nullptr);
  both->SetImageIndex(-1);
  both->SetBitmap(nullptr);
  off->SetBitmap(nullptr);
  EXPECT_FALSE(glyph->HasBitmap());
  TPopupMenu* plain = New<TPopupMenu>(form);
  Add(plain, "&Glyph", -1);
  Add(plain, "&Both", -1);
  Add(plain, "&Off", -1, false);
  EXPECT_EQ(Show(menu).image.Pixels, Show(plain).image.Pixels);
}

TEST_F(MenuImagesTest, TheMainMenusDropDownsAndSubmenusShowTheirImagesThroughTheForm) {
  auto* mainMenu = New<TMainMenu>(form);
  TMenuItem* game = New<TMenuItem>(form);
  game->SetCaption("&Game");
  mainMenu->Items()->Add(game);
  TMenuItem* more = New<TMenuItem>(form);
  more->SetCaption("&More");
  game->Add(more);
  TMenuItem* deep = New<TMenuItem>(form);
  deep->SetCaption("&Deep");
  deep->SetImageIndex(1);
  more->Add(deep);
  mainMenu->SetImages(images);
  form->SetMenu(mainMenu);
  host().PumpUntilIdle();
  SetFocus(form->Handle());
  std::vector<DecodedImage> shots;
  const auto capture = [&] {
    // The innermost level is the menu window on top.
    HWND w = FindWindowA(MenuWindowClassName, nullptr);
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(GetMenuItemCount(more->Handle()), 1);
    RECT r{};
    ASSERT_TRUE(GetMenuItemRect(nullptr, more->Handle(), 0, &r));
    RECT win{};
    GetWindowRect(w, &win);
    ASSERT_EQ(r.Left - win.Left, 2) << "not the submenu's window";
    ASSERT_EQ(r.Top - win.Top, 2) << "not the submenu's window";
    shots.push_back(CaptureClientImage(host(), w));
  };
  host().WhenIdle([&] { host().Key(VK_DOWN); });
  host().WhenIdle([&] { host().Key(VK_RIGHT); });
  host().WhenIdle([&] {
    capture();
    host().Key(VK_ESCAPE);
    host().Key(VK_ESCAPE);
    host().Key(VK_ESCAPE);
  });
  host().Key(VK_F10);
  Pump();
  ASSERT_EQ(shots.size(), 1u);
  // The submenu's only item, selected on opening: the blue image on the highlight.
  EXPECT_EQ(At(shots[0], 2 + 18 + 8, 2 + 2 + 8), Of(clBlue));
  EXPECT_EQ(At(shots[0], 2 + 18 + 1, 2 + 2 + 1), Of(clHighlight));
  form->SetMenu(nullptr);
}

TEST_F(MenuImagesTest, ImagesAndBitmapsAreStreamedWithTheMenu) {
  images->SetName("Images1");
  menu->SetName("Popup1");
  menu->SetImages(images);
  TMenuItem* item = Add(menu, "&Glyph", 1);
  item->SetName("miGlyph");
  Owned<TBitmap> green(NewGlyph(12, clLime));
  item->SetBitmap(green.get());
  Add(menu, "&None", -1)->SetName("miNone");
  Owned<TMemoryStream> stream(New<TMemoryStream>());
  stream->WriteComponent(form);
  const String bytes(reinterpret_cast<const char*>(stream->Memory()), size_t(stream->GetSize()));
  EXPECT_NE(bytes.find("Images1"), String::npos);
  // Only the item with a bitmap carries one.
  EXPECT_NE(bytes.find("Bitmap.Data"), String::npos);
  EXPECT_EQ(bytes.find("Bitmap.Data"), bytes.rfind("Bitmap.Data"));

  TForm* copy = nullptr;
  Application->CreateForm(copy);
  stream->SetPosition(0);
  stream->ReadComponent(copy);
  auto* readMenu = dynamic_cast<TPopupMenu*>(copy->FindComponent("Popup1"));
  ASSERT_NE(readMenu, nullptr);
  EXPECT_EQ(readMenu->GetImages(), copy->FindComponent("Images1"));
  auto* readItem = dynamic_cast<TMenuItem*>(copy->FindComponent("miGlyph"));
  ASSERT_NE(readItem, nullptr);
  ASSERT_TRUE(readItem->HasBitmap());
  EXPECT_EQ(readItem->GetBitmap()->GetWidth(), 12);
  EXPECT_EQ(readItem->GetBitmap()->Canvas()->GetPixel(6, 6), clLime);
  EXPECT_FALSE(dynamic_cast<TMenuItem*>(copy->FindComponent("miNone"))->HasBitmap());
}

}  // namespace


TEST_F(MenuImagesTest, TheMainMenusBarItemsShowTheirImagesLeftOfTheCaptions) {
  auto* mainMenu = New<TMainMenu>(form);
  const auto add = [&](const char* ACaption, Integer AIndex, bool AEnabled) {
    TMenuItem* i = New<TMenuItem>(form);
    i->SetCaption(ACaption);
    i->SetImageIndex(AIndex);
    i->SetEnabled(AEnabled);
    mainMenu->Items()->Add(i);
    return i;
  };
  TMenuItem* game = add("&Game", 0, true);
  TMenuItem* sub = New<TMenuItem>(form);
  sub->SetCaption("&New");
  game->Add(sub);
  add("&Help", -1, true);
  add("&Off", 1, false);
  form->SetMenu(mainMenu);
  host().PumpUntilIdle();
  const HWND wnd = form->Handle();
  const MenuBarShot plain = CaptureMenuBar(host(), wnd, mainMenu->Handle());
  mainMenu->SetImages(images);
  host().PumpUntilIdle();
  const MenuBarShot s = CaptureMenuBar(host(), wnd, mainMenu->Handle());
  ASSERT_EQ(plain.items.size(), 3u);
  ASSERT_EQ(s.items.size(), 3u);
  const auto width = [](const RECT& r) { return r.Right - r.Left; };
  // Items with an image grow by its width and a gap of 2.
  EXPECT_EQ(width(s.items[0]), width(plain.items[0]) + 18);
  EXPECT_EQ(width(s.items[1]), width(plain.items[1]));
  EXPECT_EQ(width(s.items[2]), width(plain.items[2]) + 18);
  // The image after the item's padding of 7, centred in the bar: 16 high in 19, so 1 down.
  const LONG h = s.items[0].Bottom - s.items[0].Top;
  ASSERT_EQ(h, 19);
  const LONG x = 7, y = 1, off = s.items[2].Left - s.items[0].Left + 7;
  EXPECT_EQ(At(s.image, x + 8, y + 8), Of(clRed));
  EXPECT_EQ(At(s.image, x + 11, y + 11), Of(clRed));
  EXPECT_EQ(At(s.image, x + 1, y + 1), Of(clMenu));
  // The caption follows the image as it was drawn without one.
  const LONG text = width(plain.items[0]) - 7;
  EXPECT_EQ(Block(s.image, x + 18, 0, text, h), Block(plain.image, 7, 0, text, h));
  // Disabled: the image list's disabled look of the same image, on the menu.
  const std::vector<Pixel> disabled = DisabledLook(1);
  EXPECT_EQ(Block(s.image, off, y, 16, 16), disabled);
  EXPECT_NE(At(s.image, off + 8, y + 8), Of(clBlue));

  // Hot (the bar entered from the keyboard): the image on the highlight.
  SetFocus(wnd);
  std::vector<MenuBarShot> hot;
  host().WhenIdle([&] {
    hot.push_back(CaptureMenuBar(host(), wnd, mainMenu->Handle()));
    host().Key(VK_ESCAPE);
  });
  host().Key(VK_F10);
  Pump();
  ASSERT_EQ(hot.size(), 1u);
  EXPECT_EQ(At(hot[0].image, x + 8, y + 8), Of(clRed));
  EXPECT_EQ(At(hot[0].image, x + 1, y + 1), Of(clHighlight));
  EXPECT_EQ(At(hot[0].image, 1, 1), Of(clHighlight));
  WriteGalleryPng(s.image, "menu-bar-images.png");
  WriteGalleryPng(hot[0].image, "menu-bar-images-hot.png");
  form->SetMenu(nullptr);
}

TEST_F(MenuImagesTest, TheMainMenusBarGrowsForTallImagesAndTheClientAreaGivesWay) {
  auto* tall = New<TImageList>(form);
  tall->SetWidth(24);
  tall->SetHeight(24);
  Owned<TBitmap> red(NewGlyph(24, clRed));
  tall->AddMasked(red.get(), clDefault);
  auto* mainMenu = New<TMainMenu>(form);
  TMenuItem* game = New<TMenuItem>(form);
  game->SetCaption("&Game");
  game->SetImageIndex(0);
  mainMenu->Items()->Add(game);
  TMenuItem* help = New<TMenuItem>(form);
  help->SetCaption("&Help");
  mainMenu->Items()->Add(help);
  form->SetMenu(mainMenu);
  host().PumpUntilIdle();
  const HWND wnd = form->Handle();
  const Integer clientHeight = form->GetClientHeight(), height = form->GetHeight();
  const RECT plain = CaptureMenuBar(host(), wnd, mainMenu->Handle()).items[0];
  EXPECT_EQ(plain.Bottom - plain.Top, 19);
  // The list's images are 24 high: the bar takes 26, the form keeps its size.
  mainMenu->SetImages(tall);
  host().PumpUntilIdle();
  EXPECT_EQ(form->GetHeight(), height);
  EXPECT_EQ(form->GetClientHeight(), clientHeight - 7);
  const MenuBarShot s = CaptureMenuBar(host(), wnd, mainMenu->Handle());
  ASSERT_EQ(s.items.size(), 2u);
  EXPECT_EQ(s.items[0].Bottom - s.items[0].Top, 26);
  EXPECT_EQ(s.items[1].Bottom - s.items[1].Top, 26);
  RECT win;
  GetWindowRect(wnd, &win);
  POINT origin{0, 0};
  ClientToScreen(wnd, &origin);
  EXPECT_EQ(s.items[0].Bottom, origin.Y - win.Top);
  // The whole image, a pixel below the bar's top: its red square from 6 to 18 in both directions.
  EXPECT_EQ(At(s.image, 7 + 6, 1 + 6), Of(clRed));
  EXPECT_EQ(At(s.image, 7 + 17, 1 + 17), Of(clRed));
  EXPECT_EQ(At(s.image, 7 + 12, 1 + 18), Of(clMenu));
  WriteGalleryPng(s.image, "menu-bar-tall-images.png");
  // Without the list the bar is back to its usual height.
  mainMenu->SetImages(nullptr);
  host().PumpUntilIdle();
  EXPECT_EQ(form->GetClientHeight(), clientHeight);
  form->SetMenu(nullptr);
}
