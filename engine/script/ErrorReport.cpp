// The _ALERT reporter.
#include "ErrorReport.h"

#include <cstdarg>
#include <cstdio>

#include "lua.hpp"

namespace lua_tinker {

void print_error(lua_State* L, const char* fmt, ...) {
  char text[4096];
  va_list args;
  va_start(args, fmt);
  int n = std::vsnprintf(text, sizeof(text), fmt, args);
  va_end(args);
  if (n < 0) text[0] = '\0';
  text[sizeof(text) - 1] = '\0';

  int top = lua_gettop(L);
  lua_getglobal(L, "_ALERT");
  if (lua_isfunction(L, -1)) {
    lua_pushstring(L, text);
    lua_pcall(L, 1, 0, 0);
  }
  lua_settop(L, top);
}

}  // namespace lua_tinker
