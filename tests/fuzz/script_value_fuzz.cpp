// Script value conversions: the bytes are a small program that builds a Lua value (numbers,
// strings, nested and self-referencing tables); FromLua must read it within its bounds, and
// what it read must come back unchanged through PushToLua and FromLua.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <lua.hpp>

#include "ScriptValue.h"

namespace {

bool Same(const ScriptValue& a, const ScriptValue& b) {
  if (a.GetKind() != b.GetKind()) return false;
  switch (a.GetKind()) {
    case ScriptValue::kInteger: return a.AsInt() == b.AsInt();
    case ScriptValue::kNumber:
      return a.AsNumber() == b.AsNumber() || (a.AsNumber() != a.AsNumber() && b.AsNumber() != b.AsNumber());
    case ScriptValue::kString: return strcmp(a.AsString(), b.AsString()) == 0;
    default: return true;  // tables: their order of traversal is Lua's
  }
}

// Builds one value at the top of the stack from the bytes; at most 64 stack slots in use.
void Build(lua_State* L, const uint8_t* data, size_t size) {
  if (!lua_checkstack(L, 70)) return;
  lua_newtable(L);
  int root = lua_gettop(L);
  for (size_t i = 0; i < size && lua_gettop(L) < root + 64; ++i) {
    uint8_t op = data[i] >> 5, arg = data[i] & 31;
    switch (op) {
      case 0: lua_pushinteger(L, (lua_Integer)arg * 0x7654321 - 0x10000000); break;
      case 1: {
        double d = 0;
        size_t n = size - i - 1 < sizeof(d) ? size - i - 1 : sizeof(d);
        memcpy(&d, data + i + 1, n);
        i += n;
        lua_pushnumber(L, d);
        break;
      }
      case 2: {
        size_t n = size - i - 1 < arg ? size - i - 1 : arg;
        lua_pushlstring(L, reinterpret_cast<const char*>(data + i + 1), n);
        i += n;
        break;
      }
      case 3: lua_newtable(L); break;
      case 4:  // t[k] = v for the three slots on top, when t is a table and k a valid key
        if (lua_gettop(L) >= root + 3 && lua_istable(L, -3) && !lua_isnil(L, -2) &&
            lua_tonumber(L, -2) == lua_tonumber(L, -2))  // NaN is no key
          lua_rawset(L, -3);
        else if (lua_gettop(L) > root) lua_pop(L, 1);
        break;
      case 5:  // t[#t + 1] = v
        if (lua_gettop(L) >= root + 2 && lua_istable(L, -2)) lua_rawseti(L, -2, (int)lua_objlen(L, -2) + 1);
        else if (lua_gettop(L) > root) lua_pop(L, 1);
        break;
      case 6: lua_pushvalue(L, root + arg % (lua_gettop(L) - root + 1)); break;  // shares or cycles
      default: lua_pushboolean(L, arg & 1); break;
    }
  }
  // Everything left is folded into the root, which is the value read.
  while (lua_gettop(L) > root) lua_rawseti(L, root, (int)lua_objlen(L, root) + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  lua_State* L = luaL_newstate();
  if (!L) return 0;
  Build(L, data, size);
  int top = lua_gettop(L);
  ScriptValue v = ScriptValue::FromLua(L, -1);
  if (lua_gettop(L) != top) abort();  // the stack is left as it was found
  v.AsHandle();
  v.PushToLua(L);
  ScriptValue again = ScriptValue::FromLua(L, -1);
  // Nil elements and members vanish on the way back; nothing may appear.
  if (!Same(v, again) || again.Elements().size() + again.Members().size() > v.Elements().size() + v.Members().size())
    abort();
  lua_close(L);
  return 0;
}
