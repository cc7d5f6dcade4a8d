// fuzz-links: platform_gdi
// Feeds arbitrary bytes to the metafile check and player: a refused file says why and draws
// nothing; an accepted one plays onto a small canvas (and a stretched target) and leaves no
// object or DC of its own alive.
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/FontFaces.h"
#include "platform/gdi/GdiObject.h"
#include "platform/gdi/Metafile.h"

#include <cstdlib>
#include <string>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#include <sanitizer/lsan_interface.h>
#define METAFILE_FUZZ_LSAN 1
#endif
#endif

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The packaged faces are located before the first input draws text: the font configuration
  // they load is kept for the process (and what the configuration parser itself drops is not
  // counted against the inputs).
  static const bool located = [] {
#ifdef METAFILE_FUZZ_LSAN
    __lsan::ScopedDisabler outsideTheInputs;
#endif
    for (FontFamily f : {FontFamily::Sans, FontFamily::Mono, FontFamily::Fallback})
      for (bool bold : {false, true})
        for (bool italic : {false, true}) LocateFace(f, bold, italic);
    return true;
  }();
  (void)located;
  const MetafileCheck c = CheckMetafile(data, size);
  if (!c.Ok && c.Error.empty()) std::abort();
  if (c.Ok && c.Records > kMaxMetafileRecords) std::abort();
  const size_t objects = GdiLiveObjectCount(), dcs = LiveDCCount();
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateBitmap(48, 32, 1, 32, nullptr);
  HGDIOBJ old = SelectObject(dc, bmp);
  BitmapFromHandle(bmp)->Pixels->Fill(0xFFFFFF);
  std::string why;
  const bool played = PlayMetafile(dc, data, size, RECT{2, 3, 40, 30}, why);
  if (played != c.Ok || (!played && why != c.Error)) std::abort();
  if (!played) {
    // Refused bytes leave the canvas untouched.
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 48; ++x)
        if (BitmapFromHandle(bmp)->Pixels->At(x, y) != 0xFFFFFF) std::abort();
  } else {
    PlayMetafile(dc, data, size, RECT{40, 30, -4000, -3000}, why);
  }
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
  if (GdiLiveObjectCount() != objects || LiveDCCount() != dcs) std::abort();
  return 0;
}
