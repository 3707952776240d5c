// The script bridge inside the adb sandbox, published in a Lua state whose listener logs every
// event (EventLog.h). Tests prepare the sandbox's side in BeforeBridge.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "AdbTestHost.h"
#include "EventLog.h"
#include "GuiAdbLogic.h"
#include "app/lua_fixture.h"

class SandboxBridge : public LuaFixture {
 protected:
  void SetUp() override {
    ASSERT_TRUE(adbtest::InSandbox()) << "run through tests/peers/adb_sandbox.py";
    LuaFixture::SetUp();
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    BeforeBridge();
    bridge = new CGuiAdbLogic();
    PushGuiAdbLogic(L, bridge);
    lua_setglobal(L, "g_GuiAdbLogic");
    Run(kEventLogScript);
  }
  void TearDown() override {
    if (bridge) {
      bridge->CallOperation("Uninit", ScriptValue(), ScriptValue());
      delete bridge;
    }
    LuaFixture::TearDown();
    WSACleanup();
  }
  // Runs before the bridge is made (files beside the program, the capture's settings).
  virtual void BeforeBridge() {}

  bool Lua(const std::string& condition) {
    Run(("return " + condition).c_str(), 1);
    bool ok = lua_toboolean(L, -1);
    lua_pop(L, 1);
    return ok;
  }
  bool PumpUntil(const std::string& condition, DWORD ms) {
    return adbtest::WaitFor([&] { return Lua(condition); }, ms);
  }
  std::string LuaText(const std::string& expression) {
    Run(("return tostring(" + expression + ")").c_str(), 1);
    std::string text = lua_tostring(L, -1) ? lua_tostring(L, -1) : "";
    lua_pop(L, 1);
    return text;
  }

  CGuiAdbLogic* bridge = nullptr;
};
