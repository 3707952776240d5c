// The non-template halves of class registration.
#include "Register.h"

#include <cstring>

namespace lua_tinker {
namespace detail {

bool add_class(lua_State* L, type_node& node, const char* name) {
  if (!name || !*name || std::strlen(name) >= kClassNameSize) return false;
  std::memcpy(node.name, name, std::strlen(name) + 1);
  push_class_table(L, name);
  lua_setglobal(L, name);
  return true;
}

bool push_class_of(lua_State* L, const type_node& node) {
  if (!node.name[0]) return false;
  lua_getglobal(L, node.name);
  if (lua_istable(L, -1)) return true;
  lua_pop(L, 1);
  return false;
}

void set_parent(lua_State* L, const type_node& node, const type_node& parent) {
  if (!push_class_of(L, node)) return;
  lua_pushliteral(L, "__parent");
  if (parent.name[0])
    lua_getglobal(L, parent.name);
  else
    lua_pushnil(L);
  lua_rawset(L, -3);
  lua_pop(L, 1);
}

}  // namespace detail
}  // namespace lua_tinker
