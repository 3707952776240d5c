// CTimerManager: thread timers without a window, calling back into Lua.
#include "TimerManager.h"

#include "lauxlib_ex.h"
#include "lua.hpp"

namespace ZOV {

CTimerManager& CTimerManager::Instance() {
  static CTimerManager manager;
  return manager;
}

CTimerManager::~CTimerManager() {
  // The Lua state may already be closed at unload: stop the timers, leave the references.
  for (const auto& t : m_timers) ::KillTimer(nullptr, t.first);
  m_timers.clear();
}

UINT_PTR CTimerManager::SetTimer(lua_State* L) { return Start(L, false); }
UINT_PTR CTimerManager::SetTimeout(lua_State* L) { return Start(L, true); }

UINT_PTR CTimerManager::Start(lua_State* L, bool once) {
  UINT interval = (UINT)lua_tointeger(L, 3);  // 0 goes to the system unchanged
  int ref = luaL_ref_ex(L, LUA_REGISTRYINDEX, 2);
  UINT_PTR id = ::SetTimer(nullptr, 0, interval, TimerProc);
  if (!id) {
    luaL_unref(L, LUA_REGISTRYINDEX, ref);
    return 0;
  }
  // A thread timer id may be given again once its timer is gone: a stale record goes.
  auto old = m_timers.find(id);
  if (old != m_timers.end()) {
    luaL_unref(old->second.L, LUA_REGISTRYINDEX, old->second.ref);
    m_timers.erase(old);
  }
  m_timers[id] = Timer{L, ref, once};
  return id;
}

int CTimerManager::KillTimer(UINT_PTR id) {
  int stopped = ::KillTimer(nullptr, id) ? 1 : 0;
  auto it = m_timers.find(id);
  if (it != m_timers.end()) {
    luaL_unref(it->second.L, LUA_REGISTRYINDEX, it->second.ref);
    m_timers.erase(it);
  }
  return stopped;
}

void CALLBACK CTimerManager::TimerProc(HWND, UINT, UINT_PTR id, DWORD) { Instance().Fire(id); }

void CTimerManager::Fire(UINT_PTR id) {
  auto it = m_timers.find(id);
  if (it == m_timers.end()) return;
  Timer t = it->second;
  int top = lua_gettop(t.L);
  lua_rawgeti(t.L, LUA_REGISTRYINDEX, t.ref);
  if (t.once) {
    ::KillTimer(nullptr, id);
    m_timers.erase(it);
    luaL_unref(t.L, LUA_REGISTRYINDEX, t.ref);  // the function stays on the stack for the call
    lua_pcall(t.L, 0, 0, 0);
  } else if (lua_isfunction(t.L, -1)) {
    lua_pushnumber(t.L, (lua_Number)id);
    lua_pcall(t.L, 1, 0, 0);  // errors are discarded; the timer fires again
  }
  lua_settop(t.L, top);
}

}  // namespace ZOV
