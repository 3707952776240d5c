// Audio capture: the program runs Start on a thread of its own and ends it with Stop.
#include "AudioCaptureImpl.h"

#include <mmreg.h>

namespace ShareLib {

namespace {

// The record slot 3 receives: WAVEFORMATEX-shaped, so the sample rate is the 32-bit word at
// offset 4. The tag names the Opus blocks the stream carries.
WAVEFORMATEX OpusStreamFormat() {
  WAVEFORMATEX f = {};
  f.wFormatTag = 0x704F;  // "Op"
  f.nChannels = kCaptureChannels;
  f.nSamplesPerSec = kCaptureRate;
  f.nAvgBytesPerSec = kOpusBitrate / 8;
  f.nBlockAlign = 0;  // variable-size blocks
  f.wBitsPerSample = 16;
  f.cbSize = 0;
  return f;
}

}  // namespace

void CAudioCapture::Impl::Run() {
  InterlockedExchange(&capturing, 1);
  COpusEncoder encoder;
  std::unique_ptr<CCaptureStream> source;
  if (encoder.Open()) source = OpenConfiguredSource();
  if (source) Stream(*source, encoder);
  WaitForSingleObject(stop.get(), INFINITE);
  InterlockedExchange(&capturing, 0);
}

void CAudioCapture::Impl::Stream(CCaptureStream& source, COpusEncoder& encoder) {
  WAVEFORMATEX format = OpusStreamFormat();
  callback->OnFormat(&format);
  PcmFrame frame;
  unsigned char block[2 + kMaxPacket];
  CaptureTrace trace;
  // Read itself ends at Stop: no poll of the stop event per frame (under Wine each is a call to
  // the wineserver).
  const StopSignal signal = {stop.get(), &stopping};
  for (;;) {
    if (!source.Read(&frame, signal)) break;
    trace.Ready(frame);
    int n = encoder.Encode(frame, block + 2, kMaxPacket);
    if (n <= 0) continue;
    trace.Encoded();
    block[0] = (unsigned char)n;
    block[1] = (unsigned char)(n >> 8);
    callback->OnData(block, n + 2);
    trace.Sent();
  }
  callback->OnCaptureStopped();
}

CAudioCapture::CAudioCapture() : m_impl(nullptr) {
  // Nothing may leave the library as an exception; every operation checks m_impl instead.
  try {
    m_impl = new Impl;
  } catch (...) {
  }
}

CAudioCapture::~CAudioCapture() {
  if (!m_impl) return;
  Stop();
  // A Start still running on another thread uses m_impl until it returns.
  WaitForSingleObject(m_impl->idle.get(), INFINITE);
  delete m_impl;
}

int CAudioCapture::Initialize(ICaptureCallback* callback) {
  if (!m_impl || !m_impl->stop || !m_impl->idle || !callback) return 0;
  if (m_impl->capturing) return 0;  // one capture at a time
  m_impl->callback = callback;
  InterlockedExchange(&m_impl->stopping, 0);
  ResetEvent(m_impl->stop.get());
  return 1;
}

void CAudioCapture::Start() {
  if (!m_impl || !m_impl->callback) return;
  if (InterlockedIncrement(&m_impl->starts) == 1) ResetEvent(m_impl->idle.get());
  try {
    m_impl->Run();
  } catch (...) {
    InterlockedExchange(&m_impl->capturing, 0);
  }
  if (InterlockedDecrement(&m_impl->starts) == 0) SetEvent(m_impl->idle.get());
}

void CAudioCapture::Stop() {
  if (!m_impl) return;
  InterlockedExchange(&m_impl->stopping, 1);
  SetEvent(m_impl->stop.get());
}

bool CAudioCapture::IsCapturing() const { return m_impl && m_impl->capturing != 0; }

}  // namespace ShareLib
