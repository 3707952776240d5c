// The link's whole receive chain on real loopback sockets, wired as the bridge wires it: the
// completion server reports to the link reactions, which work on a real link table and add
// sockets back to the server. Peer close against abort, each closed exactly once, and the
// USB link's reconnect through a port forwarder double (the phone's USB control port is played
// by a listener on 127.0.0.1:15568, where the forward would lead).
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "Channel.h"
#include "ChainWiring.h"
#include "ChannelRenter.h"
#include "ControlFrame.h"
#include "IOCPServer.h"
#include "LinkReactions.h"
#include "LinkTable.h"
#include "LoopbackPair.h"
#include "PhoneLink.h"
#include "PortForwarder.h"

using namespace linktest;
using namespace phonelink;

namespace {

// Accepts one connection within timeoutMs; INVALID_SOCKET otherwise.
SOCKET AcceptWithin(SOCKET listener, DWORD timeoutMs = 5000) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(listener, &set);
  timeval tv = {(long)(timeoutMs / 1000), (long)(timeoutMs % 1000) * 1000};
  if (select(0, &set, nullptr, nullptr, &tv) <= 0) return INVALID_SOCKET;
  return accept(listener, nullptr, nullptr);
}

bool ReadHandshake(SOCKET s) {
  char id[4];
  return ReadExactly(s, id, 4) && memcmp(id, kHandshake, 4) == 0;
}

// True when the peer closed: a read gives 0 within the time.
bool SeesClose(SOCKET s) {
  char b;
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  timeval tv = {5, 0};
  return select(0, &set, nullptr, nullptr, &tv) == 1 && recv(s, &b, 1, 0) <= 0;
}

struct LinkChainTest : ::testing::Test {
  CChannelRenter renter;  // declared first: it outlives the links that name it
  CLinkTable table;
  ChainHost host;
  CLinkReactions reactions{table, host};
  ChainCallback callback;
  CIOCPServer server;
  void SetUp() override {
    StartWinsock();
    host.server = &server;
    callback.reactions = &reactions;
    ASSERT_TRUE(server.Start(&callback, -1));
    table.SetCloser(&server);
  }
  void TearDown() override {
    server.Stop();
    table.Clear();
  }
  // The USB link as the bridge makes it for a ready device: forward, connect, add, file.
  SOCKET AttachUsb(SOCKET phoneListener, SOCKET* phoneSide) {
    SOCKET s = ConnectUsbControl(&host.forwarder);
    if (s == INVALID_SOCKET) return s;
    server.AddSocket(s);
    table.Attach(s, &host.forwarder, true);
    *phoneSide = AcceptWithin(phoneListener);
    return s;
  }
  void Confirm(SOCKET phoneSide, int connectedBefore) {
    std::vector<unsigned char> f = BuildFrame(kMsgUsbConfirmed, nullptr, 0);
    ASSERT_EQ(send(phoneSide, (const char*)f.data(), (int)f.size(), 0), (int)f.size());
    ASSERT_TRUE(WaitFor([&] { return host.Count("Connected") == connectedBefore + 1; }));
  }
};

}  // namespace

TEST_F(LinkChainTest, PeerCloseIsClosedAndTheHandleIsClosedOnce) {
  SOCKET c, s;
  ASSERT_TRUE(MakePair(&c, &s));
  reactions.OnFound(s, 0, 0);
  ASSERT_TRUE(ReadHandshake(c));
  closesocket(c);
  ASSERT_TRUE(WaitFor([&] { return callback.closed == 1 && table.LinkCount() == 0; }));
  EXPECT_EQ(callback.aborted, 0);
  EXPECT_EQ(host.Count("Disconnect"), 1);
  EXPECT_TRUE(IsClosedHandle(s));
  // Handle slots are reused lowest first: the next sockets take the closed one's value, and a
  // second close of it (by the server after the table) would end one of them.
  SOCKET fresh[8];
  bool reused = false;
  for (SOCKET& f : fresh) {
    f = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    reused = reused || f == s;
  }
  Sleep(200);
  for (SOCKET f : fresh) {
    EXPECT_FALSE(IsClosedHandle(f)) << "a handle was closed twice";
    closesocket(f);
  }
  if (!reused) printf("note: the closed handle's value was not reused; the double-close check is weaker\n");
}

