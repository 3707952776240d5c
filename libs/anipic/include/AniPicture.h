// The animated-picture component (anipic.dll): an OLE object that shows an animated GIF
// inside a rich edit, each frame for its own delay. The engine loads the library by path and
// asks its DllGetClassObject for CLSID_AniPicture.
#pragma once

#include <ole2.h>

// Name of the library; the engine looks for it beside its own module.
#define ANIPIC_LIBRARY_NAME L"anipic.dll"

// {9FBA6282-8311-4B51-B8F2-A89CA5004B43}
static const CLSID CLSID_AniPicture = {
    0x9fba6282, 0x8311, 0x4b51, {0xb8, 0xf2, 0xa8, 0x9c, 0xa5, 0x00, 0x4b, 0x43}};
// {55F771E6-DA76-4664-B046-17E4D84F8794}
static const IID IID_IAniPicture = {
    0x55f771e6, 0xda76, 0x4664, {0xb0, 0x46, 0x17, 0xe4, 0xd8, 0x4f, 0x87, 0x94}};

// The picture's own interface; the object also answers IOleObject, IViewObject2 and IDataObject.
struct IAniPicture : public IUnknown {
  // Decodes every frame of the file; a failure leaves the object without a picture.
  virtual HRESULT STDMETHODCALLTYPE LoadFromFile(BSTR path) = 0;
  // The colour under transparent pixels; frames already decoded are drawn again.
  virtual HRESULT STDMETHODCALLTYPE SetBkColor(COLORREF color) = 0;
  // The frame shown now and how many there are (both 0 before a picture was loaded).
  virtual HRESULT STDMETHODCALLTYPE GetFrameInfo(UINT* current, UINT* count) = 0;
};
