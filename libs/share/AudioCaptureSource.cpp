// Sound sources of the capture: the configured choice and the generated test tone.
//
// The tone's setting, after "tone:": <hz>[:<dbfs>] then any of these options, each after a
// colon, so that tests can reproduce what devices do:
//   rate=<hz>         its sample rate (default 48000)
//   channels=<n>      its channel count, in the usual layout for the count (default 2)
//   only=<channel>    the tone sounds in that channel alone, the others are silent
//   pause=<s>+<s>     after the first number of seconds, delivers nothing for the second
// It delivers in 10 ms packets, as a shared-mode device does, and from then on its samples take
// the same way as a device's.
#include "AudioCaptureImpl.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

namespace ShareLib {

namespace {

const int kPacketsPerSecond = 100;

struct ToneSettings {
  double hz = 440, dbfs = -12;
  RawFormat format;
  int only = -1;  // every channel
  double pauseAt = -1, pauseFor = 0;
};

// Each sample turns the unit vector (m_cos, m_sin) by the step's angle: four products instead
// of a sin() call. Rounding would let the vector's length drift, so it is put back on the
// circle once per packet.
class ToneSource : public IRawSource {
 public:
  explicit ToneSource(const ToneSettings& s)
      : m_s(s),
        m_turnCos(cos(2.0 * 3.14159265358979 * s.hz / s.format.rate)),
        m_turnSin(sin(2.0 * 3.14159265358979 * s.hz / s.format.rate)),
        m_gain(pow(10.0, s.dbfs / 20.0)) {
    QueryPerformanceFrequency(&m_freq);
  }

  RawFormat Format() const override { return m_s.format; }
  bool Continuous() const override { return false; }  // its pauses are meant

  bool Pull(std::vector<float>* out) override {
    // The clock starts at the first Pull, not at construction.
    if (m_packets == 0 && m_start.QuadPart == 0) QueryPerformanceCounter(&m_start);
    const long long due = (long long)(Elapsed() * kPacketsPerSecond);
    const int channels = m_s.format.channels;
    for (; m_packets < due; ++m_packets) {
      double t = (double)m_packets / kPacketsPerSecond;
      if (t >= m_s.pauseAt && t < m_s.pauseAt + m_s.pauseFor) continue;
      long long n = (m_packets + 1) * m_s.format.rate / kPacketsPerSecond - m_packets * m_s.format.rate / kPacketsPerSecond;
      for (long long i = 0; i < n; ++i) {
        float v = (float)(m_gain * m_sin);
        double c = m_cos * m_turnCos - m_sin * m_turnSin;
        m_sin = m_sin * m_turnCos + m_cos * m_turnSin;
        m_cos = c;
        for (int ch = 0; ch < channels; ++ch) out->push_back(m_s.only < 0 || m_s.only == ch ? v : 0.0f);
      }
      double length = sqrt(m_cos * m_cos + m_sin * m_sin);
      m_cos /= length;
      m_sin /= length;
    }
    return true;
  }

  // Sleep, unlike a wait on the stop event, makes no call to the wineserver under Wine; the
  // flag is seen within a packet's duration.
  bool Wait(DWORD ms, const StopSignal& stop) override {
    if (stop.Raised()) return false;
    double next = (double)(m_packets + 1) / kPacketsPerSecond;
    if (next > m_s.pauseAt && next <= m_s.pauseAt + m_s.pauseFor) next = m_s.pauseAt + m_s.pauseFor;
    next -= Elapsed();
    double wait = ceil(next * 1000.0);
    if (wait < ms) ms = wait < 1 ? 1 : (DWORD)wait;
    Sleep(ms);
    return !stop.Raised();
  }

 private:
  double Elapsed() const {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (double)(now.QuadPart - m_start.QuadPart) / m_freq.QuadPart;
  }

  ToneSettings m_s;
  double m_turnCos, m_turnSin;
  double m_gain;
  double m_cos = 1, m_sin = 0;
  long long m_packets = 0;
  LARGE_INTEGER m_freq = {}, m_start = {};
};

// Hands out its one tone; a tone is never lost, so there is no second.
class ToneOpener : public ISourceOpener {
 public:
  explicit ToneOpener(const ToneSettings& s) : m_settings(s) {}
  Result Open(std::unique_ptr<IRawSource>* source) override {
    if (m_opened) return kNoDevice;
    m_opened = true;
    source->reset(new ToneSource(m_settings));
    return kOpened;
  }
  bool Changed() override { return false; }

 private:
  ToneSettings m_settings;
  bool m_opened = false;
};

// Out-of-range values fall back to the defaults rather than fail: a test setting with a typo
// still gives a stream.
ToneSettings ParseTone(const std::string& text) {
  ToneSettings s;
  const char* p = text.c_str();
  if (*p) s.hz = strtod(p, const_cast<char**>(&p));
  if (*p == ':' && p[1] != '\0' && strchr("-0123456789.", p[1])) s.dbfs = strtod(p + 1, const_cast<char**>(&p));
  while (*p == ':') {
    ++p;
    const char* end = strchr(p, ':');
    std::string option(p, end ? end - p : strlen(p));
    p = end ? end : p + option.size();
    size_t eq = option.find('=');
    if (eq == std::string::npos) continue;
    std::string key = option.substr(0, eq);
    const char* value = option.c_str() + eq + 1;
    if (key == "rate") s.format.rate = atoi(value);
    else if (key == "channels") s.format.channels = atoi(value);
    else if (key == "only") s.only = atoi(value);
    else if (key == "pause") {
      char* rest = nullptr;
      s.pauseAt = strtod(value, &rest);
      if (*rest == '+') s.pauseFor = strtod(rest + 1, nullptr);
    }
  }
  if (!(s.format.rate >= 8000 && s.format.rate <= 384000)) s.format.rate = kCaptureRate;
  if (!(s.format.channels >= 1 && s.format.channels <= 8)) s.format.channels = kCaptureChannels;
  if (!(s.hz > 0 && s.hz < s.format.rate / 2)) s.hz = 440;
  if (!(s.dbfs <= 0 && s.dbfs > -120)) s.dbfs = -12;
  if (s.only >= s.format.channels) s.only = -1;
  return s;
}

std::string ReadSetting() {
  wchar_t value[256];
  DWORD n = GetEnvironmentVariableW(L"SHARE_CAPTURE_SOURCE", value, 256);
  if (n == 0 || n >= 256) return std::string();
  std::string text;
  for (DWORD i = 0; i < n; ++i) text += (char)(value[i] < 128 ? value[i] : '?');
  return text;
}

}  // namespace

std::unique_ptr<ISourceOpener> MakeToneOpener(const std::string& setting) {
  return std::unique_ptr<ISourceOpener>(new ToneOpener(ParseTone(setting)));
}

std::unique_ptr<CCaptureStream> OpenConfiguredSource() {
  try {
    std::string setting = ReadSetting();
    if (setting == "none") return nullptr;
    std::unique_ptr<ISourceOpener> opener;
    if (setting.compare(0, 4, "tone") == 0)
      opener = MakeToneOpener(setting.size() > 5 ? setting.substr(5) : std::string());
    else
      opener = MakeWasapiOpener(setting != "device");
    if (!opener) return nullptr;
    std::unique_ptr<CCaptureStream> stream(new CCaptureStream(std::move(opener)));
    if (!stream->Open()) return nullptr;
    return stream;
  } catch (...) {
    return nullptr;
  }
}

}  // namespace ShareLib
