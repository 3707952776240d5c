// CTimerManager (g_TimerMgr): repeating and one-shot thread timers that call Lua functions.
// UI thread only; the timers fire while any message loop of that thread dispatches.
#pragma once

#include <windows.h>

#include <map>

struct lua_State;

namespace ZOV {

class CTimerManager {
 public:
  static CTimerManager& Instance();
  ~CTimerManager();  // stops every remaining timer

  // Script methods: (function, interval ms) read from arguments 2 and 3; the timer id, 0 when
  // the system gave none. Ids keep the system's full width (UINT_PTR).
  UINT_PTR SetTimer(lua_State* L);
  UINT_PTR SetTimeout(lua_State* L);
  // Non-zero when a timer was stopped. The timer's function is released either way.
  int KillTimer(UINT_PTR id);

  size_t Count() const { return m_timers.size(); }

 private:
  struct Timer {
    lua_State* L;
    int ref;  // the function, in L's registry
    bool once;
  };
  CTimerManager() = default;
  UINT_PTR Start(lua_State* L, bool once);
  void Fire(UINT_PTR id);
  static void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD);

  std::map<UINT_PTR, Timer> m_timers;
};

}  // namespace ZOV
