// The WASAPI opener: the default render endpoint for the console role (its loopback) or the
// default capture endpoint, found afresh at each open, and the system's endpoint notifications,
// which tell the capture stream to give up its stream for another.
//
// Notifications come on a thread of the system's; they only raise a flag that the capture
// thread reads between packets (within a period, 10 ms). What they report:
//   the default device of our flow for the console role changed   -> reopen there
//   the open device was removed or left the active state          -> reopen on the default
//   a device was added or became active while none is open        -> try at once
// On Windows a device that goes also fails every call of its stream, which ends it as well;
// the notification matters most for a change of the default output, after which the old
// stream goes on working but carries nothing that is played.
#include "AudioCaptureWasapi.h"

#include <audioclient.h>

namespace ShareLib {

namespace {

class EndpointWatch final : public IMMNotificationClient {
 public:
  explicit EndpointWatch(EDataFlow flow) : m_flow(flow) {}

  bool TakeChanged() { return InterlockedExchange(&m_changed, 0) != 0; }
  void SetCurrent(const wchar_t* id) {
    win::ScopedLock lock(m_lock);
    m_current = id ? id : L"";
  }

  // IUnknown: the opener holds one reference, the system one while registered.
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&m_refs); }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG n = InterlockedDecrement(&m_refs);
    if (n == 0) delete this;
    return n;
  }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, __uuidof(IMMNotificationClient))) {
      *out = static_cast<IMMNotificationClient*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }

  HRESULT STDMETHODCALLTYPE OnDefaultDeviceChanged(EDataFlow flow, ERole role, LPCWSTR) override {
    if (flow == m_flow && role == eConsole) Raise();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnDeviceAdded(LPCWSTR) override {
    if (NoneOpen()) Raise();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnDeviceRemoved(LPCWSTR id) override {
    if (IsCurrent(id)) Raise();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnDeviceStateChanged(LPCWSTR id, DWORD state) override {
    if (state == DEVICE_STATE_ACTIVE ? NoneOpen() : IsCurrent(id)) Raise();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnPropertyValueChanged(LPCWSTR, const PROPERTYKEY) override { return S_OK; }

 private:
  ~EndpointWatch() {}
  void Raise() { InterlockedExchange(&m_changed, 1); }
  bool NoneOpen() {
    win::ScopedLock lock(m_lock);
    return m_current.empty();
  }
  bool IsCurrent(LPCWSTR id) {
    win::ScopedLock lock(m_lock);
    return id && !m_current.empty() && m_current == id;
  }

  const EDataFlow m_flow;
  volatile LONG m_refs = 1;
  volatile LONG m_changed = 0;
  win::CriticalSection m_lock;  // guards m_current: notifications come on the system's thread
  std::wstring m_current;       // the open device's id; empty while none is open
};

class WasapiOpener : public ISourceOpener {
 public:
  explicit WasapiOpener(bool loopback) : m_loopback(loopback) {}

  ~WasapiOpener() override {
    if (m_registered) m_devices->UnregisterEndpointNotificationCallback(m_watch.get());
    m_watch.reset();
    m_devices.reset();
    if (m_comStarted) CoUninitialize();
  }

  // COM on the capture thread (the opener lives and dies there), the enumerator, and the
  // notifications. Without an enumerator no stream can ever open.
  bool Init() {
    m_comStarted = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    if (FAILED(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL, __uuidof(IMMDeviceEnumerator),
                                reinterpret_cast<void**>(m_devices.put()))))
      return false;
    m_watch = win::ComPtr<EndpointWatch>(new EndpointWatch(m_loopback ? eRender : eCapture));
    m_registered = SUCCEEDED(m_devices->RegisterEndpointNotificationCallback(m_watch.get()));
    return true;
  }

  Result Open(std::unique_ptr<IRawSource>* source) override {
    m_watch->SetCurrent(nullptr);
    win::ComPtr<IMMDevice> device;
    if (FAILED(m_devices->GetDefaultAudioEndpoint(m_loopback ? eRender : eCapture, eConsole, device.put())))
      return kNoDevice;
    LPWSTR id = nullptr;
    if (SUCCEEDED(device->GetId(&id))) {
      m_watch->SetCurrent(id);
      CoTaskMemFree(id);
    }
    HRESULT hr = OpenWasapiSource(device.get(), m_loopback, source);
    if (SUCCEEDED(hr)) return kOpened;
    m_watch->SetCurrent(nullptr);
    // The stream kinds or formats this system cannot give at all (Wine's loopback), as
    // against a device that is missing, busy or going.
    if (hr == AUDCLNT_E_WRONG_ENDPOINT_TYPE || hr == AUDCLNT_E_UNSUPPORTED_FORMAT || hr == E_NOTIMPL)
      return kUnsupported;
    return kNoDevice;
  }

  bool Changed() override { return m_watch->TakeChanged(); }

 private:
  const bool m_loopback;
  bool m_comStarted = false;
  bool m_registered = false;
  win::ComPtr<IMMDeviceEnumerator> m_devices;
  win::ComPtr<EndpointWatch> m_watch;
};

}  // namespace

std::unique_ptr<ISourceOpener> MakeWasapiOpener(bool loopback) {
  std::unique_ptr<WasapiOpener> opener(new WasapiOpener(loopback));
  if (!opener->Init()) return nullptr;
  return std::unique_ptr<ISourceOpener>(opener.release());
}

}  // namespace ShareLib
