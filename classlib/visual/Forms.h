// Forms and the application: TCustomForm/TForm (top-level windows built from their
// descriptions, modal loops, closing, the active control and dialog keys), TApplication
// (the message loop, exception handling, idle work, settings changes) and TScreen (forms,
// cursors, metrics of the screen).
#pragma once

#include "classlib/core/Streams.h"
#include "classlib/visual/Controls.h"

#include <exception>
#include <map>

using TModalResult = Integer;
inline constexpr TModalResult mrNone = 0;
inline constexpr TModalResult mrOk = 1;
inline constexpr TModalResult mrCancel = 2;
inline constexpr TModalResult mrAbort = 3;
inline constexpr TModalResult mrRetry = 4;
inline constexpr TModalResult mrIgnore = 5;
inline constexpr TModalResult mrYes = 6;
inline constexpr TModalResult mrNo = 7;
inline constexpr TModalResult mrAll = 8;
inline constexpr TModalResult mrNoToAll = 9;
inline constexpr TModalResult mrYesToAll = 10;

TL_ENUM(TFormBorderStyle, bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin);
TL_ENUM(TBorderIcon, biSystemMenu, biMinimize, biMaximize, biHelp);
using TBorderIcons = Set<TBorderIcon>;
TL_ENUM(TPosition, poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
        poMainFormCenter, poOwnerFormCenter);
TL_ENUM(TFormStyle, fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop);
TL_ENUM(TCloseAction, caNone, caHide, caFree, caMinimize);
TL_ENUM(TFormStateItem, fsCreating, fsVisible, fsShowing, fsModal, fsCreatedMDIChild, fsActivated);
using TFormState = Set<TFormStateItem>;

using TCloseEvent = TMethod<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = TMethod<void(TObject* Sender, bool& CanClose)>;
using TExceptionEvent = TMethod<void(TObject* Sender, const Exception& E)>;
using TIdleEvent = TMethod<void(TObject* Sender, bool& Done)>;

class TForm;
class TMainMenu;
class THintWindow;

// What a form designer hears from the form it edits.
class IDesignerHook {
 public:
  // Something on the form changed in a way the designer should save.
  virtual void Modified() = 0;

 protected:
  ~IDesignerHook() = default;
};

class TCustomForm : public TWinControl {
  TL_CLASS(TCustomForm, TWinControl)
 public:
  // A form of class T (TForm by default) made without reading a description.
  template <class T = TForm>
  static T* CreateNew(TComponent* AOwner) {
    return New<T>(AOwner, Integer(0));
  }

  // Reads the description stored as the RCDATA resource named by the class (not for
  // TForm itself), then runs OnCreate. A missing description raises EResNotFound.
  explicit TCustomForm(TComponent* AOwner);
  // A form without a description.
  TCustomForm(TComponent* AOwner, Integer Dummy);
  void AfterConstruction() override;
  void BeforeDestruction() override;

