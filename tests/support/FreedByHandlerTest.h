// Tables of "a handler frees its sender" cases: each case hooks a handler that frees the
// control it is given, acts through the headless host (mouse, keys, focus, bounds), and checks
// that the handler ran once, freed the control, and that the form goes on taking the focus.
// The sanitizer build sees any use of freed memory after the handler.
#pragma once

#include "classlib/visual/Forms.h"
#include "classlib/visual/StdCtrls.h"
#include "tests/support/AppTest.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

// Every handler frees the object it was given, once.
class TFreer : public TObject {
 public:
  TObject* Victim = nullptr;
  int Runs = 0;
  void FreeVictim() {
    ++Runs;
    TObject* v = Victim;
    Victim = nullptr;
    if (v) v->Free();
  }
  void HNotify(TObject*) { FreeVictim(); }
  void HMouse(TObject*, TMouseButton, TShiftState, Integer, Integer) { FreeVictim(); }
  void HMove(TObject*, TShiftState, Integer, Integer) { FreeVictim(); }
  void HWheel(TObject*, TShiftState, Integer, TPoint, bool&) { FreeVictim(); }
  void HWheelUpDown(TObject*, TShiftState, TPoint, bool&) { FreeVictim(); }
  void HKey(TObject*, Word&, TShiftState) { FreeVictim(); }
  void HKeyPress(TObject*, Char&) { FreeVictim(); }
  void HDraw(TWinControl*, Integer, TRect, TOwnerDrawState) { FreeVictim(); }
  void HClose(TObject*, TCloseAction&) { FreeVictim(); }
  void HCloseQuery(TObject*, bool&) { FreeVictim(); }
  void HMeasure(TWinControl*, Integer, Integer&) { FreeVictim(); }
  void HData(TWinControl*, Integer, String&) { FreeVictim(); }
};

using FreeHook = std::function<void(TControl*, TFreer*)>;
using FreeAct = std::function<void(TControl*)>;
struct FreeCase {
  FreeHook hook;
  const char* event;
  FreeAct act;
  const char* how;
};
using FreeCases = std::vector<FreeCase>;

