// Loading CreateTextServices. Neither library has an import library in MinGW, and the
// interface ids are not in libuuid: both are defined here.
#include "TextServicesLib.h"

#include "ScopedWin.h"

EXTERN_C const IID IID_ITextServices = {
    0x8d33f740, 0xcf58, 0x11ce, {0xa8, 0x9d, 0x00, 0xaa, 0x00, 0x6c, 0xad, 0xc5}};
EXTERN_C const IID IID_ITextHost = {
    0x13e670f4, 0x1a5a, 0x11cf, {0xab, 0xeb, 0x00, 0xaa, 0x00, 0xb6, 0x5e, 0xa1}};

namespace ZOV {

namespace {

typedef HRESULT(STDAPICALLTYPE* CreateTextServicesFn)(IUnknown* outer, ITextHost* host, IUnknown** out);

struct Loaded {
  CreateTextServicesFn create = nullptr;
  const wchar_t* library = L"";
};

// Loaded once and kept for the process: text services objects run the library's code for as
// long as any control holds one.
const Loaded& Library() {
  static const Loaded loaded = [] {
    Loaded l;
    for (const wchar_t* name : {L"msftedit.dll", L"riched20.dll"}) {
      HMODULE module = ::LoadLibraryW(name);
      if (!module) continue;
      l.create = win::ProcAddress<CreateTextServicesFn>(module, "CreateTextServices");
      if (l.create) {
        l.library = name;
        break;
      }
      ::FreeLibrary(module);
    }
    return l;
  }();
  return loaded;
}

}  // namespace

ITextServices* CreateHostedTextServices(ITextHost* host) {
  const Loaded& lib = Library();
  if (!lib.create || !host) return nullptr;
  win::ComPtr<IUnknown> unknown;
  if (FAILED(lib.create(nullptr, host, unknown.put())) || !unknown) return nullptr;
  ITextServices* services = nullptr;
  if (FAILED(unknown->QueryInterface(IID_ITextServices, reinterpret_cast<void**>(&services)))) return nullptr;
  return services;
}

const wchar_t* TextServicesLibrary() { return Library().library; }

}  // namespace ZOV