  TFormBorderStyle GetBorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle Value);
  TBorderIcons GetBorderIcons() const { return FBorderIcons; }
  void SetBorderIcons(TBorderIcons Value);
  TPosition GetPosition() const { return FPosition; }
  void SetPosition(TPosition Value) { FPosition = Value; }
  TFormStyle GetFormStyle() const { return FFormStyle; }
  void SetFormStyle(TFormStyle Value) { FFormStyle = Value; }
  bool GetKeyPreview() const { return FKeyPreview; }
  void SetKeyPreview(bool Value) { FKeyPreview = Value; }
  TFormState FormState() const { return FFormState; }
  bool Active() const { return FActive; }

  TWinControl* GetActiveControl() const { return FActiveControl; }
  // The designer editing the form (not owned); nullptr outside a designer.
  IDesignerHook* GetDesigner() const { return FDesigner; }
  void SetDesigner(IDesignerHook* Value) { FDesigner = Value; }
  // Raises EInvalidOperation for a control that cannot take the focus or is not on this form.
  void SetActiveControl(TWinControl* Control);
  void FocusControl(TWinControl* Control);
  // Focus bookkeeping when Control receives the focus: CM_EXIT up from the old control to
  // the common parent, CM_ENTER down to the new one. An exit handler that raises stops the
  // move (the exception passes on) and the focus goes back.
  bool SetFocusedControl(TWinControl* Control);
  void DefocusControl(TWinControl* Control, bool Removing);

  // The menu bar: its platform menu goes on the window, its shortcut keys work while the
  // form is enabled.
  TMainMenu* GetMenu() const { return FMenu; }
  void SetMenu(TMainMenu* Value);

  TModalResult GetModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult Value) { FModalResult = Value; }
  // Shows the form, disables the other forms and runs a message loop until ModalResult is
  // set. Exceptions from the loop pass to the caller after the other forms are enabled again.
  virtual TModalResult ShowModal();
  void Close();
  bool CloseQuery();
  // Frees the form once the messages already queued have run.
  void Release();
  void SetFocus() override;
  bool CanFocus() const override;
  bool IsShortCut(TMessage& Message) override;
  void MouseWheelHandler(TMessage& Message) override;

  TRect GetClientRect() const override;
  // Draws on the form's client area (see TCustomControl::Canvas).
  TCanvas* Canvas() const { return FCanvas; }
  // Owned components without a parent first (timers, menus), then the controls.
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnPaint;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void SetClientSize(Integer AWidth, Integer AHeight) override;
  void PaintWindow(HDC DC) override;
  virtual void Paint();
  virtual void DoCreate();
  virtual void DoDestroy();
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& Action);
  virtual void Activate();
  virtual void Deactivate();
  void CloseModal();
  void SetWindowFocus();
  void PlaceOnScreen();
  void Loaded() override;
  // Whether the window has a menu bar above its client area (the form's main menu says so
  // once menus exist), so that the client size excludes it before the window is made.
  virtual bool HasMenuBar() const;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  HDC PaintDC() const { return FPaintDC; }

  void WMClose(TMessage& Message);
  void WMActivate(TMessage& Message);
  void CMRelease(TMessage& Message);
  void CMDialogKey(TMessage& Message);
  void CMShowingChanged(TMessage& Message);
  void WMCommand(TMessage& Message);
  void WMInitMenuPopup(TMessage& Message);
  void WMMeasureItem(TMessage& Message);
  void WMDrawItem(TMessage& Message);
  void WMSysCommand(TMessage& Message);

  TControlCanvas* FCanvas = nullptr;

 private:
  void InitForm();
  bool SendFocusMessage(TWinControl* Control, UINT Msg);

  TFormBorderStyle FBorderStyle = TFormBorderStyle::bsSizeable;
  TBorderIcons FBorderIcons{TBorderIcon::biSystemMenu, TBorderIcon::biMinimize, TBorderIcon::biMaximize};
  TPosition FPosition = TPosition::poDesigned;
  TFormStyle FFormStyle = TFormStyle::fsNormal;
  TFormState FFormState;
  bool FKeyPreview = false;
  bool FActive = false;
  bool FCreatedNew = false;
  TModalResult FModalResult = mrNone;
  TWinControl* FActiveControl = nullptr;
  IDesignerHook* FDesigner = nullptr;
  TMainMenu* FMenu = nullptr;
  TWinControl* FFocusedControl = nullptr;
  Integer FFocusCount = 0;
  HDC FPaintDC = nullptr;
  Integer FPendingClientWidth = -1;
  Integer FPendingClientHeight = -1;
};

class TForm : public TCustomForm {
  TL_CLASS(TForm, TCustomForm)
 public:
  using TCustomForm::TCustomForm;
};

// The window a control floats in after leaving its dock site: a sizeable tool window that
// is a dock site itself, and that hides and frees itself once its last client has left.
class TCustomDockForm : public TCustomForm {
  TL_CLASS(TCustomDockForm, TCustomForm)
 public:
  explicit TCustomDockForm(TComponent* AOwner);

