// InsertAniSmiley: the component's picture object, a storage of its own, and the insertion
// through IRichEditOle; a data advise sink repaints the rich edit at every new frame.
#include "AniSmiley.h"

#include <memory>

#include "AniPicture.h"
#include "ScopedWin.h"
#include "TextConv.h"
#include "UIRichEdit.h"
#include "HostWnd.h"

namespace ZOV {

namespace {

typedef HRESULT(STDAPICALLTYPE* DllGetClassObjectFn)(REFCLSID clsid, REFIID riid, void** out);

// The component's library: beside the module this code runs in, else found by the
// system's search (which covers the program's folder).
HMODULE LoadComponent() {
  HMODULE self = nullptr;
  ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&LoadComponent), &self);
  wchar_t path[MAX_PATH];
  DWORD n = ::GetModuleFileNameW(self, path, MAX_PATH);
  if (n > 0 && n < MAX_PATH) {
    std::wstring beside(path, n);
    beside.resize(beside.find_last_of(L"\\/") + 1);
    beside += ANIPIC_LIBRARY_NAME;
    if (HMODULE m = ::LoadLibraryW(beside.c_str())) return m;
  }
  return ::LoadLibraryW(ANIPIC_LIBRARY_NAME);
}

// A new picture object; the library stays loaded for as long as the process runs once an
// object was made (the rich edit may hold it until the end).
win::ComPtr<IAniPicture> CreatePicture() {
  win::AutoModule library(LoadComponent());
  if (!library) return {};
  auto getClassObject = win::ProcAddress<DllGetClassObjectFn>(library.get(), "DllGetClassObject");
  if (!getClassObject) return {};
  win::ComPtr<IClassFactory> factory;
  if (FAILED(getClassObject(CLSID_AniPicture, IID_IClassFactory, reinterpret_cast<void**>(factory.put()))) ||
      !factory)
    return {};
  win::ComPtr<IAniPicture> picture;
  if (FAILED(factory->CreateInstance(nullptr, IID_IAniPicture, reinterpret_cast<void**>(picture.put()))))
    return {};
  if (picture) library.release();
  return picture;
}

// Repaints a control when the picture shows its next frame; holds the control weakly.
class CRepaintSink final : public IAdviseSink {
 public:
  explicit CRepaintSink(std::weak_ptr<CUIControl> control) : m_control(std::move(control)) {}
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (riid != IID_IUnknown && riid != IID_IAdviseSink) return E_NOINTERFACE;
    *out = static_cast<IAdviseSink*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return (ULONG)++m_refs; }
  STDMETHODIMP_(ULONG) Release() override {
    ULONG left = (ULONG)--m_refs;
    if (!left) delete this;
    return left;
  }
  STDMETHODIMP_(void) OnDataChange(FORMATETC*, STGMEDIUM*) override {
    if (auto control = m_control.lock()) control->Invalidate();
  }
  STDMETHODIMP_(void) OnViewChange(DWORD, LONG) override {}
  STDMETHODIMP_(void) OnRename(IMoniker*) override {}
  STDMETHODIMP_(void) OnSave() override {}
  STDMETHODIMP_(void) OnClose() override {}

 private:
  LONG m_refs = 1;
  std::weak_ptr<CUIControl> m_control;
};

}  // namespace

bool InsertAniSmiley(CUIRichEdit* edit, const char* path) {
  if (!edit || !path || !edit->GetTextServices()) return false;
  win::ComPtr<IAniPicture> picture = CreatePicture();
  if (!picture) return false;
  win::ComPtr<IRichEditOle> richOle;
  LRESULT got = 0;
  edit->TxSendMessage(EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(richOle.put()), &got);
  if (got != 1 || !richOle) return false;

  win::ComPtr<ILockBytes> bytes;
  if (FAILED(::CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.put()))) return false;
  win::ComPtr<IStorage> storage;
  if (FAILED(::StgCreateDocfileOnILockBytes(bytes.get(), STGM_SHARE_EXCLUSIVE | STGM_CREATE | STGM_READWRITE,
                                            0, storage.put())))
    return false;
  win::ComPtr<IOleClientSite> site;
  if (FAILED(richOle->GetClientSite(site.put())) || !site) return false;

  std::wstring widePath = text::Utf8ToWide(path);
  BSTR bstr = ::SysAllocStringLen(widePath.data(), (UINT)widePath.size());
  if (!bstr) return false;
  HRESULT loaded = picture->LoadFromFile(bstr);
  ::SysFreeString(bstr);
  if (FAILED(loaded)) return false;  // an undecodable file inserts nothing
  picture->SetBkColor(::GetSysColor(COLOR_WINDOW));

  win::ComPtr<IOleObject> object;
  if (FAILED(picture->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(object.put())))) return false;
  ::OleSetContainedObject(object.get(), TRUE);
  REOBJECT reobject = {};
  reobject.cbStruct = sizeof(reobject);
  if (FAILED(object->GetUserClassID(&reobject.clsid))) return false;
  reobject.cp = REO_CP_SELECTION;
  reobject.dvaspect = DVASPECT_CONTENT;
  reobject.dwFlags = REO_BELOWBASELINE;
  reobject.poleobj = object.get();
  reobject.pstg = storage.get();
  reobject.polesite = site.get();
  win::ComPtr<IOleClientSite> current;
  object->GetClientSite(current.put());
  if (!current) object->SetClientSite(site.get());

  // Frames repaint the control whether or not the text services watch the object's view.
  win::ComPtr<IDataObject> data;
  if (SUCCEEDED(picture->QueryInterface(IID_IDataObject, reinterpret_cast<void**>(data.put())))) {
    win::ComPtr<IAdviseSink> sink(new CRepaintSink(edit->weak_from_this()));
    FORMATETC format = {CF_BITMAP, nullptr, DVASPECT_CONTENT, -1, TYMED_GDI};
    DWORD cookie = 0;
    data->DAdvise(&format, ADVF_NODATA, sink.get(), &cookie);
  }

  if (FAILED(richOle->InsertObject(&reobject))) return false;
  if (HWND hwnd = edit->GetHostWnd() ? edit->GetHostWnd()->GetHWND() : nullptr)
    ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE);
  return true;
}

}  // namespace ZOV
