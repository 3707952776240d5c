// Parsers shared by every attribute of the skin's documents: flags and number lists.
#pragma once

#include <windows.h>

namespace ZOV {

// A flag is off only when its value is exactly "0"; any other value, even an empty one, is on.
// A missing attribute (null) is off.
bool ParseFlag(const char* value);

// Reads up to count decimal integers (strtol, base 10), skipping exactly one separator
// character between two numbers, whatever it is. Numbers that are missing come out as 0.
// Never reads past the terminating zero.
void ParseNumberList(const char* value, int* out, int count);

// A four-number list ("src", "dest", "corner", "textpadding") as left, top, right, bottom.
RECT ParseRectList(const char* value);

}  // namespace ZOV
