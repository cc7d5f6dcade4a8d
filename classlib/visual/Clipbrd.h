// TClipboard: text and pictures on the platform clipboard.
#pragma once

#include "classlib/visual/Controls.h"

inline constexpr UINT CF_METAFILEPICT = 3;
// The registered format of pictures of any class: the class name as a short string (a
// length byte and the name), then the graphic's own stream. Registered by the unit.
extern UINT CF_PICTURE;

class TClipboard : public TPersistent {
  TL_CLASS(TClipboard, TPersistent)
 public:
  TClipboard();
  void BeforeDestruction() override;
  // Opening nests: only the outermost Close closes the platform clipboard. Raises
  // Exception when another window holds it open.
  void Open();
  void Close();
  void Clear();
  bool HasFormat(UINT Format) const;
  // The text up to its first zero byte; empty when there is no text.
  String GetAsText();
  void SetAsText(const String& Value);
  // A picture or graphic: a bitmap as CF_BITMAP, a metafile as CF_METAFILEPICT, any other
  // graphic as CF_PICTURE together with a CF_BITMAP rendering. An empty one clears.
  void Assign(TPersistent* Source) override;

 protected:
  // Into a picture: CF_PICTURE, else CF_BITMAP, else CF_METAFILEPICT; into a bitmap:
  // CF_BITMAP. EInvalidGraphic when the clipboard holds none of them or broken data.
  void AssignTo(TPersistent* Dest) override;

 private:
  HWND FHandle = nullptr;
  Integer FOpenRefCount = 0;
  void WndProc(TMessage& Message);
};

extern TClipboard* Clipboard;

namespace ClipbrdUnit {
void Initialize();
void Finalize();
}  // namespace ClipbrdUnit
