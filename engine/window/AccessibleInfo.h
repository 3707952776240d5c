// What assistive technology reads from a control: name, role, state, value and default action,
// computed from the control's own fields each time they are asked for.
#pragma once

#include <windows.h>

#include <string>

#include "UIControl.h"

namespace ZOV {

// "accname" when given; else the text a static, button or check box shows; else the tooltip.
// A list row or tab page without a name of its own is read as the texts shown inside it,
// joined by ", ". Empty when the control has no name.
std::wstring AccName(const CUIControl* control);
// A ROLE_SYSTEM_ value; client is true for the root of a host window.
long AccRole(const CUIControl* control, bool client);
// STATE_SYSTEM_ flags; windowFocused is true while the host window has the keyboard focus.
long AccState(const CUIControl* control, bool windowFocused);
// The value of progress bars ("40%"), edits, rich edits and combo boxes; false for others.
bool AccValue(const CUIControl* control, std::wstring& value);
// "Press", "Check", "Uncheck", "Select" or "Open"; null when the control has no action.
const wchar_t* AccDefaultAction(const CUIControl* control);
// Does what the default action names, as the mouse would; false when there is none or the
// control is disabled. May run a popup menu's loop: call it from a posted message, never
// from inside a client's call.
bool DoAccDefaultAction(CUIControl* control);

}  // namespace ZOV
