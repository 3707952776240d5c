// The non-template half of call-by-name.
#include "CallByName.h"

#include "ErrorReport.h"
#include "MessageHandler.h"

namespace lua_tinker {
namespace detail {

bool begin_call(lua_State* L, const char* name) {
  lua_pushcfunction(L, on_error);
  lua_getglobal(L, name);
  if (lua_isfunction(L, -1)) return true;
  print_error(L, "call() attempt to call global `%s' (not a function)", name);
  return false;
}

void invoke(lua_State* L, int nargs, int handler) { lua_pcall(L, nargs, 1, handler); }

}  // namespace detail
}  // namespace lua_tinker
