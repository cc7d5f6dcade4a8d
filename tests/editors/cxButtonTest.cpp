// The library's push button on a headless dialog: default and cancel keys, modal results,
// clicks by mouse, Space and accelerator, hot tracking, the drop-down kinds with their menu
// (a command freeing the menu or the button included), and a gallery of its looks.
#include "classlib/core/FormText.h"
#include "classlib/visual/ActnList.h"
#include "classlib/core/Streams.h"
#include "classlib/visual/Forms.h"
#include "classlib/visual/StdCtrls.h"
#include "platform/gdi/Codecs.h"
#include "platform/host/HeadlessHost.h"
#include "platform/user/User.h"
#include "tests/editors/EditorsTestSupport.h"
#include "tests/foundation/GalleryFile.h"
#include "tests/foundation/NativePainterFixture.h"
#include "widgets/editors/cxButtons.h"
#include "widgets/foundation/cxControlBase.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using BS = TcxButtonState;
using BK = TcxButtonKind;
using K = TcxLookAndFeelKind;

class TClickLog : public TObject {
 public:
  void Clicked(TObject* Sender) { Log.push_back(dynamic_cast<TComponent*>(Sender)->GetName()); }
  std::vector<String> Log;
};

// A menu whose modal loop is replaced by a script: it records where and how it was asked to
// open, then runs what the test gives it (a command, say) as if chosen from it.
class TScriptedMenu : public TPopupMenu {
  TL_CLASS(TScriptedMenu, TPopupMenu)
 public:
  using TPopupMenu::TPopupMenu;
  void Popup(Integer X, Integer Y) override {
    ++Shown;
    At = {X, Y};
    AlignmentShown = GetAlignment();
    Component = PopupComponent();
    // Like a real menu it holds the mouse while open, which ends the button's own press.
    const HWND w = WindowHandle();
    SetCapture(w);
    if (Command) Command();
    if (GetCapture() == w) ReleaseCapture();
  }
  int Shown = 0;
  TPoint At{};
  TPopupAlignment AlignmentShown = TPopupAlignment::paLeft;
  TComponent* Component = nullptr;
  std::function<void()> Command;
};

}  // namespace
TL_DEFINE_CLASS(TScriptedMenu)

namespace {

class Button : public EditorsDialogTest {
 protected:
  void SetUp() override {
    EditorsDialogTest::SetUp();
    edit = New<TEdit>(form);
    edit->SetBounds(10, 10, 100, 21);
    edit->SetParent(form);
    ok = Add("ok", 10, 50);
    cancel = Add("cancel", 100, 50);
  }
  TcxButton* Add(const char* name, int x, int y) {
    auto* b = New<TcxButton>(form);
    b->SetName(name);
    b->SetCaption(name);
    b->SetBounds(x, y, 75, 25);
    b->SetParent(form);
    b->OnClick = TNotifyEvent(&log, &TClickLog::Clicked);
    return b;
  }
  String Clicks() {
    String s;
    for (const String& c : log.Log) s += (s.empty() ? "" : ",") + c;
    log.Log.clear();
    return s;
  }

