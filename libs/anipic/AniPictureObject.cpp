// CAniPicture: frames, the frame timer, drawing and the OLE plumbing around them.
#include "AniPictureObject.h"

#include <map>

namespace anipic {

namespace {

LONG g_liveObjects = 0;
// Thread timers of the UI thread, by id: the callback has nothing else to find its object by.
std::map<UINT_PTR, CAniPicture*>& Timers() {
  static std::map<UINT_PTR, CAniPicture*> timers;
  return timers;
}

template <class T>
void ReleaseAndClear(T*& p) {
  if (p) p->Release();
  p = nullptr;
}

}  // namespace

LONG LiveObjects() { return g_liveObjects; }
void ModuleAddRef() { ::InterlockedIncrement(&g_liveObjects); }
void ModuleRelease() { ::InterlockedDecrement(&g_liveObjects); }

CAniPicture::CAniPicture() { ModuleAddRef(); }

CAniPicture::~CAniPicture() {
  StopTimer();
  ClearFrames();
  ReleaseAndClear(m_site);
  ReleaseAndClear(m_viewSink);
  ReleaseAndClear(m_oleAdvise);
  ReleaseAndClear(m_dataAdvise);
  ModuleRelease();
}

STDMETHODIMP CAniPicture::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (riid == IID_IUnknown || riid == IID_IAniPicture)
    *out = static_cast<IAniPicture*>(this);
  else if (riid == IID_IOleObject)
    *out = static_cast<IOleObject*>(this);
  else if (riid == IID_IViewObject || riid == IID_IViewObject2)
    *out = static_cast<IViewObject2*>(this);
  else if (riid == IID_IDataObject)
    *out = static_cast<IDataObject*>(this);
  else
    return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) CAniPicture::AddRef() { return (ULONG)::InterlockedIncrement(&m_refs); }

STDMETHODIMP_(ULONG) CAniPicture::Release() {
  LONG left = ::InterlockedDecrement(&m_refs);
  if (left == 0) delete this;
  return (ULONG)left;
}

// ---- the picture ----

STDMETHODIMP CAniPicture::LoadFromFile(BSTR path) {
  StopTimer();
  ClearFrames();
  m_current = 0;
  if (!DecodeAnimation(path, m_animation)) return E_FAIL;
  RebuildFrames();
  if (m_frames.size() != m_animation.frames.size()) {
    ClearFrames();
    m_animation = Animation();
    return E_OUTOFMEMORY;
  }
  StartTimer();
  return S_OK;
}

STDMETHODIMP CAniPicture::SetBkColor(COLORREF color) {
  m_background = color;
  if (!m_animation.frames.empty()) RebuildFrames();
  return S_OK;
}

STDMETHODIMP CAniPicture::GetFrameInfo(UINT* current, UINT* count) {
  if (!current || !count) return E_POINTER;
  *current = (UINT)m_current;
  *count = (UINT)m_frames.size();
  return S_OK;
}

void CAniPicture::ClearFrames() {
  for (HBITMAP b : m_frames) ::DeleteObject(b);
  m_frames.clear();
}

void CAniPicture::RebuildFrames() {
  ClearFrames();
  for (size_t i = 0; i < m_animation.frames.size(); ++i) {
    HBITMAP b = ComposeFrame(m_animation, i, m_background);
    if (!b) return;
    m_frames.push_back(b);
  }
}

void CAniPicture::StartTimer() {
  if (m_frames.size() < 2) return;  // a still picture needs no timer
  UINT_PTR id = ::SetTimer(nullptr, m_timer, m_animation.delaysMs[m_current], &CAniPicture::OnTimer);
  if (!id) return;
  m_timer = id;
  Timers()[id] = this;
}

void CAniPicture::StopTimer() {
  if (!m_timer) return;
  ::KillTimer(nullptr, m_timer);
  Timers().erase(m_timer);
  m_timer = 0;
}

void CALLBACK CAniPicture::OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
  auto it = Timers().find(id);
  if (it == Timers().end()) {
    ::KillTimer(nullptr, id);
    return;
  }
  it->second->NextFrame();
}

void CAniPicture::NextFrame() {
  if (m_frames.empty()) return;
  AddRef();  // a sink may drop the last outside reference while it is told
  m_current = (m_current + 1) % m_frames.size();
  StartTimer();  // the same id with the next frame's delay
  if (m_viewSink) m_viewSink->OnViewChange(DVASPECT_CONTENT, -1);
  if (m_dataAdvise) m_dataAdvise->SendOnDataChange(static_cast<IDataObject*>(this), 0, 0);
  Release();
}

SIZEL CAniPicture::ExtentHimetric() const {
  HDC screen = ::GetDC(nullptr);
  int dpiX = screen ? ::GetDeviceCaps(screen, LOGPIXELSX) : 96;
  int dpiY = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ::ReleaseDC(nullptr, screen);
  return {::MulDiv(m_animation.width, 2540, dpiX), ::MulDiv(m_animation.height, 2540, dpiY)};
}

// ---- IOleObject ----

STDMETHODIMP CAniPicture::SetClientSite(IOleClientSite* site) {
  if (site) site->AddRef();
  ReleaseAndClear(m_site);
  m_site = site;
  return S_OK;
}

