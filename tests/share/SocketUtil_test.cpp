// Closing, keep-alive, peer and local addresses.
#include <gtest/gtest.h>

#include "ShareTestUtil.h"

using namespace ShareLib;
using namespace sharetest;

TEST(CloseSocket, ResetsTheVariable) {
  SOCKET s = TCPSocket(false);
  ASSERT_NE(s, INVALID_SOCKET);
  CloseSocket(s);
  EXPECT_EQ(s, INVALID_SOCKET);
  CloseSocket(s);  // a second close of the same variable is harmless
  EXPECT_EQ(s, INVALID_SOCKET);
}

TEST(SocketPeer, KeepAliveAndRemoteAddressOnConnectedSocket) {
  uint16_t port = 0;
  SOCKET listener = ListenOnLoopback(&port);
  ASSERT_NE(listener, INVALID_SOCKET);
  SOCKET client = TCPSocket(false);
  ASSERT_TRUE(TCPConnect(client, kLoopback, port));
  SOCKET server = TCPAccept(listener, nullptr, nullptr);
  ASSERT_NE(server, INVALID_SOCKET);

  EXPECT_TRUE(SetKeepAlive(server, 20000, 3000)) << GetNetErrorStr();
  EXPECT_TRUE(SetKeepAlive(client, 20000, 3000));
  EXPECT_EQ(GetSocketRemoteIP(server), kLoopback);
  EXPECT_EQ(GetSocketRemoteIP(client), kLoopback);

  CloseSocket(server);
  CloseSocket(client);
  CloseSocket(listener);
}

TEST(SocketPeer, UnconnectedSocketsHaveNoPeer) {
  SOCKET s = TCPSocket(false);
  EXPECT_EQ(GetSocketRemoteIP(s), 0u);
  EXPECT_EQ(GetSocketRemoteIP(INVALID_SOCKET), 0u);
  EXPECT_FALSE(SetKeepAlive(INVALID_SOCKET, 20000, 3000));
  EXPECT_NE(GetNetError(), 0);
  CloseSocket(s);
}

TEST(LocalAddress, AddressAndMaskAreConsistent) {
  uint32_t address = 0xFFFFFFFF, mask = 0;
  bool found = GetIPandMask(&address, &mask);
  uint32_t hostMask = ntohl(mask);
  if (found) {
    EXPECT_NE(ntohl(address) >> 24, 127u) << "the loopback counts as no network";
    EXPECT_NE(address, 0u);
  } else {
    EXPECT_EQ(address, kLoopback);
  }
  EXPECT_NE(hostMask, 0u);
  EXPECT_EQ((~hostMask) & ((~hostMask) + 1), 0u) << "mask bits are contiguous from the top";
  EXPECT_EQ(GetIPandMask(nullptr, nullptr), found);  // null outputs are allowed
}
