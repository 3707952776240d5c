// Script value conversions.
#include "ValueConv.h"

#include <climits>
#include <cmath>

#include "lua.hpp"

namespace lua_tinker {

int to_int(lua_State* L, int idx) {
  double v = std::trunc(lua_tonumber(L, idx));
  if (std::isnan(v)) return 0;
  if (v >= (double)INT_MAX) return INT_MAX;
  if (v <= (double)INT_MIN) return INT_MIN;
  return (int)v;
}

unsigned to_uint(lua_State* L, int idx) {
  double v = std::trunc(lua_tonumber(L, idx));
  if (std::isnan(v) || std::isinf(v)) return 0;
  return (unsigned)(long long)std::fmod(v, 4294967296.0);
}

long long to_int64(lua_State* L, int idx) {
  double v = std::trunc(lua_tonumber(L, idx));
  if (std::isnan(v)) return 0;
  if (v >= 9223372036854775807.0) return LLONG_MAX;
  if (v <= -9223372036854775808.0) return LLONG_MIN;
  return (long long)v;
}

unsigned long long to_uint64(lua_State* L, int idx) {
  double v = std::trunc(lua_tonumber(L, idx));
  if (std::isnan(v) || std::isinf(v)) return 0;
  v = std::fmod(v, 18446744073709551616.0);  // 2^64
  if (v < 0) v += 18446744073709551616.0;
  // Values at or above 2^63 do not fit the signed cast: take them down first.
  return v >= 9223372036854775808.0 ? (unsigned long long)(v - 9223372036854775808.0) + (1ULL << 63)
                                    : (unsigned long long)v;
}

bool to_bool(lua_State* L, int idx) {
  if (lua_isboolean(L, idx)) return lua_toboolean(L, idx) != 0;
  return lua_tonumber(L, idx) != 0;
}

}  // namespace lua_tinker
