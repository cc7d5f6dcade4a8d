#include "widgets/foundation/cxLookAndFeels.h"

#include "platform/user/User.h"
#include "widgets/foundation/dxOffice11.h"

#include <algorithm>

// Generated from resources/widgets_foundation.rc.
void TlRegisterResources_widgets_foundation();

namespace {

constexpr UINT kWmSysColorChange = 0x0015;

Integer gStartCount = 0;
TcxLookAndFeel* gRootLookAndFeel = nullptr;
Integer gControllerCount = 0;

// One per process while any notifier exists: a hidden window and the notifiers it tells.
class TcxSystemPaletteChangedListener : public TObject {
  TL_CLASS(TcxSystemPaletteChangedListener, TObject)
 public:
  TcxSystemPaletteChangedListener() {
    cxOffice11SetUp();
    FWindow = AllocateHWnd({this, &TcxSystemPaletteChangedListener::WndProc});
  }
  void BeforeDestruction() override {
    if (FWindow) DeallocateHWnd(FWindow);
    FWindow = nullptr;
    cxOffice11TearDown();
    inherited::BeforeDestruction();
  }
  void Add(TcxSystemPaletteChangedNotifier* N) { (N->IsPrimary() ? FPrimary : FOthers).push_back(N); }
  void Remove(TcxSystemPaletteChangedNotifier* N) {
    for (auto* List : {&FPrimary, &FOthers}) List->erase(std::remove(List->begin(), List->end(), N), List->end());
  }
  bool Empty() const { return FPrimary.empty() && FOthers.empty(); }
  HWND Window() const { return FWindow; }

 private:
  void WndProc(TMessage& Message) {
    if (Message.Msg == kWmSysColorChange) {
      cxOffice11Refresh();
      // Last to first, and the lists may shrink while notifiers react.
      for (auto* List : {&FPrimary, &FOthers})
        for (size_t i = List->size(); i-- > 0;)
          if (i < List->size()) (*List)[i]->DoChanged();
    }
    Message.Result = DefWindowProcA(FWindow, Message.Msg, Message.WParam, Message.LParam);
  }
  HWND FWindow = nullptr;
  std::vector<TcxSystemPaletteChangedNotifier*> FPrimary, FOthers;
};

TcxSystemPaletteChangedListener* gPaletteListener = nullptr;

}  // namespace

TL_DEFINE_CLASS(TcxSystemPaletteChangedListener, [](auto&) {});

// ---- palette notifier ----

TcxSystemPaletteChangedNotifier::TcxSystemPaletteChangedNotifier(bool AIsPrimary) : FIsPrimary(AIsPrimary) {
  if (!gPaletteListener) gPaletteListener = New<TcxSystemPaletteChangedListener>();
  gPaletteListener->Add(this);
}

void TcxSystemPaletteChangedNotifier::BeforeDestruction() {
  if (gPaletteListener) {
    gPaletteListener->Remove(this);
    if (gPaletteListener->Empty()) FreeAndNil(gPaletteListener);
  }
  inherited::BeforeDestruction();
}

void TcxSystemPaletteChangedNotifier::DoChanged() {
  if (OnSystemPaletteChanged) OnSystemPaletteChanged();
}

TL_DEFINE_CLASS(TcxSystemPaletteChangedNotifier, [](auto&) {});

HWND cxSystemPaletteChangedListenerWindow() { return gPaletteListener ? gPaletteListener->Window() : nullptr; }

// ---- look and feel ----

TcxLookAndFeel::TcxLookAndFeel(TPersistent* AOwner) : TcxInterfacedPersistent(AOwner) {
  FSystemPaletteChangedNotifier = New<TcxSystemPaletteChangedNotifier>(false);
  FSystemPaletteChangedNotifier->OnSystemPaletteChanged = {this, &TcxLookAndFeel::SystemPaletteChanged};
  if (gRootLookAndFeel) {
    gRootLookAndFeel->AddChangeListener(this);
    FKind = InternalGetKind();
    FNativeStyle = InternalGetNativeStyle();
  }
}

