// Calling a script's global function by name, as the engine does for start-up and events.
//
//   int handled = lua_tinker::call<int>(L, "OnClick", id, "left");
//
// The call is protected with the silent handler: a run-time error yields nil, which reads
// as 0 or false. A name that is not a function is reported through _ALERT. The stack is
// left as it was. Arguments are pushed like method results (Push.h): numbers, strings,
// objects of their class.
#pragma once

#include "Push.h"
#include "ValueConv.h"
#include "lua.hpp"

namespace lua_tinker {

namespace detail {

// Pushes the handler and the global `name`. True when that is a function; otherwise reports
// it and leaves the value in place as the call's result.
bool begin_call(lua_State* L, const char* name);
// Calls the function below its nargs arguments, protected by the handler at index handler.
void invoke(lua_State* L, int nargs, int handler);

template <typename R>
struct result {
  static R pop(lua_State* L);
};
template <>
struct result<void> {
  static void pop(lua_State* L) { lua_pop(L, 1); }
};
template <>
struct result<int> {
  static int pop(lua_State* L) {
    int v = to_int(L, -1);
    lua_pop(L, 1);
    return v;
  }
};
template <>
struct result<unsigned> {
  static unsigned pop(lua_State* L) {
    unsigned v = to_uint(L, -1);
    lua_pop(L, 1);
    return v;
  }
};
template <>
struct result<bool> {
  static bool pop(lua_State* L) {
    bool v = to_bool(L, -1);
    lua_pop(L, 1);
    return v;
  }
};

}  // namespace detail

template <typename R, typename... Args>
R call(lua_State* L, const char* name, Args... args) {
  int handler = lua_gettop(L) + 1;
  if (detail::begin_call(L, name)) {
    (push(L, args), ...);
    detail::invoke(L, (int)sizeof...(Args), handler);
  }
  lua_remove(L, handler);
  return detail::result<R>::pop(L);
}

}  // namespace lua_tinker