STDMETHODIMP CAniPicture::GetClientSite(IOleClientSite** site) {
  if (!site) return E_POINTER;
  *site = m_site;
  if (m_site) m_site->AddRef();
  return S_OK;
}

STDMETHODIMP CAniPicture::Close(DWORD) {
  StopTimer();
  if (m_oleAdvise) m_oleAdvise->SendOnClose();
  return S_OK;
}

STDMETHODIMP CAniPicture::GetUserClassID(CLSID* clsid) {
  if (!clsid) return E_POINTER;
  *clsid = CLSID_AniPicture;
  return S_OK;
}

STDMETHODIMP CAniPicture::GetExtent(DWORD aspect, SIZEL* size) {
  if (!size) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (m_frames.empty()) return E_UNEXPECTED;
  *size = ExtentHimetric();
  return S_OK;
}

STDMETHODIMP CAniPicture::Advise(IAdviseSink* sink, DWORD* cookie) {
  if (!m_oleAdvise && FAILED(::CreateOleAdviseHolder(&m_oleAdvise))) return E_OUTOFMEMORY;
  return m_oleAdvise->Advise(sink, cookie);
}

STDMETHODIMP CAniPicture::Unadvise(DWORD cookie) {
  return m_oleAdvise ? m_oleAdvise->Unadvise(cookie) : OLE_E_NOCONNECTION;
}

STDMETHODIMP CAniPicture::EnumAdvise(IEnumSTATDATA** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return m_oleAdvise ? m_oleAdvise->EnumAdvise(out) : S_OK;
}

STDMETHODIMP CAniPicture::GetMiscStatus(DWORD, DWORD* status) {
  if (!status) return E_POINTER;
  *status = 0;
  return S_OK;
}

// ---- IViewObject2 ----

STDMETHODIMP CAniPicture::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC hdc, LPCRECTL bounds,
                               LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!hdc || !bounds) return E_INVALIDARG;
  if (m_frames.empty()) return OLE_E_BLANK;
  HDC mem = ::CreateCompatibleDC(hdc);
  if (!mem) return E_OUTOFMEMORY;
  HGDIOBJ old = ::SelectObject(mem, m_frames[m_current]);
  int mode = ::SetStretchBltMode(hdc, COLORONCOLOR);
  ::StretchBlt(hdc, bounds->left, bounds->top, bounds->right - bounds->left, bounds->bottom - bounds->top,
               mem, 0, 0, m_animation.width, m_animation.height, SRCCOPY);
  ::SetStretchBltMode(hdc, mode);
  ::SelectObject(mem, old);
  ::DeleteDC(mem);
  return S_OK;
}

STDMETHODIMP CAniPicture::SetAdvise(DWORD aspects, DWORD, IAdviseSink* sink) {
  if (sink) sink->AddRef();
  ReleaseAndClear(m_viewSink);
  m_viewSink = sink;
  m_viewAspects = aspects;
  return S_OK;
}

STDMETHODIMP CAniPicture::GetAdvise(DWORD* aspects, DWORD* advf, IAdviseSink** sink) {
  if (aspects) *aspects = m_viewAspects;
  if (advf) *advf = 0;
  if (sink) {
    *sink = m_viewSink;
    if (m_viewSink) m_viewSink->AddRef();
  }
  return S_OK;
}

STDMETHODIMP CAniPicture::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
  return GetExtent(aspect, size);
}

// ---- IDataObject ----

STDMETHODIMP CAniPicture::QueryGetData(FORMATETC* f) {
  if (!f) return E_POINTER;
  if (f->cfFormat != CF_BITMAP) return DV_E_FORMATETC;
  if (!(f->tymed & TYMED_GDI)) return DV_E_TYMED;
  if (f->dwAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  return S_OK;
}

STDMETHODIMP CAniPicture::GetData(FORMATETC* f, STGMEDIUM* medium) {
  if (!medium) return E_POINTER;
  HRESULT hr = QueryGetData(f);
  if (FAILED(hr)) return hr;
  if (m_frames.empty()) return OLE_E_BLANK;
  HBITMAP copy = ComposeFrame(m_animation, m_current, m_background);
  if (!copy) return E_OUTOFMEMORY;
  medium->tymed = TYMED_GDI;
  medium->hBitmap = copy;
  medium->pUnkForRelease = nullptr;
  return S_OK;
}

STDMETHODIMP CAniPicture::DAdvise(FORMATETC* format, DWORD advf, IAdviseSink* sink, DWORD* cookie) {
  if (!m_dataAdvise && FAILED(::CreateDataAdviseHolder(&m_dataAdvise))) return E_OUTOFMEMORY;
  return m_dataAdvise->Advise(static_cast<IDataObject*>(this), format, advf, sink, cookie);
}

STDMETHODIMP CAniPicture::DUnadvise(DWORD cookie) {
  return m_dataAdvise ? m_dataAdvise->Unadvise(cookie) : OLE_E_NOCONNECTION;
}

STDMETHODIMP CAniPicture::EnumDAdvise(IEnumSTATDATA** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return m_dataAdvise ? m_dataAdvise->EnumAdvise(out) : S_OK;
}

}  // namespace anipic
