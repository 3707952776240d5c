// The phone app's end of the control link inside the adb sandbox: the device double relays the
// device's port 15568 to 127.0.0.1:25568, where this stand-in reads the PC's handshake and
// confirms the USB link with message 0x0110. Each link is served on its own thread and held
// until the PC closes it, the stand-in drops it (DropControl) or the stand-in ends, so a phone
// plugged in again links again. The PC's frames are recorded with the link they came on.
#pragma once

#include <winsock2.h>
#include <windows.h>
#include <stdint.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>
#include "LoopbackListener.h"

class PhoneStandIn {
 public:
  PhoneStandIn() {
    m_listener = ListenOnLoopback(25568);
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

  // The open control link ends abruptly, as when the phone app dies: SO_LINGER 0, so the close
  // sends a reset. Done by the link's own thread at its next look (within 200 ms).
  void DropControl() { m_drop = true; }
  std::atomic<int> drops{0};

  struct Message {
    int link;  // 1 for the first handshake's link, 2 for the next
    uint16_t type;
    uint32_t value;  // the first 32 bits of the payload, 0 when shorter
  };
  std::vector<Message> Messages() {
    std::lock_guard<std::mutex> hold(m_messagesLock);
    return m_messages;
  }
  // Whether a frame of type (with value, unless value is -1) came on the link.
  bool Got(int link, uint16_t type, int64_t value = -1) {
    for (const Message& m : Messages())
      if (m.link == link && m.type == type && (value < 0 || m.value == (uint32_t)value)) return true;
    return false;
  }

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
    size_t at = got.find("pcid");
    if (at != std::string::npos) {
      sawHandshake = true;
      int link = ++handshakes;
      // magic 0x00015A01, type 0x0110, payload length 0; little-endian
      const char confirmed[8] = {0x01, 0x5A, 0x01, 0x00, 0x10, 0x01, 0x00, 0x00};
      send(c, confirmed, sizeof(confirmed), 0);
      ms = 200;
      setsockopt(c, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&ms), sizeof(ms));
      std::string frames = got.substr(at + 4);
      while (!m_stop) {
        Record(link, frames);
        if (m_drop.exchange(false)) {
          linger reset = {1, 0};
          setsockopt(c, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&reset), sizeof(reset));
          ++drops;
          break;
        }
        int n = recv(c, buffer, sizeof(buffer), 0);
        if (n == 0 || (n < 0 && WSAGetLastError() != WSAETIMEDOUT)) break;
        if (n > 0) frames.append(buffer, n);
      }
    }
    closesocket(c);
  }

  // Takes the whole frames off the front of bytes: magic (4), type (2), length (2), payload.
  void Record(int link, std::string& bytes) {
    while (bytes.size() >= 8) {
      const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data());
      size_t length = p[6] | (p[7] << 8);
      if (bytes.size() < 8 + length) return;
      Message m = {link, (uint16_t)(p[4] | (p[5] << 8)), 0};
      if (length >= 4) m.value = p[8] | (p[9] << 8) | (p[10] << 16) | ((uint32_t)p[11] << 24);
      {
        std::lock_guard<std::mutex> hold(m_messagesLock);
        m_messages.push_back(m);
      }
      bytes.erase(0, 8 + length);
    }
  }

  SOCKET m_listener;
  std::atomic<bool> m_stop{false};
  std::atomic<bool> m_drop{false};
  std::mutex m_messagesLock;
  std::vector<Message> m_messages;  // guarded by m_messagesLock
  std::thread m_acceptor;
  std::vector<std::thread> m_links;  // touched by the acceptor thread only, until it is joined
};
