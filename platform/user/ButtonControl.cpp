// Push buttons, check boxes, radio buttons, group boxes and owner-drawn buttons, drawn
// with the frame controls.
#include "platform/gdi/Gdi.h"
#include "platform/gdi/Text.h"
#include "platform/user/Controls.h"

#include <map>

namespace {

struct ButtonState {
  LRESULT check = BST_UNCHECKED;
  bool pushed = false;
  bool focused = false;
  bool tracking = false;
  bool spaceDown = false;
  HFONT font = nullptr;
};

std::map<HWND, ButtonState>& States() {
  static std::map<HWND, ButtonState> states;
  return states;
}

DWORD Style(HWND h) { return DWORD(GetWindowLongA(h, GWL_STYLE)); }
DWORD Type(HWND h) { return Style(h) & BS_TYPEMASK; }
bool IsCheck(DWORD t) { return t == BS_CHECKBOX || t == BS_AUTOCHECKBOX || t == BS_3STATE || t == BS_AUTO3STATE; }
bool IsRadio(DWORD t) { return t == BS_RADIOBUTTON || t == BS_AUTORADIOBUTTON; }

void SetChecked(HWND h, LRESULT v) {
  ButtonState& b = States()[h];
  if (b.check != v) {
    b.check = v;
    InvalidateRect(h, nullptr, TRUE);
  }
}

// A radio button is a tab stop exactly while it is checked, so the keyboard reaches a
// group at its checked button. The style is set even when unchanged, as the platform does.
void SetRadioChecked(HWND h, LRESULT v) {
  DWORD s = Style(h);
  SetWindowLongA(h, GWL_STYLE, LONG_PTR(v != BST_UNCHECKED ? (s | WS_TABSTOP) : (s & ~WS_TABSTOP)));
  if (IsWindow(h)) SetChecked(h, v);
}

// An automatic radio button unchecks the others of its group: the siblings from the
// previous WS_GROUP window up to the next one, in z-order (which is creation order).
void CheckInGroup(HWND h) {
  HWND parent = GetParent(h);
  if (!parent) { SetRadioChecked(h, BST_CHECKED); return; }
  std::vector<HWND> order;
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) order.push_back(c);
  size_t me = 0;
  while (me < order.size() && order[me] != h) ++me;
  size_t first = me;
  while (first > 0 && !(GetWindowLongA(order[first], GWL_STYLE) & WS_GROUP)) --first;
  size_t last = me + 1;
  while (last < order.size() && !(GetWindowLongA(order[last], GWL_STYLE) & WS_GROUP)) ++last;
  for (size_t i = first; i < last; ++i) {
    HWND o = order[i];
    if (o == h || States().find(o) == States().end() || Type(o) != BS_AUTORADIOBUTTON) continue;
    SetRadioChecked(o, BST_UNCHECKED);
  }
  if (IsWindow(h)) SetRadioChecked(h, BST_CHECKED);
}