  TClickLog log;
  TEdit* edit = nullptr;
  TcxButton* ok = nullptr;
  TcxButton* cancel = nullptr;
};

TEST_F(Button, DefaultAndCancelTakeEnterAndEscapeFromAFocusedEditAndCloseTheDialog) {
  ok->SetDefault(true);
  ok->SetModalResult(mrOk);
  cancel->SetCancel(true);
  cancel->SetModalResult(mrCancel);
  form->SetActiveControl(edit);
  host().WhenIdle([&] { host().Key(VK_RETURN); });
  EXPECT_EQ(form->ShowModal(), mrOk);
  host().WhenIdle([&] { host().Key(VK_ESCAPE); });
  EXPECT_EQ(form->ShowModal(), mrCancel);
  EXPECT_EQ(Clicks(), "ok,cancel");
  // The window stays owner-drawn while the default look moves: the other button takes Enter
  // once it has the focus.
  Show();
  edit->SetFocus();
  Pump();
  EXPECT_TRUE(ok->IsDefaultLook());
  cancel->SetFocus();
  Pump();
  EXPECT_FALSE(ok->IsDefaultLook());
  EXPECT_EQ(DWORD(GetWindowLongA(ok->Handle(), GWL_STYLE)) & BS_TYPEMASK, BS_OWNERDRAW);
  host().Key(VK_RETURN);
  Pump();
  EXPECT_EQ(Clicks(), "cancel");
}

TEST_F(Button, ClicksByMouseSpaceAndAccelerator) {
  ok->SetCaption("&Go");
  Show();
  host().Click(ok->Handle(), 10, 10);
  Pump();
  EXPECT_EQ(Clicks(), "ok");
  // A press released outside is no click.
  host().MouseDown(ok->Handle(), 10, 10);
  host().MouseMove(ok->Handle(), 200, 10);
  host().MouseUp(ok->Handle(), 200, 10);
  Pump();
  EXPECT_EQ(Clicks(), "");
  ok->SetFocus();
  Pump();
  host().Key(VK_SPACE);
  Pump();
  EXPECT_EQ(Clicks(), "ok");
  // The accelerator works from a control that takes no characters.
  cancel->SetFocus();
  Pump();
  host().Char('g');
  Pump();
  host().Char('x');
  Pump();
  EXPECT_EQ(Clicks(), "ok");
}

TEST_F(Button, AButtonThatCannotTakeTheFocusIgnoresItsAccelerator) {
  ok->SetCaption("&Go");
  Show();
  edit->SetFocus();
  Pump();
  auto altG = [&] {
    host().KeyDown(VK_MENU);
    host().Key('G');
    host().KeyUp(VK_MENU);
    Pump();
    return Clicks();
  };
  EXPECT_EQ(altG(), "ok");
  ok->SetEnabled(false);
  EXPECT_EQ(altG(), "");
  ok->SetEnabled(true);
  ok->SetVisible(false);
  EXPECT_EQ(altG(), "");
  ok->SetVisible(true);
  EXPECT_EQ(altG(), "ok");
}

TEST_F(Button, HotWhileTheMouseIsOverAndNeverWhenDisabled) {
  ok->GetLookAndFeel()->SetKind(K::lfUltraFlat);
  Show();
  host().MouseMove(ok->Handle(), 10, 10);
  Pump();
  EXPECT_TRUE(ok->IsHot());
  EXPECT_EQ(ok->CurrentState(), BS::cxbsHot);
  host().MouseMove(form->Handle(), 250, 150);
  host().Advance(20);
  Pump();
  EXPECT_FALSE(ok->IsHot());
  // Pressed wins over hot while the mouse holds it.
  host().MouseMove(ok->Handle(), 10, 10);
  host().MouseDown(ok->Handle(), 10, 10);
  Pump();
  EXPECT_TRUE(ok->IsHot()) << "the capture is the button's own";
  host().MouseUp(ok->Handle(), 10, 10);
  host().MouseMove(form->Handle(), 250, 150);
  host().Advance(20);
  Pump();
  // The Standard look has no hot buttons; a disabled button never gets hot.
  cancel->GetLookAndFeel()->SetKind(K::lfStandard);
  host().MouseMove(cancel->Handle(), 10, 10);
  Pump();
  EXPECT_FALSE(cancel->IsHot());
  // Disabling a hot button ends its hot state at once.
  host().MouseMove(ok->Handle(), 10, 10);
  Pump();
  ASSERT_TRUE(ok->IsHot());
  ok->SetEnabled(false);
  EXPECT_FALSE(ok->IsHot());
  host().MouseMove(ok->Handle(), 12, 10);
  Pump();
  EXPECT_FALSE(ok->IsHot());
  EXPECT_EQ(ok->CurrentState(), BS::cxbsDisabled);
  host().MouseMove(form->Handle(), 250, 150);
  host().Advance(20);
  Pump();
}

TEST_F(Button, PropertyWritesKeepTheirBounds) {
  ok->SetMargin(-2);
  EXPECT_EQ(ok->GetMargin(), -1);
  ok->SetMargin(3);
  EXPECT_EQ(ok->GetMargin(), 3);
  ok->SetPopupMenu(edit);
  EXPECT_EQ(ok->GetPopupMenu(), nullptr) << "not a menu";
  auto* menu = New<TPopupMenu>(nullptr);
  ok->SetPopupMenu(menu);
  ok->SetDropDownMenu(menu);
  menu->Free();
  EXPECT_EQ(ok->GetPopupMenu(), nullptr);
  EXPECT_EQ(ok->GetDropDownMenu(), nullptr);
  Owned<TBitmap> wide = Strip(3, 16, clRed);
  ok->SetGlyph(wide.get());
  ok->SetNumGlyphs(4);
  Show();  // paints with a strip too narrow for its frames
  EXPECT_EQ(ok->ButtonGlyph()->GlyphSize().cx, 0);
}

// The drop-down kinds: a split button opens its menu only from its arrow part, without a
// click; the drop-down button opens it from anywhere, placed and aligned by the work area.
TEST_F(Button, DropDownKindsOpenTheirMenu) {
  auto* menu = New<TScriptedMenu>(form);
  ok->SetDropDownMenu(menu);
  ok->SetKind(BK::cxbkDropDownButton);
  Show();
  bool visibleInside = false;
  menu->Command = [&] { visibleInside = ok->IsMenuVisible() && ok->CurrentState() == BS::cxbsPressed; };
  host().Click(ok->Handle(), 70, 10);
  Pump();
  EXPECT_EQ(menu->Shown, 1);
  EXPECT_TRUE(visibleInside);
  EXPECT_EQ(menu->Component, ok);
  EXPECT_EQ(Clicks(), "") << "the arrow part does not click";
  EXPECT_FALSE(ok->IsMenuVisible());
  EXPECT_FALSE(ok->IsArrowPressed());
  host().Click(ok->Handle(), 10, 10);
  Pump();
  EXPECT_EQ(menu->Shown, 1);
  EXPECT_EQ(Clicks(), "ok");
  // Alt+Down opens it from the keyboard.
  ok->SetFocus();
  Pump();
  host().KeyDown(VK_MENU);
  host().Key(VK_DOWN);
  host().KeyUp(VK_MENU);
  Pump();
  EXPECT_EQ(menu->Shown, 2);

  // Below the button, at its left, right or centre.
  ok->SetKind(BK::cxbkDropDown);
  const TPoint origin = ok->ClientToScreen({0, 0});
  const struct {
    TPopupAlignment a;
    int x;
  } places[] = {{TPopupAlignment::paLeft, 0}, {TPopupAlignment::paRight, 75}, {TPopupAlignment::paCenter, 37}};
  for (const auto& p : places) {
    ok->SetPopupAlignment(p.a);
    host().Click(ok->Handle(), 10, 10);
    Pump();
    EXPECT_EQ(menu->At.X, origin.X + p.x);
    EXPECT_EQ(menu->At.Y, origin.Y + 25);
    EXPECT_EQ(menu->AlignmentShown, p.a);
    EXPECT_EQ(menu->GetAlignment(), TPopupAlignment::paLeft) << "restored afterwards";
  }
  EXPECT_EQ(Clicks(), "");
  // Near the bottom of the work area the menu opens above the button.
  for (int i = 0; i < 5; ++i) menu->Items()->Add(New<TMenuItem>(menu));
  const Integer height = cxGetPopupMenuHeight(menu);
  const TRect work = cxGetDesktopWorkArea(origin);
  form->SetTop(work.Bottom - 100);
  ok->SetPopupAlignment(TPopupAlignment::paLeft);
  Pump();
  const TPoint low = ok->ClientToScreen({0, 0});
  host().Click(ok->Handle(), 10, 10);
  Pump();
  EXPECT_EQ(menu->At.Y, low.Y + 25 - height - 25 - 2);
  // At the left edge of the work area the menu is aligned to the right.
  form->SetLeft(work.Left - ok->GetLeft() - (ok->ClientToScreen({0, 0}).X - form->GetLeft() - ok->GetLeft()));
  Pump();
  ASSERT_LE(ok->ClientToScreen({0, 0}).X, work.Left);
  host().Click(ok->Handle(), 10, 10);
  Pump();
  EXPECT_EQ(menu->AlignmentShown, TPopupAlignment::paRight);
}

// The focus rectangle belongs to a closed button: while its menu is open the pressed face
// shows alone, focused or not; once closed the focused one carries the rectangle again.
TEST_F(Button, NoFocusRectangleWhileTheMenuIsOpen) {
  auto* menu = New<TScriptedMenu>(form);
  ok->SetDropDownMenu(menu);
  ok->SetKind(BK::cxbkDropDown);
  ok->SetDefault(true);  // the same face focused or not, so only the rectangle can differ
  Show();
  constexpr int kW = 75, kH = 25;
  auto shot = [&](bool focused) {
    PaperCanvas paper(kW, kH);
    ok->PaintTo(paper.Cx(), focused, false);
    std::vector<COLORREF> px;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) px.push_back(paper.Px(x, y));
    return px;
  };
  std::vector<COLORREF> openFocused, openPlain;
  menu->Command = [&] {
    ASSERT_TRUE(ok->IsMenuVisible());
    openFocused = shot(true);
    openPlain = shot(false);
  };
  host().Click(ok->Handle(), 10, 10);
  Pump();
  ASSERT_EQ(menu->Shown, 1);
  ASSERT_FALSE(openFocused.empty());
  EXPECT_TRUE(openFocused == openPlain) << "no focus rectangle while the menu is open";
  ASSERT_FALSE(ok->IsMenuVisible());
  EXPECT_FALSE(shot(true) == shot(false)) << "the closed, focused button shows it";
}

