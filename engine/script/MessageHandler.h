// The message handler of every protected call the engine makes into scripts.
#pragma once

struct lua_State;

namespace lua_tinker {

// Returns no values, so a failed call yields nil: run-time errors are swallowed, by design
// of the script API. Also bound as the script global "Assert".
int on_error(lua_State* L);

}  // namespace lua_tinker
