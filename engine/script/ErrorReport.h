// Reports script trouble to the script's own "_ALERT" function, if it has one.
#pragma once

struct lua_State;

namespace lua_tinker {

// Formats with printf rules into at most 4095 characters (longer texts are cut), then calls
// the global "_ALERT" with the text when that is a function; otherwise the text is dropped.
// The call is protected: an _ALERT that fails cannot unwind the caller. Leaves the stack as
// it was.
void print_error(lua_State* L, const char* fmt, ...) __attribute__((format(printf, 2, 3)));

}  // namespace lua_tinker
