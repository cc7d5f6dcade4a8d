// Per-object look-and-feel settings that inherit from a master and finally from one
// application-wide root, tell their dependants about changes and choose the painter.
#pragma once

#include "classlib/core/Classes.h"
#include "classlib/visual/Controls.h"
#include "widgets/foundation/cxClasses.h"
#include "widgets/foundation/cxLookAndFeelPainters.h"
#include "widgets/foundation/dxThemeManager.h"

#include <vector>

TL_ENUM(TcxLookAndFeelKind, lfFlat, lfStandard, lfUltraFlat, lfOffice11);
TL_ENUM(TcxLookAndFeelValue, lfvKind, lfvNativeStyle);
using TcxLookAndFeelValues = Set<TcxLookAndFeelValue>;

class TcxLookAndFeel;

class IcxLookAndFeelNotificationListener {
 public:
  virtual void MasterLookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) = 0;
  virtual void MasterLookAndFeelDestroying(TcxLookAndFeel* Sender) = 0;
  virtual TObject* GetObject() = 0;

 protected:
  ~IcxLookAndFeelNotificationListener() = default;
};

using TcxLookAndFeelChangedEvent = TMethod<void(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues)>;
using TcxSystemPaletteChangedEvent = TMethod<void()>;

class TcxSystemPaletteChangedNotifier : public TObject {
  TL_CLASS(TcxSystemPaletteChangedNotifier, TObject)
 public:
  explicit TcxSystemPaletteChangedNotifier(bool AIsPrimary = false);
  void BeforeDestruction() override;
  bool IsPrimary() const { return FIsPrimary; }
  TcxSystemPaletteChangedEvent OnSystemPaletteChanged;

  virtual void DoChanged();

 private:
  bool FIsPrimary;
};

// The painter of a look-and-feel kind, visual styles aside.
const TcxCustomLookAndFeelPainter* cxPainterOfKind(TcxLookAndFeelKind AKind);

class TcxLookAndFeel : public TcxInterfacedPersistent, public IcxLookAndFeelNotificationListener {
  TL_CLASS(TcxLookAndFeel, TcxInterfacedPersistent)
 public:
  explicit TcxLookAndFeel(TPersistent* AOwner);
  void BeforeDestruction() override;
  void Assign(TPersistent* Source) override;

  TcxLookAndFeelValues GetAssignedValues() const { return FAssignedValues; }
  void SetAssignedValues(TcxLookAndFeelValues Value);
  TcxLookAndFeelKind GetKind() const { return FKind; }
  void SetKind(TcxLookAndFeelKind Value);
  bool IsKindStored() const { return FAssignedValues.Contains(TcxLookAndFeelValue::lfvKind); }
  bool GetNativeStyle() const { return FNativeStyle; }
  void SetNativeStyle(bool Value);
  bool IsNativeStyleStored() const { return FAssignedValues.Contains(TcxLookAndFeelValue::lfvNativeStyle); }

  // nullptr for the root; the explicit master; else the root.
  TcxLookAndFeel* GetMasterLookAndFeel() const;
  // A master that would make the chain run back to this object is refused.
  void SetMasterLookAndFeel(TcxLookAndFeel* Value);
  void Reset() { SetMasterLookAndFeel(nullptr); }
  bool IsRootLookAndFeel() const { return FIsRootLookAndFeel; }

  void AddChangeListener(IcxLookAndFeelNotificationListener* AListener);
  void RemoveChangeListener(IcxLookAndFeelNotificationListener* AListener);
  Integer ChangeListenerCount() const { return static_cast<Integer>(FChangeListenerList.size()); }

  const TcxCustomLookAndFeelPainter* GetAvailablePainter(TdxThemedObjectType AThemedObjectType) const;
  const TcxCustomLookAndFeelPainter* GetAvailablePainter(TdxThemedObjectTypes AThemedObjectTypes = {}) const;
  const TcxCustomLookAndFeelPainter* GetPainter() const;
  void SetPainter(const TcxCustomLookAndFeelPainter* Value);

  // Listener operations: a master's change passes on except for locally assigned values.
  void MasterLookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) override;
  void MasterLookAndFeelDestroying(TcxLookAndFeel* Sender) override;
  TObject* GetObject() override { return this; }

  TcxLookAndFeelChangedEvent OnChanged;

  virtual TcxLookAndFeelKind InternalGetKind() const;
  virtual bool InternalGetNativeStyle() const;
  virtual void SystemPaletteChanged();

 protected:
  void Changed(TcxLookAndFeelValues AChangedValues);

 private:
  friend void cxLookAndFeelsCreateRoot();
  void SaveState();
  void CheckStateChanges();

  TcxLookAndFeelValues FAssignedValues;
  std::vector<IcxLookAndFeelNotificationListener*> FChangeListenerList;
  TcxLookAndFeelKind FKind = TcxLookAndFeelKind::lfUltraFlat;
  bool FNativeStyle = false;
  TcxLookAndFeelKind FAssignedKind = TcxLookAndFeelKind::lfUltraFlat;
  bool FAssignedNativeStyle = false;
  bool FIsDestroying = false;
  bool FIsRootLookAndFeel = false;
  TcxLookAndFeel* FMasterLookAndFeel = nullptr;
  const TcxCustomLookAndFeelPainter* FPainter = nullptr;
  TcxLookAndFeelKind FPrevKind = TcxLookAndFeelKind::lfUltraFlat;
  bool FPrevNativeStyle = false;
  TcxSystemPaletteChangedNotifier* FSystemPaletteChangedNotifier = nullptr;
};

// Dropped on a form, edits the root look and feel; holds no values of its own.
class TcxLookAndFeelController : public TComponent, public IcxLookAndFeelNotificationListener {
  TL_CLASS(TcxLookAndFeelController, TComponent)
 public:
  explicit TcxLookAndFeelController(TComponent* AOwner);
  void BeforeDestruction() override;
  TcxLookAndFeelKind GetKind() const;
  void SetKind(TcxLookAndFeelKind Value);
  bool GetNativeStyle() const;
  void SetNativeStyle(bool Value);

  void MasterLookAndFeelChanged(TcxLookAndFeel*, TcxLookAndFeelValues) override {}
  void MasterLookAndFeelDestroying(TcxLookAndFeel*) override {}
  TObject* GetObject() override { return this; }
};

// The application-wide root; nullptr outside the unit's start-up.
TcxLookAndFeel* RootLookAndFeel();
// The hidden window that hears system colour changes; nullptr while no notifier exists.
HWND cxSystemPaletteChangedListenerWindow();

namespace cxLookAndFeels {
void Initialize();
void Finalize();
}  // namespace cxLookAndFeels