// Decides what the drop-down shows: another menu, or nothing (handled).
class TMenuChooser : public TObject {
 public:
  void Choose(TObject*, TPopupMenu*& AMenu, bool& AHandled) {
    ++Asked;
    if (Replacement) AMenu = Replacement;
    AHandled = Handle;
  }
  TPopupMenu* Replacement = nullptr;
  bool Handle = false;
  int Asked = 0;
};

TEST_F(Button, KeyboardClickDropsDownAndAHandlerMayTakeOver) {
  auto* menu = New<TScriptedMenu>(form);
  auto* other = New<TScriptedMenu>(form);
  ok->SetKind(BK::cxbkDropDown);
  Show();
  ok->SetFocus();
  Pump();
  // Without a menu and handler nothing happens.
  host().Key(VK_SPACE);
  Pump();
  EXPECT_FALSE(ok->IsMenuVisible());
  ok->SetDropDownMenu(menu);
  host().Key(VK_SPACE);
  Pump();
  EXPECT_EQ(menu->Shown, 1);
  EXPECT_EQ(Clicks(), "");
  TMenuChooser chooser;
  ok->OnDropDownMenuPopup = TcxButtonDropDownMenuPopupEvent(&chooser, &TMenuChooser::Choose);
  chooser.Replacement = other;
  host().Key(VK_SPACE);
  Pump();
  EXPECT_EQ(other->Shown, 1);
  chooser.Handle = true;
  host().Key(VK_SPACE);
  Pump();
  EXPECT_EQ(chooser.Asked, 2);
  EXPECT_EQ(other->Shown + menu->Shown, 2) << "a handled drop-down shows nothing";
}

