// The generator the board tests start games with.
#pragma once

#include "game/Board.h"

#include <random>

inline TRandomSource GameRandom() {
  static std::mt19937 engine;
  return {[](unsigned seed) { engine.seed(seed); }, [] { return Integer(engine() >> 1); }};
}
