// kelp.dll against Debian's adb server and the device double, inside the sandbox namespace:
// device notices, shell, push, install, activity start, forward, unplugging, concurrency.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>
#include <kelp.h>

#include <atomic>
#include <thread>
#include <vector>

#include "AdbTestHost.h"
#include "RecordingHandler.h"

using namespace adbtest;

namespace {

const char* kComponent = "com.tovrel.quillon/com.tovrel.quillon.MainActivity";

std::string Ansi(const std::wstring& w) {
  int n = WideCharToMultiByte(CP_THREAD_ACP, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string s(n, '\0');
  WideCharToMultiByte(CP_THREAD_ACP, 0, w.c_str(), -1, &s[0], n, nullptr, nullptr);
  s.resize(n - 1);
  return s;
}

class KelpAdb : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(InSandbox()) << "run through tests/peers/adb_sandbox.py";
    ASSERT_EQ(DoubleControl("ping"), "pong");
  }
  void TearDown() override { kelp.close(); }

  // Init, attach the double and wait until it is ready for commands.
  void StartReady() {
    ASSERT_TRUE(kelp.Init(&handler));
    ASSERT_TRUE(AttachDouble());
    ASSERT_TRUE(WaitFor([&] { return handler.Count(KelpNotice::kReady, 0) > 0; }, 15000));
  }

  RecordingHandler handler;
  CKelpCommand kelp;
};

TEST_F(KelpAdb, AttachReportsInsertThenReadyWithTheSerialAndModel) {
  StartReady();
  std::vector<KelpNotice> notices = handler.Notices();
  ASSERT_GE(notices.size(), 2u);
  EXPECT_EQ(notices[0].kind, KelpNotice::kInsert);
  EXPECT_EQ(Ansi(notices[0].serial), DoubleSerial());
  // The server's long list renders the model with "_" for every non-alphanumeric character;
  // a list taken while the phone was still connecting has no model yet: then the serial.
  EXPECT_TRUE(notices[0].text == "Quillon_Double_7" || notices[0].text == DoubleSerial()) << notices[0].text;
  const KelpNotice& ready = notices.back();
  EXPECT_EQ(ready.kind, KelpNotice::kReady);
  EXPECT_EQ(ready.text, DoubleSerial());
  EXPECT_EQ(ready.status, 0);
}

TEST_F(KelpAdb, ShellReturnsTheOutputAndNormalisesCrLf) {
  StartReady();
  std::string output;
  EXPECT_EQ(kelp.shell("getprop ro.product.model", output, 0, 0), 0);
  EXPECT_EQ(output, "Quillon Double 7\n");
  ASSERT_EQ(DoubleControl("set crlf 1"), "ok");  // an older phone with a PTY
  EXPECT_EQ(kelp.shell("echo one; echo two", output, 5000, 0), 0);
  EXPECT_EQ(output.find('\r'), std::string::npos) << output;
  EXPECT_EQ(kelp.shell("no-such-tool", output, 0, 0), 0);
  EXPECT_NE(output.find("not found"), std::string::npos);
}

TEST_F(KelpAdb, PushStoresTheFileByteForByteWithMonotonicProgress) {
  StartReady();
  std::wstring local = ScratchDir() + L"\\Photo.JPG";
  std::string data = PatternBytes(3 * 1024 * 1024 + 123, 7);
  ASSERT_TRUE(WriteWholeFile(local, data));
  std::string localAnsi = Ansi(local);
  EXPECT_EQ(kelp.push(localAnsi.c_str(), "/sdcard/DCIM/Photo.JPG"), 0);
  std::string stored;
  ASSERT_TRUE(ReadWholeFile(PhonePath("/sdcard/DCIM/Photo.JPG"), stored));
  EXPECT_TRUE(stored == data) << "stored " << stored.size() << " bytes";

  int last = -1, count = 0;
  for (const KelpNotice& n : handler.Notices()) {
    if (n.kind != KelpNotice::kProgress) continue;
    ++count;
    EXPECT_EQ(n.text, localAnsi);
    EXPECT_EQ(n.total, (int)data.size());
    EXPECT_GE(n.done, last);
    last = n.done;
  }
  EXPECT_GE(count, 2);
  EXPECT_LE(count, 101) << "one notice per percent at most";
  EXPECT_EQ(last, (int)data.size());
}

TEST_F(KelpAdb, PushOfAnEmptyFileAndOfAMissingFile) {
  StartReady();
  std::wstring dir = ScratchDir();
  ASSERT_TRUE(WriteWholeFile(dir + L"\\empty.txt", ""));
  EXPECT_EQ(kelp.push(Ansi(dir + L"\\empty.txt").c_str(), "/sdcard/ebook/empty.txt"), 0);
  std::string stored = "x";
  ASSERT_TRUE(ReadWholeFile(PhonePath("/sdcard/ebook/empty.txt"), stored));
  EXPECT_TRUE(stored.empty());
  // A file deleted between the drop and the push: clean failure, nothing on the phone.
  EXPECT_EQ(kelp.push(Ansi(dir + L"\\gone.mp3").c_str(), "/sdcard/music/gone.mp3"), -4);
  EXPECT_FALSE(ReadWholeFile(PhonePath("/sdcard/music/gone.mp3"), stored));
  // A folder is no file.
  EXPECT_EQ(kelp.push(Ansi(dir).c_str(), "/sdcard/fernavoy/dir"), -4);
}

