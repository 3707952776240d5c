// WASAPI sources: the loopback of the default render device (what the PC plays) or the
// default capture device, shared mode, converted to 48 kHz stereo float frames. Wine 8 has no
// loopback streams; there the open fails and the capture reports nothing.
//
// Delay: a frame is handed out as soon as its last sample has come from the device. The stream
// signals an event each time the engine delivers a period (10 ms in shared mode); where a
// system never signals it (loopback streams of older Windows), a short poll takes over. The
// buffer is long only so that a late reader loses nothing: it holds what is not yet read and
// adds no delay of its own.
#include "AudioCaptureImpl.h"

#include <audioclient.h>
#include <mmdeviceapi.h>
#include <mmreg.h>

#include <vector>

namespace ShareLib {

namespace {

const REFERENCE_TIME kBufferDuration = 1000000;  // 100 ms, in 100 ns units
const DWORD kPollMs = 5;                          // a stream without period events
const DWORD kEventLostMs = 20;                    // two periods: an event lost is not a stall

class WasapiSource : public ICaptureSource {
 public:
  ~WasapiSource() override {
    if (m_client) m_client->Stop();
    m_capture.reset();
    m_client.reset();
    if (m_format) CoTaskMemFree(m_format);
    if (m_comStarted) CoUninitialize();
  }

  bool Open(bool loopback) {
    m_comStarted = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    win::ComPtr<IMMDeviceEnumerator> devices;
    if (FAILED(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL, __uuidof(IMMDeviceEnumerator),
                                reinterpret_cast<void**>(devices.put()))))
      return false;
    win::ComPtr<IMMDevice> device;
    if (FAILED(devices->GetDefaultAudioEndpoint(loopback ? eRender : eCapture, eConsole, device.put()))) return false;
    if (FAILED(device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr, reinterpret_cast<void**>(m_client.put()))))
      return false;
    if (FAILED(m_client->GetMixFormat(&m_format)) || !m_format) return false;
    if (!ReadFormat()) return false;
    DWORD flags = loopback ? AUDCLNT_STREAMFLAGS_LOOPBACK : 0;
    // Event-driven where the system allows it, else polled on a fresh client.
    m_evented = m_ready &&
                SUCCEEDED(m_client->Initialize(AUDCLNT_SHAREMODE_SHARED, flags | AUDCLNT_STREAMFLAGS_EVENTCALLBACK,
                                               kBufferDuration, 0, m_format, nullptr)) &&
                SUCCEEDED(m_client->SetEventHandle(m_ready.get()));
    if (!m_evented) {
      m_client.reset();
      if (FAILED(device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr,
                                  reinterpret_cast<void**>(m_client.put()))) ||
          FAILED(m_client->Initialize(AUDCLNT_SHAREMODE_SHARED, flags, kBufferDuration, 0, m_format, nullptr)))
        return false;
    }
    if (FAILED(m_client->GetService(__uuidof(IAudioCaptureClient), reinterpret_cast<void**>(m_capture.put()))))
      return false;
    return SUCCEEDED(m_client->Start());
  }

  bool Read(PcmFrame* frame, const StopSignal& stop) override {
    const size_t need = (size_t)kFrameSamples * kCaptureChannels;
    while (m_pending.size() - m_taken < need) {
      if (!Pull()) return false;
      if (m_pending.size() - m_taken >= need) break;
      HANDLE waits[2] = {stop.event, m_ready.get()};
      if (WaitForMultipleObjects(m_evented ? 2 : 1, waits, FALSE, m_evented ? kEventLostMs : kPollMs) == WAIT_OBJECT_0)
        return false;
    }
    memcpy(frame->samples, m_pending.data() + m_taken, sizeof(frame->samples));
    m_taken += need;
    // Moves the rest down only once it is short: one small copy per period, not per frame.
    if (m_pending.size() - m_taken < need || m_taken >= 4 * need) {
      m_pending.erase(m_pending.begin(), m_pending.begin() + m_taken);
      m_taken = 0;
    }
    return true;
  }

 private:
  bool ReadFormat() {
    m_channels = m_format->nChannels;
    m_rate = m_format->nSamplesPerSec;
    m_bits = m_format->wBitsPerSample;
    m_float = m_format->wFormatTag == WAVE_FORMAT_IEEE_FLOAT;
    if (m_format->wFormatTag == WAVE_FORMAT_EXTENSIBLE && m_format->cbSize >= 22) {
      const WAVEFORMATEXTENSIBLE* x = reinterpret_cast<const WAVEFORMATEXTENSIBLE*>(m_format);
      m_float = IsEqualGUID(x->SubFormat, KSDATAFORMAT_SUBTYPE_IEEE_FLOAT) != 0;
    }
    if (m_channels < 1 || m_rate < 8000) return false;
    return (m_float && m_bits == 32) || (!m_float && (m_bits == 16 || m_bits == 32));
  }

  float Sample(const BYTE* frame, int channel) const {
    int c = channel < m_channels ? channel : m_channels - 1;
    if (m_float) return reinterpret_cast<const float*>(frame)[c];
    if (m_bits == 16) return reinterpret_cast<const short*>(frame)[c] / 32768.0f;
    return reinterpret_cast<const int*>(frame)[c] / 2147483648.0f;
  }

  // Takes every packet the device has ready, resampled to 48 kHz stereo (linear).
  bool Pull() {
    UINT32 next = 0;
    while (SUCCEEDED(m_capture->GetNextPacketSize(&next)) && next > 0) {
      BYTE* data = nullptr;
      UINT32 frames = 0;
      DWORD flags = 0;
      if (FAILED(m_capture->GetBuffer(&data, &frames, &flags, nullptr, nullptr))) return false;
      const int stride = m_format->nBlockAlign;
      for (UINT32 i = 0; i < frames; ++i) {
        float l = 0, r = 0;
        if (!(flags & AUDCLNT_BUFFERFLAGS_SILENT)) {
          l = Sample(data + i * stride, 0);
          r = Sample(data + i * stride, 1);
        }
        // Emit every output sample that falls between the previous input sample and this one.
        while (m_position <= 1.0) {
          m_pending.push_back(m_lastL + (float)m_position * (l - m_lastL));
          m_pending.push_back(m_lastR + (float)m_position * (r - m_lastR));
          m_position += (double)m_rate / kCaptureRate;
        }
        m_position -= 1.0;
        m_lastL = l;
        m_lastR = r;
      }
      m_capture->ReleaseBuffer(frames);
    }
    return true;
  }

  bool m_comStarted = false;
  win::AutoHandle m_ready{CreateEventW(nullptr, FALSE, FALSE, nullptr)};  // a period has come
  bool m_evented = false;
  win::ComPtr<IAudioClient> m_client;
  win::ComPtr<IAudioCaptureClient> m_capture;
  WAVEFORMATEX* m_format = nullptr;  // CoTaskMemFree
  int m_channels = 0, m_rate = 0, m_bits = 0;
  bool m_float = false;
  double m_position = 0;  // resampler: position of the next output sample between inputs
  float m_lastL = 0, m_lastR = 0;
  std::vector<float> m_pending;  // interleaved stereo at 48 kHz; from m_taken on not yet handed out
  size_t m_taken = 0;
};

}  // namespace

std::unique_ptr<ICaptureSource> MakeWasapiSource(bool loopback) {
  try {
    std::unique_ptr<WasapiSource> source(new WasapiSource);
    if (!source->Open(loopback)) return nullptr;
    return std::unique_ptr<ICaptureSource>(source.release());
  } catch (...) {
    return nullptr;
  }
}

}  // namespace ShareLib
