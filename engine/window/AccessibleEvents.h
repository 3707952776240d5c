// What controls tell assistive technology: WinEvents about them, and the end of the objects
// that clients hold for them. UI thread only.
#pragma once

#include <windows.h>

namespace ZOV {

class CUIControl;
class CAccessibleControl;

// Raises the WinEvent for the control in its host window's client object; nothing when the
// control has no window.
void RaiseAccEvent(CUIControl* control, DWORD event);
// The child id by which WinEvents name a control within its window's client object: negative,
// so that it never meets the ids 1..n of a parent's own children. Kept while the control lives.
LONG AccEventChildId(CUIControl* control);
// The control of an event child id; null when it is gone.
CUIControl* AccControlFromEventId(LONG id);

// The control is being destroyed: its objects answer "not connected" from now on.
void ForgetAccessible(CUIControl* control);
// The control and everything in it left its window (removed from a container, or the window
// closed): their objects answer "not connected" from now on.
void DisconnectAccessibleSubtree(CUIControl* root);

// The objects clients hold, so that the two calls above can reach them.
void RegisterAccessibleObject(CUIControl* control, CAccessibleControl* object);
void UnregisterAccessibleObject(CUIControl* control, CAccessibleControl* object);

}  // namespace ZOV
