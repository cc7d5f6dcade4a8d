// A small program on the screen host for the end-to-end test of shaped windows and a tall
// menu bar: the form "Shapes" (client area blue) has a menu bar whose one item shows a
// 16 x 30 red image, and shows a drag image (40 x 40: a lime square of 20 in a border its
// mask leaves out) with its corner at (60, 60) of the client area. Lines on stdout:
//   BAR <bar height> <image centre x> <client top>   in the shown window's coordinates
//   DRAG <x> <y>                  the drag image's corner on the screen
//   READY <X window id>           after the form's first frame reached the screen
#include "classlib/core/SysUtils.h"
#include "classlib/visual/Forms.h"
#include "classlib/visual/ImgList.h"
#include "classlib/visual/Menus.h"
#include "classlib/visual/VisualUnits.h"
#include "platform/gdi/FontEngine.h"
#include "platform/host/sdl/SdlHost.h"
#include "platform/kernel/Units.h"
#include "platform/theme/UxTheme.h"
#include "platform/user/Menus.h"
#include "platform/user/User.h"
#include "tests/e2e/ScreenProgram.h"

#include <cstdio>
#include <iterator>

namespace {

const UnitEntry kUnits[] = {
    {"Kernel", PlatformKernelInitialize, PlatformKernelFinalize},
    {"Fonts", InitializeFonts, FinalizeFonts},
    {"User", PlatformUserInitialize, PlatformUserFinalize},
    {"Theme", PlatformThemeInitialize, PlatformThemeFinalize},
    {"SysUtils", SysUtilsInitialize, SysUtilsFinalize},
    {"ClasslibVisual", ClasslibVisualInitialize, ClasslibVisualFinalize},
};

// A AWidth x AHeight bitmap of AColor; with ABorder, a border of that width in clFuchsia.
TBitmap* NewBitmap(Integer AWidth, Integer AHeight, TColor AColor, Integer ABorder) {
  TBitmap* b = New<TBitmap>();
  b->SetSize(AWidth, AHeight);
  b->Canvas()->Brush()->SetColor(ABorder ? clFuchsia : AColor);
  b->Canvas()->FillRect(TRect{0, 0, AWidth, AHeight});
  b->Canvas()->Brush()->SetColor(AColor);
  b->Canvas()->FillRect(TRect{ABorder, ABorder, AWidth - ABorder, AHeight - ABorder});
  return b;
}

class TShapesForm : public TForm {
  TL_CLASS(TShapesForm, TForm)
 public:
  explicit TShapesForm(TComponent* AOwner) : TForm(AOwner, 0) {}

  void AfterConstruction() override {
    inherited::AfterConstruction();
    SetCaption("Shapes");
    SetPosition(TPosition::poDesigned);
    SetBounds(40, 40, 320, 240);
    SetColor(clBlue);
    auto* tall = New<TImageList>(this);
    tall->SetWidth(16);
    tall->SetHeight(30);
    Owned<TBitmap> image(NewBitmap(16, 30, clRed, 0));
    tall->Add(image.get(), nullptr);
    menu_ = New<TMainMenu>(this);
    TMenuItem* game = New<TMenuItem>(this);
    game->SetCaption("&Game");
    game->SetImageIndex(0);
    menu_->Items()->Add(game);
    menu_->SetImages(tall);
    SetMenu(menu_);
    drag_ = New<TDragImageList>(this);
    drag_->SetWidth(40);
    drag_->SetHeight(40);
    Owned<TBitmap> square(NewBitmap(40, 40, clLime, 10));
    drag_->AddMasked(square.get(), clFuchsia);
    drag_->SetDragImage(0, 0, 0);
    Application->OnIdle = TIdleEvent(this, &TShapesForm::Idle);
  }

 private:
  void Idle(TObject*, bool&) {
    if (ready_) return;
    if (!dragging_) {
      dragging_ = drag_->BeginDrag(Handle(), 60, 60);
      RECT item;
      GetMenuItemRect(Handle(), menu_->Handle(), 0, &item);
      POINT client{0, 0}, corner{60, 60};
      ::ClientToScreen(Handle(), &client);
      ::ClientToScreen(Handle(), &corner);
      // From the screen to the shown window: the client origin is where the host shows it.
      const TPoint shown = GetSdlHost()->ShownClientOrigin(Handle());
      // The image's centre column: after the item's padding of 7, 8 into the image.
      std::printf("BAR %d %d %d\n", MenuBarHeight(Handle()), int(item.Left + 7 + 8 + shown.X - client.X),
                  int(shown.Y));
      std::printf("DRAG %d %d\n", int(corner.X), int(corner.Y));
      std::fflush(stdout);
    }
    if (GetSdlHost()->PresentCount(Handle()) > 0) {
      ready_ = true;
      std::printf("READY %lu\n", GetSdlHost()->NativeWindowId(Handle()));
      std::fflush(stdout);
    }
  }

  TMainMenu* menu_ = nullptr;
  TDragImageList* drag_ = nullptr;
  bool dragging_ = false;
  bool ready_ = false;
};

TL_DEFINE_CLASS(TShapesForm)

}  // namespace

int main() {
  return RunScreenProgram("Shapes", kUnits, std::size(kUnits), [] {
    TShapesForm* form = nullptr;
    Application->CreateForm(form);
  });
}
