// State of CAudioCapture and the pieces of its capture loop.
//
// The loop (run by Start's thread): find the Opus encoder in the host program, open the sound
// source, report the stream's format (slot 3), then encode every 20 ms of 48 kHz stereo and
// hand each packet to slot 4 as one block: a 2-byte little-endian length, then the packet, so
// that the phone can split a TCP stream of blocks as well as datagrams. The packet's own first
// byte tells the phone's decoder the frame's duration.
//
// The source is chosen by the environment variable SHARE_CAPTURE_SOURCE, read only here:
//   unset or "loopback"  what the PC plays (WASAPI loopback of the default render device)
//   "device"             the default capture device (under Wine with PulseAudio: a monitor)
//   "tone:<hz>[:<dbfs>]" a generated sine tone, paced in real time
//   "none"               no sound: Start only waits for Stop
// Without a codec in the host or a working source, Start waits for Stop and reports nothing.
#pragma once

#include "share.h"

#include <ScopedWin.h>

#include <stdio.h>

#include <memory>
#include <string>

namespace ShareLib {

const int kCaptureRate = 48000;
const int kCaptureChannels = 2;
// 20 ms per channel: against 10 ms, half the wake-ups, encoder calls and sends (each send a
// call to the wineserver under Wine) for about 5 ms more delay.
const int kFrameSamples = 960;
const int kOpusBitrate = 128000;
const int kMaxPacket = 1500;

// One frame of interleaved stereo float samples in [-1, 1].
struct PcmFrame {
  float samples[kFrameSamples * kCaptureChannels];
};

// What a source watches for Stop. The flag is read without a system call (under Wine every
// wait on an event is a call to the wineserver); the event wakes a source that waits for the
// system anyway. Stop raises the flag first.
struct StopSignal {
  HANDLE event;
  const volatile LONG* flag;
  bool Raised() const { return *flag != 0; }
};

// A sound source. Read blocks until one frame is ready or Stop comes (then false).
class ICaptureSource {
 public:
  virtual ~ICaptureSource() {}
  virtual bool Read(PcmFrame* frame, const StopSignal& stop) = 0;
};

std::unique_ptr<ICaptureSource> MakeToneSource(double hz, double dbfs);
// loopback: the default render device's loopback; else the default capture device. Null when
// the platform has no such device or stream.
std::unique_ptr<ICaptureSource> MakeWasapiSource(bool loopback);
// Parses SHARE_CAPTURE_SOURCE and opens that source; null for "none" or a failed open.
std::unique_ptr<ICaptureSource> OpenConfiguredSource();

// The Opus encoder entry points, looked up by name in the host program (which exports them).
class COpusEncoder {
 public:
  COpusEncoder();
  ~COpusEncoder();
  COpusEncoder(const COpusEncoder&) = delete;
  COpusEncoder& operator=(const COpusEncoder&) = delete;
  // False when the host exports no codec or the encoder cannot be made.
  bool Open();
  // One frame into a packet; its length, or 0 or less on failure.
  int Encode(const PcmFrame& frame, unsigned char* packet, int size);

 private:
  struct Api;
  std::unique_ptr<Api> m_api;
  void* m_encoder = nullptr;
};

// Frame timings for the delay benchmark, kept only when SHARE_CAPTURE_TRACE names a file;
// otherwise every call returns at once.
class CaptureTrace {
 public:
  CaptureTrace();
  ~CaptureTrace();
  CaptureTrace(const CaptureTrace&) = delete;
  CaptureTrace& operator=(const CaptureTrace&) = delete;
  void Ready(const PcmFrame& frame);
  void Encoded();
  void Sent();

 private:
  struct Row {
    double ready = 0, encoded = 0, sent = 0;
    float peak = 0;
  };
  static const int kRowsKept = 50;  // a second of frames between writes
  double Now() const;
  void Flush();
  FILE* m_file = nullptr;
  LARGE_INTEGER m_freq = {};
  Row m_rows[kRowsKept];
  int m_count = 0;
};

struct CAudioCapture::Impl {
  ICaptureCallback* callback = nullptr;  // not owned; set by Initialize
  // Manual-reset: a Stop that comes before Start (the program starts Start on a new thread)
  // still ends that Start at once. Initialize clears it for the next run.
  win::AutoHandle stop{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  volatile LONG stopping = 0;  // raised with stop, cleared with it
  // Signalled while no Start runs; the destructor waits on it.
  win::AutoHandle idle{CreateEventW(nullptr, TRUE, TRUE, nullptr)};
  volatile LONG capturing = 0;
  volatile LONG starts = 0;  // Start calls in progress

  // Blocks until Stop: the capture loop.
  void Run();
  void Stream(ICaptureSource& source, COpusEncoder& encoder);
};

}  // namespace ShareLib
