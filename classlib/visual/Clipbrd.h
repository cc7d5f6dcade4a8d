// TClipboard: text on the platform clipboard.
#pragma once

#include "classlib/visual/Controls.h"

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
