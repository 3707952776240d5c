// Phone-link benchmarks, printed figures only (no limits asserted):
//  1. Fan-out cost: blocks through CQuillon's data slot to one TCP and one UDP channel on
//     loopback, against a bare send loop of the same blocks on an identical socket, same run.
//  2. Delay added by the service: from the capture callback to the receiver's read, against
//     the bare send's delay; blocks paced 1 ms apart, each sent both ways in the same loop.
// Blocks are 162 bytes: a 2-byte length and one 10 ms Opus packet at 128 kbit/s.
#include <winsock2.h>
#include <windows.h>

#include <stdio.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "Channel.h"
#include "PortForwarder.h"
#include "Quillon.h"
#include "share.h"

namespace {

const int kBlock = 162;
const int kThroughputBlocks = 20000;
const int kDelayBlocks = 2000;

struct AlwaysForward : IPortForwarder {
  int Forward(int, int) override { return 0; }
};

double Now() {
  static LARGE_INTEGER freq = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return (double)t.QuadPart / freq.QuadPart;
}

double Percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, (size_t)(p * v.size()))];
}

// A receiver: reads blocks on a TCP or UDP socket, notes each block's delay from the send time
// carried in its first 8 bytes after the length.
struct Receiver {
  SOCKET s = INVALID_SOCKET;
  bool stream = false;
  std::atomic<int> blocks{0};
  std::vector<double> delays;
  std::thread thread;
  void Run() {
    std::vector<char> buf(65536);
    std::vector<char> pending;
    for (;;) {
      int n = recv(s, buf.data(), (int)buf.size(), 0);
      if (n <= 0) return;
      double t = Now();
      if (!stream) {
        Note(buf.data(), t);
        continue;
      }
      pending.insert(pending.end(), buf.begin(), buf.begin() + n);
      size_t at = 0;
      while (pending.size() - at >= (size_t)kBlock) {
        Note(pending.data() + at, t);
        at += kBlock;
      }
      pending.erase(pending.begin(), pending.begin() + at);
    }
  }
  void Note(const char* block, double t) {
    double sent;
    memcpy(&sent, block + 2, sizeof(sent));
    if (sent > 0) delays.push_back(t - sent);
    ++blocks;
  }
  void Start() { thread = std::thread([this] { Run(); }); }
  void Finish() {
    shutdown(s, SD_BOTH);
    closesocket(s);
    if (thread.joinable()) thread.join();
  }
};

// A TCP listener on 127.0.0.1; returns its port.
SOCKET Listen(uint16_t* port) {
  SOCKET l = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in a = {};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(l, (sockaddr*)&a, sizeof(a));
  listen(l, 4);
  int len = sizeof(a);
  getsockname(l, (sockaddr*)&a, &len);
  *port = ntohs(a.sin_port);
  return l;
}

// A UDP receiver on 127.0.0.2 (the channel's datagram path skips 127.0.0.1).
SOCKET UdpReceiver(uint16_t* port) {
  SOCKET u = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  int size = 8 << 20;
  setsockopt(u, SOL_SOCKET, SO_RCVBUF, (const char*)&size, sizeof(size));
  sockaddr_in a = {};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(0x7F000002);
  bind(u, (sockaddr*)&a, sizeof(a));
  int len = sizeof(a);
  getsockname(u, (sockaddr*)&a, &len);
  *port = ntohs(a.sin_port);
  return u;
}

struct Path {
  const char* name;
  bool stream;
};

struct Figures {
  double blocksPerSec, median, p99;
};

// One run: send(block) timed per block; returns the figures.
template <class SendFn>
Figures Drive(SendFn send, int count, double pace) {
  std::vector<double> per;
  per.reserve(count);
  unsigned char block[kBlock] = {kBlock - 2, 0};
  double start = Now();
  for (int i = 0; i < count; ++i) {
    if (pace > 0)
      while (Now() < start + i * pace) {
      }
    double t0 = Now();
    memcpy(block + 2, &t0, sizeof(t0));
    send(block);
    per.push_back(Now() - t0);
  }
  double total = Now() - start;
  return {count / total, Percentile(per, 0.5) * 1e6, Percentile(per, 0.99) * 1e6};
}

