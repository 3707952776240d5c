// Sound sources of the capture: the configured choice and the generated tone.
#include "AudioCaptureImpl.h"

#include <math.h>
#include <stdlib.h>

namespace ShareLib {

namespace {

// A sine tone on both channels, one frame per frame's duration of real time.
//
// Each sample turns the unit vector (m_cos, m_sin) by the step's angle: four products instead
// of a sin() call. Rounding would let the vector's length drift, so it is put back on the
// circle once per frame.
class ToneSource : public ICaptureSource {
 public:
  ToneSource(double hz, double dbfs)
      : m_turnCos(cos(2.0 * 3.14159265358979 * hz / kCaptureRate)),
        m_turnSin(sin(2.0 * 3.14159265358979 * hz / kCaptureRate)),
        m_gain(pow(10.0, dbfs / 20.0)) {
    QueryPerformanceFrequency(&m_freq);
  }

  bool Read(PcmFrame* frame, const StopSignal& stop) override {
    // Frame n is due at start + n frame durations: waiting for the due time, not a fixed pause,
    // keeps the stream's rate exact whatever the encoding costs. Sleep, unlike a wait on the
    // stop event, makes no call to the wineserver under Wine; the flag is seen within a
    // frame's duration, and also when behind time (the caller does not poll it).
    // The clock starts at the first Read, not at construction: the time the caller takes to
    // open the phone's channel in between must not come out as a burst of frames.
    if (m_frames == 0) QueryPerformanceCounter(&m_start);
    const double due = (double)m_frames * kFrameSamples / kCaptureRate;
    for (;;) {
      if (stop.Raised()) return false;
      double left = due - Elapsed();
      if (left <= 0) break;
      Sleep((DWORD)ceil(left * 1000.0));
    }
    for (int i = 0; i < kFrameSamples; ++i) {
      float v = (float)(m_gain * m_sin);
      double c = m_cos * m_turnCos - m_sin * m_turnSin;
      m_sin = m_sin * m_turnCos + m_cos * m_turnSin;
      m_cos = c;
      frame->samples[2 * i] = v;
      frame->samples[2 * i + 1] = v;
    }
    double length = sqrt(m_cos * m_cos + m_sin * m_sin);
    m_cos /= length;
    m_sin /= length;
    ++m_frames;
    return true;
  }

 private:
  double Elapsed() const {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (double)(now.QuadPart - m_start.QuadPart) / m_freq.QuadPart;
  }

  double m_turnCos, m_turnSin;
  double m_gain;
  double m_cos = 1, m_sin = 0;
  long long m_frames = 0;
  LARGE_INTEGER m_freq, m_start;
};

std::string ReadSetting() {
  wchar_t value[256];
  DWORD n = GetEnvironmentVariableW(L"SHARE_CAPTURE_SOURCE", value, 256);
  if (n == 0 || n >= 256) return std::string();
  std::string text;
  for (DWORD i = 0; i < n; ++i) text += (char)(value[i] < 128 ? value[i] : '?');
  return text;
}

}  // namespace

std::unique_ptr<ICaptureSource> MakeToneSource(double hz, double dbfs) {
  if (!(hz > 0 && hz < kCaptureRate / 2)) hz = 440;
  if (!(dbfs <= 0 && dbfs > -120)) dbfs = -12;
  try {
    return std::unique_ptr<ICaptureSource>(new ToneSource(hz, dbfs));
  } catch (...) {
    return nullptr;
  }
}

std::unique_ptr<ICaptureSource> OpenConfiguredSource() {
  std::string setting = ReadSetting();
  if (setting == "none") return nullptr;
  if (setting.compare(0, 4, "tone") == 0) {
    double hz = 440, dbfs = -12;
    const char* p = setting.c_str() + 4;
    if (*p == ':') {
      hz = strtod(p + 1, const_cast<char**>(&p));
      if (*p == ':') dbfs = strtod(p + 1, nullptr);
    }
    return MakeToneSource(hz, dbfs);
  }
  if (setting == "device") return MakeWasapiSource(false);
  return MakeWasapiSource(true);
}

}  // namespace ShareLib
