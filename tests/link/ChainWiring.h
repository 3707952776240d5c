// The link's receive chain wired as the bridge wires it, for tests: the completion server
// reports to the link reactions, which work on a real link table and add sockets back to the
// server; events are recorded instead of posted to a window.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "IOCPServer.h"
#include "LinkCallbacks.h"
#include "LinkReactions.h"
#include "PortForwarder.h"

namespace linktest {

struct RecordingForwarder : IPortForwarder {
  std::mutex lock;
  std::vector<int> ports;
  int Forward(int localPort, int) override {
    std::lock_guard<std::mutex> hold(lock);
    ports.push_back(localPort);
    return 0;
  }
  std::vector<int> Ports() {
    std::lock_guard<std::mutex> hold(lock);
    return ports;
  }
};

// What the bridge's host does, with events recorded instead of posted.
struct ChainHost : ILinkHost {
  CIOCPServer* server = nullptr;
  RecordingForwarder forwarder;
  std::mutex lock;
  std::vector<std::string> events;
  void RaiseEvent(const char* name, int) override {
    std::lock_guard<std::mutex> hold(lock);
    events.push_back(name);
  }
  void StopStreaming() override {}
  void StartAddressWatch() override {}
  void StopAddressWatch() override {}
  void AddToServer(SOCKET s) override { server->AddSocket(s); }
  IPortForwarder* Forwarder() override { return &forwarder; }
  SOCKET ReconnectUsb() override { return ConnectUsbControl(&forwarder); }
  std::vector<std::string> Events() {
    std::lock_guard<std::mutex> hold(lock);
    return events;
  }
  int Count(const char* name) {
    int n = 0;
    for (const std::string& e : Events()) n += e == name;
    return n;
  }
};

// The server's and discovery's callbacks, handed to the reactions.
struct ChainCallback : IIOCPCallback, IFoundCallback {
  CLinkReactions* reactions = nullptr;
  std::atomic<int> closed{0}, aborted{0};
  std::atomic<DWORD> abortedAt{0};
  void OnReceived(SOCKET s, const unsigned char* data, int length) override {
    reactions->OnReceived(s, data, length);
  }
  bool OnClosed(SOCKET s) override {
    bool closedHere = reactions->OnClosed(s);
    ++closed;
    return closedHere;
  }
  void OnAborted(SOCKET s) override {
    abortedAt = GetTickCount();
    reactions->OnAborted(s);
    ++aborted;
  }
  void OnFound(SOCKET s, uint32_t address, uint16_t port) override { reactions->OnFound(s, address, port); }
  void OnAdd(SOCKET) override {}  // discovery never calls it
};

}  // namespace linktest
