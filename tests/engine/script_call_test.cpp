// The binding helpers the engine uses to start skins: call by name, dobuffer, _ALERT.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CallByName.h"
#include "DoBuffer.h"
#include "Engine.h"
#include "ErrorReport.h"
#include "lua.hpp"

namespace {

std::vector<std::string> g_alerts;

int CollectAlert(lua_State* L) {
  const char* s = lua_tostring(L, 1);
  g_alerts.push_back(s ? s : "<not a string>");
  return 0;
}

class ScriptCall : public ::testing::Test {
 protected:
  void SetUp() override {
    g_alerts.clear();
    ASSERT_EQ(0, engine.Init());
    L = engine.LuaState();
    lua_register(L, "_ALERT", CollectAlert);
  }
  void Run(const std::string& chunk) { lua_tinker::dobuffer(L, chunk.data(), chunk.size()); }

  ZOV::CEngine engine;
  lua_State* L = nullptr;
};

}  // namespace

TEST_F(ScriptCall, CallByNameConvertsResults) {
  Run("function seven() return 7.9 end\n"
      "function minus() return -7.9 end\n"
      "function huge() return 1e300 end\n"
      "function echo(a) return a end\n"
      "function fails() error('boom') end\n"
      "function add(a, b, c) return a + b + (c and 1 or 0) end\n");
  int top = lua_gettop(L);
  EXPECT_EQ(7, lua_tinker::call<int>(L, "seven"));
  EXPECT_EQ(-7, lua_tinker::call<int>(L, "minus"));
  EXPECT_EQ(INT_MAX, lua_tinker::call<int>(L, "huge"));
  EXPECT_EQ(0, lua_tinker::call<int>(L, "fails"));  // run-time error: swallowed, reads as 0
  EXPECT_EQ(6, lua_tinker::call<int>(L, "add", 2, 3.5, true));
  EXPECT_FALSE(lua_tinker::call<bool>(L, "echo", 0));
  EXPECT_FALSE(lua_tinker::call<bool>(L, "echo"));  // nil
  EXPECT_FALSE(lua_tinker::call<bool>(L, "echo", "abc"));
  EXPECT_TRUE(lua_tinker::call<bool>(L, "echo", 2));
  EXPECT_TRUE(lua_tinker::call<bool>(L, "echo", true));
  EXPECT_EQ(4294967295u, lua_tinker::call<unsigned>(L, "echo", -1));
  EXPECT_EQ(top, lua_gettop(L));
  EXPECT_TRUE(g_alerts.empty());
}

TEST_F(ScriptCall, MissingFunctionIsReported) {
  Run("notAFunction = 5");
  int top = lua_gettop(L);
  EXPECT_EQ(0, lua_tinker::call<int>(L, "undefined"));
  EXPECT_EQ(5, lua_tinker::call<int>(L, "notAFunction"));  // the looked-up value is the result
  EXPECT_EQ(top, lua_gettop(L));
  ASSERT_EQ(2u, g_alerts.size());
  EXPECT_EQ("call() attempt to call global `undefined' (not a function)", g_alerts[0]);
  EXPECT_EQ("call() attempt to call global `notAFunction' (not a function)", g_alerts[1]);
}

TEST_F(ScriptCall, DoBufferReportsOnlyCompileErrors) {
  int top = lua_gettop(L);
  Run("x = = 1");
  Run("error('at run time')");
  Run("ran = 1; return 1, 2, 3");
  EXPECT_EQ(top, lua_gettop(L));
  ASSERT_EQ(1u, g_alerts.size());
  EXPECT_EQ("[string \"dobuffer()\"]:1: unexpected symbol near '='", g_alerts[0]);
  lua_getglobal(L, "ran");
  EXPECT_EQ(1, lua_tointeger(L, -1));
  lua_pop(L, 1);
}

TEST_F(ScriptCall, AlertTextIsCutAt4095Bytes) {
  std::string longText(10000, 'x');
  lua_tinker::print_error(L, "%s", longText.c_str());
  ASSERT_EQ(1u, g_alerts.size());
  EXPECT_EQ(std::string(4095, 'x'), g_alerts[0]);
}

TEST_F(ScriptCall, FailingOrMissingAlertIsHarmless) {
  int top = lua_gettop(L);
  Run("function _ALERT(text) error('alert broke: ' .. text) end");
  lua_tinker::print_error(L, "%s", "first");
  lua_tinker::call<void>(L, "undefined");
  Run("_ALERT = nil");
  lua_tinker::print_error(L, "%s", "dropped");
  Run("_ALERT = 'not a function'");
  lua_tinker::print_error(L, "%s", "dropped");
  EXPECT_EQ(top, lua_gettop(L));
}

TEST_F(ScriptCall, NoStandardLibraries) {
  Run("seen = (print == nil and string == nil and io == nil and os == nil and type == nil"
      " and require == nil and loadstring == nil and dofile == nil) and 1 or 0");
  lua_getglobal(L, "seen");
  EXPECT_EQ(1, lua_tointeger(L, -1));
  lua_pop(L, 1);
  for (const char* name : {"MsgBox", "Log", "Assert"}) {
    lua_getglobal(L, name);
    EXPECT_TRUE(lua_iscfunction(L, -1)) << name;
    lua_pop(L, 1);
  }
}

TEST_F(ScriptCall, InitTwiceKeepsTheState) {
  EXPECT_EQ(0, engine.Init());
  EXPECT_EQ(L, engine.LuaState());
}

TEST(EngineLoadSkin, WithoutInitNothingRuns) {
  ZOV::CEngine engine;
  EXPECT_EQ(1, engine.LoadSkin(nullptr));
  EXPECT_EQ(1, engine.LoadSkin(L""));
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  EXPECT_EQ(0, engine.LoadSkin(temp));  // exists; no state, so nothing can run
}
