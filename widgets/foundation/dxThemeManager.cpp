#include "widgets/foundation/dxThemeManager.h"

#include "classlib/visual/Controls.h"
#include "classlib/visual/Forms.h"
#include "platform/kernel/CodePage.h"
#include "platform/kernel/Units.h"
#include "platform/user/User.h"

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

namespace {

constexpr int kTypeCount = EnumInfo<TdxThemedObjectType>::Count;

struct CacheEntry {
  HTHEME handle = nullptr;
  WideString className;
};

// Receives the visual-style change on a hidden utility window.
class TdxThemeChangedEventReceiver : public TObject {
  TL_CLASS(TdxThemeChangedEventReceiver, TObject)
 public:
  TdxThemeChangedEventReceiver();
  void BeforeDestruction() override;
  HWND Handle() const { return FWindowHandle; }

 private:
  void WndProc(TMessage& Message);
  HWND FWindowHandle = nullptr;
};

bool gThemesActive = false;
std::array<CacheEntry, kTypeCount> gCache;
const std::array<WideString, kTypeCount> kDefaultNames = {
    u"Button", u"Clock",    u"ComboBox", u"Edit",     u"ExplorerBar", u"Header",  u"ListView",   u"Menu",
    u"Page",   u"Progress", u"Rebar",    u"ScrollBar", u"Spin",       u"StartPanel", u"Status",  u"Tab",
    u"TaskBand", u"TaskBar", u"ToolBar", u"ToolTip",  u"TrackBar",    u"TrayNotify", u"TreeView", u"Window"};
TdxThemeChangedEventReceiver* gReceiver = nullptr;
std::unique_ptr<std::vector<TdxThemeChangedNotificator*>> gNotificators;
UnitCounter gUnit;

bool ValidType(TdxThemedObjectType t) { return size_t(t) < size_t(kTypeCount); }

String UpperName(LPCWSTR name) {
  String s = WideToAnsi(WideString(name));
  for (char& c : s) c = char(CpUpper(Byte(c)));
  return s;
}

void NotifyThemeChanged() {
  if (!gNotificators) return;
  // A handler may free notificators: walk a snapshot and skip the ones gone meanwhile.
  std::vector<TdxThemeChangedNotificator*> snapshot = *gNotificators;
  for (TdxThemeChangedNotificator* n : snapshot) {
    if (!gNotificators) return;
    if (std::find(gNotificators->begin(), gNotificators->end(), n) == gNotificators->end()) continue;
    if (n->OnThemeChanged) n->OnThemeChanged();
  }
}

TdxThemeChangedEventReceiver::TdxThemeChangedEventReceiver() {
  FWindowHandle = AllocateHWnd(TWndMethod(this, &TdxThemeChangedEventReceiver::WndProc));
}

void TdxThemeChangedEventReceiver::BeforeDestruction() {
  gThemesActive = false;
  if (FWindowHandle) DeallocateHWnd(FWindowHandle);
  FWindowHandle = nullptr;
  TObject::BeforeDestruction();
}

void TdxThemeChangedEventReceiver::WndProc(TMessage& Message) {
  if (Message.Msg != WM_THEMECHANGED) {
    Message.Result = DefWindowProcA(FWindowHandle, Message.Msg, Message.WParam, Message.LParam);
    return;
  }
  try {
    cxCloseAllThemes();
    DefWindowProcA(FWindowHandle, Message.Msg, Message.WParam, Message.LParam);
    gThemesActive = cxIsThemeActive() != 0;
    Message.Result = 0;
    NotifyThemeChanged();
  } catch (...) {  // not cleanup: a notice's error is reported, never passed to the platform
    if (Application) Application->HandleException(this, std::current_exception());
  }
}

}  // namespace

TL_DEFINE_CLASS(TdxThemeChangedEventReceiver)
TL_DEFINE_CLASS(TdxThemeChangedNotificator)

const WideString& cxThemeDefaultClassName(TdxThemedObjectType AObjectType) {
  static const WideString kNone;
  return ValidType(AObjectType) ? kDefaultNames[size_t(AObjectType)] : kNone;
}

bool cxAreThemesAvailable(TdxThemedObjectTypes AObjectTypes) {
  if (!gThemesActive || !cxIsUxThemeLoaded()) return false;
  for (int i = 0; i < kTypeCount; ++i) {
    auto t = TdxThemedObjectType(i);
    if (AObjectTypes.Contains(t) && !cxOpenTheme(t)) return false;
  }
  return true;
}

bool cxIsThemeAvailable() { return cxAreThemesAvailable({}); }

bool cxIsThemeAvailable(TdxThemedObjectType AObjectType) {
  return gThemesActive && cxIsUxThemeLoaded() && cxOpenTheme(AObjectType) != nullptr;
}

HTHEME cxOpenTheme(TdxThemedObjectType AObjectType, LPCWSTR AClassName) {
  if (!ValidType(AObjectType) || !cxAreThemesAvailable({})) return nullptr;
  if (AClassName && !*AClassName) AClassName = nullptr;
  CacheEntry& e = gCache[size_t(AObjectType)];
  if (e.handle) {
    if (!AClassName || UpperName(AClassName) == UpperName(e.className.c_str())) return e.handle;
    cxCloseTheme(AObjectType);
  }
  WideString name = AClassName ? WideString(AClassName)
                    : !e.className.empty() ? e.className
                                           : kDefaultNames[size_t(AObjectType)];
  HTHEME handle = cxOpenThemeData(nullptr, name.c_str());
  if (handle) {
    e.handle = handle;
    e.className = name;
  } else {
    e.className.clear();
  }
  return handle;
}

HRESULT cxCloseTheme(TdxThemedObjectType AObjectType) {
  if (!ValidType(AObjectType)) return 0;
  if (!cxAreThemesAvailable({})) return 1;
  CacheEntry& e = gCache[size_t(AObjectType)];
  HRESULT result = 0;
  if (e.handle) {
    result = cxCloseThemeData(e.handle);
    e.handle = nullptr;
  }
  e.className.clear();
  return result;
}

void cxCloseAllThemes() {
  for (CacheEntry& e : gCache) {
    if (e.handle) cxCloseThemeData(e.handle);
    e.handle = nullptr;
  }
}

TdxThemeChangedNotificator::TdxThemeChangedNotificator() {
  if (cxIsUxThemeLoaded() && gNotificators) gNotificators->push_back(this);
}

TdxThemeChangedNotificator::~TdxThemeChangedNotificator() {
  if (cxIsUxThemeLoaded() && gNotificators)
    gNotificators->erase(std::remove(gNotificators->begin(), gNotificators->end(), this), gNotificators->end());
}

namespace dxThemeManager {

void Initialize() {
  dxUxTheme::Initialize();
  if (!gUnit.Enter()) return;
  for (CacheEntry& e : gCache) e = CacheEntry{};
  if (!cxIsUxThemeLoaded()) return;
  gThemesActive = cxIsThemeActive() != 0;
  gReceiver = New<TdxThemeChangedEventReceiver>();
  gNotificators = std::make_unique<std::vector<TdxThemeChangedNotificator*>>();
}

void Finalize() {
  if (gUnit.Leave()) {
    if (cxIsUxThemeLoaded()) {
      gReceiver->Free();
      gReceiver = nullptr;
      cxCloseAllThemes();
      gNotificators.reset();
    }
    gThemesActive = false;
    for (CacheEntry& e : gCache) e = CacheEntry{};
  }
  dxUxTheme::Finalize();
}

HWND ReceiverWindow() { return gReceiver ? gReceiver->Handle() : nullptr; }

}  // namespace dxThemeManager
