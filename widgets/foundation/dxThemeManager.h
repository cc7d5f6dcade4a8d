// One cached theme handle per kind of themed control, whether visual styles are on right
// now, and notice of a visual-style change to the objects that asked for it.
#pragma once

#include "classlib/core/Enums.h"
#include "classlib/core/Events.h"
#include "classlib/core/Object.h"
#include "widgets/foundation/dxUxTheme.h"

TL_ENUM(TdxThemedObjectType, totButton, totClock, totComboBox, totEdit, totExplorerBar, totHeader,
        totListView, totMenu, totPage, totProgress, totRebar, totScrollBar, totSpin, totStartPanel,
        totStatus, totTab, totTaskBand, totTaskBar, totToolBar, totToolTip, totTrackBar, totTrayNotify,
        totTreeview, totWindow);
using TdxThemedObjectTypes = Set<TdxThemedObjectType>;

// The cached handle of the kind, opened on first use (0 when visual styles are unavailable
// or the open fails). A class name other than the cached one (compared case-insensitively)
// reopens the handle; nullptr or an empty name keeps the last name, else the kind's default.
HTHEME cxOpenTheme(TdxThemedObjectType AObjectType, LPCWSTR AClassName = nullptr);
// Closes one cached handle and forgets its class name: the close result, 1 when visual
// styles are unavailable, 0 when nothing was open.
HRESULT cxCloseTheme(TdxThemedObjectType AObjectType);
// Closes every cached handle; the class names stay for the reopening.
void cxCloseAllThemes();
// Visual styles on and the library loaded; with kinds given, every kind's handle opens too.
bool cxAreThemesAvailable(TdxThemedObjectTypes AObjectTypes = {});
// Whether visual styles are on (the same as cxAreThemesAvailable with no kinds).
bool cxIsThemeAvailable();
// Whether the kind's handle can be opened under the current visual style.
bool cxIsThemeAvailable(TdxThemedObjectType AObjectType);
// The class name OpenThemeData gets for a kind by default.
const WideString& cxThemeDefaultClassName(TdxThemedObjectType AObjectType);

using TdxThemeChangedEvent = TMethod<void()>;

// Joins the list of objects told about a visual-style change on creation and leaves it
// on destruction; a notificator may free itself or another one from its handler.
class TdxThemeChangedNotificator : public TObject {
  TL_CLASS(TdxThemeChangedNotificator, TObject)
 public:
  TdxThemeChangedNotificator();
  TdxThemeChangedEvent OnThemeChanged;

 protected:
  ~TdxThemeChangedNotificator() override;
};

namespace dxThemeManager {
// Counted. Starts the library access first; the visual-style change window exists only
// while the library is loaded.
void Initialize();
void Finalize();
// The hidden window that receives WM_THEMECHANGED; nullptr when there is none.
HWND ReceiverWindow();
}  // namespace dxThemeManager
