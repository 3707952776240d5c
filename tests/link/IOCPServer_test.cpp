// The completion server on loopback sockets: whole reads, peer close, abort, local close under
// a pending read, close through the server, stop, and handle counts over many connect/close
// cycles.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "IOCPServer.h"
#include "LoopbackPair.h"

using namespace linktest;

namespace {

// The lowest free handle slot: handle tables hand out the lowest free one, so leaked handles
// push it up. (Wine's GetProcessHandleCount always gives 0.)
uintptr_t HandleCeiling() {
  HANDLE probe = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  CloseHandle(probe);
  return (uintptr_t)probe / 4;
}

struct Recorder : IIOCPCallback {
  std::mutex lock;
  std::vector<int> reads;
  std::atomic<int> bytes{0}, closed{0}, aborted{0};
  std::atomic<DWORD> abortedAt{0};
  bool closeInReaction = false;
  void OnReceived(SOCKET, const unsigned char*, int length) override {
    std::lock_guard<std::mutex> hold(lock);
    reads.push_back(length);
    bytes += length;
  }
  bool OnClosed(SOCKET s) override {
    ++closed;
    if (closeInReaction) closesocket(s);
    return closeInReaction;
  }
  void OnAborted(SOCKET) override {
    abortedAt = GetTickCount();
    ++aborted;
  }
};

// Starts the server with its workers (-1: the default) and has it read the server side of a
// new loopback pair.
bool StartReading(CIOCPServer& server, Recorder& rec, int workers, SOCKET* c, SOCKET* s) {
  return server.Start(&rec, workers) && MakePair(c, s) && server.AddSocket(*s) == 0;
}

}  // namespace

TEST(IOCPServer, ReadOf1024IsOneCall) {
  Recorder rec;
  CIOCPServer server;
  SOCKET c, s;
  ASSERT_TRUE(StartReading(server, rec, -1, &c, &s));
  std::vector<char> data(1024, 'x');
  ASSERT_EQ(send(c, data.data(), 1024, 0), 1024);
  ASSERT_TRUE(WaitFor([&] { return rec.bytes == 1024; }));
  {
    std::lock_guard<std::mutex> hold(rec.lock);
    ASSERT_EQ(rec.reads.size(), 1u);
    EXPECT_EQ(rec.reads[0], 1024);
  }
  closesocket(c);
  ASSERT_TRUE(WaitFor([&] { return rec.closed == 1; }));
  server.Stop();
}

TEST(IOCPServer, LongerMessageArrivesAsSeveralCalls) {
  Recorder rec;
  CIOCPServer server;
  SOCKET c, s;
  ASSERT_TRUE(StartReading(server, rec, 1, &c, &s));  // one worker: the calls come in order
  std::vector<char> data(3000, 'y');
  ASSERT_EQ(send(c, data.data(), 3000, 0), 3000);
  ASSERT_TRUE(WaitFor([&] { return rec.bytes == 3000; }));
  std::lock_guard<std::mutex> hold(rec.lock);
  EXPECT_GE(rec.reads.size(), 3u);
  for (int n : rec.reads) EXPECT_LE(n, 1024);
  closesocket(c);
}

TEST(IOCPServer, PeerCloseIsClosedAndTheServerClosesTheHandleOnce) {
  Recorder rec;
  CIOCPServer server;
  SOCKET c, s;
  ASSERT_TRUE(StartReading(server, rec, -1, &c, &s));
  closesocket(c);
  ASSERT_TRUE(WaitFor([&] { return rec.closed == 1; }));
  ASSERT_TRUE(WaitFor([&] { return IsClosedHandle(s); }));
  EXPECT_EQ(rec.aborted, 0);
  EXPECT_TRUE(WaitFor([&] { return server.PendingReads() == 0; }));
}

TEST(IOCPServer, ReactionThatClosedTheSocketIsNotClosedAgain) {
  Recorder rec;
  rec.closeInReaction = true;
  CIOCPServer server;
  SOCKET c, s;
  ASSERT_TRUE(StartReading(server, rec, 1, &c, &s));
  closesocket(c);
  ASSERT_TRUE(WaitFor([&] { return rec.closed == 1; }));
  // A socket made now may get the same handle value; a second close would end it.
  SOCKET c2, s2;
  ASSERT_TRUE(MakePair(&c2, &s2));
  Sleep(100);
  EXPECT_FALSE(IsClosedHandle(s2));
  EXPECT_FALSE(IsClosedHandle(c2));
  closesocket(c2);
  closesocket(s2);
}