void TcxLookAndFeel::BeforeDestruction() {
  FreeAndNil(FSystemPaletteChangedNotifier);
  FIsDestroying = true;
  // A dependant may leave the list from its handler: walk a copy.
  const std::vector<IcxLookAndFeelNotificationListener*> Listeners = FChangeListenerList;
  for (IcxLookAndFeelNotificationListener* L : Listeners)
    if (std::find(FChangeListenerList.begin(), FChangeListenerList.end(), L) != FChangeListenerList.end())
      L->MasterLookAndFeelDestroying(this);
  FIsDestroying = false;
  FChangeListenerList.clear();
  if (TcxLookAndFeel* Master = GetMasterLookAndFeel()) Master->RemoveChangeListener(this);
  if (FIsRootLookAndFeel && gRootLookAndFeel == this) gRootLookAndFeel = nullptr;
  inherited::BeforeDestruction();
}

void TcxLookAndFeel::SaveState() {
  FPrevKind = FKind;
  FPrevNativeStyle = FNativeStyle;
}

void TcxLookAndFeel::CheckStateChanges() {
  TcxLookAndFeelValues Changes;
  if (InternalGetKind() != FPrevKind) Changes = Changes + TcxLookAndFeelValues{TcxLookAndFeelValue::lfvKind};
  if (InternalGetNativeStyle() != FPrevNativeStyle)
    Changes = Changes + TcxLookAndFeelValues{TcxLookAndFeelValue::lfvNativeStyle};
  Changed(Changes);
}

void TcxLookAndFeel::Changed(TcxLookAndFeelValues AChangedValues) {
  if (AChangedValues.Empty() || FIsDestroying) return;
  FKind = InternalGetKind();
  FNativeStyle = InternalGetNativeStyle();
  size_t i = 0;
  while (i < FChangeListenerList.size()) {
    const size_t Count = FChangeListenerList.size();
    FChangeListenerList[i]->MasterLookAndFeelChanged(this, AChangedValues);
    if (FChangeListenerList.size() == Count) ++i;
  }
  if (OnChanged) OnChanged(this, AChangedValues);
}

void TcxLookAndFeel::Assign(TPersistent* Source) {
  if (auto* S = dynamic_cast<TcxLookAndFeel*>(Source)) {
    SaveState();
    FAssignedKind = S->FAssignedKind;
    FAssignedNativeStyle = S->FAssignedNativeStyle;
    FAssignedValues = S->FAssignedValues;
    SetMasterLookAndFeel(S->GetMasterLookAndFeel());
    CheckStateChanges();
    return;
  }
  inherited::Assign(Source);
}

void TcxLookAndFeel::SetAssignedValues(TcxLookAndFeelValues Value) {
  if (Value == FAssignedValues) return;
  SaveState();
  FAssignedValues = Value;
  CheckStateChanges();
}

void TcxLookAndFeel::SetKind(TcxLookAndFeelKind Value) {
  const TcxLookAndFeelKind Old = FKind;
  FAssignedValues = FAssignedValues + TcxLookAndFeelValues{TcxLookAndFeelValue::lfvKind};
  FAssignedKind = Value;
  if (InternalGetKind() != Old) Changed({TcxLookAndFeelValue::lfvKind});
}

void TcxLookAndFeel::SetNativeStyle(bool Value) {
  const bool Old = FNativeStyle;
  FAssignedValues = FAssignedValues + TcxLookAndFeelValues{TcxLookAndFeelValue::lfvNativeStyle};
  FAssignedNativeStyle = Value;
  if (InternalGetNativeStyle() != Old) Changed({TcxLookAndFeelValue::lfvNativeStyle});
}

TcxLookAndFeelKind TcxLookAndFeel::InternalGetKind() const {
  if (FAssignedValues.Contains(TcxLookAndFeelValue::lfvKind)) return FAssignedKind;
  if (FIsRootLookAndFeel) return TcxLookAndFeelKind::lfUltraFlat;
  if (FMasterLookAndFeel) return FMasterLookAndFeel->GetKind();
  if (gRootLookAndFeel) return gRootLookAndFeel->GetKind();
  return TcxLookAndFeelKind::lfUltraFlat;
}

