// A WASAPI stream: the loopback of a render device (what the PC plays) or a capture device,
// shared mode, handing out the mix format's samples as float in the device's own layout and
// rate (the capture stream downmixes and resamples them). Wine 8 has no loopback streams.
//
// Delay: the stream signals an event each time the engine delivers a period (10 ms in shared
// mode); where a system never signals it (loopback streams of older Windows), a short poll
// takes over. The buffer is long only so that a late reader loses nothing: it holds what is
// not yet read and adds no delay of its own.
//
// Any failed call ends the stream: the capture stream then opens the next one.
#include "AudioCaptureWasapi.h"

#include <audioclient.h>
#include <mmreg.h>

namespace ShareLib {

namespace {

const REFERENCE_TIME kBufferDuration = 1000000;  // 100 ms, in 100 ns units
const DWORD kPollMs = 5;                          // a stream without period events

enum class Sample { kFloat32, kInt16, kInt24, kInt32 };

class WasapiSource : public IRawSource {
 public:
  ~WasapiSource() override {
    if (m_client) m_client->Stop();
    m_capture.reset();
    m_client.reset();
    if (m_mix) CoTaskMemFree(m_mix);
  }

  HRESULT Open(IMMDevice* device, bool loopback) {
    m_loopback = loopback;
    HRESULT hr = device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr, reinterpret_cast<void**>(m_client.put()));
    if (FAILED(hr)) return hr;
    if (FAILED(hr = m_client->GetMixFormat(&m_mix))) return hr;
    if (!m_mix || !ReadFormat()) return AUDCLNT_E_UNSUPPORTED_FORMAT;
    DWORD flags = loopback ? AUDCLNT_STREAMFLAGS_LOOPBACK : 0;
    // Event-driven where the system allows it, else polled on a fresh client.
    m_evented = m_ready &&
                SUCCEEDED(m_client->Initialize(AUDCLNT_SHAREMODE_SHARED, flags | AUDCLNT_STREAMFLAGS_EVENTCALLBACK,
                                               kBufferDuration, 0, m_mix, nullptr)) &&
                SUCCEEDED(m_client->SetEventHandle(m_ready.get()));
    if (!m_evented) {
      m_client.reset();
      if (FAILED(hr = device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr,
                                       reinterpret_cast<void**>(m_client.put()))) ||
          FAILED(hr = m_client->Initialize(AUDCLNT_SHAREMODE_SHARED, flags, kBufferDuration, 0, m_mix, nullptr)))
        return hr;
    }
    if (FAILED(hr = m_client->GetService(__uuidof(IAudioCaptureClient), reinterpret_cast<void**>(m_capture.put()))))
      return hr;
    return m_client->Start();
  }

  RawFormat Format() const override { return m_format; }
  bool Continuous() const override { return !m_loopback; }

  bool Pull(std::vector<float>* out) override {
    UINT32 next = 0;
    for (;;) {
      if (FAILED(m_capture->GetNextPacketSize(&next))) return false;
      if (next == 0) return true;
      BYTE* data = nullptr;
      UINT32 frames = 0;
      DWORD flags = 0;
      if (FAILED(m_capture->GetBuffer(&data, &frames, &flags, nullptr, nullptr))) return false;
      const size_t values = (size_t)frames * m_format.channels;
      if (flags & AUDCLNT_BUFFERFLAGS_SILENT)
        out->insert(out->end(), values, 0.0f);
      else
        Append(data, values, out);
      if (FAILED(m_capture->ReleaseBuffer(frames))) return false;
    }
  }

  bool Wait(DWORD ms, const StopSignal& stop) override {
    HANDLE waits[2] = {stop.event, m_ready.get()};
    if (!m_evented && ms > kPollMs) ms = kPollMs;
    return WaitForMultipleObjects(m_evented ? 2 : 1, waits, FALSE, ms) != WAIT_OBJECT_0;
  }

 private:
  bool ReadFormat() {
    m_format.channels = m_mix->nChannels;
    m_format.rate = m_mix->nSamplesPerSec;
    m_format.mask = 0;
    bool isFloat = m_mix->wFormatTag == WAVE_FORMAT_IEEE_FLOAT;
    int bits = m_mix->wBitsPerSample;
    if (m_mix->wFormatTag == WAVE_FORMAT_EXTENSIBLE && m_mix->cbSize >= 22) {
      const WAVEFORMATEXTENSIBLE* x = reinterpret_cast<const WAVEFORMATEXTENSIBLE*>(m_mix);
      isFloat = IsEqualGUID(x->SubFormat, KSDATAFORMAT_SUBTYPE_IEEE_FLOAT) != 0;
      m_format.mask = x->dwChannelMask;
    }
    if (m_format.channels < 1 || m_format.rate < 8000 || m_mix->nBlockAlign != m_format.channels * bits / 8)
      return false;
    if (isFloat && bits == 32) m_sample = Sample::kFloat32;
    else if (!isFloat && bits == 16) m_sample = Sample::kInt16;
    else if (!isFloat && bits == 24) m_sample = Sample::kInt24;
    else if (!isFloat && bits == 32) m_sample = Sample::kInt32;
    else return false;
    return true;
  }

  void Append(const BYTE* data, size_t values, std::vector<float>* out) const {
    const size_t at = out->size();
    out->resize(at + values);
    float* v = out->data() + at;
    switch (m_sample) {
      case Sample::kFloat32: memcpy(v, data, values * 4); break;
      case Sample::kInt16:
        for (size_t i = 0; i < values; ++i) v[i] = reinterpret_cast<const short*>(data)[i] / 32768.0f;
        break;
      case Sample::kInt24:
        for (size_t i = 0; i < values; ++i, data += 3)
          v[i] = (int)((unsigned)data[0] << 8 | (unsigned)data[1] << 16 | (unsigned)data[2] << 24) / 2147483648.0f;
        break;
      case Sample::kInt32:
        for (size_t i = 0; i < values; ++i) v[i] = reinterpret_cast<const int*>(data)[i] / 2147483648.0f;
        break;
    }
  }

  win::AutoHandle m_ready{CreateEventW(nullptr, FALSE, FALSE, nullptr)};  // a period has come
  bool m_evented = false;
  bool m_loopback = false;
  win::ComPtr<IAudioClient> m_client;
  win::ComPtr<IAudioCaptureClient> m_capture;
  WAVEFORMATEX* m_mix = nullptr;  // CoTaskMemFree
  RawFormat m_format;
  Sample m_sample = Sample::kFloat32;
};

}  // namespace

HRESULT OpenWasapiSource(IMMDevice* device, bool loopback, std::unique_ptr<IRawSource>* source) {
  std::unique_ptr<WasapiSource> s(new WasapiSource);
  HRESULT hr = s->Open(device, loopback);
  if (SUCCEEDED(hr)) source->reset(s.release());
  return hr;
}

}  // namespace ShareLib
