// Scope guards of the class library: the plain ones (platform/kernel/ScopeExit.h: TScopeExit,
// PairedCall, TScopeEnd, TScopedValue, TFirstError, and the rule for errors raised while
// unwinding: the first error wins) and the same watching an object through a weak link, which skip
// the undo once that object has been freed by a handler the scope ran: there is nothing left to
// undo, and touching it would read freed memory.
#pragma once

#include "classlib/core/Object.h"
#include "platform/kernel/ScopeExit.h"

// As TScopeExit, but the undo is skipped once the watched object has been freed.
template <class Undo>
class TWatchedScopeExit {
 public:
  TWatchedScopeExit(TObject* AWatched, Undo AUndo) : FWatched(AWatched), FUndo(std::move(AUndo)) {}
  ~TWatchedScopeExit() noexcept(false) {
    if (FArmed && FWatched.Alive()) scope_guards_detail::RunUndo(FUndo, FExceptions);
  }
  TWatchedScopeExit(const TWatchedScopeExit&) = delete;
  TWatchedScopeExit& operator=(const TWatchedScopeExit&) = delete;
  void Release() noexcept { FArmed = false; }
  bool Alive() const { return FWatched.Alive(); }

 private:
  TWeakLink FWatched;
  Undo FUndo;
  int FExceptions = std::uncaught_exceptions();
  bool FArmed = true;
};

// As TScopeEnd, but the undo is skipped once the watched object has been freed.
template <class Undo>
class TWatchedScopeEnd {
 public:
  TWatchedScopeEnd(TObject* AWatched, Undo AUndo) : FWatched(AWatched), FUndo(std::move(AUndo)) {}
  ~TWatchedScopeEnd() noexcept(false) {
    if (FWatched.Alive()) scope_guards_detail::RunToldUndo(FUndo, FExceptions);
  }
  TWatchedScopeEnd(const TWatchedScopeEnd&) = delete;
  TWatchedScopeEnd& operator=(const TWatchedScopeEnd&) = delete;

 private:
  TWeakLink FWatched;
  Undo FUndo;
  int FExceptions = std::uncaught_exceptions();
};

template <class Do, class Undo>
[[nodiscard]] TWatchedScopeExit<Undo> WatchedPairedCall(TObject* AWatched, Do&& ADo, Undo AUndo) {
  ADo();
  return TWatchedScopeExit<Undo>(AWatched, std::move(AUndo));
}

// BeginUpdate now, EndUpdate at the end unless a handler freed the object meanwhile.
template <class T>
[[nodiscard]] auto UpdateBracket(T* AObject) {
  return WatchedPairedCall(
      AObject, [AObject] { AObject->BeginUpdate(); }, [AObject] { AObject->EndUpdate(); });
}

// As TScopedValue for a variable that lives in (or with) the watched object: once the object
// has been freed the variable is gone and is left alone.
template <class T>
class TWatchedValue {
 public:
  TWatchedValue(TObject* AWatched, T& ATarget, T AValue)
      : FWatched(AWatched), FTarget(ATarget), FOld(std::move(ATarget)) {
    FTarget = std::move(AValue);
  }
  ~TWatchedValue() {
    if (FWatched.Alive()) FTarget = std::move(FOld);
  }
  TWatchedValue(const TWatchedValue&) = delete;
  TWatchedValue& operator=(const TWatchedValue&) = delete;

 private:
  TWeakLink FWatched;
  T& FTarget;
  T FOld;
};
