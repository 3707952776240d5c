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
//   "tone:<hz>[:<dbfs>][:<option>...]"  a generated sine tone, paced in real time; options
//                        give it another rate or layout or pauses (AudioCaptureSource.cpp)
//   "none"               no sound: Start only waits for Stop
// Without a codec in the host, or where the platform has no such source (Wine has no
// loopback), Start waits for Stop and reports nothing. A device that is missing or lost is
// no such case: the stream goes on with silence and takes up the next device (CCaptureStream).
#pragma once

#include "share.h"

#include <ScopedWin.h>

#include <stdio.h>

#include <stdint.h>

#include <memory>
#include <string>
#include <vector>

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

// What a raw source delivers: interleaved float samples in its own layout and rate.
struct RawFormat {
  int rate = kCaptureRate;
  int channels = kCaptureChannels;
  uint32_t mask = 0;  // speaker bits; 0: the usual layout for the channel count
};

// One open stream of a sound device or of a test source.
class IRawSource {
 public:
  virtual ~IRawSource() {}
  virtual RawFormat Format() const = 0;
  // Appends every sample ready now. False: the stream has ended (a failed call); it is
  // dropped and the next one opened.
  virtual bool Pull(std::vector<float>* out) = 0;
  // Waits at most ms for more samples; false once Stop comes.
  virtual bool Wait(DWORD ms, const StopSignal& stop) = 0;
  // True for a stream that delivers without pause while it lives, silent or not (a capture
  // device runs on its own clock), so that a long pause means it is lost. A loopback stream
  // delivers nothing while nothing plays: its pauses are silence, not loss.
  virtual bool Continuous() const = 0;
};

// Opens the current source, and again after each loss.
class ISourceOpener {
 public:
  enum Result { kOpened, kNoDevice, kUnsupported };
  virtual ~ISourceOpener() {}
  virtual Result Open(std::unique_ptr<IRawSource>* source) = 0;
  // True, once, when the stream in use should be given up for another: the system's default
  // device changed, the open device went away, or one appeared while none was open.
  virtual bool Changed() = 0;
};

// The loopback of the default render device, or the default capture device.
std::unique_ptr<ISourceOpener> MakeWasapiOpener(bool loopback);
// A test source from its setting text (after "tone:"); see AudioCaptureSource.cpp.
std::unique_ptr<ISourceOpener> MakeToneOpener(const std::string& setting);

class CDownmix;
class CResampler;

// The stream the encoder reads: frames of 48 kHz stereo, one per frame's duration, whatever
// the source does. It converts what the source delivers (downmix, then resampler), follows the
// device (a failed call, a continuous stream gone quiet, or the opener's Changed ends the
// stream and the next one is opened on whatever is the default then), and fills with silence
// by the clock while the source delivers nothing or no device exists.
class CCaptureStream {
 public:
  explicit CCaptureStream(std::unique_ptr<ISourceOpener> opener);
  ~CCaptureStream();
  CCaptureStream(const CCaptureStream&) = delete;
  CCaptureStream& operator=(const CCaptureStream&) = delete;
  // The first open. False when the platform cannot give this kind of source at all (Wine has
  // no loopback streams); a missing device is no failure: the stream starts with silence.
  bool Open();
  // Blocks until the next frame is due or ready; false once Stop comes.
  bool Read(PcmFrame* frame, const StopSignal& stop);

 private:
  ISourceOpener::Result Reopen(double now);
  void Drop(double now);
  void Convert();
  void Take(PcmFrame* frame);
  double Now() const;

  std::unique_ptr<ISourceOpener> m_opener;
  std::unique_ptr<IRawSource> m_source;  // null while no device is open
  std::unique_ptr<CDownmix> m_downmix;
  std::unique_ptr<CResampler> m_resampler;
  int m_channels = kCaptureChannels;   // of the source's samples
  std::vector<float> m_raw, m_stereo;  // scratch of one pull
  std::vector<float> m_ready;          // 48 kHz stereo not yet handed out
  LARGE_INTEGER m_freq = {};
  bool m_started = false;
  double m_lastPacket = 0;  // when the source last delivered
  double m_alive = 0;       // the later of that and the stream's opening
  double m_due = 0;         // the next frame's slot, when nothing comes
  double m_nextOpen = 0;    // the next try while no device is open
  double m_openedAt = -1e9; // when the current or last stream opened
};

// Parses SHARE_CAPTURE_SOURCE and opens that source; null for "none" or a source the platform
// cannot give.
std::unique_ptr<CCaptureStream> OpenConfiguredSource();

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
  // Digital silence, once the encoder has settled on it, is the same packet every frame: it is
  // sent again instead of being encoded again (the 32-bit codec is slowest on zeros).
  bool m_silenceSteady = false;
  std::vector<unsigned char> m_silencePacket;  // the last packet of silence encoded
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
  void Stream(CCaptureStream& source, COpusEncoder& encoder);
};

}  // namespace ShareLib
