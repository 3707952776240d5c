// Event delivery from any thread to the script listener on the UI thread.
#include "LuaListenerImpl.h"

#include <lua.hpp>

int CallLuaListener(lua_State* L, int ref, const char* name, const ScriptValue& a, const ScriptValue& b) {
  int top = lua_gettop(L);
  if (!lua_checkstack(L, 8)) return 0;
  lua_rawgeti(L, LUA_REGISTRYINDEX, ref);
  lua_pushstring(L, name);
  a.PushToLua(L);
  b.PushToLua(L);
  int result = 0;
  // Errors in the listener are swallowed; the stack goes back to where it was either way.
  if (lua_pcall(L, 3, 1, 0) == 0 && !lua_isnil(L, -1)) result = (int)lua_tointeger(L, -1);
  lua_settop(L, top);
  return result;
}

LuaListenerBase::LuaListenerBase() : m_eventCounter(0), m_ownerThread(::GetCurrentThreadId()) {}

LuaListenerBase::~LuaListenerBase() {}

int LuaListenerBase::AttachListener(lua_State* L) {
  if (lua_type(L, 2) != LUA_TFUNCTION) return 0;
  lua_pushvalue(L, 2);
  int ref = luaL_ref(L, LUA_REGISTRYINDEX);
  // A second listener is ignored; its reference stays taken.
  if (m_listeners.empty()) m_listeners.push_back({CallLuaListener, L, ref});
  return 0;
}

int LuaListenerBase::FireEvent(const char* name, const ScriptValue& a, const ScriptValue& b, bool allowPost) {
  if (allowPost && ::GetCurrentThreadId() != m_ownerThread) {
    std::unique_ptr<PendingEvent> event(new PendingEvent{name ? name : "", a, b});
    int id = ++m_eventCounter;
    {
      win::ScopedLock hold(m_lock);
      m_pending[id] = std::move(event);
    }
    // Without the hidden window (before "Init" or after it is gone) nothing would ever deliver
    // the event: take it back rather than keep it for the life of the bridge.
    if (!::PostMessageW(EventWindow(), WM_DELIVER_EVENT, (WPARAM)id, 0)) {
      win::ScopedLock hold(m_lock);
      m_pending.erase(id);
    }
    return 0;
  }
  if (m_listeners.empty()) return 0;
  const Listener& l = m_listeners.front();
  return l.trampoline(l.L, l.ref, name ? name : "", a, b);
}

void LuaListenerBase::DeliverEvent(int id) {
  std::unique_ptr<PendingEvent> event;
  {
    win::ScopedLock hold(m_lock);
    auto it = m_pending.find(id);
    if (it == m_pending.end()) return;
    event = std::move(it->second);
    m_pending.erase(it);
  }
  FireEvent(event->name.c_str(), event->a, event->b, true);
}

size_t LuaListenerBase::PendingCount() {
  win::ScopedLock hold(m_lock);
  return m_pending.size();
}
