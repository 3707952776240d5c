// The keyboard's view of a control tree: which controls are tab stops, which are shown, the
// order Tab walks them in, and the control under a point.
#pragma once

#include <windows.h>

#include <vector>

#include "UIControl.h"

namespace ZOV {

// A control that takes the keyboard focus by default: buttons (and combo boxes), check boxes,
// radio buttons (and menu items), edits, rich edits, lists and tab controls. "tabstop"
// overrides the type either way.
bool IsTabStopType(const CUIControl* control);
// A stop the user can reach now: a tab stop that is shown and enabled, its ancestors too.
bool IsReachableStop(const CUIControl* control);
// Shown on screen: it and its ancestors visible, and a tab control's page only while selected.
bool IsShown(const CUIControl* control);
// Enabled, with every ancestor enabled (a disabled container passes no mouse input down).
bool IsEffectivelyEnabled(const CUIControl* control);

// Reachable stops under root in document order (depth first, children in list order).
void CollectTabStops(CUIControl* root, std::vector<CUIControl*>& stops);
// The stop after (or before) current, wrapping; the first (last) when current is no stop.
// Null when the tree has none.
CUIControl* NextTabStop(CUIControl* root, CUIControl* current, bool backward);

// The deepest shown control under root containing the client point, the topmost of siblings;
// with enabledOnly, disabled controls (and what they contain) are passed over as the mouse
// passes them. Root itself when no descendant contains it, null when root does not.
CUIControl* DeepestControlAt(CUIControl* root, POINT pt, bool enabledOnly);

// The children that assistive technology lists for a control: a container's children (a tab
// control's pages), none for other controls.
int AccChildCount(CUIControl* control);
CUIControl* AccChildAt(CUIControl* control, int index);
int AccIndexInParent(CUIControl* control);  // -1 without a parent

// True when control is root or lies beneath it. Searched from root down: a control that left
// its container may still name that container, which may be gone.
bool IsInSubtree(CUIControl* root, const CUIControl* control);

}  // namespace ZOV
