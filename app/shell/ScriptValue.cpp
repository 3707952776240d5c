// ScriptValue operations and its conversions from and to Lua values.
#include "ScriptValue.h"

#include <lua.hpp>

#include <algorithm>

ScriptValue ScriptValue::Number(double value) {
  ScriptValue v;
  v.m_kind = kNumber;
  v.m_number = value;
  return v;
}

uintptr_t ScriptValue::AsHandle() const {
  if (m_kind == kInteger) return static_cast<uintptr_t>(static_cast<intptr_t>(m_int));
  if (m_kind != kNumber) return 0;
  // 2^64 and 2^32 exactly: the number must be a whole value of the pointer's width.
  const double limit = sizeof(uintptr_t) == 8 ? 18446744073709551616.0 : 4294967296.0;
  if (!(m_number >= 0 && m_number < limit) || m_number != static_cast<double>(static_cast<uint64_t>(m_number)))
    return 0;
  return static_cast<uintptr_t>(m_number);
}

bool ScriptValue::IsEmpty() const {
  switch (m_kind) {
    case kArray: return m_array.empty();
    case kTable: return m_table.empty();
    case kMixed: return m_array.empty() && m_table.empty();
    default: return false;
  }
}

ScriptValue& ScriptValue::operator[](const std::string& key) {
  if (m_kind == kNil) m_kind = kTable;
  return m_table[key];
}

// What one conversion may visit: tables on the path being read (a table met again inside
// itself is read as nil) and a budget of values, so that shared sub-tables cannot make the
// work grow exponentially.
struct ScriptValue::Walk {
  std::vector<const void*> path;
  int budget = kMaxValues;
};

ScriptValue ScriptValue::FromLua(lua_State* L, int idx) {
  if (idx < 0 && idx > LUA_REGISTRYINDEX) idx = lua_gettop(L) + idx + 1;
  Walk walk;
  return FromLuaAt(L, idx, walk);
}

ScriptValue ScriptValue::FromLuaAt(lua_State* L, int idx, Walk& walk) {
  if (--walk.budget < 0) return ScriptValue();
  switch (lua_type(L, idx)) {
    case LUA_TNUMBER: {
      lua_Number n = lua_tonumber(L, idx);
      // Integral values that fit 32 bits are integers; everything else stays a number.
      if (n >= -2147483648.0 && n <= 2147483647.0 && n == (lua_Number)(int)n) return ScriptValue((int)n);
      return Number(n);
    }
    case LUA_TSTRING: {
      size_t len = 0;
      const char* s = lua_tolstring(L, idx, &len);
      return ScriptValue(std::string(s, len));
    }
    case LUA_TTABLE: {
      const void* table = lua_topointer(L, idx);
      if ((int)walk.path.size() >= kMaxDepth || !lua_checkstack(L, 3) ||
          std::find(walk.path.begin(), walk.path.end(), table) != walk.path.end())
        return ScriptValue();
      walk.path.push_back(table);
      ScriptValue v;
      v.m_kind = kMixed;
      lua_pushnil(L);
      while (lua_next(L, idx)) {
        // key at -2, value at -1; the value's own index is absolute for the nested read.
        ScriptValue item = FromLuaAt(L, lua_gettop(L), walk);
        if (lua_type(L, -2) == LUA_TSTRING) {
          size_t len = 0;
          const char* k = lua_tolstring(L, -2, &len);  // a string key: no conversion in place
          v.m_table[std::string(k, len)] = std::move(item);
        } else {
          v.m_array.push_back(std::move(item));
        }
        lua_pop(L, 1);
      }
      walk.path.pop_back();
      return v;
    }
    default:
      return ScriptValue();
  }
}

void ScriptValue::PushToLua(lua_State* L) const {
  if (!lua_checkstack(L, 3)) return;  // cannot happen below Lua's stack limit in practice
  switch (m_kind) {
    case kInteger: lua_pushinteger(L, m_int); return;
    case kNumber: lua_pushnumber(L, m_number); return;
    case kString: lua_pushlstring(L, m_string.data(), m_string.size()); return;
    case kArray:
    case kTable:
    case kMixed: {
      lua_newtable(L);
      if (m_kind != kTable) {
        for (size_t i = 0; i < m_array.size(); ++i) {
          m_array[i].PushToLua(L);
          lua_rawseti(L, -2, (int)i + 1);
        }
      }
      if (m_kind != kArray) {
        for (const auto& member : m_table) {
          member.second.PushToLua(L);
          lua_setfield(L, -2, member.first.c_str());
        }
      }
      return;
    }
    default: lua_pushnil(L); return;
  }
}
