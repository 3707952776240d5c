// g_TimerMgr driven through the engine's Lua state and the thread's own message queue.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

#include "DoBuffer.h"
#include "Engine.h"
#include "TimerManager.h"
#include "lua.hpp"

// Guards against a failed protected call leaving its error message behind (the timer fires
// inside whatever loop runs, and leaked values would pile up in that loop's frame), and against
// registry references kept by timers that ended: fired, stopped by themselves, or killed.
TEST(TimerManager, ThousandsOfTicksLeaveTheStackAndTheRegistryAsTheyWere) {
  ZOV::CEngine engine;
  ASSERT_EQ(0, engine.Init());
  lua_State* L = engine.LuaState();
  const char* chunk =
      "ticks, rounds = 0, 0; ids = {}\n"
      "for i = 1, 40 do ids[i] = g_TimerMgr:SetTimer(function() ticks = ticks + 1; local x = nil; return x.y "
      "end, 0) end\n"
      "function round()\n"
      "  rounds = rounds + 1\n"
      "  if rounds == 5 then size = registry_size() end\n"
      "  if rounds == 60 then for i = 1, 40 do g_TimerMgr:KillTimer(ids[i]) end return end\n"
      "  g_TimerMgr:SetTimeout(round, 0)\n"
      "  g_TimerMgr:SetTimer(function(id) g_TimerMgr:KillTimer(id) end, 0)\n"
      "  g_TimerMgr:KillTimer(g_TimerMgr:SetTimer(function() end, 5000))\n"
      "end\n"
      "round()";
  lua_pushcfunction(L, [](lua_State* S) {
    lua_pushnumber(S, (lua_Number)lua_objlen(S, LUA_REGISTRYINDEX));
    return 1;
  });
  lua_setglobal(L, "registry_size");
  lua_tinker::dobuffer(L, chunk, strlen(chunk));

  int top = lua_gettop(L);
  DWORD start = GetTickCount();
  while (ZOV::CTimerManager::Instance().Count() && GetTickCount() - start < 20000) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      DispatchMessageW(&msg);
      ASSERT_EQ(top, lua_gettop(L));
    }
  }
  EXPECT_EQ(0u, ZOV::CTimerManager::Instance().Count());
  lua_getglobal(L, "ticks");
  EXPECT_GE(lua_tointeger(L, -1), 1000);
  lua_getglobal(L, "size");
  lua_Integer size = lua_tointeger(L, -1);
  lua_pop(L, 2);
  EXPECT_GT(size, 0);
  EXPECT_LE((lua_Integer)lua_objlen(L, LUA_REGISTRYINDEX), size + 2);  // slots reused, none added per round
}
