// The native functions behind bound methods and functions. Each is a closure whose one
// upvalue is a full userdata holding the bound function: a function pointer, or a whole
// member-function pointer (g++ makes those two words, the address and the this-adjustment,
// for every class; calling through it applies the adjustment).
//
// A call: check the object (argument 1, methods only), read the arguments, raise the error
// for a bad object if any (nothing with a destructor is alive at that point), call, push the
// result. A C++ exception from the bound function ends the call with no results, since it
// must not unwind through Lua's C frames.
#pragma once

#include <cstddef>
#include <tuple>
#include <type_traits>
#include <utility>

#include "ClassTable.h"
#include "Push.h"
#include "ReadArg.h"
#include "lua.hpp"

namespace lua_tinker {

template <typename F>
struct fn_traits;
template <typename R, typename... A>
struct fn_traits<R (*)(A...)> {
  using result = R;
  using args = std::tuple<A...>;
};
template <typename R, typename... A>
struct fn_traits<R (*)(A...) noexcept> : fn_traits<R (*)(A...)> {};
template <typename R, typename C, typename... A>
struct fn_traits<R (C::*)(A...)> : fn_traits<R (*)(A...)> {
  using owner = C;
};
template <typename R, typename C, typename... A>
struct fn_traits<R (C::*)(A...) const> : fn_traits<R (C::*)(A...)> {};
template <typename R, typename C, typename... A>
struct fn_traits<R (C::*)(A...) noexcept> : fn_traits<R (C::*)(A...)> {};
template <typename R, typename C, typename... A>
struct fn_traits<R (C::*)(A...) const noexcept> : fn_traits<R (C::*)(A...)> {};

namespace detail {

template <typename R>
inline constexpr bool is_owned_text =
    std::is_same_v<std::decay_t<R>, std::string> || std::is_same_v<std::decay_t<R>, std::wstring>;

// Runs the call and pushes its result; returns the number of results.
template <typename R, typename Call>
int finish(lua_State* L, Call&& call) {
  if constexpr (std::is_void_v<R>) {
    try {
      call();
    } catch (...) {
    }
    return 0;
  } else if constexpr (is_owned_text<R>) {
    bool ok = true;
    try {
      set_scratch(call());
    } catch (...) {
      ok = false;
    }
    if (!ok) return 0;
    push_scratch(L);
    return 1;
  } else {
    std::decay_t<R> r{};
    bool ok = true;
    try {
      r = call();
    } catch (...) {
      ok = false;
    }
    if (!ok) return 0;
    push(L, r);
    return 1;
  }
}

template <typename F>
const F& upvalue_fn(lua_State* L) {
  return *static_cast<const F*>(lua_touserdata(L, lua_upvalueindex(1)));
}

template <typename T, typename F, typename R, typename... A, std::size_t... I>
int call_method(lua_State* L, std::tuple<A...>*, std::index_sequence<I...>) {
  T* self = to_object<T>(L, 1);
  if (!self) return raise_no_class(L);
  [[maybe_unused]] constexpr std::array<int, sizeof...(A)> slots = arg_slots<A...>(2);
  bool bad = false;
  std::tuple<arg_storage_t<A>...> args{read_arg<arg_storage_t<A>>(L, slots[I], bad)...};
  if (bad) return raise_no_class(L);
  const F& fn = upvalue_fn<F>(L);
  return finish<R>(L, [&]() -> R { return (self->*fn)(std::get<I>(args)...); });
}

template <typename F, typename R, typename... A, std::size_t... I>
int call_function(lua_State* L, std::tuple<A...>*, std::index_sequence<I...>) {
  [[maybe_unused]] constexpr std::array<int, sizeof...(A)> slots = arg_slots<A...>(1);
  bool bad = false;
  std::tuple<arg_storage_t<A>...> args{read_arg<arg_storage_t<A>>(L, slots[I], bad)...};
  if (bad) return raise_no_class(L);
  F fn = upvalue_fn<F>(L);
  return finish<R>(L, [&]() -> R { return fn(std::get<I>(args)...); });
}

}  // namespace detail

// Method of class T (F may be a member of a base of T): argument 1 must be an object of T.
template <typename T, typename F>
int method_thunk(lua_State* L) {
  using args = typename fn_traits<F>::args;
  return detail::call_method<T, F, typename fn_traits<F>::result>(
      L, static_cast<args*>(nullptr), std::make_index_sequence<std::tuple_size_v<args>>());
}

template <typename F>
int function_thunk(lua_State* L) {
  using args = typename fn_traits<F>::args;
  return detail::call_function<F, typename fn_traits<F>::result>(
      L, static_cast<args*>(nullptr), std::make_index_sequence<std::tuple_size_v<args>>());
}

// Pushes a closure of thunk over a new userdata holding fn.
template <typename F>
void push_bound(lua_State* L, F fn, lua_CFunction thunk) {
  void* slot = lua_newuserdata(L, sizeof(F));
  new (slot) F(fn);
  lua_pushcclosure(L, thunk, 1);
}

}  // namespace lua_tinker
