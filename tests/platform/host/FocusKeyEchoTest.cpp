// The screen host's filter of the key events the display library sends of its own when a
// window gains the focus.
#include "platform/host/sdl/FocusKeyEcho.h"
#include "platform/user/User.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace {

// Feeds events (kind d = down, u = up, f = focus gained; key; time), VK_MENU and VK_SHIFT
// being the modifiers, and gives the key events passed on, as "d18 u18".
std::string Feed(FocusKeyEcho& f, std::initializer_list<std::tuple<char, int, uint32_t>> events) {
  std::string out;
  for (auto [kind, vk, t] : events) {
    if (kind == 'f') {
      f.FocusGained(t);
      continue;
    }
    const bool modifier = vk == VK_MENU || vk == VK_SHIFT;
    if (f.Take(vk, kind == 'd', modifier, t)) out += (out.empty() ? "" : " ") + std::string(1, kind) + std::to_string(vk);
  }
  return out;
}

TEST(FocusKeyEcho, ModifiersPressedAtAFocusChangeAndKeysReleasedUnpressedAreNotPassedOn) {
  FocusKeyEcho f;
  // Alt+H, the menu's popup takes the focus and hands it back: the library's Alt down and
  // up at the moment of each change go nowhere.
  EXPECT_EQ(Feed(f, {{'d', VK_MENU, 100}, {'d', 'H', 106}, {'u', 'H', 108}, {'u', VK_MENU, 108}, {'f', 0, 108},
                    {'d', VK_MENU, 108}, {'u', VK_MENU, 108}, {'f', 0, 110}, {'d', VK_MENU, 111}, {'u', VK_MENU, 115}}),
            "d18 d72 u72 u18");
  // A modifier pressed a moment after the change is the user's; so is any other key at it,
  // and a modifier held down already repeats.
  EXPECT_EQ(Feed(f, {{'f', 0, 200}, {'d', VK_SHIFT, 203}, {'d', 'A', 200}, {'u', 'A', 201}, {'u', VK_SHIFT, 204}}),
            "d16 d65 u65 u16");
  EXPECT_EQ(Feed(f, {{'d', VK_MENU, 300}, {'f', 0, 301}, {'d', VK_MENU, 301}, {'u', VK_MENU, 302}}), "d18 d18 u18");
  // A release of a key the program never saw pressed (held while the focus came in).
  EXPECT_EQ(Feed(f, {{'u', 'Q', 400}, {'d', 'Q', 500}, {'u', 'Q', 501}}), "d81 u81");
}

}  // namespace
