// The reactions to control messages, closed and aborted sockets and found sockets, driven
// through a host double over a real link table and loopback sockets.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ControlFrame.h"
#include "FakeForwarder.h"
#include "LinkReactions.h"
#include "LinkTable.h"
#include "LoopbackPair.h"
#include "PhoneLink.h"

using namespace linktest;
using namespace phonelink;

namespace {

struct HostDouble : ILinkHost {
  std::vector<std::pair<std::string, int>> events;
  int streamingStops = 0, watchStarts = 0, watchStops = 0;
  std::vector<SOCKET> added;
  FakeForwarder forwarder;
  SOCKET reconnectWith = INVALID_SOCKET;
  int reconnects = 0;
  void RaiseEvent(const char* name, int a) override { events.emplace_back(name, a); }
  void StopStreaming() override { ++streamingStops; }
  void StartAddressWatch() override { ++watchStarts; }
  void StopAddressWatch() override { ++watchStops; }
  void AddToServer(SOCKET s) override { added.push_back(s); }
  IPortForwarder* Forwarder() override { return &forwarder; }
  SOCKET ReconnectUsb() override {
    ++reconnects;
    return reconnectWith;
  }
};

struct LinkReactionsTest : ::testing::Test {
  CLinkTable table;
  HostDouble host;
  CLinkReactions reactions{table, host};
  void TearDown() override { table.Clear(); }
  void Receive(SOCKET s, const std::vector<unsigned char>& bytes) {
    reactions.OnReceived(s, bytes.data(), (int)bytes.size());
  }
  // A phone found on the network: the skin hears of the Wi-Fi link at once; the events that
  // follow are the test's.
  void Found(SOCKET s) {
    reactions.OnFound(s, 0, 0);
    ASSERT_EQ(host.events.size(), 1u);
    EXPECT_EQ(host.events[0].first, "WifiConnected");
    host.events.clear();
  }
  // A phone linked both ways: a confirmed USB socket and a Wi-Fi socket.
  void LinkBoth(SOCKET* cw, SOCKET* sw, SOCKET* cu, SOCKET* su) {
    ASSERT_TRUE(MakePair(cw, sw));
    ASSERT_TRUE(MakePair(cu, su));
    table.Attach(*su, &host.forwarder, true);
    table.ConfirmUsb(*su);
    Found(*sw);
  }
};

}  // namespace

TEST_F(LinkReactionsTest, StateSyncFromThePhoneIsAnEventWithItsValue) {
  SOCKET c, s;
  ASSERT_TRUE(MakePair(&c, &s));
  Found(s);
  Receive(s, BuildValueFrame(kMsgStateSync, 7));
  ASSERT_EQ(host.events.size(), 1u);
  EXPECT_EQ(host.events[0].first, "StateSync");
  EXPECT_EQ(host.events[0].second, 7);
  closesocket(c);
}

TEST_F(LinkReactionsTest, FoundSocketIsKeptAliveFiledAndAdded) {
  SOCKET c, s;
  ASSERT_TRUE(MakePair(&c, &s));
  Found(s);
  EXPECT_EQ(host.watchStops, 1);
  ASSERT_EQ(host.added.size(), 1u);
  EXPECT_EQ(host.added[0], s);
  ASSERT_NE(table.CurrentLink(), nullptr);
  EXPECT_EQ(table.CurrentLink()->WifiSocket(), s);
  BOOL keepAlive = FALSE;
  int len = sizeof(keepAlive);
  getsockopt(s, SOL_SOCKET, SO_KEEPALIVE, (char*)&keepAlive, &len);
  EXPECT_TRUE(keepAlive);
  closesocket(c);
}

TEST_F(LinkReactionsTest, LeaveStopsStreamingClosesOnceAndRestartsTheWatch) {
  SOCKET c, s;
  ASSERT_TRUE(MakePair(&c, &s));
  Found(s);
  Receive(s, BuildFrame(kMsgLeave, nullptr, 0));
  EXPECT_EQ(host.streamingStops, 1);
  EXPECT_TRUE(IsClosedHandle(s));
  EXPECT_EQ(table.LinkCount(), 0u);
  ASSERT_EQ(host.events.size(), 1u);
  EXPECT_EQ(host.events[0].first, "Disconnect");
  EXPECT_EQ(host.watchStarts, 1);
  // The server then sees the closed socket: its reaction finds no link, closes nothing and
  // tells the window nothing more.
  EXPECT_FALSE(reactions.OnClosed(s));
  EXPECT_EQ(host.events.size(), 1u);
  closesocket(c);
}

