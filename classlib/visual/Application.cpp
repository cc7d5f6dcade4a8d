// TApplication (the message loop, key pre-processing, exception reports, idle work and the
// application window's broadcasts) and TScreen (forms, cursors, screen metrics).
#include "classlib/core/SysUtils.h"
#include "classlib/core/ScopeGuards.h"
#include "classlib/visual/Forms.h"
#include "classlib/visual/ActnList.h"
#include "classlib/visual/HintWindow.h"
#include "platform/host/HeadlessHost.h"
#include "platform/kernel/Units.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

TApplication* Application = nullptr;
TScreen* Screen = nullptr;

// ---- TApplication -------------------------------------------------------------------------

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {
  FHandle = AllocateHWnd(TWndMethod(this, &TApplication::WndProc));
}

void TApplication::BeforeDestruction() {
  CancelHint();
  // The global is cleared before the application is freed, so the hint window's own
  // destruction cannot tell us it went: free it here, before the forms whose destruction
  // moves the activation and cancels hints.
  if (THintWindow* window = FHintWindow) {
    FHintWindow = nullptr;
    window->Free();
  }
  FMouseControl = nullptr;
  DestroyComponents();
  FMainForm = nullptr;
  DeallocateHWnd(FHandle);
  FHandle = nullptr;
  inherited::BeforeDestruction();
}

void TApplication::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FMainForm) FMainForm = nullptr;
}

void TApplication::SetTitle(const String& Value) {
  FTitle = Value;
  if (FHandle) SetWindowTextA(FHandle, Value.c_str());
}

void TApplication::FormCreated(TComponent* Instance) {
  auto* form = dynamic_cast<TCustomForm*>(Instance);
  if (!FMainForm && form) {
    form->HandleNeeded();
    FMainForm = form;
  }
}

void TApplication::Run() {
  if (FMainForm && FShowMainForm) FMainForm->SetVisible(true);
  while (!FTerminated) {
    try {
      HandleMessage();
    } catch (const HeadlessStall&) {
      throw;
    } catch (...) {  // not cleanup: the loop reports an error and goes on
      HandleException(this, std::current_exception());
    }
  }
}

bool TApplication::IsKeyMsg(MSG& Msg) {
  if (Msg.message < WM_KEYFIRST || Msg.message > WM_KEYLAST) return false;
  if (DragActive()) {
    if (Msg.message == WM_KEYDOWN && Msg.wParam == WPARAM(VK_ESCAPE)) CancelDrag();
    return true;
  }
  HWND wnd = Msg.hwnd;
  while (wnd && !FindControl(wnd)) wnd = GetParent(wnd);
  if (!wnd) return false;
  return SendMessageA(wnd, CN_BASE + Msg.message, Msg.wParam, Msg.lParam) != 0;
}

bool TApplication::ProcessMessage(MSG& Msg) {
  if (!PeekMessageA(&Msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (Msg.message == WM_QUIT) {
    FTerminated = true;
    return true;
  }
  RouteMessage(Msg);
  return true;
}

void TApplication::RouteMessage(MSG& Msg) {
  CancelHintOnInput(Msg);
  if (!IsKeyMsg(Msg)) {
    TranslateMessage(&Msg);
    DispatchMessageA(&Msg);
  }
}

void TApplication::HandleMessage() {
  MSG msg;
  if (!ProcessMessage(msg)) Idle(msg);
}

void TApplication::ProcessMessages() {
  // What was drawn outside the paint cycle since the last message (a handler that draws,
  // then waits and pumps) reaches the screen now, not when that handler returns.
  FreeDeviceContexts();
  MSG msg;
  while (ProcessMessage(msg)) {
  }
}

void TApplication::Idle(const MSG&) {
  TrackMouse();
  UpdateActionsOnIdle();
  bool done = true;
  if (OnIdle) OnIdle(this, done);
  if (done) WaitMessage();
}

void TApplication::Terminate() { PostQuitMessage(0); }

void TApplication::HandleException(TObject* Sender) { HandleException(Sender, std::current_exception()); }

void TApplication::HandleException(TObject* Sender, std::exception_ptr E) {
  if (!E) return;
  auto report = [&](const Exception& e) {
    if (OnException && !FHandlingException) {
      TScopedValue<bool> handling(FHandlingException, true);
      try {
        OnException(Sender, e);
      } catch (const HeadlessStall&) {
        throw;
      } catch (const Exception& inner) {
        ShowException(inner);
      } catch (const std::exception& inner) {
        ShowException(Exception(inner.what()));
      }
    } else {
      ShowException(e);
    }
  };
  try {
    std::rethrow_exception(E);
  } catch (const HeadlessStall&) {
    throw;
  } catch (const EAbort&) {
  } catch (const Exception& e) {
    report(e);
  } catch (const std::exception& e) {
    report(Exception(e.what()));
  } catch (...) {  // not cleanup: any other error is reported by a text of its own
    report(Exception("Unknown exception"));
  }
}

void TApplication::ShowException(const Exception& E) {
  String msg = E.Message();
  if (FRecordExceptions) {
    FExceptions.push_back(msg);
    return;
  }
  const String caption = FTitle.empty() ? String("Error") : FTitle;
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), msg.c_str());
  // One box at a time: an error raised again while the box is up (a paint handler that
  // fails at every repaint) goes to standard error only, rather than piling up boxes.
  static bool showing = false;   // one application, on the user-interface thread
  if (showing) return;
  TScopedValue<bool> shown(showing, true);
  MessageBox(msg, caption, MB_OK | MB_ICONHAND);
}