inline FreeCases operator+(FreeCases a, const FreeCases& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

namespace free_hooks {
inline TWinControl* W(TControl* c) { return static_cast<TWinControl*>(c); }
inline void OnClick(TControl* c, TFreer* f) { c->OnClick = {f, &TFreer::HNotify}; }
inline void OnDblClick(TControl* c, TFreer* f) { c->OnDblClick = {f, &TFreer::HNotify}; }
inline void OnMouseDown(TControl* c, TFreer* f) { c->OnMouseDown = {f, &TFreer::HMouse}; }
inline void OnMouseUp(TControl* c, TFreer* f) { c->OnMouseUp = {f, &TFreer::HMouse}; }
inline void OnMouseMove(TControl* c, TFreer* f) { c->OnMouseMove = {f, &TFreer::HMove}; }
inline void OnMouseWheel(TControl* c, TFreer* f) { c->OnMouseWheel = {f, &TFreer::HWheel}; }
inline void OnResize(TControl* c, TFreer* f) { c->OnResize = {f, &TFreer::HNotify}; }
inline void OnEnter(TControl* c, TFreer* f) { W(c)->OnEnter = {f, &TFreer::HNotify}; }
inline void OnExit(TControl* c, TFreer* f) { W(c)->OnExit = {f, &TFreer::HNotify}; }
inline void OnKeyDown(TControl* c, TFreer* f) { W(c)->OnKeyDown = {f, &TFreer::HKey}; }
inline void OnKeyPress(TControl* c, TFreer* f) { W(c)->OnKeyPress = {f, &TFreer::HKeyPress}; }
inline void OnKeyUp(TControl* c, TFreer* f) { W(c)->OnKeyUp = {f, &TFreer::HKey}; }
}  // namespace free_hooks

// Base is the fixture that shows the form (AppTest or one built on it); Form() and Keeper()
// name the shown form and a control that takes the focus once the victim is gone.
template <class Base>
class FreedByHandlerTest : public Base {
 protected:
  virtual TCustomForm* Form() = 0;
  virtual TWinControl* Keeper() = 0;

  // A fresh T on Parent (the shown form when none), owned by it.
  template <class T>
  T* AddControl(TWinControl* Parent = nullptr) {
    if (!Parent) Parent = Form();
    auto* c = New<T>(Parent);
    c->SetBounds(10, 10, 120, 60);
    c->SetParent(Parent);
    this->host().PumpUntilIdle();
    return c;
  }
  // Runs one case on a fresh control from Make; Owned is how many components the form
  // owns once the control is gone. The handler frees Victim: the control itself, or what
  // holds it (its parent form or panel), which takes the control with it.
  void Expect(TControl* c, const FreeCase& k, const std::string& kind, Integer Owned, TObject* Victim = nullptr) {
    const std::string what = kind + " " + k.event + " by " + k.how;
    TFreer freer;
    freer.Victim = Victim ? Victim : c;
    TWeakLink link(c), victim(freer.Victim);
    k.hook(c, &freer);
    k.act(c);
    this->host().PumpUntilIdle();
    EXPECT_FALSE(link.Alive()) << what;
    EXPECT_FALSE(victim.Alive()) << what;
    EXPECT_EQ(freer.Runs, 1) << what;
    if (victim.Alive()) victim.Ref()->Free();  // the next case starts from the same form
    if (link.Alive()) link.Ref()->Free();
    EXPECT_EQ(Form()->ComponentCount(), Owned) << what;
    Keeper()->SetFocus();
    this->host().PumpUntilIdle();
    EXPECT_EQ(GetFocus(), Keeper()->GetHandle()) << what;
    for (String s : this->TakeExceptions()) ADD_FAILURE() << what << ": " << s;
    // A later case's first click is never the second of a double click.
    this->host().Advance(1000);
  }
  void Run(const std::function<TControl*()>& Make, const FreeCases& Cases,
           const std::string& Kind) {
    const Integer owned = Form()->ComponentCount();
    for (const FreeCase& k : Cases) Expect(Make(), k, Kind, owned);
  }
  // The same cases with handlers that free what holds the control: Make gives the control,
  // Holder what is freed (its parent, a form or panel the test's form owns).
  void RunFreeingHolder(const std::function<TControl*()>& Make, const std::function<TObject*(TControl*)>& Holder,
                        const FreeCases& Cases, const std::string& Kind) {
    const Integer owned = Form()->ComponentCount();
    for (const FreeCase& k : Cases) {
      TControl* c = Make();
      Expect(c, k, Kind + " (its holder freed)", owned, Holder(c));
    }
  }

  // Where a control is, in its window's client coordinates: a graphic control's window is
  // its parent's.
  static HWND WindowOf(TControl* c, Integer& x, Integer& y) {
    x = c->GetWidth() / 2;
    y = c->GetHeight() / 2;
    if (auto* w = dynamic_cast<TWinControl*>(c)) return w->GetHandle();
    x += c->GetLeft();
    y += c->GetTop();
    return c->GetParent()->GetHandle();
  }
  void Click(TControl* c) {
    Integer x, y;
    HWND w = WindowOf(c, x, y);
    this->host().Click(w, x, y);
  }
  void DoubleClick(TControl* c) {
    Integer x, y;
    HWND w = WindowOf(c, x, y);
    this->host().DoubleClick(w, x, y);
  }
  void MoveOver(TControl* c) {
    Integer x, y;
    HWND w = WindowOf(c, x, y);
    this->host().MouseMove(w, x, y);
  }
  void Press(TControl* c, MouseButton b) {
    Integer x, y;
    HWND w = WindowOf(c, x, y);
    this->host().MouseDown(w, x, y, b);
    this->host().PumpUntilIdle();
    this->host().MouseUp(w, x, y, b);
  }
  void Focus(TControl* c) {
    static_cast<TWinControl*>(c)->SetFocus();
    this->host().PumpUntilIdle();
  }
  // Focuses the control, then presses the key (down and up).
  FreeAct KeyOn(int vk) {
    return [this, vk](TControl* c) {
      Focus(c);
      this->host().Key(vk);
    };
  }

  // The mouse of every control: clicks with each button, a move, new bounds and alignment.
  FreeCases MouseCases() {
    using namespace free_hooks;
    return {
        {OnClick, "OnClick", [this](TControl* c) { Click(c); }, "mouse"},
        {OnMouseDown, "OnMouseDown", [this](TControl* c) { Click(c); }, "mouse"},
        {OnMouseUp, "OnMouseUp", [this](TControl* c) { Click(c); }, "mouse"},
        {OnMouseDown, "OnMouseDown", [this](TControl* c) { Press(c, MouseButton::Right); },
         "right button"},
        {OnMouseUp, "OnMouseUp", [this](TControl* c) { Press(c, MouseButton::Right); },
         "right button"},
        {OnMouseUp, "OnMouseUp", [this](TControl* c) { Press(c, MouseButton::Middle); },
         "middle button"},
        {OnMouseMove, "OnMouseMove", [this](TControl* c) { MoveOver(c); }, "mouse"},
        {OnResize, "OnResize", [](TControl* c) { c->SetBounds(5, 5, 150, 70); }, "new bounds"},
        {OnResize, "OnResize",
         [this](TControl* c) {
           // The parent grows: the test's form to a size of its own, a holder by a few pixels.
           // Taken first: aligning may already run the handler.
           TWinControl* p = c->GetParent();
           TWeakLink parent(p);
           c->SetAlign(TAlign::alTop);
           this->host().PumpUntilIdle();
           if (!parent.Alive())
             return;
           if (p == Form())
             p->SetBounds(100, 100, 420, 320);
           else
             p->SetBounds(p->GetLeft(), p->GetTop(), p->GetWidth() + 20, p->GetHeight() + 20);
         },
         "alignment"},
    };
  }
  // The focus and keys of a windowed control.
  FreeCases FocusAndKeyCases() {
    using namespace free_hooks;
    return {
        {OnEnter, "OnEnter", [this](TControl* c) { Click(c); }, "mouse"},
        {OnEnter, "OnEnter", [this](TControl* c) { Focus(c); }, "SetFocus"},
        {OnExit, "OnExit",
         [this](TControl* c) {
           Focus(c);
           Click(Keeper());
         },
         "mouse elsewhere"},
        {OnExit, "OnExit", KeyOn(VK_TAB), "Tab"},
        {OnKeyDown, "OnKeyDown", KeyOn('A'), "key"},
        {OnKeyPress, "OnKeyPress",
         [this](TControl* c) {
           Focus(c);
           this->host().Char('a');
         },
         "character"},
        {OnKeyUp, "OnKeyUp", KeyOn(VK_SPACE), "key"},
        {OnMouseWheel, "OnMouseWheel",
         [this](TControl* c) {
           Focus(c);
           Integer x, y;
           HWND w = WindowOf(c, x, y);
           this->host().Wheel(w, x, y, -WHEEL_DELTA);
         },
         "wheel"},
    };
  }
};
