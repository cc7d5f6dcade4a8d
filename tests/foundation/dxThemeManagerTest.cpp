#include "classlib/core/Exceptions.h"
#include "tests/foundation/ThemeUnitsFixture.h"

#include <vector>

namespace {

using T = TdxThemedObjectType;
using ThemeManager = ThemeUnitsTest;

// The class a cached handle was opened for, as the library records its drawing.
String ClassOfHandle(HTHEME h) {
  HDC dc = CreateCompatibleDC(nullptr);
  TRect r{0, 0, 1, 1};
  ThemeStartRecording();
  DrawThemeBackground(h, dc, 1, 1, &r, nullptr);
  ThemeStopRecording();
  DeleteDC(dc);
  return ThemeRecordedCalls().empty() ? String() : ThemeRecordedCalls().front().className;
}

TEST_F(ThemeManager, ThemesOffOpenNothingForAnyKind) {
  Start();
  ASSERT_TRUE(cxIsUxThemeLoaded());
  EXPECT_FALSE(cxIsThemeAvailable());
  EXPECT_FALSE(cxAreThemesAvailable({}));
  for (int i = 0; i < EnumInfo<T>::Count; ++i) {
    EXPECT_EQ(cxOpenTheme(T(i)), nullptr);
    EXPECT_FALSE(cxIsThemeAvailable(T(i)));
  }
  EXPECT_EQ(ThemeOpenCount(), 0);
  EXPECT_EQ(cxCloseTheme(T::totButton), 1) << "nothing to close while themes are unavailable";
}

TEST_F(ThemeManager, OpensOneHandlePerKindAndReusesIt) {
  ThemeOn();
  Start();
  std::vector<HTHEME> first;
  for (int i = 0; i < EnumInfo<T>::Count; ++i) {
    first.push_back(cxOpenTheme(T(i)));
    EXPECT_NE(first.back(), nullptr) << cxThemeDefaultClassName(T(i)).size();
  }
  for (int i = 0; i < EnumInfo<T>::Count; ++i) EXPECT_EQ(cxOpenTheme(T(i)), first[size_t(i)]);
  EXPECT_EQ(ThemeOpenCount(), 24);
  EXPECT_EQ(ThemeLiveHandleCount(), 24);
  EXPECT_EQ(ClassOfHandle(cxOpenTheme(T::totTreeview)), "TreeView");
  EXPECT_EQ(ClassOfHandle(cxOpenTheme(T::totWindow)), "Window");
  EXPECT_TRUE(cxIsThemeAvailable(T::totHeader));
  EXPECT_EQ(ThemeOpenCount(), 24);
}

TEST_F(ThemeManager, ClassNamesCompareWithoutCaseAndAnotherNameReopens) {
  ThemeOn();
  Start();
  HTHEME edit = cxOpenTheme(T::totEdit, u"Edit");
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(cxOpenTheme(T::totEdit, u"eDIT"), edit);
  EXPECT_EQ(cxOpenTheme(T::totEdit, u""), edit) << "an empty name counts as none";
  EXPECT_EQ(ThemeOpenCount(), 1);
  HTHEME bar = cxOpenTheme(T::totEdit, u"ExplorerBar");
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(ThemeLiveHandleCount(), 1) << "the old handle was closed";
  EXPECT_EQ(ClassOfHandle(bar), "ExplorerBar");
  // A failed open leaves the kind closed and forgets the name: the default comes back.
  EXPECT_EQ(cxOpenTheme(T::totEdit, u"NoSuchClass"), nullptr);
  EXPECT_EQ(ThemeLiveHandleCount(), 0);
  HTHEME again = cxOpenTheme(T::totEdit);
  EXPECT_EQ(ClassOfHandle(again), "Edit");
}

TEST_F(ThemeManager, ClosingOneKindForgetsItsNameAndLeavesTheOthers) {
  ThemeOn();
  Start();
  EXPECT_EQ(cxCloseTheme(T::totSpin), 0) << "never opened";
  EXPECT_EQ(ThemeLiveHandleCount(), 0);
  HTHEME button = cxOpenTheme(T::totButton);
  cxOpenTheme(T::totScrollBar, u"Window");
  EXPECT_EQ(cxCloseTheme(T::totScrollBar), S_OK);
  EXPECT_EQ(ThemeLiveHandleCount(), 1);
  EXPECT_EQ(cxOpenTheme(T::totButton), button);
  EXPECT_EQ(ClassOfHandle(cxOpenTheme(T::totScrollBar)), "ScrollBar");
  // Closing everything keeps the names for the reopening.
  cxOpenTheme(T::totTab, u"Header");
  cxCloseAllThemes();
  EXPECT_EQ(ThemeLiveHandleCount(), 0);
  EXPECT_EQ(ClassOfHandle(cxOpenTheme(T::totTab)), "Header");
  EXPECT_NE(cxOpenTheme(T::totButton), button);
}

TEST_F(ThemeManager, OutOfRangeKindsAreRefused) {
  ThemeOn();
  Start();
  EXPECT_EQ(cxOpenTheme(T(24)), nullptr);
  EXPECT_EQ(cxOpenTheme(T(200), u"Button"), nullptr);
  EXPECT_EQ(cxCloseTheme(T(99)), 0);
  EXPECT_EQ(ThemeOpenCount(), 0);
}

// Listeners that log their calls and can free another listener or throw.
class Listener : public TObject {
  TL_CLASS(Listener, TObject)
 public:
  Listener(std::vector<int>& log, int id) : log_(log), id_(id) {
    notificator = New<TdxThemeChangedNotificator>();
    notificator->OnThemeChanged = TdxThemeChangedEvent(this, &Listener::Changed);
  }
  void Changed() {
    log_.push_back(id_);
    handlesSeen = ThemeLiveHandleCount();
    activeSeen = cxIsThemeAvailable();
    if (victim) {
      victim->Free();
      *victimSlot = nullptr;
      victim = nullptr;
    }
    if (fail) throw Exception("listener failed");
  }
  TdxThemeChangedNotificator* notificator;
  TdxThemeChangedNotificator* victim = nullptr;
  TdxThemeChangedNotificator** victimSlot = nullptr;
  bool fail = false;
  int handlesSeen = -1;
  bool activeSeen = false;

