// The device bridge with no adb server to talk to: every command fails cleanly.
#include <windows.h>

#include <gtest/gtest.h>
#include <kelp.h>

namespace {

struct RecordingHandler : IKELPEventHandler {
  LONG calls = 0;
  void OnDeviceInsert(const wchar_t*, const char*) override { InterlockedIncrement(&calls); }
  void OnDeviceRemove(uint32_t) override { InterlockedIncrement(&calls); }
  void OnDeviceReady(const char* id, int) override {
    if (id && *id) InterlockedIncrement(&calls);  // a device: the no-server notice names none
  }
  void OnPushProgress(const char*, int, int) override { InterlockedIncrement(&calls); }
};

}  // namespace

TEST(KelpCommand, CommandsFailWithEmptyOutput) {
  RecordingHandler handler;
  CKelpCommand kelp;
  EXPECT_TRUE(kelp.Init(&handler));

  std::string output = "stale";
  EXPECT_NE(kelp.shell("getprop ro.product.model", output, 0, 0), 0);
  EXPECT_TRUE(output.empty());
  output = "stale";
  EXPECT_NE(kelp.install("C:\\app.apk", true, false, output), 0);
  EXPECT_TRUE(output.empty());
  EXPECT_NE(kelp.push("C:\\song.mp3", "/sdcard/music/song.mp3"), 0);
  EXPECT_FALSE(kelp.startActivity("com.example/.Main", nullptr));
  EXPECT_NE(kelp.forward(15568, 15568), 0);

  Sleep(100);  // room for a stray device notice from another thread
  EXPECT_EQ(handler.calls, 0) << "no device may be reported";
  kelp.close();
}

TEST(KelpCommand, NullArgumentsAndCallsAfterClose) {
  CKelpCommand kelp;
  std::string output;
  EXPECT_NE(kelp.shell(nullptr, output, 0, 0), 0);  // before Init
  EXPECT_TRUE(kelp.Init(nullptr));
  EXPECT_NE(kelp.install((const char*)nullptr, false, false, output), 0);
  EXPECT_NE(kelp.install((const wchar_t*)nullptr, false, false, output), 0);
  EXPECT_NE(kelp.push((const char*)nullptr, nullptr), 0);
  EXPECT_NE(kelp.push((const wchar_t*)nullptr, nullptr), 0);
  kelp.close();
  kelp.close();
  EXPECT_NE(kelp.forward(14127, 14127), 0);
}

TEST(KelpCommand, IsSucceedForALineStartingWithSuccess) {
  CKelpCommand kelp;
  EXPECT_TRUE(kelp.isSucceed("Success"));
  EXPECT_TRUE(kelp.isSucceed("Success\r\n"));
  EXPECT_FALSE(kelp.isSucceed("Failure [INSTALL_FAILED_ALREADY_EXISTS]"));
  // Older package managers print "\tpkg: <path>" first.
  EXPECT_TRUE(kelp.isSucceed("\tpkg: /data/local/tmp/app.apk\r\nSuccess\r\n"));
  EXPECT_FALSE(kelp.isSucceed("success"));
  EXPECT_FALSE(kelp.isSucceed(" Success"));
  EXPECT_FALSE(kelp.isSucceed("Succes"));
  EXPECT_FALSE(kelp.isSucceed(""));
}