TEST_F(LinkReactionsTest, UsbConfirmationRaisesConnected) {
  SOCKET c, s;
  ASSERT_TRUE(MakePair(&c, &s));
  table.Attach(s, &host.forwarder, true);
  Receive(s, BuildFrame(kMsgUsbConfirmed, nullptr, 0));
  EXPECT_TRUE(table.CurrentLink()->UsbConfirmed());
  ASSERT_EQ(host.events.size(), 1u);
  EXPECT_EQ(host.events[0].first, "Connected");
  closesocket(c);
}

TEST_F(LinkReactionsTest, TwoMessagesInOneReadActAsOne) {
  SOCKET c, s;
  ASSERT_TRUE(MakePair(&c, &s));
  Found(s);
  std::vector<unsigned char> both = BuildValueFrame(kMsgStateSync, 4);
  std::vector<unsigned char> leave = BuildFrame(kMsgLeave, nullptr, 0);
  both.insert(both.end(), leave.begin(), leave.end());
  Receive(s, both);
  ASSERT_EQ(host.events.size(), 1u);
  EXPECT_EQ(host.events[0].first, "StateSync");
  EXPECT_EQ(table.LinkCount(), 1u);  // the leave was not acted on
  closesocket(c);
}

TEST_F(LinkReactionsTest, BadReadsChangeNothing) {
  SOCKET c, s;
  ASSERT_TRUE(MakePair(&c, &s));
  Found(s);
  std::vector<unsigned char> shortSync = BuildValueFrame(kMsgStateSync, 1);
  shortSync.resize(10);
  Receive(s, shortSync);
  Receive(s, {0x01, 0x5A, 0x01});
  srand(11);
  for (int i = 0; i < 500; ++i) {
    std::vector<unsigned char> junk(1 + rand() % 64);
    for (auto& b : junk) b = (unsigned char)rand();
    junk[4 % junk.size()] = 0x33;  // never a known type
    Receive(s, junk);
  }
  EXPECT_TRUE(host.events.empty());
  EXPECT_EQ(table.LinkCount(), 1u);
  closesocket(c);
}

TEST_F(LinkReactionsTest, ClosedWifiSocketDisconnectsAndTheReactionClosedIt) {
  SOCKET c, s;
  ASSERT_TRUE(MakePair(&c, &s));
  Found(s);
  EXPECT_TRUE(reactions.OnClosed(s));  // the table closed it: the server must not
  EXPECT_TRUE(IsClosedHandle(s));
  ASSERT_EQ(host.events.size(), 1u);
  EXPECT_EQ(host.events[0].first, "Disconnect");
  EXPECT_EQ(host.reconnects, 0);
  closesocket(c);
}

TEST_F(LinkReactionsTest, ClosedWifiWithConfirmedUsbKeepsTheLinkQuiet) {
  SOCKET cw, sw, cu, su;
  LinkBoth(&cw, &sw, &cu, &su);
  EXPECT_TRUE(reactions.OnClosed(sw));
  EXPECT_TRUE(host.events.empty());
  EXPECT_EQ(table.LinkCount(), 1u);
  closesocket(cw);
  closesocket(cu);
}

TEST_F(LinkReactionsTest, AbortedUsbLinkIsForwardedAndReconnected) {
  SOCKET cu, su, cn, sn;
  ASSERT_TRUE(MakePair(&cu, &su));
  ASSERT_TRUE(MakePair(&cn, &sn));
  table.Attach(su, &host.forwarder, true);
  table.ConfirmUsb(su);
  host.reconnectWith = sn;
  reactions.OnAborted(su);
  EXPECT_EQ(host.reconnects, 1);
  EXPECT_TRUE(IsClosedHandle(su));
  ASSERT_EQ(host.added.size(), 1u);
  EXPECT_EQ(host.added[0], sn);
  ASSERT_NE(table.CurrentLink(), nullptr);
  EXPECT_EQ(table.CurrentLink()->UsbSocket(), sn);
  EXPECT_FALSE(table.CurrentLink()->UsbConfirmed());
  char id[4];
  EXPECT_TRUE(ReadExactly(cn, id, 4));  // the new connection got the handshake
  closesocket(cu);
  closesocket(cn);
}

