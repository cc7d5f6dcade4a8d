// The platform list box living inside a container: it hands keys, mouse and unhandled
// messages to the container, lays library scroll bars over its own and searches its items
// as the user types.
#pragma once

#include "classlib/visual/StdCtrls.h"
#include "widgets/foundation/cxContainer.h"
#include "widgets/foundation/cxGraphics.h"
#include "widgets/foundation/cxLookAndFeels.h"
#include "widgets/foundation/cxScrollBar.h"

class TcxCustomInnerListBox : public TListBox, public IcxContainerInnerControl {
  TL_CLASS(TcxCustomInnerListBox, TListBox)
 public:
  static constexpr Cardinal kDefaultAutoCompleteDelay = 500;

  // AOwner is the container (when it is one).
  explicit TcxCustomInnerListBox(TComponent* AOwner);
  void AfterConstruction() override;
  void BeforeDestruction() override;

  // IcxContainerInnerControl
  TcxContainer* GetControlContainer() override { return FContainer; }
  TWinControl* GetControl() override { return this; }
  TcxScrollBar* GetLibraryScrollBar(TScrollBarKind AKind) override {
    return AKind == TScrollBarKind::sbHorizontal ? FHScrollBar : FVScrollBar;
  }

  // Milliseconds between typed keys that still extend one search; 0 starts anew with each key.
  Cardinal GetAutoCompleteDelay() const { return FAutoCompleteDelay; }
  void SetAutoCompleteDelay(Cardinal Value) { FAutoCompleteDelay = Value; }
  TcxLookAndFeel* GetLookAndFeel() const { return FLookAndFeel; }
  void SetLookAndFeel(TcxLookAndFeel* Value) { FLookAndFeel->Assign(Value); }
  TcxCanvas* GetcxCanvas() const { return FcxCanvas; }
  // The text typed so far in the running search.
  const String& SearchText() const { return FSearchText; }

  // Shows, places and fills the library bars from the list's own ones.
  virtual void UpdateScrollBars();
  // One typed character of the incremental search; Key becomes 0 when the search took it.
  void KeyPressSearch(Char& Key);
  // The first item whose text starts with AText (case-insensitively), or -1.
  virtual Integer FindItemStartingWith(const String& AText);
  // The corner between both visible library bars, in the list's window coordinates; else empty.
  void GetSizeGripRect(TRect& R) const;
  // Whether the focused item gets the focus rectangle when drawn by the owner.
  virtual bool NeedDrawFocusRect() { return true; }

 protected:
  void DefaultHandler(TMessage& Message) override;
  void WndProc(TMessage& Message) override;
  virtual void CreateScrollBars();
  virtual void LookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues);
  void Click() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(Char& Key) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

  void WMGetDlgCode(TMessage& Message);
  void WMKillFocus(TMessage& Message);
  void WMLButtonDown(TMessage& Message);
  void WMNCCalcSize(TMessage& Message);
  void WMNCPaint(TMessage& Message);
  void WMSetFocus(TMessage& Message);
  void CMMouseEnter(TMessage& Message);
  void CMMouseLeave(TMessage& Message);
  void CNDrawItem(TMessage& Message);

 private:
  bool ContainerAlive() const;
  void UpdateScrollBar(TcxScrollBar* ABar, Integer AObjectId, int ASystemBar);
  void ScrollBarScroll(TObject* Sender, TScrollCode ScrollCode, Integer& ScrollPos);
  void LookAndFeelChangedHandler(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) {
    LookAndFeelChanged(Sender, AChangedValues);
  }

  TcxContainer* FContainer = nullptr;
  TcxCanvas* FcxCanvas = nullptr;
  TcxScrollBar* FHScrollBar = nullptr;
  TcxScrollBar* FVScrollBar = nullptr;
  TcxLookAndFeel* FLookAndFeel = nullptr;
  String FSearchText;
  DWORD FLastSearchTick = 0;
  Cardinal FAutoCompleteDelay = kDefaultAutoCompleteDelay;
  bool FUpdatingScrollBars = false;
  HDC FDrawDC = nullptr;
};