 protected:
  void CMControlChange(TMessage& Message);
};

// ---- Screen -------------------------------------------------------------------------------

class TScreen : public TComponent {
  TL_CLASS(TScreen, TComponent)
 public:
  explicit TScreen(TComponent* AOwner);
  void BeforeDestruction() override;

  // The cursor for an id; unknown ids give the arrow.
  HCURSOR Cursors(TCursor Index) const;
  // Adds or replaces a cursor (the screen destroys it later); nullptr removes it.
  void SetCursors(TCursor Index, HCURSOR Handle);
  // Overrides every control's cursor while not crDefault.
  TCursor GetCursor() const { return FCursor; }
  void SetCursor(TCursor Value);

  TCustomForm* ActiveForm() const { return FActiveForm; }
  TWinControl* ActiveControl() const { return FActiveControl; }
  Integer FormCount() const { return Integer(FForms.size()); }
  TCustomForm* Forms(Integer Index) const;
  Integer PixelsPerInch() const { return 96; }
  Integer Width() const;
  Integer Height() const;
  TRect WorkAreaRect() const;
  Integer WorkAreaWidth() const { return WorkAreaRect().Right - WorkAreaRect().Left; }
  Integer WorkAreaHeight() const { return WorkAreaRect().Bottom - WorkAreaRect().Top; }

 private:
  void AddForm(TCustomForm* Form);
  void RemoveForm(TCustomForm* Form);

  std::map<TCursor, HCURSOR> FCursors;
  std::map<TCursor, HCURSOR> FOwnCursors;
  TCursor FCursor = crDefault;
  std::vector<TCustomForm*> FForms;
  TCustomForm* FActiveForm = nullptr;
  TCustomForm* FFocusedForm = nullptr;
  TWinControl* FActiveControl = nullptr;
  friend class TCustomForm;
  friend class TApplication;
};

// ---- Application --------------------------------------------------------------------------

class TApplication : public TComponent {
  TL_CLASS(TApplication, TComponent)
 public:
  explicit TApplication(TComponent* AOwner);
  void BeforeDestruction() override;

  void Initialize() {}
  HWND Handle() const { return FHandle; }
  const String& GetTitle() const { return FTitle; }
  void SetTitle(const String& Value);

  // Creates a form owned by the application; the first one becomes the main form. The
  // reference is set before the form's OnCreate runs.
  template <class T>
  void CreateForm(T*& Reference) {
    T* form = new T(this);
    Reference = form;
    try {
      form->AfterConstruction();
    } catch (...) {  // written out: only a failed construction frees the form
      Reference = nullptr;
      form->Free();
      throw;
    }
    FormCreated(form);
  }
  TCustomForm* MainForm() const { return FMainForm; }
  bool GetShowMainForm() const { return FShowMainForm; }
  void SetShowMainForm(bool Value) { FShowMainForm = Value; }

  // Shows the main form and runs the loop until Terminate or the main form closes.
  // Exceptions raised by handlers go to HandleException and the loop goes on.
  void Run();
  // Runs every message waiting, then returns; safe from inside any handler.
  void ProcessMessages();
  // One retrieved message through the loop's pre-processing (key reflection to the
  // control, shortcuts, dialog keys), then translated and dispatched unless that took it.
  void RouteMessage(MSG& Msg);
  // Runs one message, or the idle work and a wait when none is waiting.
  void HandleMessage();
  void Terminate();
  bool Terminated() const { return FTerminated; }
  bool Active() const { return FActive; }

  // Reports an exception caught by the class library: OnException when assigned, else
  // ShowException. EAbort is silent.
  void HandleException(TObject* Sender, std::exception_ptr E);
  void HandleException(TObject* Sender);  // the exception being handled
  virtual void ShowException(const Exception& E);
  // A modal box with Text under Caption ("Error" when empty) and an OK button, which
  // Enter, Escape and the close box press as well; MB_ICONINFORMATION among Flags adds the
  // information icon. Answers mrOk (the platform's IDOK). MB_YESNO gives Yes and No
  // buttons instead: Enter presses Yes, Escape and the close box No; answers mrYes or mrNo.
  Integer MessageBox(const String& Text, const String& Caption, UINT Flags);
  // Messages of the exceptions shown so far, when recording is on (tests), oldest first.
  void SetRecordExceptions(bool Value) { FRecordExceptions = Value; }
  std::vector<String> TakeExceptions();

