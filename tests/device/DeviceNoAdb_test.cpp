// The script bridge on a PC where no adb server runs (a sandbox without one): the scripts are
// told that no server can be had, and once the platform tools' adb.exe (a stand-in built by
// the tests, tests/peers/fake_adb.cpp) is on PATH, the bridge starts its server and the
// phone plugged in links over USB.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "AdbTestHost.h"
#include "SandboxBridge.h"

using namespace adbtest;

namespace {

std::wstring ProgramDir() {
  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring dir(exe);
  return dir.substr(0, dir.rfind(L'\\'));
}

class DeviceNoAdb : public SandboxBridge {
 protected:
  void BeforeBridge() override {
    // Nothing of a developer's PC: no SDK, and only the system's folders on PATH.
    std::wstring empty = ScratchDir();
    SetEnvironmentVariableW(L"PATH", L"C:\\windows\\system32;C:\\windows");
    SetEnvironmentVariableW(L"LOCALAPPDATA", empty.c_str());
    SetEnvironmentVariableW(L"ANDROID_HOME", nullptr);
    SetEnvironmentVariableW(L"ANDROID_SDK_ROOT", nullptr);
  }
};

}  // namespace

TEST_F(DeviceNoAdb, NoServerIsToldThenAnAdbOnPathIsStartedAndThePhoneLinks) {
  ASSERT_FALSE(HostRequest("host:version")) << "this sandbox has no adb server";
  bridge->CallOperation("Init", ScriptValue(), ScriptValue());
  ASSERT_TRUE(PumpUntil("count('ConnectResult') == 1 and last('ConnectResult').a == 6", 20000))
      << "events: " << LuaText("#events");
  EXPECT_EQ(LuaText("last('ConnectResult').b.DeviceID"), "");
  EXPECT_EQ(LuaText("last('ConnectResult').b.ConnectedByUSB"), "0");
  EXPECT_FALSE(PumpUntil("count('ConnectResult') > 1", 2500)) << "told once, not every retry";

  std::wstring tools = ScratchDir() + L"\\platform tools";
  ASSERT_TRUE(CreateDirectoryW(tools.c_str(), nullptr));
  std::wstring adb = tools + L"\\adb.exe";
  ASSERT_TRUE(CopyFileW((ProgramDir() + L"\\fake-adb\\adb.exe").c_str(), adb.c_str(), FALSE));
  SetEnvironmentVariableW(L"PATH", (L"C:\\windows\\system32;" + tools).c_str());
  ASSERT_TRUE(WaitFor([] { return HostRequest("host:version"); }, 60000))
      << "the server was not started: " << std::string(tools.begin(), tools.end());
  std::string calls;
  ASSERT_TRUE(ReadWholeFile(tools + L"\\calls.txt", calls));
  std::string expected = "\"" + std::string(adb.begin(), adb.end()) + "\" -P 5037 start-server\n";
  EXPECT_EQ(calls, expected) << "started once, by full path";

  ASSERT_TRUE(AttachDouble());
  EXPECT_TRUE(PumpUntil("last('ConnectResult').a == 0 and last('ConnectResult').b.DeviceID ~= ''", 30000))
      << "events: " << LuaText("#events");
}