 private:
  std::vector<int>& log_;
  int id_;
};

TEST_F(ThemeManager, ThemeChangeClosesHandlesThenTellsListenersInOrder) {
  ThemeOn();
  Start();
  ASSERT_NE(dxThemeManager::ReceiverWindow(), nullptr);
  HTHEME edit = cxOpenTheme(T::totEdit, u"edit");
  cxOpenTheme(T::totButton);
  std::vector<int> log;
  Owned<Listener> a(New<Listener>(log, 1)), b(New<Listener>(log, 2)), c(New<Listener>(log, 3)),
      d(New<Listener>(log, 4));
  b->victim = c->notificator;
  b->victimSlot = &c->notificator;
  a->notificator->OnThemeChanged = nullptr;  // an unassigned handler is skipped
  ThemeChange({true, u"Luna.msstyles", u"Metallic", u"NormalSize"});
  EXPECT_EQ(log, (std::vector<int>{2, 4})) << "3 was freed by 2 before its turn";
  EXPECT_EQ(d->handlesSeen, 0) << "handles are closed before anyone is told";
  EXPECT_TRUE(d->activeSeen);
  EXPECT_TRUE(cxIsThemeAvailable());
  HTHEME reopened = cxOpenTheme(T::totEdit);
  EXPECT_NE(reopened, edit);
  EXPECT_EQ(ClassOfHandle(reopened), "Edit");
  // Switched off by the next change: nothing opens any more.
  log.clear();
  ThemeChange({false, u"", u"", u""});
  EXPECT_EQ(log, (std::vector<int>{2, 4}));
  EXPECT_FALSE(d->activeSeen) << "the active flag is refreshed before anyone is told";
  EXPECT_FALSE(cxIsThemeAvailable());
  EXPECT_EQ(cxOpenTheme(T::totEdit), nullptr);
  EXPECT_EQ(ThemeLiveHandleCount(), 0);
  for (Listener* l : {a.get(), b.get(), c.get(), d.get()})
    if (l->notificator) l->notificator->Free();
}

TEST_F(ThemeManager, ListenerExceptionsGoToTheApplication) {
  ThemeOn();
  Start();
  std::vector<int> log;
  Owned<Listener> a(New<Listener>(log, 1));
  a->fail = true;
  cxOpenTheme(T::totButton);
  ThemeChange({true, u"Luna.msstyles", u"NormalColor", u"NormalSize"});  // returns normally
  EXPECT_EQ(log, (std::vector<int>{1}));
  EXPECT_EQ(TakeExceptions(), (std::vector<String>{"listener failed"}));
  EXPECT_EQ(ThemeLiveHandleCount(), 0);
  a->notificator->Free();
}

TEST_F(ThemeManager, WithoutTheLibraryNoReceiverAndNoListeners) {
  SetModuleHidden("UxTheme.dll", true);
  ThemeOn();
  Start();
  EXPECT_EQ(dxThemeManager::ReceiverWindow(), nullptr);
  std::vector<int> log;
  Owned<Listener> a(New<Listener>(log, 1));
  UserBroadcastThemeChange();
  EXPECT_TRUE(log.empty());
  a->notificator->Free();
}

TEST_F(ThemeManager, StartUpIsCountedAndShutDownClosesEverything) {
  ThemeOn();
  Start();
  Start();
  HWND receiver = dxThemeManager::ReceiverWindow();
  cxOpenTheme(T::totHeader);
  Stop();
  EXPECT_EQ(dxThemeManager::ReceiverWindow(), receiver);
  EXPECT_EQ(ThemeLiveHandleCount(), 1);
  Stop();
  EXPECT_EQ(ThemeLiveHandleCount(), 0);
  EXPECT_FALSE(IsWindow(receiver));
  EXPECT_FALSE(cxIsThemeAvailable());
}

}  // namespace

TL_DEFINE_CLASS(Listener)