// A split button's drop-down from the keyboard that opens nothing (a handler took over, or
// there is no menu) leaves no arrow press behind: Space still shows the main part pressed.
TEST_F(Button, AKeyboardDropDownThatOpensNothingLeavesNoArrowPress) {
  ok->SetKind(BK::cxbkDropDownButton);
  TMenuChooser chooser;
  chooser.Handle = true;
  ok->OnDropDownMenuPopup = TcxButtonDropDownMenuPopupEvent(&chooser, &TMenuChooser::Choose);
  Show();
  ok->SetFocus();
  Pump();
  for (int round = 0; round < 2; ++round) {
    host().KeyDown(VK_MENU);
    host().Key(VK_DOWN);
    host().KeyUp(VK_MENU);
    Pump();
    EXPECT_EQ(chooser.Asked, 1);
    EXPECT_FALSE(ok->IsArrowPressed()) << round;
    PaperCanvas paper(75, 25);
    ok->PaintTo(paper.Cx(), true, true);
    EXPECT_EQ(ok->CurrentState(), BS::cxbsPressed) << round;
    ok->OnDropDownMenuPopup = {};  // then with no menu and no handler
  }
  // Pressed by the mouse on the arrow, the press lasts until the release.
  ok->OnDropDownMenuPopup = TcxButtonDropDownMenuPopupEvent(&chooser, &TMenuChooser::Choose);
  host().MouseDown(ok->Handle(), 70, 10);
  Pump();
  EXPECT_TRUE(ok->IsArrowPressed());
  host().MouseUp(ok->Handle(), 70, 10);
  Pump();
  EXPECT_FALSE(ok->IsArrowPressed());
}

