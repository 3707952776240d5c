// zov.dll's exports, reached the way a host reaches them, and the DLL's unload.
#include <gtest/gtest.h>

#include "ScopedWin.h"
#include "TempDir.h"
#include "lua.hpp"

namespace {

int g_alerts = 0;
int CountAlert(lua_State*) {
  ++g_alerts;
  return 0;
}

}  // namespace

TEST(ZovDll, RunsASkinAndUnloadsCleanly) {
  TempDir dir;
  dir.Write(L"main.lua", "function main() ran = (ran or 0) + 1 end");
  for (int round = 0; round < 2; ++round) {  // a second load starts from a fresh state
    win::AutoModule dll(::LoadLibraryW(L"zov.dll"));
    ASSERT_TRUE(dll);
    auto init = win::ProcAddress<int (*)()>(dll.get(), "InitZOV");
    auto state = win::ProcAddress<lua_State* (*)()>(dll.get(), "GetLuaState");
    auto load = win::ProcAddress<int (*)(const wchar_t*)>(dll.get(), "LoadSkin");
    auto uninit = win::ProcAddress<void (*)()>(dll.get(), "UnInitZOV");
    ASSERT_TRUE(init && state && load && uninit);

    EXPECT_EQ(nullptr, state());
    EXPECT_EQ(0, load(dir.path().c_str()));  // before InitZOV: nothing runs, nothing breaks
    init();
    lua_State* L = state();
    ASSERT_NE(nullptr, L);
    g_alerts = 0;
    lua_register(L, "_ALERT", CountAlert);

    EXPECT_EQ(1, load((dir / L"missing").c_str()));
    EXPECT_EQ(1, load(nullptr));
    EXPECT_EQ(0, load(dir.path().c_str()));
    lua_getglobal(L, "ran");
    EXPECT_EQ(1, lua_tointeger(L, -1));
    lua_pop(L, 1);
    EXPECT_EQ(0, g_alerts);
    uninit();
    uninit();  // harmless twice
    // FreeLibrary closes the Lua state; the exe must still be fine afterwards.
  }
}
