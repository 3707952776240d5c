// The script bridge with a phone on "USB": kelp.dll, Debian's adb server and the device double
// in the sandbox namespace. Plugging in, app start or install, the control link over the
// forward, and dropped files landing on the phone. Events are read by a Lua listener.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>
#include <lua.hpp>

#include "AdbTestHost.h"
#include "DropHandle.h"
#include "NoShortNames.h"
#include "PhoneStandIn.h"
#include "TaskRecordStore.h"
#include "SandboxBridge.h"

using namespace adbtest;

namespace {

class DeviceBridge : public SandboxBridge {
 protected:
  void BeforeBridge() override {
    TaskRecordStore::Instance().Clear();
    // The phone app's package beside the program, for the install path.
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring apk(exe);
    apk = apk.substr(0, apk.rfind(L'\\') + 1) + L"Quillon.apk";
    if (GetFileAttributesW(apk.c_str()) == INVALID_FILE_ATTRIBUTES) WriteWholeFile(apk, PatternBytes(50000, 1));
  }

  void InitAndPlugIn() {
    bridge->CallOperation("Init", ScriptValue(), ScriptValue());
    ASSERT_TRUE(AttachDouble());
    // Notices of the phone's passing states (connecting, offline) come first.
    ASSERT_TRUE(PumpUntil("count('ConnectResult') > 0 and last('ConnectResult').a == 0", 30000))
        << "events: " << LuaText("#events");
  }
};

TEST_F(DeviceBridge, PluggingInLinksThePhoneOverUsb) {
  PhoneStandIn phone;
  InitAndPlugIn();
  EXPECT_TRUE(Lua("count('DeviceInsert') == 1"));
  std::string text = LuaText("find('DeviceInsert').a");
  EXPECT_TRUE(text == "Quillon_Double_7" || text == DoubleSerial()) << text;
  EXPECT_TRUE(Lua("find('DeviceInsert').b == 0"));
  EXPECT_EQ(LuaText("last('ConnectResult').b.DeviceID"), DoubleSerial());
  EXPECT_EQ(LuaText("last('ConnectResult').b.DeviceModel"), "Quillon Double 7\n");
  EXPECT_EQ(LuaText("last('ConnectResult').b.ConnectedByUSB"), "1");
  std::string serial = DoubleSerial();
  EXPECT_EQ(bridge->DeviceKey(), MakeDeviceKey(std::wstring(serial.begin(), serial.end())));
  EXPECT_TRUE(PumpUntil("count('Connected') == 1", 15000)) << "the phone's 0x0110 makes \"Connected\"";
  EXPECT_TRUE(phone.sawHandshake);
  std::string log = DoubleControl("log");
  EXPECT_NE(log.find("getprop ro.product.model"), std::string::npos);
  EXPECT_EQ(log.find("pm install"), std::string::npos) << "a startable app is not installed: " << log;
  std::string forwards;
  EXPECT_TRUE(HostRequest("host:list-forward", &forwards));
  EXPECT_NE(forwards.find("tcp:15568 tcp:15568"), std::string::npos) << forwards;

  // A passing non-zero state of the linked phone raises nothing.
  std::string before = LuaText("count('ConnectResult')");
  bridge->OnDeviceReady(DoubleSerial().c_str(), 2);
  Sleep(200);
  EXPECT_FALSE(PumpUntil("count('ConnectResult') ~= " + before, 500));
}

TEST_F(DeviceBridge, AppThatDoesNotStartIsInstalledThenStarted) {
  ASSERT_EQ(DoubleControl("set app_installed 0"), "ok");
  InitAndPlugIn();
  std::string log = DoubleControl("log");
  size_t firstStart = log.find("am start");
  size_t install = log.find("pm install -r '/data/local/tmp/Quillon.apk'");
  ASSERT_NE(install, std::string::npos) << log;
  EXPECT_LT(firstStart, install);
  EXPECT_NE(log.find("am start", install), std::string::npos) << "started again after the install";
  EXPECT_EQ(LuaText("last('ConnectResult').b.ConnectedByUSB"), "1");
}

TEST_F(DeviceBridge, FailedInstallMakesNoForwardButStillReports) {
  ASSERT_EQ(DoubleControl("set app_installed 0"), "ok");
  ASSERT_EQ(DoubleControl("set install_fails 1"), "ok");
  InitAndPlugIn();
  EXPECT_EQ(LuaText("last('ConnectResult').b.ConnectedByUSB"), "0");
  EXPECT_EQ(LuaText("last('ConnectResult').b.DeviceModel"), "Quillon Double 7\n");
  std::string forwards = "x";
  EXPECT_TRUE(HostRequest("host:list-forward", &forwards));
  EXPECT_EQ(forwards, "") << "no forward after a failed install";
  EXPECT_FALSE(bridge->UsbLinked());
}

TEST_F(DeviceBridge, UnauthorizedPhoneReportsItsStatus) {
  ASSERT_EQ(DoubleControl("set unauthorized 1"), "ok");
  bridge->CallOperation("Init", ScriptValue(), ScriptValue());
  AttachDouble();
  ASSERT_TRUE(PumpUntil("count('ConnectResult') > 0 and last('ConnectResult').a == 1", 30000));
  EXPECT_EQ(LuaText("last('ConnectResult').b.DeviceModel"), "");
  EXPECT_EQ(LuaText("last('ConnectResult').b.ConnectedByUSB"), "0");
}

TEST_F(DeviceBridge, DroppedFilesLandInTheirFoldersOnThePhone) {
  InitAndPlugIn();
  std::wstring dir = ScratchDir();
  std::string photo = PatternBytes(700000, 11), song = PatternBytes(120000, 12), plain = PatternBytes(3000, 13),
              odd = PatternBytes(10, 14), apk = PatternBytes(40000, 15);
  ASSERT_TRUE(WriteWholeFile(dir + L"\\Photo.JPG", photo));
  ASSERT_TRUE(WriteWholeFile(dir + L"\\song.wma", song));
  ASSERT_TRUE(WriteWholeFile(dir + L"\\README", plain));
  ASSERT_TRUE(WriteWholeFile(dir + L"\\data.xyz", odd));
  ASSERT_TRUE(WriteWholeFile(dir + L"\\Tool.apk", apk));
  CreateDirectoryW((dir + L"\\folder.jpg").c_str(), nullptr);
  HDROP drop = MakeDropHandle({dir + L"\\Photo.JPG", dir + L"\\folder.jpg", dir + L"\\song.wma", dir + L"\\README",
                               dir + L"\\data.xyz", dir + L"\\Tool.apk"});
  bridge->CallOperation("HandleDropFiles", DropScriptValue(drop), ScriptValue());
  EXPECT_TRUE(Lua("count('AddTask') == 5")) << "the folder is skipped; AddTask arrives at once on the UI thread";
  EXPECT_EQ(LuaText("find('AddTask').a.FileName"), "Photo.JPG");
  EXPECT_NE(LuaText("find('AddTask').a.FilePath").find("Photo.JPG"), std::string::npos);
  EXPECT_NE(LuaText("find('AddTask').a.FileSize"), "");
  EXPECT_EQ(LuaText("find('AddTask', 5).a.FileName"), "Tool.apk");
  ASSERT_TRUE(PumpUntil("count('PushFileFinish') == 4 and count('InstallAppFinish') == 1", 60000));
  for (int i = 1; i <= 4; ++i) EXPECT_EQ(LuaText("find('PushFileFinish', " + std::to_string(i) + ").b"), "3");
  EXPECT_EQ(LuaText("find('InstallAppFinish').b"), "3");
  EXPECT_GE(LuaText("count('PushProgress')"), "1");

  std::string stored;
  ASSERT_TRUE(ReadWholeFile(PhonePath("/sdcard/DCIM/Photo.JPG"), stored));
  EXPECT_TRUE(stored == photo);
  ASSERT_TRUE(ReadWholeFile(PhonePath("/sdcard/video/song.wma"), stored));
  EXPECT_TRUE(stored == song);
  ASSERT_TRUE(ReadWholeFile(PhonePath("/sdcard/fernavoy/README"), stored));
  EXPECT_TRUE(stored == plain);
  ASSERT_TRUE(ReadWholeFile(PhonePath("/sdcard/fernavoy/data.xyz"), stored));
  EXPECT_TRUE(stored == odd);
  EXPECT_FALSE(ReadWholeFile(PhonePath("/sdcard/fernavoy/Tool.apk"), stored)) << "an APK is installed, not pushed";
  std::string log = DoubleControl("log");
  EXPECT_NE(log.find("pm install -r '/data/local/tmp/Tool.apk'"), std::string::npos);
  EXPECT_NE(log.find("am broadcast -a android.intent.action.MEDIA_SCANNER_SCAN_FILE -d 'file:///sdcard/DCIM/Photo.JPG'"),
            std::string::npos)
      << log;

  // Five filed records (state 1) and a completed copy (state 3) of each.
  auto records = TaskRecordStore::Instance().All();
  ASSERT_EQ(records.size(), 10u);
  int filed = 0, done = 0;
  for (const TaskRecord& r : records) {
    if (r.state == 1) ++filed;
    if (r.state == 3) ++done;
    EXPECT_EQ(r.deviceKey, bridge->DeviceKey());
  }
  EXPECT_EQ(filed, 5);
  EXPECT_EQ(done, 5);

  // Records can be deleted; "GetTaskRecords" reports the phone's records.
  EXPECT_EQ(bridge->CallOperation("DeleteRecord", ScriptValue(records[0].id), ScriptValue()).AsInt(), 1);
  EXPECT_EQ(bridge->CallOperation("DeleteRecord", ScriptValue(9999), ScriptValue()).AsInt(), 1);
  EXPECT_EQ(TaskRecordStore::Instance().All().size(), 9u);
  bridge->CallOperation("GetTaskRecords", ScriptValue(), ScriptValue());
  EXPECT_TRUE(Lua("count('TaskRecords') == 1 and #find('TaskRecords').a == 9"));
  EXPECT_TRUE(Lua("(function() local done = 0 for _, r in ipairs(find('TaskRecords').a) do "
                  "if r.Id == " + std::to_string(records[0].id) + " or r.FileName == '' then return false end "
                  "if r.State == 3 then done = done + 1 end end return done == 5 end)()"));
}

// Names the ANSI code page cannot spell (an emoji and Chinese in the file, Cyrillic in its
// folder), on a volume without short names, are sent and installed under their own names;
// nothing goes to a look-alike name.
TEST_F(DeviceBridge, AnyFileNameIsSentWithoutShortNames) {
  NoShortNames noShortNames;
  InitAndPlugIn();
  std::wstring dir = ScratchDir() + L"\\\u041F\u0430\u043F\u043A\u0430";
  ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
  std::wstring name = dir + L"\\\U0001F600 \u6587\u4EF6.txt";
  std::wstring apk = dir + L"\\\u5E94\u7528.apk";
  wchar_t shortName[MAX_PATH] = L"";
  ASSERT_TRUE(WriteWholeFile(name, "smile"));
  ASSERT_TRUE(WriteWholeFile(apk, PatternBytes(20000, 3)));
  ASSERT_EQ(GetShortPathNameW(name.c_str(), shortName, MAX_PATH), name.size());
  EXPECT_EQ(shortName, name) << "no short name to fall back on";
  ASSERT_TRUE(WriteWholeFile(dir + L"\\_ __.txt", "a different file that a lossy path could name"));
  bridge->CallOperation("HandleDropFiles", DropScriptValue(MakeDropHandle({name, apk})), ScriptValue());
  ASSERT_TRUE(PumpUntil("count('PushFileFinish') == 1 and count('InstallAppFinish') == 1", 30000));
  EXPECT_EQ(LuaText("find('PushFileFinish').b"), "3");
  EXPECT_EQ(LuaText("find('InstallAppFinish').b"), "3");
  std::string stored;
  EXPECT_TRUE(ReadWholeFile(PhonePath("/sdcard/ebook/\xF0\x9F\x98\x80 \xE6\x96\x87\xE4\xBB\xB6.txt"), stored));
  EXPECT_EQ(stored, "smile");
  EXPECT_FALSE(ReadWholeFile(PhonePath("/sdcard/ebook/_ __.txt"), stored));
  EXPECT_NE(DoubleControl("log").find("pm install -r '/data/local/tmp/\\u5e94\\u7528.apk'"),
            std::string::npos);
}

TEST_F(DeviceBridge, UnpluggingMidPushFailsAndTheQueueGoesOn) {
  InitAndPlugIn();
  std::wstring dir = ScratchDir();
  ASSERT_TRUE(WriteWholeFile(dir + L"\\big.avi", PatternBytes(6 * 1024 * 1024, 21)));
  ASSERT_TRUE(WriteWholeFile(dir + L"\\next.txt", "next"));
  ASSERT_EQ(DoubleControl("set drop_after 2000000"), "ok");
  bridge->CallOperation("HandleDropFiles",
                        DropScriptValue(MakeDropHandle({dir + L"\\big.avi", dir + L"\\next.txt"})),
                        ScriptValue());
  ASSERT_TRUE(PumpUntil("count('PushFileFinish') == 2", 90000));
  EXPECT_EQ(LuaText("find('PushFileFinish', 1).b"), "4");
  std::string second = LuaText("find('PushFileFinish', 2).b");
  EXPECT_TRUE(second == "3" || second == "4") << second;
  // Percent reports stay within 0..100 and never go back within the failed push.
  EXPECT_TRUE(Lua("(function() local last = -1 for _, e in ipairs(events) do "
                  "if e.name == 'PushProgress' and e.a:find('big') then "
                  "if e.b < last or e.b > 100 then return false end last = e.b end end return true end)()"));
}

}  // namespace
