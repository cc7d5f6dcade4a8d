#include "tests/classlib/visual/VisualTestClasses.h"

#include "platform/gdi/Gdi.h"

std::vector<std::string>& Log() {
  static std::vector<std::string> log;
  return log;
}

std::string Joined() {
  std::string s;
  for (const auto& e : Log()) s += (s.empty() ? "" : ",") + e;
  return s;
}

const char* NameOf(TObject* o) {
  if (auto* c = dynamic_cast<TComponent*>(o)) return c->GetName().c_str();
  return "?";
}

void TProbe::Paint() {
  ++Paints;
  LastPaintDC = PaintDC();
  if (Fill != clNone) {
    Canvas()->Brush()->SetColor(Fill);
    Canvas()->FillRect(GetClientRect());
  }
}

void TProbe::CMEnter(TMessage& m) {
  Log().push_back("enter " + GetName());
  TL_INHERITED(m);
}

void TProbe::CMExit(TMessage& m) {
  if (RefuseExit) throw Exception(GetName() + " is not valid");
  Log().push_back("exit " + GetName());
  TL_INHERITED(m);
}

void TProbe::CMNotice(TMessage& m) {
  const char* what = m.Msg == CM_VISIBLECHANGED    ? "visible"
                     : m.Msg == CM_ENABLEDCHANGED  ? "enabled"
                     : m.Msg == CM_TEXTCHANGED     ? "text"
                     : m.Msg == CM_COLORCHANGED    ? "color"
                     : m.Msg == CM_PARENTCOLORCHANGED ? "parentcolor"
                                                   : "font";
  Log().push_back(GetName() + " " + what);
  TL_INHERITED(m);
}

void TProbe::Reflected(TMessage& m) {
  const char* what = m.Msg == CN_COMMAND ? "command" : m.Msg == CM_WININICHANGE ? "settings" : "syscolors";
  Log().push_back(GetName() + " " + what);
  TL_INHERITED(m);
}

void TProbe::CMMouseEnter(TMessage& m) {
  if (m.LParam == LPARAM(this)) Log().push_back("in " + GetName());
  TL_INHERITED(m);
}

void TProbe::CMMouseLeave(TMessage& m) {
  if (m.LParam == LPARAM(this)) Log().push_back("out " + GetName());
  TL_INHERITED(m);
}

TL_MESSAGES(TProbe, TL_ON(WM_GETDLGCODE, WMGetDlgCode), TL_ON(CM_ENTER, CMEnter), TL_ON(CM_EXIT, CMExit),
            TL_ON(CM_VISIBLECHANGED, CMNotice), TL_ON(CM_ENABLEDCHANGED, CMNotice),
            TL_ON(CM_TEXTCHANGED, CMNotice), TL_ON(CM_COLORCHANGED, CMNotice),
            TL_ON(CM_PARENTCOLORCHANGED, CMNotice), TL_ON(CM_FONTCHANGED, CMNotice),
            TL_ON(CM_MOUSEENTER, CMMouseEnter), TL_ON(CM_MOUSELEAVE, CMMouseLeave),
            TL_ON(CN_COMMAND, Reflected), TL_ON(CM_WININICHANGE, Reflected), TL_ON(CM_SYSCOLORCHANGE, Reflected))
TL_DEFINE_CLASS(TProbe)

void TGraphicProbe::Paint() {
  ++Paints;
  POINT org;
  GetViewportOrgEx(PaintDC(), &org);
  PaintOrigin = org;
  if (Fill != clNone) {
    Canvas()->Brush()->SetColor(Fill);
    Canvas()->FillRect(GetClientRect());
  }
}

void TGraphicProbe::CMMouseEnter(TMessage& m) {
  if (m.LParam == LPARAM(this)) Log().push_back("in " + GetName());
  TL_INHERITED(m);
}

void TGraphicProbe::CMMouseLeave(TMessage& m) {
  if (m.LParam == LPARAM(this)) Log().push_back("out " + GetName());
  TL_INHERITED(m);
}

TL_MESSAGES(TGraphicProbe, TL_ON(CM_MOUSEENTER, CMMouseEnter), TL_ON(CM_MOUSELEAVE, CMMouseLeave))
TL_DEFINE_CLASS(TGraphicProbe)

TTestButton::TTestButton(TComponent* AOwner) : TCustomControl(AOwner) { SetTabStop(true); }

