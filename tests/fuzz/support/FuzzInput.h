// What the fuzz targets that drive call sequences share: the input read as a stream of bytes,
// and an environment set up on the first input and torn down at exit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// Past the input's end every read gives 0, so a short input still drives a whole call.
class FuzzBytes {
 public:
  FuzzBytes(const uint8_t* p, size_t n) : p_(p), n_(n) {}
  bool More() const { return n_ > 0; }
  uint8_t U8() {
    if (!n_) return 0;
    --n_;
    return *p_++;
  }
  // The next byte, left to be read.
  uint8_t Peek() const { return n_ ? *p_ : 0; }
  uint32_t U32() { return uint32_t(U8()) | uint32_t(U8()) << 8 | uint32_t(U8()) << 16 | uint32_t(U8()) << 24; }

 private:
  const uint8_t* p_;
  size_t n_;
};

// Undone at exit, so the leak checker sees only what an input leaked.
template <class T>
T& FuzzEnvironment() {
  static T* env = nullptr;
  if (!env) {
    env = new T;
    std::atexit([] {
      delete env;
      env = nullptr;
    });
  }
  return *env;
}
