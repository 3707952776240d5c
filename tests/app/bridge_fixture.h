// A script bridge started with "Init" and published in a Lua state as g_GuiAdbLogic.
#pragma once

#include "GuiAdbLogic.h"
#include "lua_fixture.h"

class BridgeFixture : public LuaFixture {
 protected:
  void SetUp() override {
    LuaFixture::SetUp();
    bridge = new CGuiAdbLogic();
    bridge->CallOperation("Init", ScriptValue(), ScriptValue());
    PushGuiAdbLogic(L, bridge);
    lua_setglobal(L, "g_GuiAdbLogic");
  }
  void TearDown() override {
    // A second "Uninit" (after the tray's exit, say) must be harmless.
    bridge->CallOperation("Uninit", ScriptValue(), ScriptValue());
    delete bridge;
    LuaFixture::TearDown();
  }

  CGuiAdbLogic* bridge = nullptr;
};
