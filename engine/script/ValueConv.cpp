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

bool to_bool(lua_State* L, int idx) {
  if (lua_isboolean(L, idx)) return lua_toboolean(L, idx) != 0;
  return lua_tonumber(L, idx) != 0;
}

}  // namespace lua_tinker
