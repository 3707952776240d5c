// dobuffer: load, report compile errors, run protected.
#include "DoBuffer.h"

#include "ErrorReport.h"
#include "MessageHandler.h"
#include "lua.hpp"

namespace lua_tinker {

void dobuffer(lua_State* L, const char* buf, size_t len) {
  int top = lua_gettop(L);
  lua_pushcfunction(L, on_error);
  if (luaL_loadbuffer(L, buf, len, "dobuffer()") != 0) {
    const char* msg = lua_tostring(L, -1);
    print_error(L, "%s", msg ? msg : "");
  } else {
    lua_pcall(L, 0, 1, top + 1);
  }
  lua_settop(L, top);
}

}  // namespace lua_tinker
