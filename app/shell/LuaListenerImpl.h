// LuaListenerImpl: the script listener of the bridge and the hand-over of events raised on
// worker threads to the UI thread (posted to T's hidden window as WM_DELIVER_EVENT).
#pragma once

#include <windows.h>

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ScopedWin.h"
#include "ScriptValue.h"

struct lua_State;

const UINT WM_DELIVER_EVENT = 0x2653;

struct PendingEvent {
  std::string name;
  ScriptValue a;
  ScriptValue b;
};

// Calls the listener (registry reference ref) as listener(name, a, b); restores the stack.
typedef int (*ListenerTrampoline)(lua_State* L, int ref, const char* name, const ScriptValue& a,
                                  const ScriptValue& b);
int CallLuaListener(lua_State* L, int ref, const char* name, const ScriptValue& a, const ScriptValue& b);

class LuaListenerBase {
 public:
  LuaListenerBase();
  virtual ~LuaListenerBase();
  LuaListenerBase(const LuaListenerBase&) = delete;
  LuaListenerBase& operator=(const LuaListenerBase&) = delete;

  // Script method: AttachListener(function). Only the first listener is kept.
  int AttachListener(lua_State* L);
  // Raises an event. From a worker thread (with posting allowed) it is queued and posted to the
  // hidden window, and 0 is returned; otherwise the listener runs now and its result is returned.
  int FireEvent(const char* name, const ScriptValue& a, const ScriptValue& b, bool allowPost = true);
  // WM_DELIVER_EVENT on the UI thread: delivers the pending event with this id, once.
  void DeliverEvent(int id);

  DWORD OwnerThreadId() const { return m_ownerThread; }
  // The attached listener's script state, or null before a listener is attached.
  lua_State* ListenerState() const { return m_listeners.empty() ? nullptr : m_listeners.front().L; }
  size_t PendingCount();

 protected:
  virtual HWND EventWindow() const = 0;

 private:
  struct Listener {
    ListenerTrampoline trampoline;
    lua_State* L;
    int ref;
  };
  std::vector<Listener> m_listeners;  // UI thread only
  std::atomic<int> m_eventCounter;
  std::map<int, std::unique_ptr<PendingEvent>> m_pending;  // guarded by m_lock
  DWORD m_ownerThread;
  win::CriticalSection m_lock;
};

// The bridge's listener part; T supplies the hidden window (m_hWnd).
template <class T>
class LuaListenerImpl : public LuaListenerBase {
 protected:
  HWND EventWindow() const override { return static_cast<const T*>(this)->m_hWnd; }
};