TEST_F(KelpAdb, PushThatTheDeviceRefusesFails) {
  StartReady();
  std::wstring local = ScratchDir() + L"\\a.txt";
  ASSERT_TRUE(WriteWholeFile(local, "abc"));
  // The double stores nothing outside its storage folder: "couldn't create file".
  EXPECT_EQ(kelp.push(Ansi(local).c_str(), "/../outside.txt"), -6);
  std::string output;
  EXPECT_EQ(kelp.shell("echo still there", output, 0, 0), 0);
  EXPECT_EQ(output, "still there\n");
}

TEST_F(KelpAdb, UnpluggingMidPushFailsWithoutHanging) {
  StartReady();
  std::wstring local = ScratchDir() + L"\\movie.avi";
  ASSERT_TRUE(WriteWholeFile(local, PatternBytes(8 * 1024 * 1024, 3)));
  ASSERT_EQ(DoubleControl("set drop_after 1000000"), "ok");
  DWORD start = GetTickCount();
  int result = kelp.push(Ansi(local).c_str(), "/sdcard/video/movie.avi");
  EXPECT_NE(result, 0);
  EXPECT_LT(GetTickCount() - start, 60000u);
  std::string stored;
  EXPECT_FALSE(ReadWholeFile(PhonePath("/sdcard/video/movie.avi"), stored));
  // The server sees the device go offline; commands fail cleanly until it is back.
  EXPECT_TRUE(WaitFor([&] { return handler.Count(KelpNotice::kReady, 2) > 0 || handler.Count(KelpNotice::kRemove) > 0; },
                      20000));
  DetachDouble();
  EXPECT_TRUE(WaitFor([&] { return handler.Count(KelpNotice::kRemove) > 0; }, 15000));
  std::string output = "stale";
  EXPECT_EQ(kelp.shell("echo x", output, 0, 0), -1);
  EXPECT_TRUE(output.empty());
  EXPECT_EQ(kelp.push(Ansi(local).c_str(), "/sdcard/video/movie.avi"), -1);
}

TEST_F(KelpAdb, InstallPushesRunsThePackageManagerAndCleansUp) {
  ASSERT_EQ(DoubleControl("set app_installed 0"), "ok");
  StartReady();
  EXPECT_FALSE(kelp.startActivity(kComponent, nullptr)) << "not installed yet";
  std::wstring apk = ScratchDir() + L"\\Quillon.apk";
  ASSERT_TRUE(WriteWholeFile(apk, PatternBytes(200000, 9)));
  std::string output;
  EXPECT_EQ(kelp.install(Ansi(apk).c_str(), false, false, output), 0);
  EXPECT_EQ(output, "Success\n");
  EXPECT_TRUE(kelp.isSucceed(output));
  EXPECT_TRUE(kelp.startActivity(kComponent, nullptr));
  std::string stored;
  EXPECT_FALSE(ReadWholeFile(PhonePath("/data/local/tmp/Quillon.apk"), stored)) << "temporary copy removed";
  std::string log = DoubleControl("log");
  EXPECT_NE(log.find("pm install -r '/data/local/tmp/Quillon.apk'"), std::string::npos) << log;
  EXPECT_NE(log.find("rm -f '/data/local/tmp/Quillon.apk'"), std::string::npos) << log;
}

TEST_F(KelpAdb, FailedInstallReportsTheDevicesText) {
  ASSERT_EQ(DoubleControl("set app_installed 0"), "ok");
  ASSERT_EQ(DoubleControl("set install_fails 1"), "ok");
  StartReady();
  std::wstring apk = ScratchDir() + L"\\broken.apk";
  ASSERT_TRUE(WriteWholeFile(apk, "not a zip"));
  std::string output;
  EXPECT_NE(kelp.install(Ansi(apk).c_str(), true, false, output), 0);
  EXPECT_EQ(output.rfind("Failure [INSTALL_FAILED_INVALID_APK", 0), 0u) << output;
  EXPECT_FALSE(kelp.isSucceed(output));
  EXPECT_FALSE(kelp.startActivity(kComponent, nullptr));
  EXPECT_NE(kelp.install(Ansi(ScratchDir() + L"\\missing.apk").c_str(), true, false, output), 0);
}

