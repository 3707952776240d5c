// How the engine reads script values as C++ integers and booleans.
#pragma once

struct lua_State;

namespace lua_tinker {

// The number at idx truncated toward zero; non-numbers give 0, values beyond the int range
// are clamped (a plain cast would be undefined there).
int to_int(lua_State* L, int idx);
// The number at idx truncated toward zero into 32 unsigned bits (wrapping, like the C cast
// of an in-range value); non-numbers give 0.
unsigned to_uint(lua_State* L, int idx);
// The same for pointer-sized values (WPARAM, LPARAM, handles) on 64-bit Windows: clamped into
// 64 signed bits, or wrapped into 64 unsigned bits. A script number holds every value below
// 2^53 exactly, so handles and pointers survive a round trip through a script.
long long to_int64(lua_State* L, int idx);
unsigned long long to_uint64(lua_State* L, int idx);
// A boolean as it is; anything else is true when its number value is not 0, so nil and
// non-numeric strings are false.
bool to_bool(lua_State* L, int idx);

}  // namespace lua_tinker