void TTestButton::Click() {
  Log().push_back("click " + GetName());
  if (TCustomForm* f = GetParentForm(this); f && ModalResult != mrNone) f->SetModalResult(ModalResult);
  TCustomControl::Click();
}

void TTestButton::CMDialogKey(TMessage& m) {
  if (((m.WParam == VK_RETURN && Default) || (m.WParam == VK_ESCAPE && Cancel)) &&
      KeyDataToShiftState(m.LParam).Empty() && CanFocus()) {
    Click();
    m.Result = 1;
    return;
  }
  TL_INHERITED(m);
}

void TTestButton::CMDialogChar(TMessage& m) {
  Log().push_back("dialogchar " + GetName() + " " + std::string(1, Char(m.WParam)));
  TL_INHERITED(m);
}

TL_MESSAGES(TTestButton, TL_ON(CM_DIALOGKEY, CMDialogKey), TL_ON(CM_DIALOGCHAR, CMDialogChar))
TL_DEFINE_CLASS(TTestButton)

void TSink::Clicked(TObject* Sender) { Log().push_back(std::string("clicked ") + NameOf(Sender)); }
void TSink::MouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  Log().push_back(std::string("down ") + NameOf(Sender) + " " + EnumInfo<TMouseButton>::Name(Button) + " " +
                  std::to_string(X) + "," + std::to_string(Y) + (Shift.Contains(TShiftStateItem::ssDouble) ? " double" : ""));
}
void TSink::KeyDown(TObject* Sender, Word& Key, TShiftState) {
  Log().push_back(std::string("keydown ") + NameOf(Sender) + " " + std::to_string(Key));
  if (Key == SwallowKey) Key = 0;
}
void TSink::KeyPress(TObject* Sender, Char& Key) {
  Log().push_back(std::string("keypress ") + NameOf(Sender) + " " + std::string(1, Key));
}
void TSink::Entered(TObject* Sender) { Log().push_back(std::string("OnEnter ") + NameOf(Sender)); }
void TSink::Exited(TObject* Sender) { Log().push_back(std::string("OnExit ") + NameOf(Sender)); }
void TSink::Raise(TObject* Sender) { throw Exception(std::string("raised by ") + NameOf(Sender)); }
void TSink::Paint(TObject* Sender) {
  Log().push_back(std::string("paint ") + NameOf(Sender));
  if (OnPaintDo) OnPaintDo();
}
void TSink::Tick(TObject*) {
  Log().push_back("tick");
  if (OnTickDo) OnTickDo();
}
void TSink::Moved(TObject* Sender, TShiftState, Integer X, Integer Y) {
  Log().push_back(std::string("move ") + NameOf(Sender) + " " + std::to_string(X) + "," + std::to_string(Y));
}
void TSink::Up(TObject* Sender, TMouseButton, TShiftState, Integer X, Integer Y) {
  Log().push_back(std::string("up ") + NameOf(Sender) + " " + std::to_string(X) + "," + std::to_string(Y));
}
void TSink::DragOverH(TObject* Sender, TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept) {
  Log().push_back(std::string("over ") + NameOf(Sender) + " from " + NameOf(Source) + " " +
                  EnumInfo<TDragState>::Name(State) + " " + std::to_string(X) + "," + std::to_string(Y));
  Accept = AcceptDrop;
}
void TSink::DragDropH(TObject* Sender, TObject* Source, Integer X, Integer Y) {
  Log().push_back(std::string("drop ") + NameOf(Sender) + " from " + NameOf(Source) + " " + std::to_string(X) +
                  "," + std::to_string(Y));
}
void TSink::StartDragH(TObject* Sender, TDragObject*&) { Log().push_back(std::string("start ") + NameOf(Sender)); }
void TSink::EndDragH(TObject* Sender, TObject* Target, Integer, Integer) {
  Log().push_back(std::string("end ") + NameOf(Sender) + " on " + (Target ? NameOf(Target) : "nothing"));
}
void TSink::Closing(TObject* Sender, TCloseAction& Action) {
  Log().push_back(std::string("close ") + NameOf(Sender));
  Action = CloseAction;
}
void TSink::Query(TObject* Sender, bool& Can) {
  Log().push_back(std::string("query ") + NameOf(Sender));
  Can = CanClose;
}

TL_DEFINE_CLASS(TSink)
