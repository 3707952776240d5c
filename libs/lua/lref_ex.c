/* luaL_ref_ex: luaL_ref for a value that stays where it is on the stack. */
#define LUA_LIB
#include "lua.h"
#include "lauxlib.h"
#include "lauxlib_ex.h"

/* Relative indices are made absolute before the push moves them. */
static int abs_index(lua_State *L, int i) {
  return (i > 0 || i <= LUA_REGISTRYINDEX) ? i : lua_gettop(L) + i + 1;
}

LUA_API int luaL_ref_ex(lua_State *L, int t, int idx) {
  t = abs_index(L, t);
  idx = abs_index(L, idx);
  lua_pushvalue(L, idx);
  return luaL_ref(L, t);
}
