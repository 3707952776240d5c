// Pushing C++ values onto the Lua stack by their type: method results, arguments of engine
// calls into scripts (CallByName) and global objects all go through push().
//
//   integers, enums, floating point  a number
//   bool                             a boolean
//   const char*, std::string         a string (nil for a null pointer)
//   const wchar_t*, std::wstring     a string in UTF-8
//   HWND                             a userdata without metatable (nil for null)
//   RECT                             a new table {left, top, right, bottom}
//   T* (a bound class)               an object, through object_pusher<T> (nil for null)
#pragma once

#include <windows.h>

#include <cwchar>
#include <new>
#include <string>
#include <type_traits>

#include "User.h"
#include "lua.hpp"

namespace lua_tinker {

// Sets the metatable of the value on top of the stack to the global named className when
// that is a table; otherwise the value keeps none.
void set_class_metatable(lua_State* L, const char* className);

// A new holder for p, with the global named className as its metatable (looked up now).
template <typename T>
void push_as(lua_State* L, T* p, const char* className) {
  using U = std::remove_cv_t<T>;
  if (!p) {
    lua_pushnil(L);
    return;
  }
  void* ud = lua_newuserdata(L, sizeof(ptr2user<U>));
  new (ud) ptr2user<U>(const_cast<U*>(p));
  type_node& n = class_node<U>;
  if (!n.holder_vptr) register_holder(n, ud);
  set_class_metatable(L, className);
}

// An object of T's registered class.
template <typename T>
void push_object(lua_State* L, T* p) {
  push_as(L, p, class_node<std::remove_cv_t<T>>.name);
}

// How an object pointer of type T reaches a script. Specialise it for a type whose script
// class follows the object's run-time type (see ControlClass.h).
template <typename T>
struct object_pusher {
  static void push(lua_State* L, T* p) { push_object(L, p); }
};

void push_text(lua_State* L, const char* s);
void push_wide(lua_State* L, const wchar_t* s, std::size_t len);
void push_hwnd(lua_State* L, HWND wnd);
void push_rect(lua_State* L, const RECT& rc);

// The text scratch buffer: a result string is moved here before it is pushed, so that no
// string object is alive in the binding frame when Lua may raise an error.
std::string& text_scratch();
// Converts into the scratch buffer; throws only std::bad_alloc.
void set_scratch(std::string&& s);
void set_scratch(const std::string& s);
void set_scratch(const std::wstring& s);
void push_scratch(lua_State* L);

template <typename>
inline constexpr bool dependent_false = false;

template <typename T>
void push(lua_State* L, const T& v) {
  using U = std::decay_t<T>;
  if constexpr (std::is_same_v<U, bool>) {
    lua_pushboolean(L, v);
  } else if constexpr (std::is_same_v<U, const char*> || std::is_same_v<U, char*>) {
    push_text(L, v);
  } else if constexpr (std::is_same_v<U, std::string>) {
    lua_pushlstring(L, v.data(), v.size());
  } else if constexpr (std::is_same_v<U, const wchar_t*> || std::is_same_v<U, wchar_t*>) {
    push_wide(L, v, v ? std::wcslen(v) : 0);
  } else if constexpr (std::is_same_v<U, std::wstring>) {
    push_wide(L, v.c_str(), v.size());
  } else if constexpr (std::is_same_v<U, HWND>) {
    push_hwnd(L, v);
  } else if constexpr (std::is_same_v<U, RECT>) {
    push_rect(L, v);
  } else if constexpr (std::is_arithmetic_v<U> || std::is_enum_v<U>) {
    lua_pushnumber(L, static_cast<lua_Number>(v));
  } else if constexpr (std::is_pointer_v<U> && std::is_class_v<std::remove_pointer_t<U>>) {
    object_pusher<std::remove_cv_t<std::remove_pointer_t<U>>>::push(L, v);
  } else {
    static_assert(dependent_false<U>, "no script form for this type");
  }
}

}  // namespace lua_tinker
