// TCP sockets over 127.0.0.1 with ports the system chooses; every wait has a time bound.
#include <gtest/gtest.h>

#include "ShareTestUtil.h"

using namespace ShareLib;
using namespace sharetest;

namespace {

const DWORD kWaitMs = 5000;

// A connected pair: client made with TCPConnect, server side from TCPAccept.
struct LoopbackPair {
  SOCKET listener = INVALID_SOCKET, client = INVALID_SOCKET, server = INVALID_SOCKET;
  uint16_t peerPort = 0;
  uint32_t peerAddress = 0;

  bool Open() {
    uint16_t port = 0;
    listener = ListenOnLoopback(&port);
    if (listener == INVALID_SOCKET || port == 0) return false;
    client = TCPSocket(false);
    // The backlog completes the handshake, so a blocking connect returns before the accept.
    if (!TCPConnect(client, kLoopback, port)) return false;
    server = TCPAccept(listener, &peerPort, &peerAddress);
    return server != INVALID_SOCKET;
  }
  ~LoopbackPair() {
    CloseSocket(server);
    CloseSocket(client);
    CloseSocket(listener);
  }
};

}  // namespace

TEST(TcpSocket, SendAndAcceptOnLoopback) {
  LoopbackPair pair;
  ASSERT_TRUE(pair.Open()) << GetNetErrorStr();
  EXPECT_EQ(pair.peerAddress, kLoopback);
  EXPECT_EQ(pair.peerPort, LocalPort(pair.client));

  EXPECT_EQ(TCPSend(pair.client, "hello", 5), 5);
  char got[6] = {};
  ASSERT_TRUE(ReceiveExactly(pair.server, got, 5, kWaitMs));
  EXPECT_STREQ(got, "hello");

  EXPECT_EQ(TCPSend(pair.server, "back", 4), 4);
  char back[5] = {};
  ASSERT_TRUE(ReceiveExactly(pair.client, back, 4, kWaitMs));
  EXPECT_STREQ(back, "back");
}

TEST(TcpSocket, AcceptedSocketJoinsCompletionPort) {
  // The program reads its links through a completion port: sockets must be overlapped.
  LoopbackPair pair;
  ASSERT_TRUE(pair.Open());
  win::AutoHandle port(CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1));
  ASSERT_TRUE(port.valid());
  ASSERT_EQ(CreateIoCompletionPort(reinterpret_cast<HANDLE>(pair.server), port.get(), 7, 0), port.get());

  char buffer[64];
  WSABUF wsaBuffer = {sizeof(buffer), buffer};
  OVERLAPPED overlapped = {};
  DWORD flags = 0, bytes = 0;
  int posted = WSARecv(pair.server, &wsaBuffer, 1, &bytes, &flags, &overlapped, nullptr);
  ASSERT_TRUE(posted == 0 || WSAGetLastError() == WSA_IO_PENDING);
  ASSERT_EQ(TCPSend(pair.client, "ping", 4), 4);

  ULONG_PTR key = 0;
  OVERLAPPED* done = nullptr;
  ASSERT_TRUE(GetQueuedCompletionStatus(port.get(), &bytes, &key, &done, kWaitMs));
  EXPECT_EQ(key, 7u);
  EXPECT_EQ(done, &overlapped);
  EXPECT_EQ(std::string(buffer, bytes), "ping");
}

TEST(TcpSocket, AcceptReturnsInvalidOnceListenerClosed) {
  uint16_t port = 0;
  SOCKET listener = ListenOnLoopback(&port);
  ASSERT_NE(listener, INVALID_SOCKET);
  SOCKET accepted = 0;
  SOCKET used = listener;  // the thread's copy: CloseSocket below resets the test's variable
  BoundedThread acceptor([&] { accepted = TCPAccept(used, nullptr, nullptr); });
  EXPECT_FALSE(acceptor.Join(200));  // blocked, no one connects
  CloseSocket(listener);
  EXPECT_EQ(listener, INVALID_SOCKET);
  ASSERT_TRUE(acceptor.Join(kWaitMs)) << "accept still blocked after the listener was closed";
  EXPECT_EQ(accepted, INVALID_SOCKET);
}

TEST(TcpSocket, ConnectToClosedPortFailsWithReadableError) {
  uint16_t port = 0;
  SOCKET listener = ListenOnLoopback(&port);
  ASSERT_NE(listener, INVALID_SOCKET);
  CloseSocket(listener);  // nothing listens on the port now

  SOCKET s = TCPSocket(false);
  EXPECT_FALSE(TCPConnect(s, kLoopback, port));
  EXPECT_EQ(GetNetError(), WSAECONNREFUSED);
  EXPECT_FALSE(GetNetErrorStr().empty());
  CloseSocket(s);
}

TEST(TcpSocket, BadInputFailsWithoutBlocking) {
  BoundedThread calls([] {
    uint16_t port = 1;
    uint32_t address = 1;
    EXPECT_FALSE(TCPConnect(INVALID_SOCKET, kLoopback, 80));
    EXPECT_FALSE(TCPListen(INVALID_SOCKET, 8, 0, kLoopback));
    EXPECT_EQ(TCPAccept(INVALID_SOCKET, &port, &address), INVALID_SOCKET);
    EXPECT_LE(TCPSend(INVALID_SOCKET, "x", 1), 0);

    SOCKET unconnected = TCPSocket(false);
    EXPECT_EQ(TCPAccept(unconnected, nullptr, nullptr), INVALID_SOCKET);  // not listening
    EXPECT_LE(TCPSend(unconnected, "x", 1), 0);
    EXPECT_LE(TCPSend(unconnected, nullptr, 5), 0);
    EXPECT_LE(TCPSend(unconnected, "x", -1), 0);
    CloseSocket(unconnected);
  });
  EXPECT_TRUE(calls.Join(kWaitMs));
}

// Guards a fault: the listener allowed address reuse, so on Windows another program could bind
// the same port beside it (Wine refuses that either way). A restart must still get the port
// back while the last run's connection lingers in TIME_WAIT.
TEST(TcpSocket, NoSecondBindBesideTheListenerAndARestartTakesThePortBack) {
  SOCKET listener = TCPSocket(false);
  ASSERT_TRUE(TCPListen(listener, 8, 0, INADDR_ANY)) << GetNetErrorStr();
  uint16_t port = LocalPort(listener);
  SOCKET other = TCPSocket(false);
  BOOL reuse = TRUE;
  setsockopt(other, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof(reuse));
  EXPECT_FALSE(UDPBind(other, port, kLoopback)) << "a second bind took the port";  // a plain bind()
  CloseSocket(other);
  SOCKET client = TCPSocket(false);
  ASSERT_TRUE(TCPConnect(client, kLoopback, port));
  SOCKET served = TCPAccept(listener, nullptr, nullptr);
  CloseSocket(served);  // closed first on this side: TIME_WAIT on the port
  char b;
  recv(client, &b, 1, 0);
  CloseSocket(client);
  CloseSocket(listener);
  SOCKET again = TCPSocket(false);
  EXPECT_TRUE(TCPListen(again, 8, port, INADDR_ANY)) << GetNetErrorStr();
  CloseSocket(again);
}