bool TcxLookAndFeel::InternalGetNativeStyle() const {
  if (FAssignedValues.Contains(TcxLookAndFeelValue::lfvNativeStyle)) return FAssignedNativeStyle;
  if (FIsRootLookAndFeel) return false;
  if (FMasterLookAndFeel) return FMasterLookAndFeel->GetNativeStyle();
  if (gRootLookAndFeel) return gRootLookAndFeel->GetNativeStyle();
  return false;
}

TcxLookAndFeel* TcxLookAndFeel::GetMasterLookAndFeel() const {
  if (FIsRootLookAndFeel) return nullptr;
  return FMasterLookAndFeel ? FMasterLookAndFeel : gRootLookAndFeel;
}

void TcxLookAndFeel::SetMasterLookAndFeel(TcxLookAndFeel* Value) {
  if (FIsRootLookAndFeel || Value == this || Value == GetMasterLookAndFeel()) return;
  // Two look and feels that follow each other would inherit from nobody and pass every
  // change around forever.
  for (TcxLookAndFeel* M = Value; M; M = M->FMasterLookAndFeel)
    if (M == this) return;
  SaveState();
  if (TcxLookAndFeel* Old = GetMasterLookAndFeel()) Old->RemoveChangeListener(this);
  FMasterLookAndFeel = Value;
  if (TcxLookAndFeel* New = GetMasterLookAndFeel()) New->AddChangeListener(this);
  CheckStateChanges();
}

void TcxLookAndFeel::AddChangeListener(IcxLookAndFeelNotificationListener* AListener) {
  if (!AListener) return;
  const bool IsController = dynamic_cast<TcxLookAndFeelController*>(AListener->GetObject()) != nullptr;
  if (IsController && !FIsRootLookAndFeel) return;
  if (std::find(FChangeListenerList.begin(), FChangeListenerList.end(), AListener) != FChangeListenerList.end())
    return;
  FChangeListenerList.push_back(AListener);
  if (IsController) ++gControllerCount;
}

void TcxLookAndFeel::RemoveChangeListener(IcxLookAndFeelNotificationListener* AListener) {
  auto It = std::find(FChangeListenerList.begin(), FChangeListenerList.end(), AListener);
  if (It == FChangeListenerList.end() || FIsDestroying) return;
  FChangeListenerList.erase(It);
  if (FIsRootLookAndFeel && dynamic_cast<TcxLookAndFeelController*>(AListener->GetObject())) {
    if (--gControllerCount == 0) SetAssignedValues({});
  }
}

const TcxCustomLookAndFeelPainter* cxPainterOfKind(TcxLookAndFeelKind AKind) {
  switch (AKind) {
    case TcxLookAndFeelKind::lfFlat: return cxFlatPainter();
    case TcxLookAndFeelKind::lfStandard: return cxStandardPainter();
    case TcxLookAndFeelKind::lfOffice11: return cxOffice11Painter();
    default: return cxUltraFlatPainter();
  }
}

const TcxCustomLookAndFeelPainter* TcxLookAndFeel::GetAvailablePainter(TdxThemedObjectType AType) const {
  if (FNativeStyle && cxWinXPPainter() && cxIsThemeAvailable(AType)) return cxWinXPPainter();
  return cxPainterOfKind(FKind);
}

const TcxCustomLookAndFeelPainter* TcxLookAndFeel::GetAvailablePainter(TdxThemedObjectTypes ATypes) const {
  if (FNativeStyle && cxWinXPPainter() && cxAreThemesAvailable(ATypes)) return cxWinXPPainter();
  return cxPainterOfKind(FKind);
}

const TcxCustomLookAndFeelPainter* TcxLookAndFeel::GetPainter() const {
  return FPainter ? FPainter : GetAvailablePainter(TdxThemedObjectTypes{});
}

