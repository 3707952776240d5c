// The non-template argument readers.
#include "ReadArg.h"

namespace lua_tinker {

const char* read_text(lua_State* L, int idx) {
  // A bound function never sees a null text: a missing or non-text argument reads as "".
  const char* s = lua_isstring(L, idx) ? lua_tostring(L, idx) : nullptr;
  return s ? s : "";
}

HWND read_hwnd(lua_State* L, int idx) { return to_object<HWND__>(L, idx); }

RECT read_rect(lua_State* L) {
  RECT rc = {0, 0, 0, 0};
  int t = lua_gettop(L);
  if (t == 0 || !lua_istable(L, t)) return rc;
  // Raw reads: a table with a metatable cannot run script code here.
  const char* keys[] = {"left", "top", "right", "bottom"};
  LONG* fields[] = {&rc.left, &rc.top, &rc.right, &rc.bottom};
  for (int i = 0; i < 4; ++i) {
    lua_pushstring(L, keys[i]);
    lua_rawget(L, t);
    *fields[i] = to_int(L, -1);
    lua_pop(L, 1);
  }
  return rc;
}

}  // namespace lua_tinker