TEST_F(LinkReactionsTest, AbortedSocketWithoutLinkDoesNothing) {
  SOCKET c, s;
  ASSERT_TRUE(MakePair(&c, &s));
  reactions.OnAborted(s);
  EXPECT_EQ(host.reconnects, 0);
  EXPECT_FALSE(IsClosedHandle(s));
  closesocket(s);
  closesocket(c);
}

// Guards a fault: an aborted socket left the table quietly, so a phone whose only link was
// reset or died stayed "linked" in the window.
TEST_F(LinkReactionsTest, AbortThatEndsTheLinkDisconnectsUnlessTheOtherSocketKeepsIt) {
  SOCKET cw, sw, cu, su;
  LinkBoth(&cw, &sw, &cu, &su);
  reactions.OnAborted(sw);  // the confirmed USB socket keeps the phone linked
  EXPECT_TRUE(host.events.empty());
  reactions.OnAborted(su);  // no Wi-Fi left and the reconnect fails: the link has ended
  EXPECT_EQ(host.reconnects, 1);
  ASSERT_EQ(host.events.size(), 1u);
  EXPECT_EQ(host.events[0].first, "Disconnect");
  EXPECT_EQ(table.LinkCount(), 0u);
  closesocket(cw);
  closesocket(cu);
}

TEST(UsbReconnect, FailedForwardMakesNoSocket) {
  FakeForwarder fwd;
  fwd.result = 1;
  EXPECT_EQ(ConnectUsbControl(&fwd), INVALID_SOCKET);
  EXPECT_EQ(ConnectUsbControl(nullptr), INVALID_SOCKET);
}

TEST_F(LinkReactionsTest, ReplacedSocketThatThePhoneClosesIsClosedHereWithoutDisconnect) {
  // Guards a fault: a replaced control socket belonged to no link, so nothing but the peer's
  // close could end it, and that close told the script the still linked phone had gone.
  SOCKET c1, s1, c2, s2;
  ASSERT_TRUE(MakePair(&c1, &s1));
  ASSERT_TRUE(MakePair(&c2, &s2));
  reactions.OnFound(s1, 0, 0);
  reactions.OnFound(s2, 0, 0);
  EXPECT_TRUE(reactions.OnClosed(s1)) << "the completion server would have to close it";
  char buf[8];
  EXPECT_EQ(recv(c1, buf, sizeof(buf), 0), kHandshakeSize);
  EXPECT_EQ(recv(c1, buf, sizeof(buf), 0), 0) << "the replaced socket is still open";
  for (const auto& event : host.events) EXPECT_NE(event.first, "Disconnect");
  ASSERT_NE(table.CurrentLink(), nullptr);
  EXPECT_EQ(table.CurrentLink()->WifiSocket(), s2);
  closesocket(c1);
  closesocket(c2);
}

TEST_F(LinkReactionsTest, OnlyTheLastReplacedSocketStaysOpenWhenThePhoneKeepsItsOldOnes) {
  // Guards a leak: a phone whose Wi-Fi came back kept its old connection open, so every return
  // left one more replaced socket open here for good.
  SOCKET c[3], s[3];
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(MakePair(&c[i], &s[i]));
    reactions.OnFound(s[i], 0, 0);
  }
  char buf[8];
  for (int i = 0; i < 3; ++i) ASSERT_EQ(recv(c[i], buf, sizeof(buf), 0), kHandshakeSize);
  EXPECT_EQ(recv(c[0], buf, sizeof(buf), 0), 0) << "the first replaced socket is closed by the second's replacement";
  u_long pending = 1;
  ioctlsocket(c[1], FIONBIO, &pending);
  EXPECT_EQ(recv(c[1], buf, sizeof(buf), 0), SOCKET_ERROR) << "the last replaced socket is still open";
  EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
  for (const auto& event : host.events) EXPECT_NE(event.first, "Disconnect");
  EXPECT_EQ(table.CurrentLink()->WifiSocket(), s[2]);
  for (SOCKET peer : c) closesocket(peer);
}
