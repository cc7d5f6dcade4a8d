// Reads a window description written as text into a component, the way a running program
// reads the binary form of one from its resources.
#pragma once

#include "classlib/core/FormText.h"
#include "classlib/core/Streams.h"

inline void ReadDescription(const String& AText, TComponent* ARoot) {
  Owned<TMemoryStream> binary(New<TMemoryStream>());
  ObjectTextToBinary(AText, *binary);
  binary->SetPosition(0);
  binary->ReadComponent(ARoot);
}
