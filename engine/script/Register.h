// Registering engine classes, methods, functions and objects with a Lua state.
//
//   lua_tinker::class_add<CUIStatic>(L, "LuaStatic");
//   lua_tinker::class_inh<CUIStatic, CUIControl>(L);
//   lua_tinker::class_def<CUIStatic>(L, "SetText", &CUIStatic::SetText);
//   lua_tinker::def(L, "Log", Log);
//   lua_tinker::set(L, "g_UIMgr", &builder);
//
// All of them work on the global table. Register a parent class before its children:
// class_inh looks both classes up by name.
#pragma once

#include <type_traits>

#include "ClassTable.h"
#include "Push.h"
#include "Thunk.h"
#include "TypeNode.h"
#include "lua.hpp"

namespace lua_tinker {

namespace detail {

bool add_class(lua_State* L, type_node& node, const char* name);
void set_parent(lua_State* L, const type_node& node, const type_node& parent);
// Pushes the class table of node when its global is a table; returns false (nothing pushed)
// otherwise.
bool push_class_of(lua_State* L, const type_node& node);

}  // namespace detail

// Fills T's name record and makes the global class table `name`, replacing any earlier global
// of that name. A name that does not fit the record (255 bytes and a zero) or is empty
// registers nothing and returns false.
template <typename T>
bool class_add(lua_State* L, const char* name) {
  return detail::add_class(L, class_node<T>, name);
}

// Makes P the parent of T: in the script ("__parent" of T's class table, when that global
// is a table) and for the object checks (an object of T may stand where a P is expected).
template <typename T, typename P>
void class_inh(lua_State* L) {
  static_assert(std::is_base_of_v<P, T> && !std::is_same_v<P, T>, "P must be a base of T");
  type_node& node = class_node<T>;
  node.to_parent = [](void* p) -> void* { return static_cast<P*>(static_cast<T*>(p)); };
  node.parent = &class_node<P>;
  detail::set_parent(L, node, class_node<P>);
}

// Stores method `name` in T's class table, when T's global is a table. fn is a member
// function of T or of a base of T.
template <typename T, typename F>
void class_def(lua_State* L, const char* name, F fn) {
  static_assert(std::is_member_function_pointer_v<F>, "class_def binds member functions");
  static_assert(std::is_base_of_v<typename fn_traits<F>::owner, T>, "not a method of T");
  if (!detail::push_class_of(L, class_node<T>)) return;
  lua_pushstring(L, name);
  push_bound(L, fn, method_thunk<T, F>);
  lua_rawset(L, -3);
  lua_pop(L, 1);
}

// A plain global function. A lua_CFunction is registered as it is; any other function gets
// its arguments converted from argument 1 on.
template <typename F>
void def(lua_State* L, const char* name, F fn) {
  if constexpr (std::is_convertible_v<F, lua_CFunction>) {
    lua_pushcfunction(L, fn);
  } else {
    push_bound(L, fn, function_thunk<F>);
  }
  lua_setglobal(L, name);
}

// The global `name` becomes an object of p's class, or nil for a null pointer.
template <typename T>
void set(lua_State* L, const char* name, T* p) {
  push(L, p);
  lua_setglobal(L, name);
}

}  // namespace lua_tinker
