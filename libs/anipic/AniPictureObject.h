// CAniPicture: the animated picture as an OLE object. The text services size it through
// IOleObject::GetExtent and draw it through IViewObject2::Draw (Windows) or the CF_BITMAP
// of IDataObject::GetData (Wine's riched20); a thread timer advances the frames at their own
// delays and tells the view sink and every data advise sink, so containers repaint.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <vector>

#include "AniPicture.h"
#include "FrameDecoder.h"

namespace anipic {

// Objects alive in this module (for DllCanUnloadNow).
LONG LiveObjects();
void ModuleAddRef();
void ModuleRelease();

class CAniPicture final : public IAniPicture, public IOleObject, public IViewObject2, public IDataObject {
 public:
  CAniPicture();
  CAniPicture(const CAniPicture&) = delete;
  CAniPicture& operator=(const CAniPicture&) = delete;

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IAniPicture
  STDMETHODIMP LoadFromFile(BSTR path) override;
  STDMETHODIMP SetBkColor(COLORREF color) override;
  STDMETHODIMP GetFrameInfo(UINT* current, UINT* count) override;

  // IOleObject
  STDMETHODIMP SetClientSite(IOleClientSite* site) override;
  STDMETHODIMP GetClientSite(IOleClientSite** site) override;
  STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP Close(DWORD) override;
  STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
  STDMETHODIMP DoVerb(LONG, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT) override { return S_OK; }
  STDMETHODIMP EnumVerbs(IEnumOLEVERB**) override { return OLEOBJ_E_NOVERBS; }
  STDMETHODIMP Update() override { return S_OK; }
  STDMETHODIMP IsUpToDate() override { return S_OK; }
  STDMETHODIMP GetUserClassID(CLSID* clsid) override;
  STDMETHODIMP GetUserType(DWORD, LPOLESTR*) override { return OLE_S_USEREG; }
  STDMETHODIMP SetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }  // the picture's own size
  STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
  STDMETHODIMP Advise(IAdviseSink* sink, DWORD* cookie) override;
  STDMETHODIMP Unadvise(DWORD cookie) override;
  STDMETHODIMP EnumAdvise(IEnumSTATDATA** out) override;
  STDMETHODIMP GetMiscStatus(DWORD, DWORD* status) override;
  STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

  // IViewObject2
  STDMETHODIMP Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC hdc, LPCRECTL bounds, LPCRECTL,
                    BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) override;
  STDMETHODIMP GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE**) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP Unfreeze(DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP SetAdvise(DWORD aspects, DWORD advf, IAdviseSink* sink) override;
  STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* advf, IAdviseSink** sink) override;
  STDMETHODIMP GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) override;

  // IDataObject: the frame shown now as CF_BITMAP; the caller deletes the bitmap.
  STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override;
  STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  STDMETHODIMP QueryGetData(FORMATETC* format) override;
  STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
  STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  STDMETHODIMP DAdvise(FORMATETC* format, DWORD advf, IAdviseSink* sink, DWORD* cookie) override;
  STDMETHODIMP DUnadvise(DWORD cookie) override;
  STDMETHODIMP EnumDAdvise(IEnumSTATDATA** out) override;

 private:
  ~CAniPicture();
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD);
  void NextFrame();
  void StartTimer();
  void StopTimer();
  void RebuildFrames();
  void ClearFrames();
  SIZEL ExtentHimetric() const;

  LONG m_refs = 1;
  Animation m_animation;
  std::vector<HBITMAP> m_frames;  // owned; composed over m_background
  size_t m_current = 0;
  COLORREF m_background = RGB(255, 255, 255);
  UINT_PTR m_timer = 0;
  IOleClientSite* m_site = nullptr;   // one reference
  IAdviseSink* m_viewSink = nullptr;  // one reference
  DWORD m_viewAspects = 0;
  IOleAdviseHolder* m_oleAdvise = nullptr;    // made on first use
  IDataAdviseHolder* m_dataAdvise = nullptr;  // made on first use
};

}  // namespace anipic
