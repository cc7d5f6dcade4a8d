// Small controls and listeners for the visual class-library tests.
#pragma once

#include "classlib/visual/Forms.h"

#include <functional>
#include <string>
#include <vector>

// Every test control and listener appends what it saw here; tests clear it first.
std::vector<std::string>& Log();
std::string Joined();  // the log as "a,b,c"

// A windowed control that logs the notifications it gets.
class TProbe : public TCustomControl {
  TL_CLASS(TProbe, TCustomControl)
 public:
  using TCustomControl::TCustomControl;
  int Paints = 0;
  TColor Fill = clNone;          // Paint fills the client area through the canvas
  LRESULT DlgCode = 0;           // answer to WM_GETDLGCODE
  bool RefuseExit = false;       // CM_EXIT raises, as a failed validation does
  using TWinControl::RecreateWnd;
  HDC LastPaintDC = nullptr;
  void BeforeDestruction() override {
    Log().push_back("free " + GetName());
    TCustomControl::BeforeDestruction();
  }

 protected:
  void Paint() override;
  void WMGetDlgCode(TMessage& m) { m.Result = DlgCode; }
  void CMEnter(TMessage& m);
  void CMExit(TMessage& m);
  void CMNotice(TMessage& m);
  void Reflected(TMessage& m);
  void CMMouseEnter(TMessage& m);
  void CMMouseLeave(TMessage& m);
};

// A painted control without a window.
class TGraphicProbe : public TGraphicControl {
  TL_CLASS(TGraphicProbe, TGraphicControl)
 public:
  using TGraphicControl::TGraphicControl;
  int Paints = 0;
  TPoint PaintOrigin{-1, -1};
  TColor Fill = clNone;

 protected:
  void Paint() override;
  void CMMouseEnter(TMessage& m);
  void CMMouseLeave(TMessage& m);
};

// A button-like control: Enter reaches it when Default, Escape when Cancel; a click sets
// the form's modal result.
class TTestButton : public TCustomControl {
  TL_CLASS(TTestButton, TCustomControl)
 public:
  explicit TTestButton(TComponent* AOwner);
  bool Default = false;
  bool Cancel = false;
  TModalResult ModalResult = mrNone;
  void Click() override;

 protected:
  void CMDialogKey(TMessage& m);
  void CMDialogChar(TMessage& m);
};

// Event handlers as published methods of a plain object.
class TSink : public TObject {
  TL_CLASS(TSink, TObject)
 public:
  void Clicked(TObject* Sender);
  void MouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  void KeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void KeyPress(TObject* Sender, Char& Key);
  void Entered(TObject* Sender);
  void Exited(TObject* Sender);
  void Raise(TObject* Sender);
  void Paint(TObject* Sender);
  void Tick(TObject* Sender);
  void Moved(TObject* Sender, TShiftState Shift, Integer X, Integer Y);
  void Up(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  void DragOverH(TObject* Sender, TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept);
  void DragDropH(TObject* Sender, TObject* Source, Integer X, Integer Y);
  void StartDragH(TObject* Sender, TDragObject*& DragObject);
  void EndDragH(TObject* Sender, TObject* Target, Integer X, Integer Y);
  bool AcceptDrop = true;
  void Closing(TObject* Sender, TCloseAction& Action);
  void Query(TObject* Sender, bool& CanClose);
  TCloseAction CloseAction = TCloseAction::caHide;
  bool CanClose = true;
  Word SwallowKey = 0;
  std::function<void()> OnPaintDo;
  std::function<void()> OnTickDo;
};

const char* NameOf(TObject* o);
