// The script bridge: instance accessor and script methods.
#include "GuiAdbLogic.h"

#include <lua.hpp>
#include <new>

CGuiAdbLogic* CGuiAdbLogic::Instance() {
  // Function-local static: created once, on the first (UI) thread, before any worker exists.
  static CGuiAdbLogic* s_instance = new (std::nothrow) CGuiAdbLogic();
  return s_instance;
}

CGuiAdbLogic::CGuiAdbLogic() {}

CGuiAdbLogic::~CGuiAdbLogic() {}

int CGuiAdbLogic::AttachListener(lua_State* L) {
  if (!lua_isfunction(L, 2)) return 0;
  lua_pushvalue(L, 2);
  int ref = luaL_ref(L, LUA_REGISTRYINDEX);
  // Only the first listener receives events; a later one keeps its reference unused.
  if (m_listeners.empty()) m_listeners.push_back({L, ref});
  return 0;
}

int CGuiAdbLogic::Call(lua_State* L) {
  // No operations yet: every name yields nil.
  lua_pushnil(L);
  return 1;
}
