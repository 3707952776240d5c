// The phone's ear on the capture library, for the stream tests: runs CAudioCapture with the
// source SHARE_CAPTURE_SOURCE names for the given seconds, decodes every block with Opus as the
// phone does, and prints one line per block:
//   <seconds since the first block> <left RMS dBFS> <right RMS dBFS> <left zero crossings>
// then "end <blocks> <stopped>", stopped being 1 when the capture ended its stream on its own.
// Usage: capture_probe <seconds>
#include <windows.h>

#include <math.h>
#include <opus/opus.h>
#include <stdio.h>
#include <stdlib.h>

#include "share.h"

namespace {

class Ear : public ShareLib::ICaptureCallback {
 public:
  Ear() {
    int error = 0;
    m_decoder = opus_decoder_create(48000, 2, &error);
    QueryPerformanceFrequency(&m_freq);
  }
  ~Ear() override {
    if (m_decoder) opus_decoder_destroy(m_decoder);
  }
  void OnCaptureEvent(int) override {}
  void OnCaptureStopped() override { stopped = 1; }
  void OnFormat(const void*) override {}
  void OnData(const unsigned char* data, int length) override {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    if (blocks++ == 0) m_first = now;
    double t = (double)(now.QuadPart - m_first.QuadPart) / m_freq.QuadPart;
    int n = length >= 2 && (data[0] | data[1] << 8) == length - 2 && m_decoder
                ? opus_decode_float(m_decoder, data + 2, length - 2, m_pcm, 5760, 0)
                : -1;
    if (n <= 0) {
      printf("%.4f bad\n", t);
      return;
    }
    double l = 0, r = 0;
    int crossings = 0;
    for (int i = 0; i < n; ++i) {
      l += m_pcm[2 * i] * m_pcm[2 * i];
      r += m_pcm[2 * i + 1] * m_pcm[2 * i + 1];
      if (i > 0 && m_pcm[2 * i - 2] < 0 && m_pcm[2 * i] >= 0) ++crossings;
    }
    // dBFS of a sine's peak: RMS times the square root of 2.
    printf("%.4f %.2f %.2f %d\n", t, 10 * log10(2 * l / n + 1e-20), 10 * log10(2 * r / n + 1e-20), crossings);
    fflush(stdout);
  }
  volatile LONG blocks = 0, stopped = 0;

 private:
  OpusDecoder* m_decoder = nullptr;
  float m_pcm[5760 * 2];
  LARGE_INTEGER m_freq, m_first = {};
};

DWORD WINAPI RunCapture(void* capture) {
  static_cast<ShareLib::CAudioCapture*>(capture)->Start();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? atof(argv[1]) : 5;
  Ear ear;
  ShareLib::CAudioCapture capture;
  if (!capture.Initialize(&ear)) return 2;
  HANDLE thread = CreateThread(nullptr, 0, RunCapture, &capture, 0, nullptr);
  if (!thread) return 2;
  Sleep((DWORD)(seconds * 1000));
  const long early = ear.stopped || !capture.IsCapturing();
  capture.Stop();
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  printf("end %ld %ld\n", (long)ear.blocks, early);
  return 0;
}
