// The link table, phone links and channels on loopback sockets.
#include <gtest/gtest.h>

#include "Channel.h"
#include "ChannelRenter.h"
#include "ControlFrame.h"
#include "FakeForwarder.h"
#include "LinkTable.h"
#include "LoopbackPair.h"
#include "PhoneLink.h"

using namespace linktest;
using namespace phonelink;

namespace {

bool ReadHandshake(SOCKET peer) {
  char id[4];
  return ReadExactly(peer, id, 4) && memcmp(id, "pcid", 4) == 0;
}

// Checks, when a channel leaves the list, that the channel still exists.
struct CheckingRenter : CChannelRenter {
  int removed = 0;
  bool aliveAtRemove = true;
  void Remove(CChannel* channel) override {
    aliveAtRemove = aliveAtRemove && channel->Port() != 0;  // a destroyed channel would not say
    ++removed;
    CChannelRenter::Remove(channel);
  }
  void Send(const void* data, int length) { FanOut(data, length); }
};

}  // namespace

TEST(LinkTable, AttachWritesHandshakeAndSecondSocketJoinsTheLink) {
  CLinkTable table;
  FakeForwarder fwd;
  SOCKET c1, s1, c2, s2;
  ASSERT_TRUE(MakePair(&c1, &s1));
  ASSERT_TRUE(MakePair(&c2, &s2));
  table.Attach(s1, &fwd, false);
  EXPECT_TRUE(ReadHandshake(c1));
  table.Attach(s2, &fwd, true);
  EXPECT_TRUE(ReadHandshake(c2));
  EXPECT_EQ(table.LinkCount(), 1u);
  CPhoneLink* link = table.CurrentLink();
  ASSERT_NE(link, nullptr);
  EXPECT_EQ(link->WifiSocket(), s1);
  EXPECT_EQ(link->UsbSocket(), s2);
  table.Clear();
  closesocket(c1);
  closesocket(c2);
}

TEST(LinkTable, SendWithoutLinkReturnsZero) {
  CLinkTable table;
  uint32_t v = 3;
  EXPECT_EQ(table.Send(kMsgStateSync, &v, 4), 0);
}

TEST(LinkTable, SendGoesOnWifiUntilUsbIsConfirmed) {
  CLinkTable table;
  FakeForwarder fwd;
  SOCKET cw, sw, cu, su;
  ASSERT_TRUE(MakePair(&cw, &sw));
  ASSERT_TRUE(MakePair(&cu, &su));
  table.Attach(sw, &fwd, false);
  table.Attach(su, &fwd, true);
  ASSERT_TRUE(ReadHandshake(cw));
  ASSERT_TRUE(ReadHandshake(cu));
  uint32_t v = 3;
  EXPECT_EQ(table.Send(kMsgStateSync, &v, 4), 4);
  unsigned char frame[12];
  ASSERT_TRUE(ReadExactly(cw, frame, 12));
  EXPECT_EQ(ReadLE16(frame + 4), kMsgStateSync);
  EXPECT_EQ(ReadLE32(frame + 8), 3u);

  EXPECT_TRUE(table.ConfirmUsb(su));
  v = 2;
  table.Send(kMsgStateSync, &v, 4);
  ASSERT_TRUE(ReadExactly(cu, frame, 12));
  EXPECT_EQ(ReadLE32(frame + 8), 2u);
  table.Clear();
  closesocket(cw);
  closesocket(cu);
}

TEST(LinkTable, SendReturnsTheLengthEvenWhenTheWriteFails) {
  CLinkTable table;
  FakeForwarder fwd;
  SOCKET c, s;
  ASSERT_TRUE(MakePair(&c, &s));
  table.Attach(s, &fwd, true);  // unconfirmed USB only: the write goes to the invalid socket
  uint32_t v = 3;
  EXPECT_EQ(table.Send(kMsgStateSync, &v, 4), 4);
  table.Clear();
  closesocket(c);
}