TEST_F(Button, AQueuedCloseUpIsHandledBeforeTheWindowIsRecreated) {
  auto* menu = New<TScriptedMenu>(form);
  ok->SetDropDownMenu(menu);
  Show();
  const HWND old = ok->Handle();
  ok->Perform(CM_DROPDOWNPOPUPMENU, 0, 0);
  ASSERT_EQ(menu->Shown, 1);
  EXPECT_TRUE(ok->IsMenuVisible()) << "until the posted close-up arrives";
  ok->SetKind(BK::cxbkDropDownButton);  // recreates the window
  EXPECT_FALSE(ok->IsMenuVisible());
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, old, CM_CLOSEUPPOPUPMENU, CM_CLOSEUPPOPUPMENU, PM_NOREMOVE));
  Pump();
  EXPECT_NE(ok->Handle(), old);
  EXPECT_EQ(DWORD(GetWindowLongA(ok->Handle(), GWL_STYLE)) & BS_TYPEMASK, BS_OWNERDRAW);
}

TEST_F(Button, ContextMenuAndItsShortcuts) {
  auto* menu = New<TScriptedMenu>(form);
  auto* item = New<TMenuItem>(menu);
  item->SetName("item");
  item->SetShortCut(ShortCut('K', TShiftState{TShiftStateItem::ssCtrl}));
  item->OnClick = TNotifyEvent(&log, &TClickLog::Clicked);
  menu->Items()->Add(item);
  ok->SetPopupMenu(menu);
  Show();
  const TPoint at = ok->ClientToScreen({5, 6});
  SendMessageA(ok->Handle(), WM_CONTEXTMENU, WPARAM(ok->Handle()), MAKELPARAM(at.X, at.Y));
  EXPECT_EQ(menu->Shown, 1);
  EXPECT_EQ(menu->At.X, at.X);
  EXPECT_EQ(menu->At.Y, at.Y);
  // From the keyboard it opens at the client origin.
  SendMessageA(ok->Handle(), WM_CONTEXTMENU, WPARAM(ok->Handle()), MAKELPARAM(-1, -1));
  EXPECT_EQ(menu->At.X, ok->ClientToScreen({0, 0}).X);
  EXPECT_EQ(menu->At.Y, ok->ClientToScreen({0, 0}).Y);
  ok->SetFocus();
  Pump();
  host().KeyDown(VK_CONTROL);
  host().Key('K');
  host().KeyUp(VK_CONTROL);
  Pump();
  EXPECT_EQ(Clicks(), "item");
}

// A command chosen from the open menu frees the menu, or the button itself: nothing of
// either is touched afterwards, and no close-up message reaches a dead window.
TEST_F(Button, ACommandMayFreeTheMenuOrTheButton) {
  auto* menu = New<TScriptedMenu>(form);
  ok->SetDropDownMenu(menu);
  ok->SetKind(BK::cxbkDropDown);
  Show();
  menu->Command = [&] { menu->Free(); };
  host().Click(ok->Handle(), 10, 10);
  Pump();
  EXPECT_EQ(ok->GetDropDownMenu(), nullptr);
  EXPECT_FALSE(ok->IsMenuVisible());

  auto* second = New<TScriptedMenu>(form);
  second->SetAlignment(TPopupAlignment::paCenter);
  ok->SetDropDownMenu(second);
  ok->SetPopupAlignment(TPopupAlignment::paRight);
  const HWND wnd = ok->Handle();
  second->Command = [&] {
    ok->Free();
    ok = nullptr;
  };
  host().Click(wnd, 10, 10);
  Pump();
  EXPECT_EQ(ok, nullptr);
  EXPECT_FALSE(IsWindow(wnd));
  EXPECT_EQ(second->GetAlignment(), TPopupAlignment::paCenter) << "the live menu is restored";
  EXPECT_EQ(second->Shown, 1);
}

