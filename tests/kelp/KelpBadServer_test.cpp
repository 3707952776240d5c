// kelp.dll against no adb server and against a server that misbehaves: garbage, FAIL replies
// with odd texts, replies cut off mid-way. Runs in the sandbox without the real server, so
// this test can take 127.0.0.1:5037 itself. Nothing may crash or hang; calls fail cleanly.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>
#include <kelp.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "AdbTestHost.h"
#include "RecordingHandler.h"

using namespace adbtest;

namespace {

// A smart-socket server on 127.0.0.1:5037 whose answer to each request is scripted.
class FakeServer {
 public:
  // reply(request, connectionIndex) gives the bytes to send; the connection is then closed
  // unless keepOpen is set for track requests.
  typedef std::function<std::string(const std::string& request, int index)> Script;

  explicit FakeServer(Script script) : m_script(script) {
    m_listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    BOOL reuse = TRUE;
    setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof(reuse));
    sockaddr_in at = {};
    at.sin_family = AF_INET;
    at.sin_port = htons(5037);
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    m_ok = bind(m_listener, reinterpret_cast<sockaddr*>(&at), sizeof(at)) == 0 && listen(m_listener, 16) == 0;
    m_thread = std::thread([this] { Serve(); });
  }
  ~FakeServer() {
    closesocket(m_listener);
    m_thread.join();
  }
  bool ok() const { return m_ok; }
  int requests() const { return m_count; }

 private:
  void Serve() {
    std::vector<std::thread> connections;
    for (;;) {
      SOCKET c = accept(m_listener, nullptr, nullptr);
      if (c == INVALID_SOCKET) break;
      connections.emplace_back([this, c] { Answer(c); });
    }
    for (auto& t : connections) t.join();
  }

  void Answer(SOCKET c) {
    {
      DWORD ms = 5000;
      setsockopt(c, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&ms), sizeof(ms));
      // Requests on one connection follow each other (transport switch, then the service).
      for (;;) {
        char head[4];
        if (recv(c, head, 4, MSG_WAITALL) != 4) break;
        int n = (int)strtol(std::string(head, 4).c_str(), nullptr, 16);
        std::string request(n, '\0');
        if (n > 0 && recv(c, &request[0], n, MSG_WAITALL) != n) break;
        std::string reply = m_script(request, m_count++);
        if (!reply.empty()) send(c, reply.data(), (int)reply.size(), 0);
        if (request.find("track-devices") != std::string::npos && reply.back() == '\n') {
          char byte;
          while (recv(c, &byte, 1, 0) != 0 && WSAGetLastError() == WSAETIMEDOUT) {
          }  // a tracker stays open until the client goes
          break;
        }
        if (reply.compare(0, 4, "OKAY") != 0 || reply.size() > 4) break;  // bare OKAY: more follows
      }
      closesocket(c);
    }
  }

  Script m_script;
  SOCKET m_listener;
  bool m_ok = false;
  std::atomic<int> m_count{0};
  std::thread m_thread;
};

struct Wsa {
  Wsa() {
    WSADATA d;
    WSAStartup(MAKEWORD(2, 2), &d);
  }
  ~Wsa() { WSACleanup(); }
};

std::string Block(const std::string& text) {
  char head[5];
  snprintf(head, sizeof(head), "%04x", (unsigned)text.size());
  return head + text;
}

TEST(KelpBadServer, NoServerIsToldOnceAndCallsFailCleanly) {
  ASSERT_TRUE(InSandbox());
  RecordingHandler handler;
  CKelpCommand kelp;
  ASSERT_TRUE(kelp.Init(&handler));
  std::string output = "stale";
  EXPECT_EQ(kelp.shell("getprop ro.product.model", output, 0, 0), -1);
  EXPECT_TRUE(output.empty());
  EXPECT_EQ(kelp.install("C:\\app.apk", false, false, output), -1);
  EXPECT_EQ(kelp.push("C:\\song.mp3", "/sdcard/music/song.mp3"), -1);
  EXPECT_FALSE(kelp.startActivity("com.example/.Main", nullptr));
  EXPECT_EQ(kelp.forward(15568, 15568), -1);
  Sleep(2500);  // two retries of the watcher
  // No adb.exe anywhere here: no server can be had, which is said once, with no device.
  std::vector<KelpNotice> notices = handler.Notices();
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].kind, KelpNotice::kReady);
  EXPECT_EQ(notices[0].status, 6);
  EXPECT_EQ(notices[0].text, "");
  DWORD start = GetTickCount();
  kelp.close();
  EXPECT_LT(GetTickCount() - start, 5000u);
}