TEST_F(LinkChainTest, ResetIsAbortedAfterThePauseAndClosedOnceByTheTable) {
  SOCKET c, s;
  ASSERT_TRUE(MakePair(&c, &s));
  reactions.OnFound(s, 0, 0);
  ASSERT_TRUE(ReadHandshake(c));
  DWORD start = GetTickCount();
  CloseWithReset(c);
  ASSERT_TRUE(WaitFor([&] { return callback.aborted == 1; }, 8000));
  EXPECT_GE(callback.abortedAt - start, 1500u);  // the 2000 ms pause came first
  EXPECT_EQ(callback.closed, 0);
  EXPECT_EQ(table.LinkCount(), 0u);
  EXPECT_TRUE(IsClosedHandle(s));  // the table's link closed it; the server never does
  // The phone's only link has ended: the window must hear of it.
  EXPECT_EQ(host.Events(), (std::vector<std::string>{"WifiConnected", "Disconnect"}));
  EXPECT_TRUE(WaitFor([&] { return server.PendingReads() == 0; }));
}

TEST_F(LinkChainTest, AbortedUsbLinkIsForwardedAndReconnected) {
  SOCKET phone = ListenLoopback(nullptr, CLinkReactions::kUsbControlPort);
  ASSERT_NE(phone, INVALID_SOCKET) << "127.0.0.1:15568 is taken";
  SOCKET p1 = INVALID_SOCKET;
  SOCKET usb = AttachUsb(phone, &p1);
  ASSERT_NE(usb, INVALID_SOCKET);
  ASSERT_NE(p1, INVALID_SOCKET);
  ASSERT_TRUE(ReadHandshake(p1));
  Confirm(p1, 0);

  CloseWithReset(p1);  // the forward breaks: the read fails
  ASSERT_TRUE(WaitFor([&] { return callback.aborted == 1; }, 8000));
  SOCKET p2 = AcceptWithin(phone);
  ASSERT_NE(p2, INVALID_SOCKET) << "no reconnect";
  EXPECT_TRUE(ReadHandshake(p2));
  std::vector<int> forwards = host.forwarder.Ports();
  EXPECT_EQ(forwards, std::vector<int>({15568, 15568}));  // forwarded again before connecting
  ASSERT_NE(table.CurrentLink(), nullptr);
  SOCKET fresh = table.CurrentLink()->UsbSocket();
  EXPECT_NE(fresh, INVALID_SOCKET);
  EXPECT_FALSE(table.CurrentLink()->UsbConfirmed());
  // The new socket is in the completion server: the phone's confirmation is heard on it.
  Confirm(p2, 1);
  EXPECT_TRUE(table.CurrentLink()->UsbConfirmed());
  EXPECT_EQ(host.Count("Disconnect"), 0);
  closesocket(p2);
  ASSERT_TRUE(WaitFor([&] { return callback.closed == 1; }));
  closesocket(phone);
}

TEST_F(LinkChainTest, AbortedUsbBesideWifiReconnectsTheAudioStreamPath) {
  SOCKET phone = ListenLoopback(nullptr, CLinkReactions::kUsbControlPort);
  ASSERT_NE(phone, INVALID_SOCKET) << "127.0.0.1:15568 is taken";
  uint16_t audioPort = 0;
  SOCKET audio = ListenLoopback(&audioPort);
  SOCKET cw, sw;
  ASSERT_TRUE(MakePair(&cw, &sw));
  reactions.OnFound(sw, 0, 0);
  ASSERT_TRUE(ReadHandshake(cw));
  SOCKET p1 = INVALID_SOCKET;
  ASSERT_NE(AttachUsb(phone, &p1), INVALID_SOCKET);
  ASSERT_TRUE(ReadHandshake(p1));
  Confirm(p1, 0);
  CChannel* channel = table.OpenChannel(audioPort, &renter);
  ASSERT_NE(channel, nullptr);
  SOCKET a1 = AcceptWithin(audio);
  ASSERT_NE(a1, INVALID_SOCKET);
  EXPECT_TRUE(channel->Flags() & CChannel::kStreamConnected);

  CloseWithReset(p1);
  ASSERT_TRUE(WaitFor([&] { return callback.aborted == 1; }, 8000));
  EXPECT_TRUE(SeesClose(a1));  // the old stream socket was closed with the USB socket
  SOCKET p2 = AcceptWithin(phone);
  ASSERT_NE(p2, INVALID_SOCKET);
  EXPECT_TRUE(ReadHandshake(p2));
  SOCKET a2 = AcceptWithin(audio);
  ASSERT_NE(a2, INVALID_SOCKET) << "the stream path was not reconnected";
  EXPECT_TRUE(renter.Contains(channel));  // the link stayed up on Wi-Fi: same channel
  EXPECT_TRUE(channel->Flags() & CChannel::kStreamConnected);
  const int port = audioPort;
  EXPECT_EQ(host.forwarder.Ports(), std::vector<int>({15568, port, 15568, port}));
  EXPECT_EQ(host.Count("Disconnect"), 0);
  channel->Send("abcd", 4);  // blocks go to the new stream socket
  char got[4];
  EXPECT_TRUE(ReadExactly(a2, got, 4));
  closesocket(a1);
  closesocket(a2);
  closesocket(p2);
  closesocket(cw);
  closesocket(audio);
  closesocket(phone);
}

