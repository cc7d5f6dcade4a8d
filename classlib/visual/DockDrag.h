// The part of a drag that docks: what the drag machinery hands over when its source drags
// with DragKind dkDock. Internal to the controls unit.
#pragma once

#include "classlib/visual/Controls.h"

struct DockDrag {
  // Runs the source's OnStartDock and gives the drag object (a new one, Own, when the
  // handler gave none), its dock rectangle on the source. Grab is where the drag started.
  static TDragDockObject* Start(TControl* Source, const TPoint& Grab, bool& Own);
  // The mouse at Pos (screen): finds the dock site, tells the one left and the one entered,
  // and shows the dock rectangle. False when a handler ended the drag, and nothing of it
  // may be touched any more.
  // Target and Accepted are the drag's own: the site under the mouse and its answer.
  static bool Move(TDragDockObject* Obj, const TPoint& Pos, TControl*& Target, bool& Accepted);
  // The end: on a drop the control docks on Target (when it accepted) or floats; OnEndDock.
  static void Done(TDragDockObject* Obj, TControl* Source, TControl* Target, bool Accepted, bool Drop,
                   const TPoint& Pos);
  // Hides the dock rectangle.
  static void HideFrame();
  // Forgets a windowed control being destroyed as a dock site.
  static void SiteDestroyed(TWinControl* Site);
};