void Click(HWND h) {
  DWORD t = Type(h);
  ButtonState& b = States()[h];
  if (t == BS_AUTOCHECKBOX) SetChecked(h, b.check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
  else if (t == BS_AUTO3STATE) SetChecked(h, (b.check + 1) % 3);
  else if (t == BS_AUTORADIOBUTTON) CheckInGroup(h);
  user_detail::NotifyParent(h, BN_CLICKED);
}

void SetPushed(HWND h, bool pushed) {
  ButtonState& b = States()[h];
  if (b.pushed == pushed) return;
  b.pushed = pushed;
  InvalidateRect(h, nullptr, TRUE);
}

void Paint(HWND h) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(h, &ps);
  ButtonState& b = States()[h];
  DWORD t = Type(h);
  bool enabled = IsWindowEnabled(h);
  RECT rc;
  GetClientRect(h, &rc);
  if (t == BS_OWNERDRAW) {
    DRAWITEMSTRUCT di;
    di.CtlType = ODT_BUTTON;
    di.CtlID = UINT(GetWindowLongA(h, GWL_ID));
    di.itemAction = ODA_DRAWENTIRE;
    di.itemState = (b.pushed ? ODS_SELECTED : 0) | (b.focused ? ODS_FOCUS : 0) | (enabled ? 0 : ODS_DISABLED);
    di.hwndItem = h;
    di.hDC = dc;
    di.rcItem = rc;
    if (HWND parent = GetParent(h)) SendMessageA(parent, WM_DRAWITEM, di.CtlID, reinterpret_cast<LPARAM>(&di));
    EndPaint(h, &ps);
    return;
  }
  bool push = t == BS_PUSHBUTTON || t == BS_DEFPUSHBUTTON;
  HBRUSH bg = user_detail::ControlColors(h, push ? WM_CTLCOLORBTN : WM_CTLCOLORSTATIC, dc);
  FillRect(dc, &rc, bg);
  HGDIOBJ old = b.font ? SelectObject(dc, b.font) : nullptr;
  char text[512];
  int n = GetWindowTextA(h, text, sizeof text);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
  if (push) {
    RECT face = rc;
    if (t == BS_DEFPUSHBUTTON) {
      FrameRect(dc, &face, GetSysColorBrush(COLOR_WINDOWFRAME));
      InflateRect(&face, -1, -1);
    }
    DrawFrameControl(dc, &face, DFC_BUTTON, DFCS_BUTTONPUSH | (b.pushed ? DFCS_PUSHED : 0) | (enabled ? 0 : DFCS_INACTIVE));
    RECT tr = face;
    if (b.pushed) OffsetRect(&tr, 1, 1);
    DrawTextA(dc, text, n, &tr, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    if (b.focused) {
      RECT f = face;
      InflateRect(&f, -3, -3);
      DrawFocusRect(dc, &f);
    }
  } else if (t == BS_GROUPBOX) {
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    RECT frame{rc.Left, rc.Top + tm.tmHeight / 2, rc.Right, rc.Bottom};
    DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
    if (n > 0) {
      SIZE sz;
      GetTextExtentPoint32A(dc, text, n, &sz);
      RECT tr{rc.Left + 8, rc.Top, rc.Left + 8 + sz.cx + 4, rc.Top + tm.tmHeight};
      FillRect(dc, &tr, bg);
      tr.Left += 2;
      DrawTextA(dc, text, n, &tr, DT_SINGLELINE);
    }
  } else if (IsCheck(t) || IsRadio(t)) {
    int box = 13;
    bool leftText = Style(h) & BS_LEFTTEXT;
    int top = (rc.Bottom - box) / 2;
    RECT br = leftText ? RECT{rc.Right - box, top, rc.Right, top + box} : RECT{0, top, box, top + box};
    UINT state = IsRadio(t) ? DFCS_BUTTONRADIO : (t == BS_3STATE || t == BS_AUTO3STATE) ? DFCS_BUTTON3STATE : DFCS_BUTTONCHECK;
    if (b.check) state |= DFCS_CHECKED;
    if (b.pushed) state |= DFCS_PUSHED;
    if (!enabled) state |= DFCS_INACTIVE;
    DrawFrameControl(dc, &br, DFC_BUTTON, state);
    RECT tr = leftText ? RECT{0, 0, rc.Right - box - 4, rc.Bottom} : RECT{box + 4, 0, rc.Right, rc.Bottom};
    DrawTextA(dc, text, n, &tr, DT_SINGLELINE | DT_VCENTER);
    if (b.focused && n > 0) {
      RECT calc = tr;
      DrawTextA(dc, text, n, &calc, DT_SINGLELINE | DT_VCENTER | DT_CALCRECT);
      RECT f{calc.Left - 1, (rc.Bottom - (calc.Bottom - calc.Top)) / 2 - 1, calc.Right + 1,
             (rc.Bottom + (calc.Bottom - calc.Top)) / 2 + 1};
      DrawFocusRect(dc, &f);
    }
  }
  if (old) SelectObject(dc, old);
  EndPaint(h, &ps);
}

bool Inside(HWND h, LPARAM lp) {
  RECT rc;
  GetClientRect(h, &rc);
  POINT p{SHORT(LOWORD(lp)), SHORT(HIWORD(lp))};
  return PtInRect(&rc, p);
}

LRESULT ButtonProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    States()[h] = ButtonState{};
    return DefWindowProcA(h, msg, wp, lp);
  }
  auto it = States().find(h);
  if (it == States().end()) return DefWindowProcA(h, msg, wp, lp);
  ButtonState& b = it->second;
  DWORD t = Type(h);
  switch (msg) {
    case WM_NCDESTROY:
      States().erase(h);
      return DefWindowProcA(h, msg, wp, lp);
    case WM_NCHITTEST:
      if (t == BS_GROUPBOX) return HTTRANSPARENT;
      return DefWindowProcA(h, msg, wp, lp);
    case WM_GETDLGCODE:
      if (t == BS_GROUPBOX) return DLGC_STATIC;
      if (IsRadio(t)) return DLGC_BUTTON | DLGC_RADIOBUTTON;
      if (t == BS_DEFPUSHBUTTON) return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
      if (t == BS_PUSHBUTTON) return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
      return DLGC_BUTTON;
    case BM_GETCHECK: return (IsCheck(t) || IsRadio(t)) ? b.check : BST_UNCHECKED;
    case BM_SETCHECK:
      if (IsCheck(t) || IsRadio(t)) {
        LRESULT v = LRESULT(wp) & 3;
        if (v == BST_INDETERMINATE && !(t == BS_3STATE || t == BS_AUTO3STATE)) v = BST_CHECKED;
        if (IsRadio(t)) SetRadioChecked(h, v);
        else SetChecked(h, v);
      }
      return 0;
    case BM_GETSTATE:
      return ((IsCheck(t) || IsRadio(t)) ? b.check : 0) | (b.pushed ? BST_PUSHED : 0) | (b.focused ? BST_FOCUS : 0);
    case BM_SETSTATE: SetPushed(h, wp != 0); return 0;
    case BM_SETSTYLE:
      SetWindowLongA(h, GWL_STYLE, LONG_PTR((Style(h) & ~0xFFFFu) | (DWORD(wp) & 0xFFFFu)));
      if (LOWORD(lp)) InvalidateRect(h, nullptr, TRUE);
      return 0;
    case BM_CLICK:
      if (IsWindowEnabled(h)) Click(h);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (t == BS_GROUPBOX) return 0;
      SetFocus(h);
      if (!IsWindow(h)) return 0;
      SetCapture(h);
      b.tracking = true;
      SetPushed(h, true);
      return 0;
    case WM_MOUSEMOVE:
      if (b.tracking && GetCapture() == h) SetPushed(h, Inside(h, lp));
      return 0;
    case WM_LBUTTONUP: {
      if (!b.tracking) return 0;
      b.tracking = false;
      bool inside = Inside(h, lp);
      SetPushed(h, false);
      if (GetCapture() == h) ReleaseCapture();
      if (inside) Click(h);
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (b.tracking) {
        b.tracking = false;
        SetPushed(h, false);
      }
      return 0;
    case WM_KEYDOWN:
      if (wp == WPARAM(VK_SPACE) && t != BS_GROUPBOX) {
        // The button holds the mouse while the key is down, as for a press.
        b.spaceDown = true;
        SetCapture(h);
        SetPushed(h, true);
        return 0;
      }
      return DefWindowProcA(h, msg, wp, lp);
    case WM_KEYUP:
      if (wp == WPARAM(VK_SPACE) && b.spaceDown) {
        b.spaceDown = false;
        SetPushed(h, false);
        if (GetCapture() == h) ReleaseCapture();
        if (IsWindow(h)) Click(h);
        return 0;
      }
      return DefWindowProcA(h, msg, wp, lp);
    case WM_SETFOCUS:
      b.focused = true;
      InvalidateRect(h, nullptr, TRUE);
      return 0;
    case WM_KILLFOCUS:
      b.focused = false;
      if (b.spaceDown && GetCapture() == h) {
        b.spaceDown = false;
        ReleaseCapture();
        if (!IsWindow(h)) return 0;
      }
      b.spaceDown = false;
      if (b.pushed) SetPushed(h, false);
      InvalidateRect(h, nullptr, TRUE);
      return 0;
    case WM_SETTEXT: {
      LRESULT r = DefWindowProcA(h, msg, wp, lp);
      InvalidateRect(h, nullptr, TRUE);
      return r;
    }
    case WM_SETFONT:
      b.font = reinterpret_cast<HFONT>(wp);
      if (LOWORD(lp)) InvalidateRect(h, nullptr, TRUE);
      return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(b.font);
    case WM_ENABLE: InvalidateRect(h, nullptr, TRUE); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: Paint(h); return 0;
    default: return DefWindowProcA(h, msg, wp, lp);
  }
}

}  // namespace

namespace user_detail {
WNDPROCFN ButtonWindowProc() { return &ButtonProc; }
}  // namespace user_detail
