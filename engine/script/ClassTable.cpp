// Class tables: member lookup along "__parent", member store, collection.
//
// Scripts can reach every field of a class table (the table is a global, and "__index"
// hands out "__gc" and "__parent" like any member), so the handlers trust nothing they are
// given: an argument that is not one of our live holders is left alone, and the parent
// walk has a bound, since a script can make "__parent" chains circular.
#include "ClassTable.h"

#include <cstring>

#include "User.h"
#include "lua.hpp"

namespace lua_tinker {

namespace {

constexpr int kMaxParentDepth = 64;

int raise_unknown_member(lua_State* L, int key) {
  const char* name = lua_isstring(L, key) ? lua_tostring(L, key) : lua_typename(L, lua_type(L, key));
  lua_pushfstring(L, "can't find '%s' class variable. (forgot registering class variable ?)", name);
  return lua_error(L);
}

}  // namespace

void push_class_table(lua_State* L, const char* name) {
  lua_createtable(L, 0, 8);
  lua_pushstring(L, name);
  lua_setfield(L, -2, "__name");
  lua_pushcfunction(L, meta_get);
  lua_setfield(L, -2, "__index");
  lua_pushcfunction(L, meta_set);
  lua_setfield(L, -2, "__newindex");
  lua_pushcfunction(L, meta_gc);
  lua_setfield(L, -2, "__gc");
}

int meta_get(lua_State* L) {
  // The VM calls this with exactly (object, key); a script calling it directly may not.
  if (lua_gettop(L) != 2) lua_settop(L, 2);
  if (lua_getmetatable(L, 1)) {
    for (int depth = 0; depth < kMaxParentDepth && lua_istable(L, -1); ++depth) {
      lua_pushvalue(L, 2);
      lua_rawget(L, -2);
      // A method, or a value a script stored. No member-variable accessors are bound, so a
      // userdata found here is a stored value too, never something to call into.
      if (!lua_isnil(L, -1)) return 1;
      lua_pop(L, 1);
      lua_pushliteral(L, "__parent");
      lua_rawget(L, -2);
      lua_remove(L, -2);
    }
  }
  return raise_unknown_member(L, 2);
}

int meta_set(lua_State* L) {
  lua_settop(L, 3);
  if (!lua_getmetatable(L, 1)) return 0;
  lua_pushvalue(L, 2);
  lua_rawget(L, 4);
  if (lua_isnil(L, -1)) {
    lua_pushvalue(L, 2);
    lua_pushvalue(L, 3);
    lua_rawset(L, 4);
  }
  return 0;
}

int meta_gc(lua_State* L) {
  const type_node* node = nullptr;
  if (user* u = to_holder(L, 1, &node)) {
    u->~user();
    // A script can call "__gc" itself; the zeroed word makes the holder unrecognisable, so
    // a second collection or a later method call finds no object here.
    std::memset(static_cast<void*>(u), 0, sizeof(void*));
  }
  return 0;
}

int raise_no_class(lua_State* L) {
  lua_pushliteral(L, "no class at first argument. (forgot ':' expression ?)");
  return lua_error(L);
}

}  // namespace lua_tinker
