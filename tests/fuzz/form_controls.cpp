// fuzz-links: classlib_visual
// A form description read over the real control classes (form, buttons, edits, list boxes,
// status bar, menus, timer), then shown and painted through the headless host, written
// back and freed. Bad input may raise the class library's errors at any step, never crash,
// and every window the form made is gone once it is freed.
#include "classlib/core/FormText.h"
#include "platform/user/UserTesting.h"
#include "tests/fuzz/support/FuzzInput.h"
#include "tests/fuzz/support/VisualFuzzHost.h"

#include <cstdint>
#include <cstdlib>

namespace {

struct Platform : VisualFuzzHost {
  Platform() : VisualFuzzHost(true) {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Platform* platform = &FuzzEnvironment<Platform>();
  const int windowsBefore = UserLiveWindowCount();
  Owned<TMemoryStream> binary(New<TMemoryStream>());
  try {
    ObjectTextToBinary(String(reinterpret_cast<const char*>(data), size), *binary);
  } catch (const Exception&) {
    return 0;   // not a description
  }
  TForm* form = TCustomForm::CreateNew(nullptr);
  try {
    binary->SetPosition(0);
    binary->ReadComponent(form);
    form->Show();
    platform->host.PumpUntilIdle();
    platform->host.Advance(50);
    Owned<TMemoryStream> out(New<TMemoryStream>());
    out->WriteComponent(form);
  } catch (const Exception&) {
    // a description the classes refuse: the form goes as it is
  }
  form->Free();
  platform->host.PumpUntilIdle();
  (void)Application->TakeExceptions();
  if (UserLiveWindowCount() != windowsBefore) std::abort();
  return 0;
}
