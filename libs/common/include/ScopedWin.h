// Owners for Windows resources: one small non-copyable, movable class per kind of handle.
// Each stores exactly the handle it must release and releases it once.
#pragma once

#include <winsock2.h>
#include <windows.h>
#include <objbase.h>
#include <utility>

namespace win {

// Generic owner: Traits gives invalid() and close(h).
template <class Traits>
class Owned {
 public:
  using H = typename Traits::Handle;
  Owned() : m_h(Traits::invalid()) {}
  explicit Owned(H h) : m_h(h) {}
  ~Owned() { reset(); }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  Owned(Owned&& o) noexcept : m_h(o.release()) {}
  Owned& operator=(Owned&& o) noexcept {
    if (this != &o) reset(o.release());
    return *this;
  }

  H get() const { return m_h; }
  bool valid() const { return m_h != Traits::invalid(); }
  explicit operator bool() const { return valid(); }
  H release() {
    H h = m_h;
    m_h = Traits::invalid();
    return h;
  }
  void reset(H h = Traits::invalid()) {
    if (valid()) Traits::close(m_h);
    m_h = h;
  }
  // For APIs that fill in a handle: releases the current one first.
  H* put() {
    reset();
    return &m_h;
  }

 private:
  H m_h;
};

struct HandleTraits {  // kernel handles whose failure value is NULL
  using Handle = HANDLE;
  static HANDLE invalid() { return nullptr; }
  static void close(HANDLE h) { ::CloseHandle(h); }
};
struct FileTraits {  // CreateFile and friends fail with INVALID_HANDLE_VALUE
  using Handle = HANDLE;
  static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
  static void close(HANDLE h) { ::CloseHandle(h); }
};
struct SocketTraits {
  using Handle = SOCKET;
  static SOCKET invalid() { return INVALID_SOCKET; }
  static void close(SOCKET s) { ::closesocket(s); }
};
struct GdiObjTraits {
  using Handle = HGDIOBJ;
  static HGDIOBJ invalid() { return nullptr; }
  static void close(HGDIOBJ h) { ::DeleteObject(h); }
};
struct MemDCTraits {  // DCs from CreateCompatibleDC / CreateDC
  using Handle = HDC;
  static HDC invalid() { return nullptr; }
  static void close(HDC h) { ::DeleteDC(h); }
};
struct ModuleTraits {
  using Handle = HMODULE;
  static HMODULE invalid() { return nullptr; }
  static void close(HMODULE h) { ::FreeLibrary(h); }
};
struct HGlobalTraits {
  using Handle = HGLOBAL;
  static HGLOBAL invalid() { return nullptr; }
  static void close(HGLOBAL h) { ::GlobalFree(h); }
};
struct IconTraits {
  using Handle = HICON;
  static HICON invalid() { return nullptr; }
  static void close(HICON h) { ::DestroyIcon(h); }
};
struct MenuTraits {
  using Handle = HMENU;
  static HMENU invalid() { return nullptr; }
  static void close(HMENU h) { ::DestroyMenu(h); }
};
struct WindowTraits {
  using Handle = HWND;
  static HWND invalid() { return nullptr; }
  static void close(HWND h) { ::DestroyWindow(h); }
};

using AutoHandle = Owned<HandleTraits>;
using AutoFile = Owned<FileTraits>;
using AutoSocket = Owned<SocketTraits>;
using AutoGdiObj = Owned<GdiObjTraits>;
using AutoDeleteDC = Owned<MemDCTraits>;
using AutoModule = Owned<ModuleTraits>;
using AutoHGlobal = Owned<HGlobalTraits>;
using AutoIcon = Owned<IconTraits>;
using AutoMenu = Owned<MenuTraits>;
using AutoWindow = Owned<WindowTraits>;

// A window's DC from GetDC, given back with ReleaseDC.
class ScopedGetDC {
 public:
  explicit ScopedGetDC(HWND hwnd) : m_hwnd(hwnd), m_hdc(::GetDC(hwnd)) {}
  ~ScopedGetDC() {
    if (m_hdc) ::ReleaseDC(m_hwnd, m_hdc);
  }
  ScopedGetDC(const ScopedGetDC&) = delete;
  ScopedGetDC& operator=(const ScopedGetDC&) = delete;
  HDC get() const { return m_hdc; }
  operator HDC() const { return m_hdc; }

 private:
  HWND m_hwnd;
  HDC m_hdc;
};

// Selects an object into a DC and restores the previous selection.
class ScopedSelectObject {
 public:
  ScopedSelectObject(HDC hdc, HGDIOBJ obj) : m_hdc(hdc), m_prev(obj ? ::SelectObject(hdc, obj) : nullptr) {}
  ~ScopedSelectObject() {
    if (m_prev) ::SelectObject(m_hdc, m_prev);
  }
  ScopedSelectObject(const ScopedSelectObject&) = delete;
  ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

 private:
  HDC m_hdc;
  HGDIOBJ m_prev;
};

// Saves and restores a DC's whole state (clip region, selections, modes).
class ScopedSaveDC {
 public:
  explicit ScopedSaveDC(HDC hdc) : m_hdc(hdc), m_saved(::SaveDC(hdc)) {}
  ~ScopedSaveDC() {
    if (m_saved) ::RestoreDC(m_hdc, m_saved);
  }
  ScopedSaveDC(const ScopedSaveDC&) = delete;
  ScopedSaveDC& operator=(const ScopedSaveDC&) = delete;

 private:
  HDC m_hdc;
  int m_saved;
};

// A COM interface pointer, released once.
template <class T>
class ComPtr {
 public:
  ComPtr() : m_p(nullptr) {}
  explicit ComPtr(T* p) : m_p(p) {}  // takes over a reference
  ~ComPtr() { reset(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& o) noexcept : m_p(o.m_p) { o.m_p = nullptr; }
  ComPtr& operator=(ComPtr&& o) noexcept {
    if (this != &o) {
      reset();
      m_p = o.m_p;
      o.m_p = nullptr;
    }
    return *this;
  }
  T* get() const { return m_p; }
  T* operator->() const { return m_p; }
  explicit operator bool() const { return m_p != nullptr; }
  T** put() {
    reset();
    return &m_p;
  }
  void reset() {
    if (m_p) m_p->Release();
    m_p = nullptr;
  }

 private:
  T* m_p;
};

// A critical section and its scoped holder.
class CriticalSection {
 public:
  CriticalSection() { ::InitializeCriticalSection(&m_cs); }
  ~CriticalSection() { ::DeleteCriticalSection(&m_cs); }
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;
  void lock() { ::EnterCriticalSection(&m_cs); }
  void unlock() { ::LeaveCriticalSection(&m_cs); }

 private:
  CRITICAL_SECTION m_cs;
};

class ScopedLock {
 public:
  explicit ScopedLock(CriticalSection& cs) : m_cs(cs) { m_cs.lock(); }
  ~ScopedLock() { m_cs.unlock(); }
  ScopedLock(const ScopedLock&) = delete;
  ScopedLock& operator=(const ScopedLock&) = delete;

 private:
  CriticalSection& m_cs;
};

// A module's export as the function type the caller knows it to have (FARPROC is only a
// placeholder type; the cast goes through a pointer so that no warning hides a real mismatch).
template <class F>
F ProcAddress(HMODULE module, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

}  // namespace win
