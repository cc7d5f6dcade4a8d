// State shared by the implementation files of platform/user. Not for other layers.
#pragma once

#include "platform/gdi/Region.h"
#include "platform/gdi/Surface.h"
#include "platform/user/User.h"
#include "platform/host/Host.h"

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace user_detail {

struct WndClass {
  String name;          // as registered
  String key;           // upper-case lookup key
  ATOM atom = 0;
  UINT style = 0;
  WNDPROC proc = nullptr;
  int clsExtra = 0, wndExtra = 0;
  HINSTANCE instance = nullptr;
  HICON icon = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
  String menuName;
  int windows = 0;      // live windows of this class: unregistering fails while any exist
};

struct ScrollBarState {
  int min = 0, max = 100, pos = 0, trackPos = 0;
  UINT page = 0;
  bool unavailable = false;   // kept shown by SIF_DISABLENOSCROLL while nothing scrolls
};

struct Wnd {
  HWND handle = nullptr;
  std::shared_ptr<WndClass> cls;
  WNDPROC proc = nullptr;
  DWORD style = 0, exStyle = 0;
  HWND parent = nullptr;            // the desktop (or the message root) for top-level windows
  HWND owner = nullptr;
  std::vector<HWND> children;       // z-order, top first
  TRect window;                     // in the parent's client coordinates
  TRect client;                     // same coordinates
  String text;
  HINSTANCE instance = nullptr;
  HMENU menu = nullptr;             // child windows: the id
  LONG_PTR userData = 0;
  std::vector<uint8_t> extra;
  // Painting
  Region update;                    // client coordinates
  bool erasePending = false;
  bool framePending = false;
  bool internalPaint = false;
  int paintDepth = 0;               // BeginPaint without EndPaint yet
  bool hasRegion = false;
  Region region;                    // window region, window coordinates
  // Life cycle
  bool destroying = false;
  bool sizeMoveSent = false;
  bool ncActive = false;            // the frame is drawn active (WM_NCACTIVATE)
  bool hasNormalRect = false;       // minimized or maximized: where a restore puts it back
  TRect normalRect;
  ScrollBarState hbar, vbar;
  bool scrollInfo = false;          // the bars' values exist: made with a bar or set since
  std::unique_ptr<Surface> surface; // top-level windows: the pixels of the whole window
  int menuHeight = 0;               // the menu bar's height when the frame was last laid out (0: not yet)
};

struct DcRecord {
  HWND hwnd = nullptr;              // nullptr: the screen
  bool paint = false;               // from BeginPaint
  bool caretHidden = false;         // BeginPaint hid the caret
};

struct InputEvent {
  enum Kind { Mouse, Key, Char } kind = Mouse;
  UINT message = 0;                 // client form: WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_KEYDOWN...
  POINT pt;                         // screen
  int vk = 0;
  int wheel = 0;
  Byte ch = 0;
  DWORD time = 0;
  WPARAM keyFlags = 0;              // MK_* at the time of the event
  LPARAM keyData = 0;               // key lParam
};

struct Timer {
  HWND hwnd = nullptr;
  UINT_PTR id = 0;
  UINT elapse = 0;
  TIMERPROC proc = nullptr;
  DWORD due = 0;
  uint64_t serial = 0;
};

struct Hook {
  HHOOK handle = nullptr;
  int kind = 0;
  HOOKPROC proc = nullptr;
  bool removed = false;
};

struct Caret {
  HWND hwnd = nullptr;
  int width = 0, height = 0;
  POINT pos;
  int hideCount = 1;                // created hidden
  DWORD blinkStart = 0;
};

struct Cursor {
  CursorImage image;
  bool shared = false;              // standard cursors are never destroyed
};

struct State {
  // windows
  std::vector<std::unique_ptr<Wnd>> slots;
  std::vector<uint32_t> generations;
  std::deque<uint32_t> freeSlots;   // reused oldest first, once enough are waiting
  HWND desktop = nullptr;
  HWND messageRoot = nullptr;
  std::map<String, std::shared_ptr<WndClass>> classes;
  ATOM nextAtom = 0xC000;
  // queue
  std::deque<MSG> posted;
  std::deque<InputEvent> input;
  bool quitPending = false;
  int quitCode = 0;
  DWORD lastMessageTime = 0;
  POINT lastMessagePos;
  int sendDepth = 0;
  // timers
  std::vector<Timer> timers;
  uint64_t timerSerial = 0;
  UINT_PTR nextThreadTimerId = 0x7FFF;
  // Thread timer ids in use, by id - 0x7FFF, and how many: a new id is found without a scan.
  std::vector<bool> threadTimerIdTaken = std::vector<bool>(0x8001);
  size_t threadTimerIdsTaken = 0;
  // hooks
  std::vector<Hook> hooks;          // newest first
  int hookCallDepth = 0;
  std::vector<HHOOK> hookPositions;   // the hook running in each active chain, innermost last
  uint32_t nextHookId = 1;
  // focus, activation, capture
  HWND focus = nullptr;
  HWND active = nullptr;
  HWND capture = nullptr;
  bool appActive = false;
  // input state
  BYTE keyState[256] = {};
  int lastKeyDown = 0;              // the key of the last key-down taken from the input queue
  BYTE asyncKeyState[256] = {};
  POINT cursorPos{640, 512};
  HWND lastClickWnd = nullptr;
  UINT lastClickMsg = 0;
  DWORD lastClickTime = 0;
  POINT lastClickPt;
  HWND trackLeave = nullptr;
  UINT doubleClickTime = 500;
  UINT wheelLines = 3;
  // services
  HCURSOR currentCursor = nullptr;
  int cursorShowCount = 0;
  Caret caret;
  UINT caretBlinkTime = 530;
  bool clipboardOpen = false;
  HWND clipboardOwner = nullptr;
  HWND clipboardOpener = nullptr;
  std::map<UINT, std::vector<uint8_t>> clipboard;
  std::unique_ptr<Surface> clipboardBitmap;
  std::map<String, UINT> registeredNames;
  UINT nextRegisteredId = 0xC000;
  std::vector<UINT> beeps;
  int metrics[SM_CMETRICS] = {};
  TRect workArea;
  bool monitorLookupFails = false;
  std::map<HDC, DcRecord> dcs;
  std::shared_ptr<void> screenPixels;   // the mapping behind `screen`, released after it
  std::unique_ptr<Surface> screen;
};

State& S();

Wnd* Find(HWND h);                  // nullptr for stale, null or foreign handles
bool IsTopLevel(const Wnd* w);
Wnd* TopLevelOf(Wnd* w);            // nullptr for the desktop
TPoint ClientOriginOnScreen(const Wnd* w);
TRect WindowRectOnScreen(const Wnd* w);
bool IsVisibleChain(const Wnd* w);
bool IsDescendant(HWND ancestor, HWND h);
// Windows nest at most this deep (a top-level window is level 1): the default procedure
// passes messages up the parent chain and painting walks it, so each level costs stack.
inline constexpr int kMaxWindowNesting = 256;
int NestingDepth(const Wnd* w);    // levels from the top-level window down to w
int SubtreeHeight(const Wnd* w);   // levels from w down to its deepest descendant
LRESULT Send(HWND h, UINT msg, WPARAM wParam, LPARAM lParam);
DWORD Now();
void InitMetrics();
Host* CurrentHost();
// Shows what every DC still open on a window has drawn, and lets the host send it on.
void PresentOpenDCs();

// Non-client geometry from the style and the metrics table.
// The limits a window is asked about before the procedure may change them.
MINMAXINFO DefaultMinMaxInfo();
// Where a window goes when maximized (in its parent's client coordinates).
TRect MaximizedRect(const Wnd* w);
// The same, after the window has answered WM_GETMINMAXINFO (it may change it).
TRect AskMaximizedRect(HWND hwnd);
// A window made with WS_MAXIMIZE takes its maximized place before it is shown.
void PlaceMaximizedAtCreation(HWND hwnd);
TRect DefaultClientRect(const Wnd* w, const TRect& window);
// Whether the frame holds a menu bar, and how high it is there: the height measured when
// the frame was last laid out, the system metric until then.
bool HasMenuBar(const Wnd* w);
int MenuBarSpace(const Wnd* w);

// Focus and activation helpers used by placement and destruction.
void ActivateOtherWindow(HWND leaving);
void ForgetWindowInput(HWND h);      // focus, capture, activation pointers to a dying window
// Painting helpers
void InvalidateWindowArea(Wnd* w, bool erase, bool frame);
void InvalidateParentArea(Wnd* w, const TRect& rectInParent);
// Invalidates (with erasing) part of the client area and all of the frame.
void InvalidateClientPart(Wnd* w, const Region& clientArea);
bool NeedsPaint(const Wnd* w);
HWND FindWindowToPaint(HWND filter);
void PaintDispatchGuard(HWND h, int depthBefore);
void DiscardDCsOf(HWND h);
void CloseOpenPaints(HWND h);
void KillTimersOf(HWND h);
void RemovePostedFor(HWND h);
void DestroyCaretOf(HWND h);

// Hook calls; `code` as the platform passes it.
LRESULT CallHooks(int kind, int code, WPARAM wParam, LPARAM lParam);
bool HasHooks(int kind);

// Mouse and key input turned into a message at retrieval; false when it is swallowed.
// Stages: Target finds the window without side effects; Peek runs the mouse hook as a
// look; Remove runs the hook, double-click, cursor, activation and key-state updates.
enum class CookResult { Message, Dropped };
enum class CookStage { Target, Peek, Remove };
CookResult CookInput(const InputEvent& ev, MSG& out, CookStage stage);
HWND HitTestPoint(TPoint screen, LRESULT* hit);
void EnsureRoots();
// Region handles belong to the raster device.
Region* RegionOfHandle(HRGN rgn);
void DeleteRegionHandle(HRGN rgn);

// Window coordinates and sizes stay in the platform's 16-bit range, so no sum overflows.
inline int ClampCoord(int v) { return v < -32768 ? -32768 : v > 32767 ? 32767 : v; }
inline int ClampSize(int v) { return v < 0 ? 0 : v > 32767 ? 32767 : v; }
TRect ScrollBarRect(const Wnd* w, int bar);          // window coordinates
void ThumbExtent(const Wnd* w, int bar, int* start, int* end);
int MulDivInt(int a, int b, int c);
void ResetPaintState();
void ResetServices();

}  // namespace user_detail
