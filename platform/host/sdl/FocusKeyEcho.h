// Key events a screen host must not pass on. When one of its windows gains the keyboard
// focus, the display library brings its idea of the keyboard in line with the display's by
// sending key events of its own, stamped with the moment of the focus change. Without a
// window manager the host's popups take the focus as they show and hand it straight back,
// so a menu opened by Alt with a letter would get an Alt pressed and released again (which
// closes the menu, or opens the menu bar as a lone Alt). The filter keeps to the keys the
// program was told of: a modifier that goes down at the very moment of a focus change is
// such an echo, and a key that goes up without having gone down for the program is one too.
#pragma once

#include <cstdint>
#include <set>

class FocusKeyEcho {
 public:
  // One of the host's windows gained the keyboard focus at `time` (the library's ticks).
  void FocusGained(uint32_t time) {
    focusTime_ = time;
    sawFocus_ = true;
  }
  // Whether the key event is the user's, to be passed on; keeps track of the keys down.
  bool Take(int vk, bool down, bool modifier, uint32_t time) {
    if (down) {
      if (modifier && sawFocus_ && !down_.count(vk) && time - focusTime_ <= kSameMoment) return false;
      down_.insert(vk);
      return true;
    }
    return down_.erase(vk) != 0;
  }

 private:
  static constexpr uint32_t kSameMoment = 2;   // ms
  std::set<int> down_;
  uint32_t focusTime_ = 0;
  bool sawFocus_ = false;
};