TEST_F(Button, ClickingWhileTheMenuIsOpenClosesItWithoutReopening) {
  auto* menu = New<TScriptedMenu>(form);
  ok->SetDropDownMenu(menu);
  ok->SetKind(BK::cxbkDropDown);
  Show();
  // The press that arrives while the menu is still marked open closes it; the click after
  // that press is swallowed instead of opening the menu again.
  menu->Command = [&] { SendMessageA(ok->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10)); };
  host().MouseDown(ok->Handle(), 10, 10);
  Pump();
  menu->Command = nullptr;
  EXPECT_EQ(menu->Shown, 1);
  EXPECT_FALSE(ok->IsMenuVisible());
  host().MouseUp(ok->Handle(), 10, 10);
  Pump();
  EXPECT_EQ(menu->Shown, 1);
  EXPECT_EQ(Clicks(), "");
  // Only that one click: the next one opens the menu again.
  ok->SetFocus();
  Pump();
  host().Key(VK_SPACE);
  Pump();
  EXPECT_EQ(menu->Shown, 2);
}

// Every look x state x kind, three times enlarged, into the build folder's gallery/.
TEST_F(Button, GalleryOfLooksStatesAndKinds) {
  Owned<TBitmap> glyph = Strip(16, 16, clOlive);
  glyph->Canvas()->Brush()->SetColor(clNavy);
  glyph->Canvas()->FillRect({3, 3, 13, 13});
  ok->SetGlyph(glyph.get());
  ok->SetCaption("Save");
  ok->SetBounds(10, 50, 90, 30);
  Show();
  const K looks[] = {K::lfStandard, K::lfFlat, K::lfUltraFlat, K::lfOffice11};
  const BK kinds[] = {BK::cxbkStandard, BK::cxbkDropDown, BK::cxbkDropDownButton};
  constexpr int kW = 90, kH = 30, kZoom = 3, kStates = 5;
  DecodedImage image;
  image.Width = kStates * int(std::size(kinds)) * kW * kZoom;
  image.Height = int(std::size(looks)) * kH * kZoom;
  image.Pixels.assign(size_t(image.Width) * size_t(image.Height), 0);
  for (size_t row = 0; row < std::size(looks); ++row) {
    ok->GetLookAndFeel()->SetKind(looks[row]);
    std::vector<COLORREF> previous;
    for (size_t k = 0; k < std::size(kinds); ++k) {
      ok->SetKind(kinds[k]);
      for (int s = 0; s < kStates; ++s) {
        // normal, default (focused), hot, pressed, disabled
        ok->SetEnabled(s != 4);
        host().MouseMove(s == 2 ? ok->Handle() : form->Handle(), s == 2 ? 10 : 250, s == 2 ? 10 : 150);
        host().Advance(20);
        Pump();
        PaperCanvas paper(kW, kH);
        ok->PaintTo(paper.Cx(), s == 1, s == 3);
        if (s == 2 && looks[row] == K::lfUltraFlat) {
          EXPECT_TRUE(ok->IsHot()) << row;
        }
        std::vector<COLORREF> shot;
        for (int y = 0; y < kH; ++y)
          for (int x = 0; x < kW; ++x) {
            shot.push_back(paper.Px(x, y));
            for (int zy = 0; zy < kZoom; ++zy)
              for (int zx = 0; zx < kZoom; ++zx)
                image.Pixels[size_t(((int(row) * kH + y) * kZoom + zy) * image.Width +
                                    ((int(k) * kStates + s) * kW + x) * kZoom + zx)] = PixelFromColor(paper.Px(x, y));
          }
        EXPECT_FALSE(paper.Painted({0, 0, kW, kH}) == false) << row << " " << k << " " << s;
        // A drop-down button shows pressed only while its menu is open.
        if (s == 4 || (s == 3 && kinds[k] != BK::cxbkDropDown)) {
          EXPECT_NE(shot, previous) << "state " << s << " looks like the one before, look " << row << " kind " << k;
        }
        previous = shot;
      }
    }
  }
  ok->SetEnabled(true);
  WriteGalleryPng(image, "button-looks.png");
}

}  // namespace

