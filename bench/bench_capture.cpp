// Where the capture loop's CPU goes: the loop of the capture library (its tone source, paced in
// real time, and its Opus encoder with the shipped settings) run on a thread of its own with
// one piece added at a time, each row for the same stretch of stream, its thread's CPU time
// scaled to a minute. Rows run in one process, one after another, so their differences are
// the pieces' costs on this machine:
//   paced tone          the tone source alone: one frame per 20 ms, a Sleep per frame
//   + encode            each frame through the encoder
//   + send              each packet as one datagram to a receiver on loopback (a second thread
//                       that reads them, as the phone would)
//   encode unpaced      the same number of frames encoded back to back, warm caches
// then the capture stream's other paths, encoded and sent, with the bytes sent per minute:
//   silence             a source that delivers nothing: silence frames by the clock
//   44.1 kHz 5.1, 96 kHz   a tone in that format: downmix and resampler on the way
// Thread times come from the system in scheduler ticks, so a row of S seconds is exact to
// about 0.6 / S s per minute.
// Usage: bench_capture [seconds per row]
#include <winsock2.h>
#include <windows.h>

#include <stdio.h>

#include <atomic>
#include <thread>
#include <vector>

#include "AudioCaptureImpl.h"
#include "BenchCommon.h"

namespace {

using namespace ShareLib;

double ThreadCpuSeconds() {
  FILETIME created, exited, kernel, user;
  if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user)) return 0;
  auto seconds = [](const FILETIME& t) {
    return (double)(((ULONGLONG)t.dwHighDateTime << 32) | t.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}

// A UDP receiver on loopback and a socket connected to it, as the capture's channel is.
class LoopbackDatagrams {
 public:
  LoopbackDatagrams() {
    m_rx = socket(AF_INET, SOCK_DGRAM, 0);
    m_tx = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int len = sizeof(a);
    if (bind(m_rx, (sockaddr*)&a, sizeof(a)) != 0 || getsockname(m_rx, (sockaddr*)&a, &len) != 0 ||
        connect(m_tx, (sockaddr*)&a, sizeof(a)) != 0)
      return;
    m_ok = true;
    m_reader = std::thread([this] {
      char buffer[2048];
      while (recv(m_rx, buffer, sizeof(buffer), 0) > 0) ++received;
    });
  }
  ~LoopbackDatagrams() {
    closesocket(m_tx);
    closesocket(m_rx);  // ends the reader's recv
    if (m_reader.joinable()) m_reader.join();
  }
  bool ok() const { return m_ok; }
  void Send(const unsigned char* data, int length) { send(m_tx, (const char*)data, length, 0); }
  std::atomic<long> received{0};

 private:
  SOCKET m_rx = INVALID_SOCKET, m_tx = INVALID_SOCKET;
  bool m_ok = false;
  std::thread m_reader;
};

enum Piece { kPaced = 1, kEncode = 2, kSend = 4 };

// Runs the loop with the given pieces for `frames` frames; the loop thread's CPU seconds.
double RunRow(int pieces, const char* tone, int frames, LoopbackDatagrams* net, long long* bytes) {
  double cpu = -1;
  *bytes = 0;
  std::thread loop([&] {
    COpusEncoder encoder;
    if ((pieces & kEncode) && !encoder.Open()) return;
    CCaptureStream stream(MakeToneOpener(tone));
    stream.Open();
    volatile LONG stopFlag = 0;
    const StopSignal never = {nullptr, &stopFlag};
    // Unpaced, the frames are a second of the tone read beforehand, used in turn.
    std::vector<PcmFrame> second((pieces & kPaced) ? 1 : kCaptureRate / kFrameSamples);
    if (!(pieces & kPaced))
      for (PcmFrame& f : second) stream.Read(&f, never);
    unsigned char block[2 + kMaxPacket] = {};
    double start = ThreadCpuSeconds();
    for (int i = 0; i < frames; ++i) {
      PcmFrame& frame = second[i % second.size()];
      if (pieces & kPaced) stream.Read(&frame, never);
      int n = (pieces & kEncode) ? encoder.Encode(frame, block + 2, kMaxPacket) : 320;
      if (n <= 0) continue;
      block[0] = (unsigned char)n;
      block[1] = (unsigned char)(n >> 8);
      if (pieces & kSend) net->Send(block, n + 2);
      *bytes += n + 2;
    }
    cpu = ThreadCpuSeconds() - start;
  });
  loop.join();
  return cpu;
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = bench::PositiveArg(argc, argv, 1, 15);
  const int frames = seconds * kCaptureRate / kFrameSamples;
  WSADATA wsa;
  WSAStartup(MAKEWORD(2, 2), &wsa);
  LoopbackDatagrams net;
  if (!net.ok()) {
    printf("no loopback socket pair\n");
    return 1;
  }
  printf("capture loop, %d ms frames of 48 kHz stereo, %d s of stream per row;\n",
         kFrameSamples * 1000 / kCaptureRate, seconds);
  printf("CPU of the loop's thread per streaming minute:\n");
  const char* tone = "440:-12";
  struct Row {
    const char* name;
    int pieces;
    const char* source;
  } rows[] = {
      {"paced tone", kPaced, tone},
      {"paced tone + encode", kPaced | kEncode, tone},
      {"paced tone + encode + send", kPaced | kEncode | kSend, tone},
      {"encode unpaced (warm)", kEncode, tone},
      {"silence + encode + send", kPaced | kEncode | kSend, "440:-12:pause=0+100000"},
      {"44.1 kHz 5.1 + encode + send", kPaced | kEncode | kSend, "440:-12:rate=44100:channels=6"},
      {"96 kHz + encode + send", kPaced | kEncode | kSend, "440:-12:rate=96000"},
  };
  const double perMinute = 60.0 / seconds;
  for (const Row& row : rows) {
    long long bytes = 0;
    double cpu = RunRow(row.pieces, row.source, frames, &net, &bytes);
    if (cpu < 0) {
      printf("  %-30s  no encoder\n", row.name);
      continue;
    }
    printf("  %-30s %6.2f s", row.name, cpu * perMinute);
    if (row.pieces & kEncode) printf("  %8.0f bytes", bytes * perMinute);
    printf("\n");
  }
  printf("datagrams received: %ld of %d\n", net.received.load(), 4 * frames);
  WSACleanup();
  return 0;
}
