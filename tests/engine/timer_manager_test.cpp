// g_TimerMgr driven through the engine's Lua state and the thread's own message queue.
#include <gtest/gtest.h>

#include <string>

#include <windows.h>

#include "DoBuffer.h"
#include "Engine.h"
#include "TimerManager.h"
#include "lua.hpp"

namespace {

class TimerManager : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(0, engine.Init());
    L = engine.LuaState();
  }
  void TearDown() override { EXPECT_EQ(0u, ZOV::CTimerManager::Instance().Count()); }
  void Run(const std::string& chunk) { lua_tinker::dobuffer(L, chunk.data(), chunk.size()); }
  int Global(const char* name) {
    lua_getglobal(L, name);
    int v = (int)lua_tointeger(L, -1);
    lua_pop(L, 1);
    return v;
  }
  // Dispatches the thread's messages until done() holds (or 20 s pass); false when the Lua
  // stack was ever found changed after a dispatch.
  template <typename Done>
  bool Pump(Done done) {
    int top = lua_gettop(L);
    DWORD start = GetTickCount();
    while (!done() && GetTickCount() - start < 20000) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageW(&msg);
        if (lua_gettop(L) != top) return false;
      }
    }
    return true;
  }
  bool PumpUntil(const char* global, int atLeast) {
    return Pump([&] { return Global(global) >= atLeast; });
  }
  int RegistrySize() { return (int)lua_objlen(L, LUA_REGISTRYINDEX); }

  ZOV::CEngine engine;
  lua_State* L = nullptr;
};

}  // namespace

// Guards against a failed protected call leaving its error message behind: the timer fires
// inside whatever loop runs, and every leaked value would pile up in that loop's frame.
TEST_F(TimerManager, FailingCallbacksLeaveTheStackAsItWasOverThousandsOfTicks) {
  Run("ticks = 0; ids = {}\n"
      "for i = 1, 40 do ids[i] = g_TimerMgr:SetTimer(function() ticks = ticks + 1; local x = nil; return x.y end, 0) end\n"
      "notfunc = g_TimerMgr:SetTimer(42, 0)");
  EXPECT_TRUE(PumpUntil("ticks", 3000));
  EXPECT_GE(Global("ticks"), 3000);
  Run("for i = 1, 40 do g_TimerMgr:KillTimer(ids[i]) end\n"
      "g_TimerMgr:KillTimer(notfunc)");
}

// Every way a timer ends gives its function's registry reference back.
TEST_F(TimerManager, EndedTimersReleaseTheirFunctions) {
  Run("done = 0\n"
      "function round()\n"
      "  g_TimerMgr:SetTimeout(function() done = done + 1; round() end, 0)\n"  // fired
      "  g_TimerMgr:SetTimer(function(id) g_TimerMgr:KillTimer(id) end, 0)\n"  // stops itself
      "  g_TimerMgr:KillTimer(g_TimerMgr:SetTimer(function() end, 5000))\n"   // killed unfired
      "end\n"
      "round()");
  ASSERT_TRUE(PumpUntil("done", 3));
  int size = RegistrySize();
  ASSERT_TRUE(PumpUntil("done", 40));
  Run("round = function() end");
  ASSERT_TRUE(PumpUntil("done", 41));
  EXPECT_LE(RegistrySize(), size + 2);  // slots are reused, not added per round
  // The last round's repeating timer stops itself on its first tick.
  Pump([] { return ZOV::CTimerManager::Instance().Count() == 0; });
}