TEST_F(KelpAdb, ForwardRelaysToTheDevicesPort) {
  StartReady();
  ASSERT_EQ(kelp.forward(27100, 7001), 0);  // the sandbox gives the double an echo on 7001
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  DWORD ms = 10000;
  setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&ms), sizeof(ms));
  sockaddr_in to = {};
  to.sin_family = AF_INET;
  to.sin_port = htons(27100);
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(connect(s, reinterpret_cast<sockaddr*>(&to), sizeof(to)), 0);
  ASSERT_EQ(send(s, "pcid", 4, 0), 4);
  char reply[4] = {};
  int got = 0;
  while (got < 4) {
    int n = recv(s, reply + got, 4 - got, 0);
    if (n <= 0) break;
    got += n;
  }
  closesocket(s);
  EXPECT_EQ(std::string(reply, got), "pcid");
  EXPECT_NE(kelp.forward(0, 7001), 0);
  EXPECT_NE(kelp.forward(27101, 70000), 0);
}

TEST_F(KelpAdb, UnauthorizedPhoneIsReportedAndNotUsed) {
  ASSERT_EQ(DoubleControl("set unauthorized 1"), "ok");
  ASSERT_TRUE(kelp.Init(&handler));
  AttachDouble();  // "failed to authenticate": the server still lists the phone
  ASSERT_TRUE(WaitFor([&] { return handler.Count(KelpNotice::kReady, 1) > 0; }, 15000));
  EXPECT_EQ(handler.Count(KelpNotice::kInsert), 1);
  EXPECT_EQ(handler.Count(KelpNotice::kReady, 0), 0);
  std::string output;
  EXPECT_EQ(kelp.shell("echo x", output, 0, 0), -1) << "no device was ever ready";
}

TEST_F(KelpAdb, CommandsFromInsideTheReadyNoticeAndAfterClose) {
  std::string model;
  int forwardResult = 1;
  handler.onReady = [&](const KelpNotice& n) {
    if (n.status != 0) return;
    kelp.shell("getprop ro.product.model", model, 0, 0);
    kelp.startActivity(kComponent, nullptr);
    forwardResult = kelp.forward(27200, 7001);
  };
  StartReady();
  EXPECT_EQ(model, "Quillon Double 7\n");
  EXPECT_EQ(forwardResult, 0);
  kelp.close();
  std::string output;
  EXPECT_EQ(kelp.shell("echo x", output, 0, 0), -1);
  EXPECT_FALSE(kelp.startActivity(kComponent, nullptr));
  kelp.close();
}

TEST_F(KelpAdb, CloseFromInsideACallbackAndInitAgain) {
  handler.onReady = [&](const KelpNotice& n) {
    if (n.status == 0) kelp.close();
  };
  StartReady();
  handler.onReady = nullptr;
  handler.Clear();
  ASSERT_TRUE(kelp.Init(&handler));
  // The new watch reports the phone again, and commands work.
  EXPECT_TRUE(WaitFor([&] { return handler.Count(KelpNotice::kReady, 0) > 0; }, 15000));
  EXPECT_EQ(handler.Count(KelpNotice::kInsert), 1);
  std::string output;
  EXPECT_EQ(kelp.shell("echo again", output, 0, 0), 0);
}

TEST_F(KelpAdb, ManyThreadsAtOnce) {
  StartReady();
  std::wstring dir = ScratchDir();
  std::atomic<int> failures(0);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 5; ++i) {
        std::string output;
        if (kelp.shell(("echo " + std::to_string(t * 10 + i)).c_str(), output, 0, 0) != 0 ||
            output != std::to_string(t * 10 + i) + "\n")
          ++failures;
        std::wstring local = dir + L"\\f" + std::to_wstring(t) + L"_" + std::to_wstring(i) + L".bin";
        std::string data = PatternBytes(100000 + t * 1000 + i, t * 10 + i);
        WriteWholeFile(local, data);
        std::string remote = "/sdcard/fernavoy/f" + std::to_string(t) + "_" + std::to_string(i) + ".bin";
        if (kelp.push(Ansi(local).c_str(), remote.c_str()) != 0) ++failures;
        std::string stored;
        if (!ReadWholeFile(PhonePath(remote), stored) || stored != data) ++failures;
      }
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_EQ(failures.load(), 0);
}

TEST_F(KelpAdb, NullArgumentsFailCleanly) {
  StartReady();
  std::string output = "stale";
  EXPECT_EQ(kelp.shell(nullptr, output, 0, 0), -1);
  EXPECT_TRUE(output.empty());
  EXPECT_NE(kelp.install((const char*)nullptr, false, false, output), 0);
  EXPECT_NE(kelp.install((const wchar_t*)nullptr, false, false, output), 0);
  EXPECT_NE(kelp.push((const char*)nullptr, "/sdcard/x"), 0);
  EXPECT_NE(kelp.push((const wchar_t*)nullptr, "/sdcard/x"), 0);
  EXPECT_NE(kelp.push("C:\\x", nullptr), 0);
  EXPECT_NE(kelp.push(L"C:\\x", nullptr), 0);
  EXPECT_FALSE(kelp.startActivity(nullptr, nullptr));
  EXPECT_FALSE(kelp.startActivity("", nullptr));
}

}  // namespace
