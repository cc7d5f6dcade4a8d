// The mouse entering or leaving a control whose own OnMouseEnter or OnMouseLeave frees it:
// nothing after the handler may touch the control (the sanitizer build sees any use).
#pragma once

#include "classlib/visual/Forms.h"
#include "platform/host/HeadlessHost.h"

#include <gtest/gtest.h>

#include <utility>

// Frees its victim once, from any notify handler.
class TNotifyFreer : public TObject {
 public:
  TObject* Victim = nullptr;
  int Runs = 0;
  void HNotify(TObject*) {
    ++Runs;
    if (TObject* v = std::exchange(Victim, nullptr)) v->Free();
  }
};

// Moves the mouse from Away (a point of the form's client area) onto the control's middle
// (entering) or back (leaving), with the control's handler for that move freeing it.
template <class Control>
void ExpectFreedAsTheMouseCrossesIt(HeadlessHost& Host, TCustomForm* Form, Control* C,
                                    TPoint Away, bool Entering) {
  const auto away = [&] {
    Host.MouseMove(Form->GetHandle(), Away.X, Away.Y);
    Host.PumpUntilIdle();
  };
  const auto onto = [&] {
    Host.MouseMove(C->GetHandle(), C->GetWidth() / 2, C->GetHeight() / 2);
    Host.PumpUntilIdle();
  };
  away();
  if (!Entering) onto();
  TNotifyFreer freer;
  freer.Victim = C;
  (Entering ? C->OnMouseEnter : C->OnMouseLeave) = {&freer, &TNotifyFreer::HNotify};
  TWeakLink link(C);
  if (Entering)
    onto();
  else
    away();
  EXPECT_FALSE(link.Alive());
  EXPECT_EQ(freer.Runs, 1);
}
