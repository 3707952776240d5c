// Runs a block of script text as one chunk.
#pragma once

#include <cstddef>

struct lua_State;

namespace lua_tinker {

// Compiles the bytes as a chunk named "dobuffer()" and runs it protected. A compile error
// goes to _ALERT; a run-time error is swallowed. Leaves the stack as it was.
void dobuffer(lua_State* L, const char* buf, size_t len);

}  // namespace lua_tinker
