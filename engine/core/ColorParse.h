// The skin's colour notation: "#RRGGBB", "@id" (a colour of the skin's colour list) and
// "rgb(r, g, b)" in any letter case. Anything else is black.
#pragma once

#include <windows.h>

#include <functional>

namespace ZOV {

// lookupId resolves "@id" (the id as UTF-8 without the "@"); ids it does not know are black.
COLORREF ParseColorText(const char* text, const std::function<COLORREF(const char* id)>& lookupId);

}  // namespace ZOV
