// Counted unit start-up. Every unit has Initialize()/Finalize(); the first Initialize does
// the work and later ones only count, and only the Finalize that balances the first does
// the work. Units never start from static initialisers: each layer lists its units in a
// fixed order in its own <Layer>Initialize/<Layer>Finalize, and the program (or a test
// fixture) calls the layers' sequences from the bottom up.
#pragma once

#include <cstddef>

class UnitCounter {
 public:
  // True for the call that must do the work.
  bool Enter() { return count_++ == 0; }
  // True for the call that must undo it; an unbalanced call does nothing.
  bool Leave() {
    if (count_ == 0) return false;
    return --count_ == 0;
  }
  int Count() const { return count_; }

 private:
  int count_ = 0;
};

struct UnitEntry {
  const char* name;
  void (*initialize)();
  void (*finalize)();
};

// Initializes `units` in order. When one throws, the ones already started are finalized
// in reverse and the exception goes on to the caller.
void InitializeUnits(const UnitEntry* units, size_t count);
// Finalizes `units` in reverse order. Never throws: a failing unit is reported on
// standard error and the others still run.
void FinalizeUnits(const UnitEntry* units, size_t count);

template <size_t N>
void InitializeUnits(const UnitEntry (&units)[N]) {
  InitializeUnits(units, N);
}
template <size_t N>
void FinalizeUnits(const UnitEntry (&units)[N]) {
  FinalizeUnits(units, N);
}

// The kernel's units, in order: resources, modules, locale and version, random generator.
void PlatformKernelInitialize();
void PlatformKernelFinalize();
