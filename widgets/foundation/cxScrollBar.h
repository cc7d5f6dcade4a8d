// A scroll bar drawn by the look-and-feel painters, with its own hit testing, thumb
// tracking and timed auto-repeat.
#pragma once

#include "classlib/visual/Controls.h"
#include "classlib/visual/Graphics.h"
#include "widgets/foundation/cxControls.h"
#include "widgets/foundation/cxGraphics.h"
#include "widgets/foundation/cxLookAndFeelPainters.h"
#include "widgets/foundation/cxLookAndFeels.h"

class TdxThemeChangedNotificator;

TL_ENUM(TScrollBarKind, sbHorizontal, sbVertical);
TL_ENUM(TScrollCode, scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom, scEndScroll);
using TScrollBarInc = Word;
using TScrollEvent = TMethod<void(TObject* Sender, TScrollCode ScrollCode, Integer& ScrollPos)>;
// MousePos is in client coordinates, (-1, -1) for a request from the keyboard.
using TContextPopupEvent = TMethod<void(TObject* Sender, TPoint MousePos, bool& Handled)>;

class TcxScrollBar : public TCustomControl {
  TL_CLASS(TcxScrollBar, TCustomControl)
 public:
  static constexpr Cardinal kFirstRepeatDelay = 400;
  static constexpr Cardinal kRepeatInterval = 60;
  static constexpr Integer kTrackSlackAlong = 34;
  static constexpr Integer kTrackSlackAcross = 136;

  explicit TcxScrollBar(TComponent* AOwner);
  void BeforeDestruction() override;

  TScrollBarKind GetKind() const { return FKind; }
  void SetKind(TScrollBarKind Value);
  Integer GetMin() const { return FMin; }
  void SetMin(Integer Value) { SetScrollParams(Value, FMax, FPosition, FPageSize); }
  Integer GetMax() const { return FMax; }
  void SetMax(Integer Value) { SetScrollParams(FMin, Value, FPosition, FPageSize); }
  Integer GetPageSize() const { return FPageSize; }
  void SetPageSize(Integer Value) { SetScrollParams(FMin, FMax, FPosition, Value); }
  Integer GetPosition() const { return FPosition; }
  void SetPosition(Integer Value) { SetScrollParams(FMin, FMax, Value, FPageSize); }
  TScrollBarInc GetSmallChange() const { return FSmallChange; }
  void SetSmallChange(TScrollBarInc Value) { FSmallChange = Value; }
  TScrollBarInc GetLargeChange() const { return FLargeChange; }
  void SetLargeChange(TScrollBarInc Value) { FLargeChange = Value; }
  bool GetUnlimitedTracking() const { return FUnlimitedTracking; }
  void SetUnlimitedTracking(bool Value) { FUnlimitedTracking = Value; }

  // Raises EInvalidOperation when Max < Min or Max < PageSize; the old values then stay.
  void SetScrollParams(Integer AMin, Integer AMax, Integer APosition, Integer APageSize, bool ARedraw = true);
  void SetParams(Integer APosition, Integer AMin, Integer AMax) { SetScrollParams(AMin, AMax, APosition, FPageSize); }
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;

  TcxLookAndFeel* GetLookAndFeel() const { return FLookAndFeel; }
  void SetLookAndFeel(TcxLookAndFeel* Value) { FLookAndFeel->Assign(Value); }
  // The painter the look and feel gives for scroll bars.
  virtual const TcxCustomLookAndFeelPainter* Painter() const;

  // Geometry in client coordinates (empty rectangles for absent parts).
  TRect FirstArrowRect() const { return FLineUpRect; }
  TRect SecondArrowRect() const { return FLineDownRect; }
  TRect ThumbRect() const { return FThumbRect; }
  TRect PageUpRect() const { return FPageUpRect; }
  TRect PageDownRect() const { return FPageDownRect; }
  TcxScrollBarPart HitTest(const TPoint& P) const;
  TcxScrollBarPart PressedPart() const { return FPressedPart; }
  TcxScrollBarPart HotPart() const { return FHotPart; }
  // The state a part is drawn in now.
  TcxButtonState PartState(TcxScrollBarPart APart) const;
  bool RepeatTimerRunning() const { return FTimer->GetEnabled(); }
  // The shortest thumb: 8, or what the visual style's gripper needs under the native look.
  Integer MinThumbLength() const { return FMinThumbLength; }

  TNotifyEvent OnChange;
  TScrollEvent OnScroll;
  // Asked first on a context-menu request; a handled one goes no further.
  TContextPopupEvent OnContextPopup;

 protected:
  // Stores a range already known to be consistent (Min <= Max, 0 <= PageSize <= the range).
  void InternalSetScrollParams(Integer AMin, Integer AMax, Integer APosition, Integer APageSize, bool ARedraw);
  virtual void Change();
  virtual void Scroll(TScrollCode ScrollCode, Integer& ScrollPos);
  void DoScroll(TScrollCode Code);
  void Paint() override;
  void WndProc(TMessage& Message) override;
  // Streamed limits arrive one at a time: they are checked together once all are read.
  void Loaded() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

 private:
  bool Horizontal() const { return FKind == TScrollBarKind::sbHorizontal; }
  void CalcArrowRects();
  void CalcThumb();
  void SetThumbStart(Integer AStart);
  Integer PositionFromThumb() const;
  Integer ThumbStart() const;
  Integer TrackedPosition() const;
  void StopScrolling();
  void TimerTick(TObject* Sender);
  void SetHotPart(TcxScrollBarPart APart);
  bool HotTracked() const;
  void LookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues);
  void ThemeChanged();
  void CalcMinThumbLength();
  static bool IsRepeatPart(TcxScrollBarPart APart);
  static TScrollCode PartCode(TcxScrollBarPart APart);

  TBitmap* FBitmap = nullptr;
  TcxCanvas* FBitmapCanvas = nullptr;
  TcxScrollBarPart FPressedPart = TcxScrollBarPart::sbpNone;
  TcxScrollBarPart FHotPart = TcxScrollBarPart::sbpNone;
  TcxTimer* FTimer = nullptr;
  TcxLookAndFeel* FLookAndFeel = nullptr;
  TdxThemeChangedNotificator* FThemeNotificator = nullptr;
  Integer FMinThumbLength = 8;
  TRect FLineUpRect{}, FLineDownRect{}, FThumbRect{}, FPageUpRect{}, FPageDownRect{};
  TScrollBarKind FKind = TScrollBarKind::sbHorizontal;
  Integer FPosition = 0;
  Integer FSavedPosition = 0;
  Integer FSavedThumbStart = 0;
  TPoint FSavedMousePos{0, 0};
  Integer FMin = 0, FMax = 100, FPageSize = 0;
  TScrollBarInc FSmallChange = 1, FLargeChange = 1;
  bool FUnlimitedTracking = false;
};
