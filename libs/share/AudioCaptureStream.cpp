// The capture's steady stream: the source's samples converted to 48 kHz stereo frames, the
// device followed through losses and changes, and silence by the clock in between.
//
// Timing. A frame goes out as soon as the source has delivered its last sample, so a working
// device sets the pace and adds no delay. When no packet has come for kQuiet (a frame and a
// half) the frame's slot is filled by the clock instead: whatever part of a frame is waiting,
// then silence, and from then on one frame of silence per frame's duration. When packets come
// back they go out as they complete frames, straight after the last slot: the phone's time
// runs on without a jump, and since nothing was queued meanwhile there is no burst. Should a
// backlog build up anyway (the thread was held up, a new device handed over what it had
// buffered), up to 60 ms of it goes out at once and anything older is dropped, keeping the
// delay at its goal; silence slots missed while the thread was held up are treated alike.
//
// Following the device. A stream ends on any failed call (on Windows a device unplugged,
// put to sleep, reformatted or its audio service restarted all fail every call with
// AUDCLNT_E_DEVICE_INVALIDATED or AUDCLNT_E_SERVICE_NOT_RUNNING), when the opener reports that
// the default device changed or the device went away, and, for a continuous stream only, after
// kStall without a packet (Wine's PulseAudio driver simply stops delivering when the device
// goes; a loopback stream is quiet whenever nothing plays, so there quiet is not loss). The
// next stream opens at once on whatever is the default then; while none can be opened the
// stream goes on with silence and tries again every kRetry, and at once when the opener
// hears of a new device.
#include "AudioCaptureImpl.h"

#include "AudioDownmix.h"
#include "AudioResampler.h"

#include <math.h>
#include <string.h>

namespace ShareLib {

namespace {
const double kFrame = (double)kFrameSamples / kCaptureRate;
const double kQuiet = 1.5 * kFrame;
const double kStall = 1.0;
const double kRetry = 0.5;
const size_t kFrameValues = (size_t)kFrameSamples * kCaptureChannels;
const int kBacklogFrames = 3;
const size_t kBacklogValues = kBacklogFrames * kFrameValues;
}  // namespace

CCaptureStream::CCaptureStream(std::unique_ptr<ISourceOpener> opener) : m_opener(std::move(opener)) {
  QueryPerformanceFrequency(&m_freq);
}

CCaptureStream::~CCaptureStream() {}

double CCaptureStream::Now() const {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return (double)now.QuadPart / m_freq.QuadPart;
}

bool CCaptureStream::Open() { return m_opener && Reopen(Now()) != ISourceOpener::kUnsupported; }

ISourceOpener::Result CCaptureStream::Reopen(double now) {
  std::unique_ptr<IRawSource> source;
  ISourceOpener::Result result = m_opener->Open(&source);
  if (result != ISourceOpener::kOpened || !source) {
    m_nextOpen = now + kRetry;
    return result == ISourceOpener::kOpened ? ISourceOpener::kNoDevice : result;
  }
  RawFormat f = source->Format();
  m_downmix.reset(new CDownmix(f.channels, f.mask));
  m_resampler.reset(new CResampler(f.rate, kCaptureRate, kCaptureChannels));
  m_channels = f.channels;
  m_source = std::move(source);
  m_alive = m_openedAt = Now();
  return result;
}

void CCaptureStream::Drop(double now) {
  m_source.reset();
  // A device that fails as soon as it opens is not opened again at once, or the thread would
  // do nothing else.
  m_nextOpen = now - m_openedAt < kRetry ? m_openedAt + kRetry : now;
}

void CCaptureStream::Convert() {
  const size_t frames = m_raw.size() / m_channels;
  const float* stereo = m_raw.data();
  if (!m_downmix->Passthrough()) {
    m_stereo.clear();
    m_downmix->Process(m_raw.data(), frames, &m_stereo);
    stereo = m_stereo.data();
  }
  m_resampler->Process(stereo, frames, &m_ready);
}

void CCaptureStream::Take(PcmFrame* frame) {
  if (m_ready.size() < kFrameValues) m_ready.resize(kFrameValues, 0.0f);  // the rest is silence
  memcpy(frame->samples, m_ready.data(), sizeof(frame->samples));
  m_ready.erase(m_ready.begin(), m_ready.begin() + kFrameValues);
  if (m_ready.size() > kBacklogValues) m_ready.erase(m_ready.begin(), m_ready.end() - kFrameValues);
}

bool CCaptureStream::Read(PcmFrame* frame, const StopSignal& stop) {
  if (!m_started) {
    // The clock starts here, not at Open: the caller opens the phone's channel in between.
    m_started = true;
    m_lastPacket = m_alive = Now();
    m_due = m_lastPacket + kFrame;
  }
  for (;;) {
    if (stop.Raised()) return false;
    double now = Now();
    if (m_opener->Changed()) Drop(now);
    if (!m_source && now >= m_nextOpen) {
      Reopen(now);
      now = Now();  // an open can take a while
    }
    if (m_source) {
      m_raw.clear();
      if (!m_source->Pull(&m_raw)) {
        Drop(now);
        continue;
      }
      if (!m_raw.empty()) {
        m_lastPacket = m_alive = now;
        Convert();
      } else if (m_source->Continuous() && now - m_alive > kStall) {
        Drop(now);
        continue;
      }
    }
    if (m_ready.size() >= kFrameValues) {
      Take(frame);
      m_due = now + kFrame;
      return true;
    }
    if (now - m_lastPacket >= kQuiet && now >= m_due) {
      Take(frame);
      // Slots missed while the thread was held up are made up at once as far as a sound
      // backlog would be (kBacklogValues); beyond that they are skipped, not sent in a burst.
      m_due += kFrame;
      if (m_due < now - kBacklogFrames * kFrame) m_due = now + kFrame;
      return true;
    }
    double until = m_due > m_lastPacket + kQuiet ? m_due : m_lastPacket + kQuiet;
    if (!m_source && m_nextOpen < until) until = m_nextOpen;
    double wait = ceil((until - now) * 1000.0);
    DWORD ms = wait < 1 ? 1 : wait > 100 ? 100 : (DWORD)wait;
    if (m_source) {
      if (!m_source->Wait(ms, stop)) return false;
    } else if (stop.event ? WaitForSingleObject(stop.event, ms) == WAIT_OBJECT_0 : (Sleep(ms), false)) {
      return false;
    }
  }
}

}  // namespace ShareLib
