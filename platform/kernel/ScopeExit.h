// Scope guards: an undo that runs on every way out of a scope, so a step that sets a flag,
// takes a lock or opens a bracket, and then runs something that may raise, cannot leave the
// flag set or the lock taken. TScopeExit runs an undo; PairedCall runs a do now and its undo
// at the end; TScopeEnd runs an undo told how the scope ended; TScopedValue sets a variable
// and puts the old value back. The class library
// adds forms that watch an object through a weak link (classlib/core/ScopeGuards.h).
//
// Errors raised while unwinding: when the scope is left by an error, an error the undo
// raises is dropped, so the first error is the one that reaches the caller; when the scope
// is left normally, the undo's error reaches the caller as any other would. TFirstError
// follows the same rule for steps that must all run (every listener hearing a notice).
#pragma once

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

// The undo of a TScopeEnd: told true on a normal end, false when an error leaves the scope.
template <class Undo>
void RunToldUndo(Undo& AUndo, int AExceptionsAtStart) {
  const bool endedNormally = std::uncaught_exceptions() <= AExceptionsAtStart;
  auto told = [&] { AUndo(endedNormally); };
  RunUndo(told, AExceptionsAtStart);
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

// As TScopeExit, but the undo is told whether the scope ended normally: an undo that, say,
// sends the change notice held meanwhile only when the step finished, and drops it after an
// error. The same rule for the undo's own error.
template <class Undo>
class TScopeEnd {
 public:
  explicit TScopeEnd(Undo AUndo) : FUndo(std::move(AUndo)) {}
  ~TScopeEnd() noexcept(false) { scope_guards_detail::RunToldUndo(FUndo, FExceptions); }
  TScopeEnd(const TScopeEnd&) = delete;
  TScopeEnd& operator=(const TScopeEnd&) = delete;

 private:
  Undo FUndo;
  int FExceptions = std::uncaught_exceptions();
};

// Lock(true) ... Lock(false), BeginUpdate ... EndUpdate: the do runs now, the undo at the end.
// A do that raises leaves nothing to undo.
template <class Do, class Undo>
[[nodiscard]] TScopeExit<Undo> PairedCall(Do&& ADo, Undo AUndo) {
  ADo();
  return TScopeExit<Undo>(std::move(AUndo));
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

// Steps that all run whatever one of them raises (each listener hearing a notice): Run lets
// no error out but keeps the first one, which Raise lets out once every step has run.
class TFirstError {
 public:
  template <class Step>
  void Run(Step&& AStep) {
    try {
      AStep();
    } catch (...) {
      if (!FFirst) FFirst = std::current_exception();
    }
  }
  bool Failed() const noexcept { return bool(FFirst); }
  void Raise() {
    if (FFirst) std::rethrow_exception(std::exchange(FFirst, nullptr));
  }

 private:
  std::exception_ptr FFirst;
};