std::vector<String> TApplication::TakeExceptions() {
  std::vector<String> out;
  out.swap(FExceptions);
  return out;
}

void TApplication::TrackMouse() {
  TPoint p;
  if (!GetCursorPos(&p)) return;
  SetMouseControl(FindDragTarget(p, true));
}

void TApplication::SetMouseControl(TControl* Control) {
  if (Control == FMouseControl) return;
  // Off the hint's control: its hint goes at once. Onto another control with hints, the
  // mouse move that follows starts the pause for it.
  if (FHintControl && Control != FHintControl) {
    if (Control && Control->GetShowHint()) {
      StopHintTimer();
      if (FHintWindow) FHintWindow->ReleaseHint();
      FHintCursorRect = {};
    } else {
      CancelHint();
    }
  }
  TControl* old = FMouseControl;
  FMouseControl = Control;
  if (old) old->Perform(CM_MOUSELEAVE, 0, LPARAM(old));
  if (Control && FMouseControl == Control) Control->Perform(CM_MOUSEENTER, 0, LPARAM(Control));
}

void TApplication::ControlDestroyed(TControl* Control) {
  if (FMouseControl == Control) FMouseControl = nullptr;
  if (Control == FHintWindow) {
    StopHintTimer();
    FHintWindow = nullptr;
  }
  if (Control == FHintControl) CancelHint();
}

void TApplication::WndProc(TMessage& Message) {
  try {
    switch (Message.Msg) {
      case WM_TIMER:
        if (Message.WParam != kHintTimerId) break;
        HintTimerExpired();
        return;
      case WM_ACTIVATEAPP:
        FActive = Message.WParam != 0;
        if (!FActive) CancelHint();
        if (FActive) {
          if (OnActivate) OnActivate(this);
        } else {
          if (OnDeactivate) OnDeactivate(this);
        }
        return;
      case WM_SETTINGCHANGE: {
        if (Mouse) Mouse->SettingChanged(UINT(Message.WParam));
        auto* area = reinterpret_cast<const char*>(Message.LParam);
        if (FUpdateFormatSettings && area && tl_detail::SameIdent(area, "intl")) GetFormatSettings();
        return;
      }
      default:
        break;
    }
  } catch (const HeadlessStall&) {
    throw;
  } catch (...) {  // not cleanup: a message's error is reported, never passed to the platform
    HandleException(this, std::current_exception());
    return;
  }
  Message.Result = DefWindowProcA(FHandle, Message.Msg, Message.WParam, Message.LParam);
}

TL_DEFINE_CLASS(TApplication)

// ---- TScreen ------------------------------------------------------------------------------

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner) {
  struct Std {
    TCursor Id;
    LPCSTR Name;
  };
  // Drag shapes use the nearest standard cursor until their own art is drawn.
  const Std table[] = {
      {crDefault, IDC_ARROW},     {crArrow, IDC_ARROW},       {crCross, IDC_CROSS},
      {crIBeam, IDC_IBEAM},       {crSizeNESW, IDC_SIZENESW}, {crSizeNS, IDC_SIZENS},
      {crSizeNWSE, IDC_SIZENWSE}, {crSizeWE, IDC_SIZEWE},     {crUpArrow, IDC_UPARROW},
      {crHourGlass, IDC_WAIT},    {crDrag, IDC_ARROW},        {crNoDrop, IDC_NO},
      {crHSplit, IDC_SIZEWE},     {crVSplit, IDC_SIZENS},     {crMultiDrag, IDC_ARROW},
      {crSQLWait, IDC_WAIT},      {crNo, IDC_NO},             {crAppStart, IDC_APPSTARTING},
      {crHelp, IDC_HELP},         {crHandPoint, IDC_HAND},    {crSizeAll, IDC_SIZEALL},
  };
  for (const Std& s : table) FCursors[s.Id] = LoadCursorA(nullptr, s.Name);
  FCursors[crNone] = nullptr;
}