namespace {

TEST_F(Button, ReadFromAWindowDescriptionAndWrittenBackWithOnlyItsSetValues) {
  const char* text =
      "object Dialog: TForm\n"
      "  object bGo: TcxButton\n"
      "    Caption = '&Go'\n"
      "    Kind = cxbkDropDownButton\n"
      "    Layout = blGlyphTop\n"
      "    Margin = 2\n"
      "    ModalResult = 1\n"
      "    Colors.Hot = clRed\n"
      "    LookAndFeel.Kind = lfFlat\n"
      "  end\n"
      "  object bPlain: TcxButton\n"
      "    Caption = 'Plain'\n"
      "  end\n"
      "end\n";
  TForm* dialog = ReadDialog(text);
  auto* go = dynamic_cast<TcxButton*>(dialog->FindComponent("bGo"));
  ASSERT_NE(go, nullptr);
  EXPECT_EQ(go->GetKind(), BK::cxbkDropDownButton);
  EXPECT_EQ(go->GetLayout(), TButtonLayout::blGlyphTop);
  EXPECT_EQ(go->GetMargin(), 2);
  EXPECT_EQ(go->GetModalResult(), 1);
  EXPECT_EQ(go->GetColors()->GetHot(), clRed);
  EXPECT_EQ(go->GetLookAndFeel()->GetKind(), K::lfFlat);
  auto* plain = dynamic_cast<TcxButton*>(dialog->FindComponent("bPlain"));
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(plain->GetSpacing(), 4);
  plain->SetParent(nullptr);
  plain->Free();
  Owned<TMemoryStream> out(New<TMemoryStream>());
  out->WriteComponent(dialog);
  const String bytes(reinterpret_cast<const char*>(out->Memory()), size_t(out->GetSize()));
  EXPECT_NE(bytes.find("Colors.Hot"), String::npos);
  EXPECT_EQ(bytes.find("Colors.Normal"), String::npos);
  EXPECT_EQ(bytes.find("Spacing"), String::npos) << "defaults are not written";
  dialog->Free();
}

}  // namespace

// ---- actions --------------------------------------------------------------------------------

namespace {

// A 16 x 16 image list holding one image: a red square (4..11) on a transparent olive ground.
Owned<TImageList> RedSquareImages() {
  Owned<TImageList> images(New<TImageList>(nullptr));
  images->SetWidth(16);
  images->SetHeight(16);
  Owned<TBitmap> picture(New<TBitmap>());
  picture->SetPixelFormat(TPixelFormat::pf32bit);
  picture->SetSize(16, 16);
  picture->Canvas()->Brush()->SetColor(clOlive);
  picture->Canvas()->FillRect({0, 0, 16, 16});
  picture->Canvas()->Brush()->SetColor(clRed);
  picture->Canvas()->FillRect({4, 4, 12, 12});
  images->AddMasked(picture.get(), clOlive);
  return images;
}

class ButtonAction : public Button {
 protected:
  void SetUp() override {
    Button::SetUp();
    images = RedSquareImages();
    list = New<TActionList>(form);
    list->SetImages(images.get());
    action = New<TAction>(form);
    action->SetName("Run");
    action->SetCaption("Run");
    action->SetImageIndex(0);
    action->SetActionList(list);
    action->SetOnExecute(TNotifyEvent(&log, &TClickLog::Clicked));
  }
  void TearDown() override {
    if (list) list->SetImages(nullptr);
    Button::TearDown();
  }
  Owned<TImageList> images;
  TActionList* list = nullptr;
  TAction* action = nullptr;
};

}  // namespace

