// The message of the exception a call raises, for tests that check the text users see.
#pragma once

#include "classlib/core/Exceptions.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

// The message of the E that AAction raises; a test failure when it raises none.
template <class E = Exception>
std::string MessageOf(const std::function<void()>& AAction) {
  try {
    AAction();
  } catch (const E& e) {
    return e.Message();
  }
  ADD_FAILURE() << "nothing was raised";
  return "(no error)";
}
