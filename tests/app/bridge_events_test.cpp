// Events raised on worker threads reach the script listener on the UI thread, exactly once,
// and no event leaves the Lua stack changed.
#include <gtest/gtest.h>
#include <windows.h>

#include <lua.hpp>
#include <thread>
#include <vector>

#include "GuiAdbLogic.h"
#include "QuillonVersion.h"
#include "bridge_fixture.h"

namespace {

class BridgeEvents : public BridgeFixture {
 protected:

  // Pumps the UI thread's messages until Lua's `done()` is true or the time is up.
  bool PumpUntil(const char* condition, DWORD ms) {
    DWORD start = GetTickCount();
    for (;;) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      Run((std::string("return ") + condition).c_str(), 1);
      bool ok = lua_toboolean(L, -1);
      lua_pop(L, 1);
      if (ok) return true;
      if (GetTickCount() - start > ms) return false;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
  }

};

TEST_F(BridgeEvents, WorkerEventsArriveOnTheUiThreadExactlyOnce) {
  Run(R"(
    seen, count, dup = {}, 0, 0
    g_GuiAdbLogic:AttachListener(function(name, a, b)
      local key = a.worker * 100000 + b
      if seen[key] then dup = dup + 1 end
      seen[key] = true
      count = count + 1
      if b % 7 == 0 then error("listener fails now and then") end
      return b
    end))");
  const int kWorkers = 4, kEach = 500;
  DWORD uiThread = GetCurrentThreadId();
  std::vector<std::thread> workers;
  for (int w = 0; w < kWorkers; ++w) {
    workers.emplace_back([this, w, uiThread] {
      ASSERT_NE(GetCurrentThreadId(), uiThread);
      for (int i = 0; i < kEach; ++i) {
        ScriptValue a;
        a["worker"] = ScriptValue(w);
        EXPECT_EQ(bridge->FireEvent("Tick", a, ScriptValue(i)), 0);  // queued, not run here
      }
    });
  }
  for (auto& t : workers) t.join();
  int top = lua_gettop(L);
  ASSERT_TRUE(PumpUntil("count == 2000", 20000));
  EXPECT_EQ(lua_gettop(L), top);
  Run("assert(dup == 0, 'duplicates: ' .. dup)");
  EXPECT_EQ(bridge->PendingCount(), 0u);
}

TEST_F(BridgeEvents, OnlyTheFirstListenerReceivesEvents) {
  Run(R"(
    first, second = 0, 0
    g_GuiAdbLogic:AttachListener(function() first = first + 1 end)
    g_GuiAdbLogic:AttachListener(function() second = second + 1 end)
    g_GuiAdbLogic:AttachListener(42))");
  EXPECT_EQ(bridge->FireEvent("Hello", ScriptValue(), ScriptValue()), 0);
  Run("assert(first == 1 and second == 0)");
}

// The device library may post a notice of its own at any time (no adb server on this PC):
// only "Early" is looked for.
TEST_F(BridgeEvents, EventBeforeAnyListenerIsDroppedOnTheUiThread) {
  std::thread([this] { bridge->FireEvent("Early", ScriptValue(1), ScriptValue(2)); }).join();
  ASSERT_GE(bridge->PendingCount(), 1u);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  Run("got = 0; g_GuiAdbLogic:AttachListener(function(name) if name == 'Early' then got = got + 1 end end)");
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  Run("assert(got == 0)");
}

TEST_F(BridgeEvents, ListenerResultsAndStackHeightOnTheUiThread) {
  Run(R"(
    g_GuiAdbLogic:AttachListener(function(name, a, b)
      if name == 'num' then return a + b end
      if name == 'err' then error('boom') end
      if name == 'table' then return {1} end
      if name == 'text' then return 'not a number' end
    end))");
  lua_pushstring(L, "something the caller keeps");
  int top = lua_gettop(L);
  for (int i = 0; i < 5000; ++i) {
    EXPECT_EQ(bridge->FireEvent("num", ScriptValue(i), ScriptValue(1)), i + 1);
    EXPECT_EQ(bridge->FireEvent("err", ScriptValue(), ScriptValue()), 0);
    EXPECT_EQ(bridge->FireEvent("table", ScriptValue(), ScriptValue()), 0);
    EXPECT_EQ(bridge->FireEvent("text", ScriptValue(), ScriptValue()), 0);
    EXPECT_EQ(bridge->FireEvent("none", ScriptValue(), ScriptValue()), 0);
    if (lua_gettop(L) != top) break;
  }
  EXPECT_EQ(lua_gettop(L), top);
  EXPECT_STREQ(lua_tostring(L, -1), "something the caller keeps");
}

TEST_F(BridgeEvents, CallRunsOperationsAndUnknownNamesGiveNil) {
  lua_pushstring(L, QUILLON_VERSION_TEXT);
  lua_setglobal(L, "QUILLON_VERSION");
  Run(R"(
    assert(g_GuiAdbLogic:Call("NoSuchOperation", 1, 2) == nil)
    assert(g_GuiAdbLogic:Call("DeleteRecord", 5) == 1)
    assert(g_GuiAdbLogic:Call({}, 1) == nil)
    assert(g_GuiAdbLogic:Call("TrimText", "  QTest Phone 9\r\n") == "QTest Phone 9")
    assert(g_GuiAdbLogic:Call("TrimText", "two\r\nlines\n") == "two lines")
    assert(g_GuiAdbLogic:Call("TrimText", 5) == nil)
    assert(g_GuiAdbLogic:Call("GetVersion") == QUILLON_VERSION)
    assert(g_GuiAdbLogic:Call("GetUILanguage") > 0)
    assert(g_GuiAdbLogic:Call("SendMsg", {1, 2, x = {y = 3}}) == nil)
    local ok, err = pcall(function() return g_GuiAdbLogic.Call({}, "Init") end)
    assert(not ok))");
}

}  // namespace