TEST_F(LinkChainTest, ClosedUsbBesideWifiIsQuietAndReconnected) {
  SOCKET phone = ListenLoopback(nullptr, CLinkReactions::kUsbControlPort);
  ASSERT_NE(phone, INVALID_SOCKET) << "127.0.0.1:15568 is taken";
  SOCKET cw, sw;
  ASSERT_TRUE(MakePair(&cw, &sw));
  reactions.OnFound(sw, 0, 0);
  ASSERT_TRUE(ReadHandshake(cw));
  SOCKET p1 = INVALID_SOCKET;
  SOCKET usb = AttachUsb(phone, &p1);
  ASSERT_NE(usb, INVALID_SOCKET);
  ASSERT_TRUE(ReadHandshake(p1));
  Confirm(p1, 0);
  closesocket(p1);
  ASSERT_TRUE(WaitFor([&] { return callback.closed == 1; }));
  SOCKET p2 = AcceptWithin(phone);
  ASSERT_NE(p2, INVALID_SOCKET);
  EXPECT_TRUE(ReadHandshake(p2));
  EXPECT_EQ(host.Count("Disconnect"), 0);  // a confirmed USB and a Wi-Fi socket: quiet
  EXPECT_EQ(table.LinkCount(), 1u);
  closesocket(p2);
  closesocket(cw);
  closesocket(phone);
}

TEST_F(LinkChainTest, LateReportOfAClosedSocketLeavesTheNextPhoneLinked) {
  // Guards a fault: a link that ended closed its replaced socket under a posted read; the read's
  // abort was reported after the pause, when the handle's value already named the next phone's
  // socket, and that report unlinked the next phone (and the window stopped its sound).
  uint16_t port = 0;
  SOCKET listener = ListenLoopback(&port);
  ASSERT_NE(listener, INVALID_SOCKET);
  // The next phone's connections wait in the backlog: each accept takes the lowest free value.
  std::vector<SOCKET> next;
  for (int i = 0; i < 6; ++i) {
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(port);
    next.push_back(WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_OVERLAPPED));
    ASSERT_EQ(connect(next.back(), (sockaddr*)&a, sizeof(a)), 0);
  }
  SOCKET c1, s1, c2, s2;
  ASSERT_TRUE(MakePair(&c1, &s1));
  ASSERT_TRUE(MakePair(&c2, &s2));
  reactions.OnFound(s1, 0, 0);
  reactions.OnFound(s2, 0, 0);  // s1 is replaced, still read
  ASSERT_TRUE(ReadHandshake(c1));
  ASSERT_TRUE(ReadHandshake(c2));
  closesocket(c2);  // the current socket goes: the link ends and closes s1 too
  ASSERT_TRUE(WaitFor([&] { return table.LinkCount() == 0 && IsClosedHandle(s1); }));
  std::vector<SOCKET> taken;
  while (taken.size() < next.size() && (taken.empty() || taken.back() != s1))
    taken.push_back(accept(listener, nullptr, nullptr));
  SOCKET s3 = taken.back(), c3 = next[taken.size() - 1];
  if (s3 != s1) printf("note: s1's value was not reused; the check is weaker\n");
  reactions.OnFound(s3, 0, 0);
  ASSERT_TRUE(ReadHandshake(c3));
  WaitFor([&] { return callback.aborted > 0; }, CIOCPServer::kAbortPauseMs + 2000);
  ASSERT_NE(table.CurrentLink(), nullptr) << "a report about s1 ended the next phone's link";
  EXPECT_EQ(table.CurrentLink()->WifiSocket(), s3);
  EXPECT_EQ(host.Events(), (std::vector<std::string>{"WifiConnected", "WifiConnected", "Disconnect", "WifiConnected"}));
  EXPECT_FALSE(IsClosedHandle(s3));
  taken.pop_back();  // the link's
  for (SOCKET s : taken) closesocket(s);
  for (SOCKET c : next) closesocket(c);
  closesocket(c1);
  closesocket(listener);
}
