// A Lua state with the base library, for tests that drive the program's script objects.
#pragma once

#include <gtest/gtest.h>

#include <lua.hpp>

class LuaFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    L = luaL_newstate();
    luaL_openlibs(L);
  }
  void TearDown() override { lua_close(L); }

  // Runs a chunk; fails the test with Lua's message on an error.
  void Run(const char* code, int results = 0) {
    ASSERT_EQ(luaL_loadstring(L, code), 0) << lua_tostring(L, -1);
    ASSERT_EQ(lua_pcall(L, 0, results, 0), 0) << lua_tostring(L, -1);
  }

  lua_State* L = nullptr;
};
