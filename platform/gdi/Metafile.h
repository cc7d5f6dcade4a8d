// Metafiles: placeable metafiles (a 22-byte header before the 16-bit record stream) and
// enhanced metafiles, checked and played onto a device context at the size asked.
//
// A metafile is outside input. CheckMetafile walks its record structure without drawing:
// a header or record that claims more bytes than the file holds, a record count over the
// cap or an object table over the cap is refused with the reason, before anything is drawn.
// Playback draws only what passed the check, skips the records it does not know, and keeps
// the objects it creates under caps (bitmap pixels, pen widths, font heights), so neither
// the time nor the memory a file can cost is open-ended: regions are built only over the
// bounds the picture is drawn in (the DC's clip box when playback starts), the bitmaps of
// one playback decode to no more than kMaxMetafileDibPixels pixels in all, and an open path
// stops at the DC's cap on path points; what passes a cap is not drawn, the rest of the
// picture is. A clip a record selects stays inside the clip playback started with, and is
// built only over those bounds too: moving it later brings nothing back from outside them.
// Playback leaves the DC as it found it: its state is saved before the first record and
// restored after the last, a path the DC was recording is set aside while the records play
// and one they leave open is dropped, and every object the records made is deleted.
#pragma once

#include "platform/gdi/Gdi.h"

#include <cstddef>
#include <cstdint>
#include <string>

// More records than this and a metafile is refused.
inline constexpr size_t kMaxMetafileRecords = 500000;
// Object-table slots a metafile may declare.
inline constexpr size_t kMaxMetafileObjects = 16384;
// Sizes of the objects playback creates, in device pixels, after mapping.
inline constexpr int kMaxMetafilePenWidth = 1024;
inline constexpr int kMaxMetafileFontHeight = 2048;
// Pixels of a pattern brush's bitmap.
inline constexpr int64_t kMaxMetafilePatternPixels = 256 * 256;
// Pixels the bitmaps of one playback may decode to, counted as each header declares them
// before it is decoded (a few bytes of run-length data can declare millions): two bitmaps
// of the largest size the decoder takes. A bitmap that would pass it is not drawn.
inline constexpr int64_t kMaxMetafileDibPixels = int64_t(1) << 25;
// Entries a palette may be resized to: a resize costs no bytes of the file, so it is capped.
inline constexpr size_t kMaxMetafilePaletteEntries = 1024;
// SaveDC records nest at most this deep; deeper ones are skipped.
inline constexpr int kMaxMetafileSaveDepth = 256;

// The 32-bit key of a placeable metafile's header.
inline constexpr uint32_t kPlaceableMetafileKey = 0x9AC6CDD7u;
inline constexpr size_t kPlaceableHeaderSize = 22;

// The mapping modes the records set.
inline constexpr int MM_TEXT = 1;
inline constexpr int MM_LOMETRIC = 2;
inline constexpr int MM_HIMETRIC = 3;
inline constexpr int MM_LOENGLISH = 4;
inline constexpr int MM_HIENGLISH = 5;
inline constexpr int MM_TWIPS = 6;
inline constexpr int MM_ISOTROPIC = 7;
inline constexpr int MM_ANISOTROPIC = 8;

struct MetafileCheck {
  bool Ok = false;
  std::string Error;         // why the bytes were refused; empty when Ok
  bool Enhanced = false;
  size_t Records = 0;        // records before the end-of-file record (or the end)
};

// A placeable metafile (its header alone is an empty picture) or an enhanced metafile.
MetafileCheck CheckMetafile(const uint8_t* data, size_t size);

// Plays the metafile so that its picture fills `target` (in `dc`'s logical coordinates):
// a placeable metafile's box, an enhanced metafile's frame. False with `why` set, and
// nothing drawn, for bytes CheckMetafile refuses.
bool PlayMetafile(HDC dc, const uint8_t* data, size_t size, const RECT& target, std::string& why);
