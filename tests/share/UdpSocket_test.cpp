// UDP sockets over 127.0.0.1 with ports the system chooses. No broadcast is sent from here:
// the test machine's own network must not see test traffic.
#include <gtest/gtest.h>

#include "ShareTestUtil.h"

using namespace ShareLib;
using namespace sharetest;

namespace {

const DWORD kWaitMs = 5000;

SOCKET BoundOnLoopback(uint16_t* port) {
  SOCKET s = UDPSocket();
  if (s != INVALID_SOCKET && !UDPBind(s, 0, kLoopback)) CloseSocket(s);
  *port = s == INVALID_SOCKET ? 0 : LocalPort(s);
  return s;
}

}  // namespace

TEST(UdpSocket, ClientSendArrivesOnBoundSocket) {
  uint16_t port = 0;
  SOCKET receiver = BoundOnLoopback(&port);
  ASSERT_NE(receiver, INVALID_SOCKET);
  // The announcement's shape: the listen port, 16-bit little-endian.
  const unsigned char announce[2] = {0x3C, 0x3C};
  EXPECT_EQ(UDPClientSend(announce, 2, kLoopback, port), 2) << GetNetErrorStr();

  ASSERT_TRUE(WaitReadable(receiver, kWaitMs));
  unsigned char got[32] = {};
  uint32_t from = 0;
  uint16_t fromPort = 0;
  EXPECT_EQ(UDPRecvfrom(receiver, got, sizeof(got), &from, &fromPort), 2);
  EXPECT_EQ(got[0], 0x3C);
  EXPECT_EQ(got[1], 0x3C);
  EXPECT_EQ(from, kLoopback);
  EXPECT_NE(fromPort, 0);
  CloseSocket(receiver);
}

TEST(UdpSocket, ConnectedSendReachesPeer) {
  uint16_t port = 0;
  SOCKET receiver = BoundOnLoopback(&port);
  ASSERT_NE(receiver, INVALID_SOCKET);
  SOCKET sender = UDPSocket();
  ASSERT_TRUE(UDPConnect(sender, kLoopback, port));
  EXPECT_EQ(UDPSend(sender, "abc", 3), 3);

  ASSERT_TRUE(WaitReadable(receiver, kWaitMs));
  char got[16] = {};
  uint16_t fromPort = 0;
  EXPECT_EQ(UDPRecvfrom(receiver, got, sizeof(got), nullptr, &fromPort), 3);
  EXPECT_STREQ(got, "abc");
  EXPECT_EQ(fromPort, LocalPort(sender));
  CloseSocket(sender);
  CloseSocket(receiver);
}

TEST(UdpSocket, OversizedDatagramIsCutNotFatal) {
  // The discovery loop ends on a negative result; a long datagram must not end it.
  uint16_t port = 0;
  SOCKET receiver = BoundOnLoopback(&port);
  ASSERT_NE(receiver, INVALID_SOCKET);
  std::string big(100, 'z');
  ASSERT_EQ(UDPClientSend(big.data(), 100, kLoopback, port), 100);
  ASSERT_TRUE(WaitReadable(receiver, kWaitMs));
  char got[32];
  EXPECT_EQ(UDPRecvfrom(receiver, got, sizeof(got), nullptr, nullptr), 32);
  EXPECT_EQ(std::string(got, 32), big.substr(0, 32));
  CloseSocket(receiver);
}

TEST(UdpSocket, RecvfromFailsOnceClosed) {
  uint16_t port = 0;
  SOCKET receiver = BoundOnLoopback(&port);
  ASSERT_NE(receiver, INVALID_SOCKET);
  SOCKET used = receiver;
  int result = 0;
  BoundedThread reader([&] {
    char buffer[32];
    result = UDPRecvfrom(used, buffer, sizeof(buffer), nullptr, nullptr);
  });
  EXPECT_FALSE(reader.Join(200));  // blocked, nothing sent
  CloseSocket(receiver);
  ASSERT_TRUE(reader.Join(kWaitMs)) << "recvfrom still blocked after the socket was closed";
  EXPECT_LT(result, 0);
}

TEST(UdpSocket, BadInputFailsWithoutBlocking) {
  uint16_t port = 0;
  SOCKET receiver = BoundOnLoopback(&port);
  ASSERT_NE(receiver, INVALID_SOCKET);
  BoundedThread calls([&] {
    char buffer[8];
    EXPECT_LT(UDPRecvfrom(receiver, nullptr, 8, nullptr, nullptr), 0);
    EXPECT_LT(UDPRecvfrom(receiver, buffer, 0, nullptr, nullptr), 0);
    EXPECT_LT(UDPRecvfrom(INVALID_SOCKET, buffer, 8, nullptr, nullptr), 0);
    EXPECT_LT(UDPClientSend(nullptr, 4, kLoopback, port), 0);
    EXPECT_LT(UDPClientSend("x", -1, kLoopback, port), 0);
    EXPECT_FALSE(UDPBind(INVALID_SOCKET, 0, kLoopback));
    EXPECT_FALSE(UDPConnect(INVALID_SOCKET, kLoopback, port));
    EXPECT_LT(UDPSend(INVALID_SOCKET, "x", 1), 0);
  });
  EXPECT_TRUE(calls.Join(kWaitMs));
  CloseSocket(receiver);
}
