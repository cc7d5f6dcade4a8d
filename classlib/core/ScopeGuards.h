// Scope guards: an undo that runs on every way out of a scope, so a step that sets a flag,
// takes a lock or opens a bracket, and then runs something that may raise or free the
// object, cannot leave the flag set or the lock taken.
//
// - TScopeExit runs an undo; PairedCall runs a do now and its undo at the end.
// - TScopedValue sets a variable and puts the old value back.
// - The Watched forms watch an object through a weak link and skip the undo once that object
//   has been freed (by a handler the scope ran): there is nothing left to undo, and touching
//   it would read freed memory.
//
// Errors raised while unwinding: when the scope is left by an error, an error the undo
// raises is dropped, so the first error is the one that reaches the caller; when the scope
// is left normally, the undo's error reaches the caller as any other would.
#pragma once

#include "classlib/core/Object.h"

#include <exception>
#include <utility>

namespace scope_guards_detail {

template <class Undo>
void RunUndo(Undo& AUndo, int AExceptionsAtStart) {
  if (std::uncaught_exceptions() > AExceptionsAtStart) {
    try {
      AUndo();
    } catch (...) {
    }
  } else {
    AUndo();
  }
}

}  // namespace scope_guards_detail

// Runs an undo on every way out of the scope. Release() keeps what the scope did.
template <class Undo>
class TScopeExit {
 public:
  explicit TScopeExit(Undo AUndo) : FUndo(std::move(AUndo)) {}
  ~TScopeExit() noexcept(false) {
    if (FArmed) scope_guards_detail::RunUndo(FUndo, FExceptions);
  }
  TScopeExit(const TScopeExit&) = delete;
  TScopeExit& operator=(const TScopeExit&) = delete;
  void Release() noexcept { FArmed = false; }

 private:
  Undo FUndo;
  int FExceptions = std::uncaught_exceptions();
  bool FArmed = true;
};

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

// Lock(true) ... Lock(false), BeginUpdate ... EndUpdate: the do runs now, the undo at the end.
// A do that raises leaves nothing to undo.
template <class Do, class Undo>
[[nodiscard]] TScopeExit<Undo> PairedCall(Do&& ADo, Undo AUndo) {
  ADo();
  return TScopeExit<Undo>(std::move(AUndo));
}

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

// Sets Target to Value and puts the old value back at the end. Meant for flags, counters and
// pointers, whose assignment cannot raise.
template <class T>
class TScopedValue {
 public:
  TScopedValue(T& ATarget, T AValue) : FTarget(ATarget), FOld(std::move(ATarget)) {
    FTarget = std::move(AValue);
  }
  ~TScopedValue() { FTarget = std::move(FOld); }
  TScopedValue(const TScopedValue&) = delete;
  TScopedValue& operator=(const TScopedValue&) = delete;

 private:
  T& FTarget;
  T FOld;
};

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