void TcxLookAndFeel::SetPainter(const TcxCustomLookAndFeelPainter* Value) {
  if (Value == GetPainter()) return;
  FPainter = Value;
  Changed({TcxLookAndFeelValue::lfvKind, TcxLookAndFeelValue::lfvNativeStyle});
}

void TcxLookAndFeel::MasterLookAndFeelChanged(TcxLookAndFeel*, TcxLookAndFeelValues AChangedValues) {
  Changed(AChangedValues - FAssignedValues);
}

void TcxLookAndFeel::MasterLookAndFeelDestroying(TcxLookAndFeel*) { SetMasterLookAndFeel(nullptr); }

void TcxLookAndFeel::SystemPaletteChanged() { Changed({TcxLookAndFeelValue::lfvNativeStyle}); }

TL_DEFINE_CLASS(TcxLookAndFeel, [](auto& c) {
  c.Property("AssignedValues", &TcxLookAndFeel::GetAssignedValues, &TcxLookAndFeel::SetAssignedValues);
  c.Property("Kind", &TcxLookAndFeel::GetKind, &TcxLookAndFeel::SetKind).Stored(&TcxLookAndFeel::IsKindStored);
  c.Property("NativeStyle", &TcxLookAndFeel::GetNativeStyle, &TcxLookAndFeel::SetNativeStyle)
      .Stored(&TcxLookAndFeel::IsNativeStyleStored);
});

// ---- controller ----

TcxLookAndFeelController::TcxLookAndFeelController(TComponent* AOwner) : TComponent(AOwner) {
  if (gRootLookAndFeel) gRootLookAndFeel->AddChangeListener(this);
}

void TcxLookAndFeelController::BeforeDestruction() {
  if (gRootLookAndFeel) gRootLookAndFeel->RemoveChangeListener(this);
  inherited::BeforeDestruction();
}

TcxLookAndFeelKind TcxLookAndFeelController::GetKind() const {
  return gRootLookAndFeel ? gRootLookAndFeel->GetKind() : TcxLookAndFeelKind::lfUltraFlat;
}
void TcxLookAndFeelController::SetKind(TcxLookAndFeelKind Value) {
  if (gRootLookAndFeel) gRootLookAndFeel->SetKind(Value);
}
bool TcxLookAndFeelController::GetNativeStyle() const {
  return gRootLookAndFeel ? gRootLookAndFeel->GetNativeStyle() : false;
}
void TcxLookAndFeelController::SetNativeStyle(bool Value) {
  if (gRootLookAndFeel) gRootLookAndFeel->SetNativeStyle(Value);
}

TL_DEFINE_CLASS(TcxLookAndFeelController, [](auto& c) {
  c.Property("Kind", &TcxLookAndFeelController::GetKind, &TcxLookAndFeelController::SetKind)
      .Default(TcxLookAndFeelKind::lfUltraFlat);
  c.Property("NativeStyle", &TcxLookAndFeelController::GetNativeStyle, &TcxLookAndFeelController::SetNativeStyle)
      .Default(false);
});

// ---- unit ----

TcxLookAndFeel* RootLookAndFeel() { return gRootLookAndFeel; }

void cxLookAndFeelsCreateRoot() {
  gRootLookAndFeel = New<TcxLookAndFeel>(nullptr);
  gRootLookAndFeel->FIsRootLookAndFeel = true;
}

namespace cxLookAndFeels {

void Initialize() {
  if (gStartCount++ > 0) return;
  // Before the first notifier sets up the Office11 colours, which load bitmaps from them.
  TlRegisterResources_widgets_foundation();
  dxThemeManager::Initialize();
  RegisterClass(TcxLookAndFeelController::StaticClass());
  cxLookAndFeelsCreateRoot();
}

void Finalize() {
  if (gStartCount == 0 || --gStartCount > 0) return;
  TcxLookAndFeel* Root = gRootLookAndFeel;
  FreeAndNil(Root);
  gRootLookAndFeel = nullptr;
  gControllerCount = 0;
  dxThemeManager::Finalize();
}

}  // namespace cxLookAndFeels
