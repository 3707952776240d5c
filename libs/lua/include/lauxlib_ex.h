/* Additions to the Lua 5.1 auxiliary library that the engine relies on. */
#ifndef lauxlib_ex_h
#define lauxlib_ex_h

#include "lua.h"

/* Stores a copy of the value at stack index idx in table t (usually LUA_REGISTRYINDEX)
** and returns its reference, as luaL_ref does; the stack is left unchanged.
** A nil value gives LUA_REFNIL, like luaL_ref. */
LUA_API int (luaL_ref_ex)(lua_State *L, int t, int idx);

#endif
