// Phone-link benchmarks, printed figures only (no limits asserted). Both paths run in one
// loop, block by block, taking turns at going first, so that the ratio compares them under
// the same machine state:
//  1. Fan-out cost: each block through CQuillon's data slot to one TCP or one UDP channel on
//     loopback, and through a bare send of the same block on an identical socket; blocks per
//     second (from the summed send times), median and 99th percentile per block.
//  2. Delay added by the service: from the capture callback to the receiver's read, against
//     the bare send's delay; blocks paced 1 ms apart.
// Usage: bench_link [throughput-blocks]
// Blocks are 322 bytes: a 2-byte length and one 20 ms Opus packet at 128 kbit/s.
#include <winsock2.h>
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "Channel.h"
#include "PortForwarder.h"
#include "Quillon.h"
#include "share.h"

namespace {

const int kBlock = 322;
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

struct Figures {
  double blocksPerSec, median, p99;
};

// Sends every block through both paths in one loop, taking turns at going first, and times
// each send on its own: both paths see the same machine state, block by block. pace > 0 spaces
// the blocks that far apart (seconds); 0 sends them back to back.
template <class ServiceFn, class BareFn>
void Drive(ServiceFn service, BareFn bare, int count, double pace, Figures* viaService, Figures* viaBare) {
  std::vector<double> perService, perBare;
  perService.reserve(count);
  perBare.reserve(count);
  unsigned char block[kBlock] = {(kBlock - 2) & 0xFF, (kBlock - 2) >> 8};  // the length, little-endian
  double start = Now();
  for (int i = 0; i < count; ++i) {
    if (pace > 0)
      while (Now() < start + i * pace) {
      }
    for (int turn = 0; turn < 2; ++turn) {
      bool serviceNow = (turn == 0) == (i % 2 == 0);
      double t0 = Now();
      memcpy(block + 2, &t0, sizeof(t0));  // the receiver's delay is measured from here
      if (serviceNow) service(block);
      else bare(block);
      (serviceNow ? perService : perBare).push_back(Now() - t0);
    }
  }
  auto figures = [](const std::vector<double>& per) {
    double sum = 0;
    for (double t : per) sum += t;
    return Figures{sum > 0 ? per.size() / sum : 0, Percentile(per, 0.5) * 1e6, Percentile(per, 0.99) * 1e6};
  };
  *viaService = figures(perService);
  *viaBare = figures(perBare);
}

// What the channel's stream path does with a block, without the service around it.
void BareStreamSend(SOCKET s, const unsigned char* data, int length) {
  for (int left = length; left > 0;) {
    int n = send(s, reinterpret_cast<const char*>(data) + (length - left), left, 0);
    if (n <= 0) break;
    left -= n;
  }
}

// The service's channel and a bare socket to two receivers of the same kind. Fills the
// per-block send figures of both paths and the delays their receivers saw.
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
    BOOL noDelay = TRUE;  // as the channel's stream socket
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
  Drive([&](const unsigned char* b) { quillon.OnData(b, kBlock); },
        [&](const unsigned char* b) {
          if (stream) BareStreamSend(bareSocket, b, kBlock);
          else send(bareSocket, reinterpret_cast<const char*>(b), kBlock, 0);
        },
        count, pace, service, bare);
  // Bounded wait for the receivers to drain.
  for (int i = 0; i < 100 && (viaService.blocks < count || viaBare.blocks < count); ++i) Sleep(20);
  auto delays = [](Receiver& r) {
    return Figures{(double)r.blocks, Percentile(r.delays, 0.5) * 1e6, Percentile(r.delays, 0.99) * 1e6};
  };
  quillon.Remove(channel.get());
  viaService.Finish();
  viaBare.Finish();
  *serviceDelay = delays(viaService);
  *bareDelay = delays(viaBare);
  closesocket(bareSocket);
}

}  // namespace

int main(int argc, char** argv) {
  ShareLib::CAutoWSA::Do();
  int throughputBlocks = argc > 1 ? atoi(argv[1]) : kThroughputBlocks;
  if (throughputBlocks <= 0) throughputBlocks = kThroughputBlocks;
  printf("Quillon link benchmarks (%d-byte blocks, loopback; both paths take turns in one loop)\n\n", kBlock);
  for (int kind = 0; kind < 2; ++kind) {
    bool stream = kind == 0;
    const char* name = stream ? "TCP stream path" : "UDP datagram path";
    Figures service, bare, sd, bd;
    Bench(stream, throughputBlocks, 0, &service, &bare, &sd, &bd);
    printf("%s, fan-out cost, %d blocks back to back:\n", name, throughputBlocks);
    printf("  CQuillon::OnData  %9.0f blocks/s  median %6.2f us  p99 %6.2f us\n", service.blocksPerSec,
           service.median, service.p99);
    printf("  bare send         %9.0f blocks/s  median %6.2f us  p99 %6.2f us\n", bare.blocksPerSec, bare.median,
           bare.p99);
    printf("  ratio service/bare: median %.3f  p99 %.3f  time per block %.3f  (target <= 1.2)\n",
           service.median / bare.median, service.p99 / bare.p99, bare.blocksPerSec / service.blocksPerSec);
    Bench(stream, kDelayBlocks, 0.001, &service, &bare, &sd, &bd);
    printf("%s, delay from the capture callback to the receiver, %d blocks 1 ms apart:\n", name, kDelayBlocks);
    printf("  through CQuillon  median %7.1f us  p99 %7.1f us  (%d received)\n", sd.median, sd.p99,
           (int)sd.blocksPerSec);
    printf("  bare send         median %7.1f us  p99 %7.1f us  (%d received)\n", bd.median, bd.p99,
           (int)bd.blocksPerSec);
    printf("  added by the service: median %+.1f us  p99 %+.1f us  (target < 1000 us median)\n\n",
           sd.median - bd.median, sd.p99 - bd.p99);
  }
  return 0;
}
