// Reading a bound function's arguments by parameter type. Every reader leaves the stack as
// it was and raises no Lua error itself: an object argument that is not an object of the
// expected class sets `bad`, and the caller raises the error once nothing needs destroying.
//
//   signed integers   the number truncated toward zero (clamped to the type's range)
//   unsigned          the number truncated toward zero into 32 bits, or into 64 bits for a
//                     64-bit type (WPARAM, UINT_PTR on 64-bit Windows)
//   bool              a boolean as it is, else true when its number value is not 0
//   const char*       the string's bytes; "" for a value that is not a string or number
//   T* (bound class)  the object, when it is an object of T or of a class derived from T
//   HWND              the handle of a window-handle userdata, else null
//   RECT              the last argument's fields "left", "top", "right", "bottom" (0 if absent)
//   lua_State*        the state itself (takes no argument position)
//   floating point    the number
#pragma once

#include <windows.h>

#include <array>
#include <limits>
#include <type_traits>

#include "User.h"
#include "ValueConv.h"
#include "lua.hpp"

namespace lua_tinker {

const char* read_text(lua_State* L, int idx);
HWND read_hwnd(lua_State* L, int idx);
RECT read_rect(lua_State* L);

template <typename>
inline constexpr bool unreadable = false;

// The type an argument is kept in between reading and the call.
template <typename A>
using arg_storage_t = std::decay_t<A>;

template <typename S>
S read_arg(lua_State* L, int idx, bool& bad) {
  if constexpr (std::is_same_v<S, bool>) {
    return to_bool(L, idx);
  } else if constexpr (std::is_integral_v<S> && std::is_signed_v<S> && (sizeof(S) > sizeof(int))) {
    return static_cast<S>(to_int64(L, idx));
  } else if constexpr (std::is_integral_v<S> && std::is_signed_v<S>) {
    int v = to_int(L, idx);
    if (v < std::numeric_limits<S>::min()) return std::numeric_limits<S>::min();
    if (v > std::numeric_limits<S>::max()) return std::numeric_limits<S>::max();
    return static_cast<S>(v);
  } else if constexpr (std::is_integral_v<S> && (sizeof(S) > sizeof(unsigned))) {
    return static_cast<S>(to_uint64(L, idx));
  } else if constexpr (std::is_integral_v<S>) {
    return static_cast<S>(to_uint(L, idx));
  } else if constexpr (std::is_floating_point_v<S>) {
    return static_cast<S>(lua_tonumber(L, idx));
  } else if constexpr (std::is_same_v<S, const char*>) {
    return read_text(L, idx);
  } else if constexpr (std::is_same_v<S, lua_State*>) {
    return L;
  } else if constexpr (std::is_same_v<S, HWND>) {
    return read_hwnd(L, idx);
  } else if constexpr (std::is_same_v<S, RECT>) {
    return read_rect(L);
  } else if constexpr (std::is_pointer_v<S> && std::is_class_v<std::remove_pointer_t<S>>) {
    S p = to_object<std::remove_pointer_t<S>>(L, idx);
    if (!p) bad = true;
    return p;
  } else {
    static_assert(unreadable<S>, "no script form for this parameter type");
  }
}

// The stack position of each parameter, the first at `first`; the state takes none.
template <typename... A>
constexpr std::array<int, sizeof...(A)> arg_slots(int first) {
  std::array<int, sizeof...(A)> out{};
  std::size_t i = 0;
  int slot = first;
  ((out[i++] = slot, slot += std::is_same_v<arg_storage_t<A>, lua_State*> ? 0 : 1), ...);
  (void)i;
  (void)slot;
  return out;
}

}  // namespace lua_tinker