TEST(KelpBadServer, GarbageCutRepliesAndOddFailTextsFailCleanly) {
  ASSERT_TRUE(InSandbox());
  Wsa wsa;
  std::atomic<int> trackCalls{0};
  FakeServer server([&](const std::string& request, int) -> std::string {
    if (request == "host:track-devices-l") {
      int call = trackCalls++;
      if (call == 0) return "OKAY" + std::string("0100emulator-5554  dev");  // cut off mid-list
      if (call == 1) return "OKAYzz12";                                      // not hex
      if (call == 2) return "FAIL";                                          // FAIL without text
      // Then a good list: one phone; the server keeps the tracker open.
      return "OKAY" + Block("emulator-5554          device product:p model:Odd_Phone device:d transport_id:1\n");
    }
    if (request == "host:transport:emulator-5554") return "OKAY";
    if (request == "shell:echo cut") return "OK";  // closes inside the status
    if (request == "shell:echo fail") return "FAIL" + Block(std::string("\x01\x02\xff weird\n", 10));
    if (request == "shell:echo badhex") return "FAILxyz!";
    if (request == "shell:echo nothing") return "";
    if (request == "sync:") return "OKAY";
    if (request.rfind("host-serial:emulator-5554:forward:", 0) == 0) return "OKAY";  // then closes
    return "FAIL" + Block("unknown host service");
  });
  ASSERT_TRUE(server.ok()) << "port 5037 taken: is a real server running in the sandbox?";
  RecordingHandler handler;
  CKelpCommand kelp;
  ASSERT_TRUE(kelp.Init(&handler));
  ASSERT_TRUE(WaitFor([&] { return handler.Count(KelpNotice::kReady, 0) > 0; }, 15000));
  EXPECT_EQ(handler.Count(KelpNotice::kInsert), 1);
  EXPECT_EQ(handler.Notices()[0].text, "Odd_Phone");

  std::string output = "stale";
  EXPECT_EQ(kelp.shell("echo cut", output, 0, 0), -3);
  EXPECT_EQ(kelp.shell("echo fail", output, 0, 0), -3);
  EXPECT_EQ(kelp.shell("echo badhex", output, 0, 0), -3);
  EXPECT_EQ(kelp.shell("echo nothing", output, 0, 0), -3);
  EXPECT_TRUE(output.empty());
  EXPECT_EQ(kelp.forward(15568, 15568), -3);
  EXPECT_FALSE(kelp.startActivity("a/.B", nullptr));
  kelp.close();
}

TEST(KelpBadServer, DeviceFailWithAHugeLengthDuringPush) {
  ASSERT_TRUE(InSandbox());
  Wsa wsa;
  // A sync peer that answers the push with FAIL and a length of 0xFFFFFFFF.
  SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in at = {};
  at.sin_family = AF_INET;
  at.sin_port = htons(5037);
  at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&at), sizeof(at)), 0);
  listen(listener, 8);
  auto answer = [](SOCKET c) {
    {
      char buffer[65536];
      int n = recv(c, buffer, sizeof(buffer), 0);
      std::string request(buffer, n > 0 ? n : 0);
      if (request.find("track-devices") != std::string::npos) {
        std::string list = "OKAY" + Block("phone1\tdevice\n");
        send(c, list.data(), (int)list.size(), 0);
        recv(c, buffer, 1, 0);  // until the client goes
      } else {
        send(c, "OKAY", 4, 0);  // transport
        recv(c, buffer, sizeof(buffer), 0);
        send(c, "OKAY", 4, 0);  // sync:
        DWORD ms = 300;
        setsockopt(c, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&ms), sizeof(ms));
        while (recv(c, buffer, sizeof(buffer), 0) > 0) {
        }
        const char fail[12] = {'F', 'A', 'I', 'L', '\xff', '\xff', '\xff', '\xff', 'o', 'o', 'p', 's'};
        send(c, fail, sizeof(fail), 0);
        Sleep(100);
      }
      closesocket(c);
    }
  };
  std::thread peer([listener, answer] {
    std::vector<std::thread> connections;
    for (;;) {
      SOCKET c = accept(listener, nullptr, nullptr);
      if (c == INVALID_SOCKET) break;
      connections.emplace_back(answer, c);
    }
    for (auto& t : connections) t.join();
  });
  RecordingHandler handler;
  CKelpCommand kelp;
  ASSERT_TRUE(kelp.Init(&handler));
  ASSERT_TRUE(WaitFor([&] { return handler.Count(KelpNotice::kReady, 0) > 0; }, 15000));
  std::wstring local = ScratchDir() + L"\\x.bin";
  ASSERT_TRUE(WriteWholeFile(local, PatternBytes(1000, 1)));
  char ansi[MAX_PATH];
  WideCharToMultiByte(CP_THREAD_ACP, 0, local.c_str(), -1, ansi, MAX_PATH, nullptr, nullptr);
  EXPECT_NE(kelp.push(ansi, "/sdcard/x.bin"), 0);
  kelp.close();
  closesocket(listener);
  peer.join();
}

}  // namespace