// A reset is reported as aborted after the 2000 ms pause, and the server never closes the
// socket. The pause belongs to the aborted socket alone: a live link read by the same single
// worker is served at once, and aborts still waiting when the server stops are never reported.
TEST(IOCPServer, ResetIsAbortedAfterAPauseThatHoldsNoWorker) {
  Recorder rec;
  CIOCPServer server;
  ASSERT_TRUE(server.Start(&rec, 1));
  SOCKET live, liveServer;
  ASSERT_TRUE(MakePair(&live, &liveServer));
  server.AddSocket(liveServer);
  std::vector<SOCKET> broken;
  DWORD start = GetTickCount();
  for (int i = 0; i < 3; ++i) {
    SOCKET c, s;
    ASSERT_TRUE(MakePair(&c, &s));
    server.AddSocket(s);
    CloseWithReset(c);
    broken.push_back(s);
  }
  Sleep(200);  // the resets have completed on the port
  ASSERT_EQ(send(live, "ping", 4, 0), 4);
  ASSERT_TRUE(WaitFor([&] { return rec.bytes == 4; }, 1500));
  EXPECT_EQ(rec.aborted, 0);  // still within their pause
  ASSERT_TRUE(WaitFor([&] { return rec.aborted == 3; }, 6000));
  EXPECT_GE(rec.abortedAt - start, 1500u);  // the 2000 ms pause came first
  EXPECT_EQ(rec.closed, 0);
  EXPECT_FALSE(IsClosedHandle(broken[0]));  // the server never closes an aborted socket

  SOCKET c, s;
  ASSERT_TRUE(MakePair(&c, &s));
  server.AddSocket(s);
  CloseWithReset(c);
  Sleep(200);
  server.Stop();
  Sleep(2500);
  EXPECT_EQ(rec.aborted, 3);
  for (SOCKET b : broken) closesocket(b);
  closesocket(s);
  closesocket(live);
  closesocket(liveServer);
}

TEST(IOCPServer, LocalCloseUnderAReadKeepsTheWorkers) {
  // Wine reports error 676 here, Windows 995 or 64: all are "aborted", and the worker lives on.
  Recorder rec;
  CIOCPServer server;
  SOCKET c, s;
  ASSERT_TRUE(StartReading(server, rec, 1, &c, &s));
  Sleep(50);
  closesocket(s);
  ASSERT_TRUE(WaitFor([&] { return rec.aborted == 1; }, 6000));
  closesocket(c);
  SOCKET c2, s2;
  ASSERT_TRUE(MakePair(&c2, &s2));
  server.AddSocket(s2);
  send(c2, "ping", 4, 0);
  EXPECT_TRUE(WaitFor([&] { return rec.bytes == 4; }));
  closesocket(c2);
  EXPECT_TRUE(WaitFor([&] { return rec.closed == 1; }));
}

TEST(IOCPServer, SocketClosedThroughTheServerEndsItsReadUnreported) {
  // Its read ends although the peer stays; the handle is closed then, and no report about it
  // comes, not even after the abort pause (by then its value may name another socket).
  Recorder rec;
  CIOCPServer server;
  SOCKET c, s;
  ASSERT_TRUE(StartReading(server, rec, 1, &c, &s));
  server.CloseSocket(s);
  EXPECT_TRUE(WaitFor([&] { return server.PendingReads() == 0 && IsClosedHandle(s); }));
  WaitFor([&] { return rec.aborted > 0; }, CIOCPServer::kAbortPauseMs + 1000);
  EXPECT_EQ(rec.aborted + rec.closed, 0);
  SOCKET unread, peer;  // a socket the server does not read is closed at once
  ASSERT_TRUE(MakePair(&peer, &unread));
  server.CloseSocket(unread);
  EXPECT_TRUE(IsClosedHandle(unread));
  closesocket(peer);
  closesocket(c);
}

TEST(IOCPServer, StopEndsEveryWorkerAndCannotRestart) {
  Recorder rec;
  CIOCPServer server;
  ASSERT_TRUE(server.Start(&rec, 4));
  EXPECT_EQ(server.WorkerCount(), 4);
  server.Stop();
  EXPECT_TRUE(server.Stopped());
  EXPECT_FALSE(server.Start(&rec, 1));
}

TEST(IOCPServer, HandleCountStaysFlatOverConnectCloseCycles) {
  Recorder rec;
  CIOCPServer server;
  ASSERT_TRUE(server.Start(&rec, -1));
  SOCKET c, s;
  ASSERT_TRUE(MakePair(&c, &s));  // warm-up: Winsock's own first-use handles
  server.AddSocket(s);
  closesocket(c);
  ASSERT_TRUE(WaitFor([&] { return rec.closed == 1; }));
  uintptr_t before = HandleCeiling();
  const int kCycles = 300;
  for (int i = 0; i < kCycles; ++i) {
    ASSERT_TRUE(MakePair(&c, &s));
    server.AddSocket(s);
    send(c, "abc", 3, 0);
    closesocket(c);
  }
  ASSERT_TRUE(WaitFor([&] { return rec.closed == kCycles + 1; }, 20000));
  ASSERT_TRUE(WaitFor([&] { return server.PendingReads() == 0; }));
  uintptr_t after = HandleCeiling();
  EXPECT_LE(after, before + 5) << "before " << before << " after " << after;
}