TEST(LinkTable, ClosingTheWifiSocketClosesEveryChannelsStreamSocket) {
  CLinkTable table;
  FakeForwarder fwd;
  uint16_t audioPort = 0;
  SOCKET audio = ListenLoopback(&audioPort);
  ASSERT_NE(audio, INVALID_SOCKET);
  SOCKET cw, sw, cu, su;
  ASSERT_TRUE(MakePair(&cw, &sw));
  ASSERT_TRUE(MakePair(&cu, &su));
  table.Attach(su, &fwd, true);
  table.ConfirmUsb(su);
  table.Attach(sw, &fwd, false);
  CheckingRenter renter;
  CChannel* channel = table.OpenChannel(audioPort, &renter);
  ASSERT_NE(channel, nullptr);
  EXPECT_TRUE(channel->Flags() & CChannel::kStreamConnected);
  EXPECT_TRUE(renter.Contains(channel));
  EXPECT_EQ(table.OpenChannel(audioPort, &renter), channel);  // one channel per port

  EXPECT_TRUE(table.RemoveSocket(sw));
  EXPECT_TRUE(IsClosedHandle(sw));
  EXPECT_EQ(channel->Flags() & CChannel::kStreamConnected, 0u);
  EXPECT_EQ(table.LinkCount(), 1u);  // still up on its confirmed USB socket
  EXPECT_TRUE(renter.Contains(channel));
  table.Clear();
  closesocket(cw);
  closesocket(cu);
  closesocket(audio);
}

TEST(LinkTable, ChannelsDroppedByTheLinkLeaveTheListFirst) {
  CLinkTable table;
  FakeForwarder fwd;
  uint16_t audioPort = 0;
  SOCKET audio = ListenLoopback(&audioPort);
  SOCKET c, s;
  ASSERT_TRUE(MakePair(&c, &s));
  table.Attach(s, &fwd, false);
  CheckingRenter renter;
  CChannel* channel = table.OpenChannel(audioPort, &renter);
  ASSERT_NE(channel, nullptr);
  ASSERT_EQ(renter.Count(), 1u);
  EXPECT_TRUE(table.RemoveSocket(s));  // the only socket: the link goes
  EXPECT_EQ(table.LinkCount(), 0u);
  EXPECT_EQ(renter.removed, 1);
  EXPECT_TRUE(renter.aliveAtRemove);
  EXPECT_EQ(renter.Count(), 0u);
  renter.Send("x", 1);  // nothing left to send to
  closesocket(c);
  closesocket(audio);
}

TEST(LinkTable, StreamPathCarriesBlocksWhole) {
  CLinkTable table;
  FakeForwarder fwd;
  uint16_t audioPort = 0;
  SOCKET audio = ListenLoopback(&audioPort);
  SOCKET c, s;
  ASSERT_TRUE(MakePair(&c, &s));
  table.Attach(s, &fwd, false);
  CheckingRenter renter;
  ASSERT_NE(table.OpenChannel(audioPort, &renter), nullptr);
  SOCKET phone = accept(audio, nullptr, nullptr);
  ASSERT_NE(phone, INVALID_SOCKET);
  std::vector<char> block(5000, 'a');
  renter.Send(block.data(), (int)block.size());
  renter.Send("bc", 2);
  std::vector<char> got(5002);
  ASSERT_TRUE(ReadExactly(phone, got.data(), 5002));
  EXPECT_EQ(got[4999], 'a');
  EXPECT_EQ(got[5000], 'b');
  table.Clear();
  closesocket(phone);
  closesocket(c);
  closesocket(audio);
}

TEST(LinkTable, FailedForwardLeavesTheStreamPathClear) {
  CLinkTable table;
  FakeForwarder fwd;
  fwd.result = -1;
  SOCKET c, s;
  ASSERT_TRUE(MakePair(&c, &s));
  table.Attach(s, &fwd, false);
  CheckingRenter renter;
  CChannel* channel = table.OpenChannel(4, &renter);
  ASSERT_NE(channel, nullptr);
  // The Wi-Fi peer is 127.0.0.1: no datagram path either.
  EXPECT_EQ(channel->Flags(), 0u);
  EXPECT_EQ(fwd.calls, 1);
  table.Clear();
  closesocket(c);
}

TEST(LinkTable, ClearSendsLeaveAndClosesSockets) {
  CLinkTable table;
  FakeForwarder fwd;
  SOCKET c, s;
  ASSERT_TRUE(MakePair(&c, &s));
  table.Attach(s, &fwd, false);
  ASSERT_TRUE(ReadHandshake(c));
  table.Clear();
  unsigned char frame[8];
  ASSERT_TRUE(ReadExactly(c, frame, 8));
  EXPECT_EQ(ReadLE16(frame + 4), kMsgLeave);
  EXPECT_TRUE(IsClosedHandle(s));
  EXPECT_EQ(table.LinkCount(), 0u);
  closesocket(c);
}