  bool GetUpdateFormatSettings() const { return FUpdateFormatSettings; }
  void SetUpdateFormatSettings(bool Value) { FUpdateFormatSettings = Value; }

  // The control under the mouse, kept current by mouse moves and idle time.
  TControl* MouseControl() const { return FMouseControl; }

  // Hints: shown HintPause ms after the mouse came to rest over a control whose ShowHint
  // is on, HintShortPause ms when a hint was up just before; hidden after HintHidePause ms,
  // on leaving the control, on a click or a key. ShowHint off hides and shows none.
  bool GetShowHint() const { return FShowHint; }
  void SetShowHint(bool Value);
  Integer GetHintPause() const { return FHintPause; }
  void SetHintPause(Integer Value) { FHintPause = Value; }
  Integer GetHintShortPause() const { return FHintShortPause; }
  void SetHintShortPause(Integer Value) { FHintShortPause = Value; }
  Integer GetHintHidePause() const { return FHintHidePause; }
  void SetHintHidePause(Integer Value) { FHintHidePause = Value; }
  // Hides the hint shown and forgets its control: the next one waits the whole pause.
  void CancelHint();
  // Hides the hint shown; resting on over the same control shows it no more.
  void HideHint();
  // Asks the hint control for its hint (CM_HINTSHOW) and shows it, with the mouse at
  // CursorPos (screen coordinates).
  void ActivateHint(const TPoint& CursorPos);
  // A mouse move over Control (its WM_MOUSEMOVE): a new hint control or a move out of
  // the hint's rectangle starts the pause again.
  void HintMouseMessage(TControl* Control, TMessage& Message);

  TExceptionEvent OnException;
  TIdleEvent OnIdle;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;

 protected:
  bool ProcessMessage(MSG& Msg);
  bool IsKeyMsg(MSG& Msg);
  void Idle(const MSG& Msg);
  void WndProc(TMessage& Message);
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void FormCreated(TComponent* Instance);
  void ControlDestroyed(TControl* Control);
  void TrackMouse();
  void SetMouseControl(TControl* Control);
  static constexpr UINT_PTR kHintTimerId = 0x4854;
  enum class THintTimer { None, Show, Hide };
  void StartHintTimer(Integer Pause, THintTimer Kind);
  void StopHintTimer();
  void HintTimerExpired();
  // Whether a retrieved message ends the hint shown (a click, a key).
  void CancelHintOnInput(const MSG& Msg);

  HWND FHandle = nullptr;
  String FTitle;
  TCustomForm* FMainForm = nullptr;
  bool FShowMainForm = true;
  bool FTerminated = false;
  bool FActive = true;
  bool FUpdateFormatSettings = true;
  bool FRecordExceptions = false;
  bool FHandlingException = false;
  std::vector<String> FExceptions;
  TControl* FMouseControl = nullptr;
  bool FShowHint = true;
  Integer FHintPause = 500;
  Integer FHintShortPause = 50;
  Integer FHintHidePause = 2500;
  TControl* FHintControl = nullptr;
  // A hint was shown and the mouse has not left the controls with hints since.
  bool FHintActive = false;
  TRect FHintCursorRect;  // screen coordinates
  THintTimer FHintTimer = THintTimer::None;
  THintWindow* FHintWindow = nullptr;
  friend class TControl;
  friend class TWinControl;
  friend class TCustomForm;
};

extern TApplication* Application;
extern TScreen* Screen;

namespace FormsUnit {
void Initialize();
void Finalize();
}  // namespace FormsUnit