TEST_F(ButtonAction, AnEmptyGlyphTakesTheActionsImageOnMagenta) {
  ok->OnClick = TNotifyEvent();
  ok->SetAction(action);
  TBitmap* glyph = ok->GetGlyph();
  ASSERT_EQ(glyph->GetWidth(), 16);
  ASSERT_EQ(glyph->GetHeight(), 16);
  // Where the image is transparent the fill shows; the square is the image's.
  EXPECT_EQ(ColorToRGB(glyph->Canvas()->GetPixel(0, 0)), COLORREF(0xFF00FF));
  EXPECT_EQ(ColorToRGB(glyph->Canvas()->GetPixel(0, 15)), COLORREF(0xFF00FF));
  EXPECT_EQ(ColorToRGB(glyph->Canvas()->GetPixel(3, 8)), COLORREF(0xFF00FF));
  EXPECT_EQ(ColorToRGB(glyph->Canvas()->GetPixel(4, 4)), ColorToRGB(clRed));
  EXPECT_EQ(ColorToRGB(glyph->Canvas()->GetPixel(11, 11)), ColorToRGB(clRed));
  EXPECT_EQ(ok->GetCaption(), "Run");

  // Drawn on the button, the magenta is transparent: the face shows through, the square does not.
  ok->SetBounds(10, 50, 90, 30);
  Show();
  PaperCanvas paper(90, 30);
  ok->PaintTo(paper.Cx(), false, false);
  int red = 0, magenta = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 90; ++x) {
      red += paper.Px(x, y) == ColorToRGB(clRed);
      magenta += paper.Px(x, y) == COLORREF(0xFF00FF);
    }
  EXPECT_EQ(red, 64);
  EXPECT_EQ(magenta, 0);

  // A click runs the action.
  host().Click(ok->Handle(), 5, 5);
  Pump();
  EXPECT_EQ(Clicks(), "Run");
}

TEST_F(ButtonAction, AGlyphOfItsOwnOrAnImageOutsideTheListStaysAsItIs) {
  Owned<TBitmap> own = Strip(8, 8, clNavy);
  ok->SetGlyph(own.get());
  ok->SetAction(action);
  EXPECT_EQ(ok->GetGlyph()->GetWidth(), 8);
  EXPECT_EQ(ColorToRGB(ok->GetGlyph()->Canvas()->GetPixel(0, 0)), ColorToRGB(clNavy));

  for (Integer index : {1, -1}) {
    action->SetImageIndex(index);
    cancel->SetAction(nullptr);
    cancel->SetAction(action);
    EXPECT_TRUE(cancel->GetGlyph()->Empty()) << index;
  }
  list->SetImages(nullptr);
  action->SetImageIndex(0);
  cancel->SetAction(nullptr);
  cancel->SetAction(action);
  EXPECT_TRUE(cancel->GetGlyph()->Empty());
}

TEST_F(ButtonAction, AnImageTheActionTakesLaterReachesAnEmptyGlyph) {
  action->SetImageIndex(-1);
  ok->SetAction(action);
  Owned<TBitmap> own = Strip(8, 8, clNavy);
  cancel->SetGlyph(own.get());
  cancel->SetAction(action);
  EXPECT_TRUE(ok->GetGlyph()->Empty());
  action->SetImageIndex(0);
  TBitmap* glyph = ok->GetGlyph();
  ASSERT_EQ(glyph->GetWidth(), 16);
  EXPECT_EQ(ColorToRGB(glyph->Canvas()->GetPixel(0, 0)), COLORREF(0xFF00FF));
  EXPECT_EQ(ColorToRGB(glyph->Canvas()->GetPixel(4, 4)), ColorToRGB(clRed));
  EXPECT_EQ(cancel->GetGlyph()->GetWidth(), 8);  // a glyph of its own stays
}

TEST_F(ButtonAction, TheButtonAndTheActionMayGoInEitherOrder) {
  ok->SetAction(action);
  cancel->SetAction(action);
  cancel->Free();
  cancel = nullptr;
  EXPECT_EQ(action->ClientCount(), 1);
  action->Free();
  EXPECT_EQ(ok->GetAction(), nullptr);
  EXPECT_EQ(ok->GetGlyph()->GetWidth(), 16);  // the glyph it took stays
  Show();
  host().Click(ok->Handle(), 5, 5);
  Pump();
  EXPECT_EQ(Clicks(), "ok");  // the handler it took from the action stays, now as its own
}
