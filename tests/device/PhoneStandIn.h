// The phone app's end of the control link inside the adb sandbox: the device double relays the
// device's port 15568 to 127.0.0.1:25568, where this stand-in reads the PC's handshake and
// confirms the USB link with message 0x0110. Each link is served on its own thread and held
// until the PC closes it or the stand-in ends, so a phone plugged in again links again.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

class PhoneStandIn {
 public:
  PhoneStandIn() {
    m_listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in at = {};
    at.sin_family = AF_INET;
    at.sin_port = htons(25568);
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(m_listener, reinterpret_cast<sockaddr*>(&at), sizeof(at));
    listen(m_listener, 4);
    m_acceptor = std::thread([this] { AcceptLinks(); });
  }
  ~PhoneStandIn() {
    m_stop = true;
    m_acceptor.join();
    closesocket(m_listener);
    for (std::thread& t : m_links) t.join();
  }
  PhoneStandIn(const PhoneStandIn&) = delete;
  PhoneStandIn& operator=(const PhoneStandIn&) = delete;

  std::atomic<bool> sawHandshake{false};
  std::atomic<int> handshakes{0};

 private:
  // Polls so that the destructor is never left waiting on a blocked accept or recv.
  void AcceptLinks() {
    while (!m_stop) {
      fd_set readable;
      FD_ZERO(&readable);
      FD_SET(m_listener, &readable);
      timeval wait = {0, 100000};
      if (select(0, &readable, nullptr, nullptr, &wait) != 1) continue;
      SOCKET c = accept(m_listener, nullptr, nullptr);
      if (c == INVALID_SOCKET) continue;
      m_links.emplace_back([this, c] { Serve(c); });
    }
  }

  void Serve(SOCKET c) {
    DWORD ms = 10000;
    setsockopt(c, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&ms), sizeof(ms));
    std::string got;
    char buffer[256];
    while (got.find("pcid") == std::string::npos) {
      int n = recv(c, buffer, sizeof(buffer), 0);
      if (n <= 0) break;
      got.append(buffer, n);
    }
    if (got.find("pcid") != std::string::npos) {
      sawHandshake = true;
      ++handshakes;
      // magic 0x00015A01, type 0x0110, payload length 0; little-endian
      const char confirmed[8] = {0x01, 0x5A, 0x01, 0x00, 0x10, 0x01, 0x00, 0x00};
      send(c, confirmed, sizeof(confirmed), 0);
      ms = 200;
      setsockopt(c, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&ms), sizeof(ms));
      while (!m_stop) {
        int n = recv(c, buffer, sizeof(buffer), 0);
        if (n == 0 || (n < 0 && WSAGetLastError() != WSAETIMEDOUT)) break;
      }
    }
    closesocket(c);
  }

  SOCKET m_listener;
  std::atomic<bool> m_stop{false};
  std::thread m_acceptor;
  std::vector<std::thread> m_links;  // touched by the acceptor thread only, until it is joined
};
