// A move list read item by item, as a replay takes it. The list is "(%d,%d)" items with
// nothing between them; the reader keeps to what a replay of any text does, so that a
// damaged list ends or skips items and never stops with an error.
#pragma once

#include "classlib/core/SysUtils.h"

class TReplayReader {
 public:
  explicit TReplayReader(String MoveText) : FText(std::move(MoveText)) {}

  // Another item follows: the rest of the text starts with "(". Anything else (the end of
  // the text included) ends the replay.
  bool HasItem() const { return !FText.empty() && FText[0] == '('; }
  // Takes the next item off the text: the "(", the text up to the first ")" and the ")".
  // Without a ")" only the "(" goes, so that the next HasItem ends the replay. True, with
  // the item's column and row, when the item reads as "%d,%d": each number may have blanks
  // and a sign before it, the comma follows the first number at once and anything after
  // the second number is ignored. An item that does not read so is to be skipped.
  bool Take(Integer& Column, Integer& Row);
  const String& Rest() const { return FText; }

 private:
  String FText;
};