void TScreen::BeforeDestruction() {
  for (auto& [id, h] : FOwnCursors) DestroyCursor(h);
  FOwnCursors.clear();
  inherited::BeforeDestruction();
}

HCURSOR TScreen::Cursors(TCursor Index) const {
  auto it = FCursors.find(Index);
  if (it != FCursors.end()) return it->second;
  return FCursors.at(crDefault);
}

void TScreen::SetCursors(TCursor Index, HCURSOR Handle) {
  if (Index == crDefault) throw EInvalidOperation("The default cursor cannot be replaced");
  if (auto it = FOwnCursors.find(Index); it != FOwnCursors.end()) {
    if (it->second != Handle) DestroyCursor(it->second);
    FOwnCursors.erase(it);
  }
  if (Handle) {
    FCursors[Index] = Handle;
    FOwnCursors[Index] = Handle;
  } else {
    FCursors.erase(Index);
  }
}

void TScreen::SetCursor(TCursor Value) {
  if (FCursor == Value) return;
  FCursor = Value;
  if (Value != crDefault) {
    ::SetCursor(Cursors(Value));
    return;
  }
  // Back to the controls' own cursors: let the window under the mouse choose again.
  TPoint p;
  GetCursorPos(&p);
  if (HWND w = WindowFromPoint(p)) SendMessageA(w, WM_SETCURSOR, WPARAM(w), MAKELPARAM(WORD(HTCLIENT), WM_MOUSEMOVE));
}

TCustomForm* TScreen::Forms(Integer Index) const {
  if (Index < 0 || Index >= FormCount()) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FForms[size_t(Index)];
}

Integer TScreen::Width() const { return GetSystemMetrics(SM_CXSCREEN); }
Integer TScreen::Height() const { return GetSystemMetrics(SM_CYSCREEN); }

TRect TScreen::WorkAreaRect() const {
  TRect r{0, 0, Width(), Height()};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
  return r;
}

void TScreen::AddForm(TCustomForm* Form) {
  if (std::find(FForms.begin(), FForms.end(), Form) == FForms.end()) FForms.push_back(Form);
}

void TScreen::RemoveForm(TCustomForm* Form) {
  std::erase(FForms, Form);
  if (FActiveForm == Form) FActiveForm = nullptr;
  if (FFocusedForm == Form) FFocusedForm = nullptr;
  if (FActiveControl && GetParentForm(FActiveControl) == Form) FActiveControl = nullptr;
}

TL_DEFINE_CLASS(TScreen)

// ---- Unit start-up ------------------------------------------------------------------------

namespace {
UnitCounter gControls;
UnitCounter gForms;
}  // namespace

namespace {
// A control's device context for its canvas: its own window's, or for a graphic control
// its parent's with the origin at the control and the drawing clipped to it.
HDC ControlDC(TControl* Control, HWND& Window) {
  if (auto* w = dynamic_cast<TWinControl*>(Control)) {
    Window = w->Handle();
    return GetDC(Window);
  }
  TWinControl* parent = Control->GetParent();
  if (!parent) return nullptr;
  Window = parent->Handle();
  HDC dc = GetDC(Window);
  if (!dc) return nullptr;
  SetViewportOrgEx(dc, Control->GetLeft(), Control->GetTop(), nullptr);
  IntersectClipRect(dc, 0, 0, Control->GetWidth(), Control->GetHeight());
  return dc;
}
}  // namespace

void ControlsUnit::Initialize() {
  if (!gControls.Enter()) return;
  SetControlCanvasDCProvider(&ControlDC);
  Mouse = New<TMouse>();
  RegisterClasses({&TControl::StaticClass(), &TWinControl::StaticClass(), &TCustomControl::StaticClass(),
                   &TGraphicControl::StaticClass()});
  // Controls and the classes grouped with them are what window descriptions name.
  StartClassGroup(TControl::StaticClass());
  ActivateClassGroup(TControl::StaticClass());
}

void ControlsUnit::Finalize() {
  if (!gControls.Leave()) return;
  CancelDrag();
  FreeAndNil(Mouse);
  SetControlCanvasDCProvider(nullptr);
}

void FormsUnit::Initialize() {
  if (!gForms.Enter()) return;
  Screen = New<TScreen>(nullptr);
  Application = New<TApplication>(nullptr);
  RegisterClasses({&TForm::StaticClass(), &TCustomDockForm::StaticClass()});
}

void FormsUnit::Finalize() {
  if (!gForms.Leave()) return;
  FreeAndNil(Application);
  FreeAndNil(Screen);
}