// The service's channel and a bare socket to two receivers of the same kind.
void Bench(bool stream, int count, double pace, Figures* service, Figures* bare, Figures* serviceDelay,
           Figures* bareDelay) {
  AlwaysForward forward;
  Receiver viaService, viaBare;
  viaService.stream = viaBare.stream = stream;
  CQuillon quillon;
  std::unique_ptr<CChannel> channel;
  SOCKET bareSocket = INVALID_SOCKET;
  if (stream) {
    uint16_t p1, p2;
    SOCKET l1 = Listen(&p1), l2 = Listen(&p2);
    channel.reset(new CChannel(0xFFFFFFFFu, &forward));
    channel->Open(p1);
    viaService.s = accept(l1, nullptr, nullptr);
    bareSocket = ShareLib::TCPSocket(false);
    ShareLib::TCPConnect(bareSocket, htonl(INADDR_LOOPBACK), p2);
    BOOL noDelay = TRUE;
    setsockopt(bareSocket, IPPROTO_TCP, TCP_NODELAY, (const char*)&noDelay, sizeof(noDelay));
    viaBare.s = accept(l2, nullptr, nullptr);
    closesocket(l1);
    closesocket(l2);
  } else {
    uint16_t p1, p2;
    viaService.s = UdpReceiver(&p1);
    viaBare.s = UdpReceiver(&p2);
    channel.reset(new CChannel(htonl(0x7F000002), nullptr));
    channel->Open(p1);
    bareSocket = ShareLib::UDPSocket();
    ShareLib::UDPConnect(bareSocket, htonl(0x7F000002), p2);
  }
  quillon.Add(channel.get());
  viaService.Start();
  viaBare.Start();
  if (pace > 0) {
    // Delay: both paths in one paced loop, block by block, taking turns at going first.
    int i = 0;
    Drive(
        [&](const unsigned char* b) {
          if (i++ % 2 == 0) {
            quillon.OnData(b, kBlock);
            ShareLib::UDPSend(bareSocket, b, kBlock);
          } else {
            ShareLib::UDPSend(bareSocket, b, kBlock);
            quillon.OnData(b, kBlock);
          }
        },
        count, pace);
  } else {
    *service = Drive([&](const unsigned char* b) { quillon.OnData(b, kBlock); }, count, pace);
    *bare = Drive([&](const unsigned char* b) { ShareLib::UDPSend(bareSocket, b, kBlock); }, count, pace);
  }
  Sleep(300);
  auto delays = [](Receiver& r) {
    return Figures{(double)r.blocks, Percentile(r.delays, 0.5) * 1e6, Percentile(r.delays, 0.99) * 1e6};
  };
  *serviceDelay = delays(viaService);
  *bareDelay = delays(viaBare);
  quillon.Remove(channel.get());
  viaService.Finish();
  viaBare.Finish();
  closesocket(bareSocket);
}

}  // namespace

int main() {
  ShareLib::CAutoWSA::Do();
  printf("Quillon link benchmarks (%d-byte blocks, loopback)\n\n", kBlock);
  for (int kind = 0; kind < 2; ++kind) {
    bool stream = kind == 0;
    const char* name = stream ? "TCP stream path" : "UDP datagram path";
    Figures service, bare, sd, bd;
    Bench(stream, kThroughputBlocks, 0, &service, &bare, &sd, &bd);
    printf("%s, fan-out cost, %d blocks back to back:\n", name, kThroughputBlocks);
    printf("  CQuillon::OnData  %9.0f blocks/s  median %6.2f us  p99 %6.2f us\n", service.blocksPerSec,
           service.median, service.p99);
    printf("  bare send loop    %9.0f blocks/s  median %6.2f us  p99 %6.2f us\n", bare.blocksPerSec, bare.median,
           bare.p99);
    printf("  ratio (service / bare): median %.3f, p99 %.3f, throughput %.3f\n", service.median / bare.median,
           service.p99 / bare.p99, bare.blocksPerSec / service.blocksPerSec);
    Bench(stream, kDelayBlocks, 0.001, &service, &bare, &sd, &bd);
    printf("%s, delay from the capture callback to the receiver, %d blocks 1 ms apart:\n", name, kDelayBlocks);
    printf("  through CQuillon  median %7.1f us  p99 %7.1f us  (%d received)\n", sd.median, sd.p99,
           (int)sd.blocksPerSec);
    printf("  bare send         median %7.1f us  p99 %7.1f us  (%d received)\n", bd.median, bd.p99,
           (int)bd.blocksPerSec);
    printf("  added by the service: median %+.1f us\n\n", sd.median - bd.median);
  }
  return 0;
}
