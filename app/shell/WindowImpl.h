// A small equivalent of ATL's CWindowImpl: a window whose messages reach a C++ object.
// The object is taken from lpCreateParams on WM_NCCREATE and kept in GWLP_USERDATA.
#pragma once

#include <windows.h>

template <class T>
class CWindowImpl {
 public:
  HWND m_hWnd = nullptr;

  CWindowImpl() {}
  CWindowImpl(const CWindowImpl&) = delete;
  CWindowImpl& operator=(const CWindowImpl&) = delete;

  // Returns TRUE when the message was handled; lResult is then the window procedure's result.
  virtual BOOL ProcessWindowMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                    LRESULT& lResult, DWORD msgMapId = 0) = 0;
  virtual ~CWindowImpl() {
    // The derived part is gone by now: detach before destroying so no message reaches it.
    if (m_hWnd) {
      ::SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
      ::DestroyWindow(m_hWnd);
    }
  }
  virtual WNDPROC GetWindowProc() { return WindowProc; }
  virtual void OnFinalMessage(HWND) {}

  // Registers T's window class (T::GetWndClassName()) once and creates the window.
  HWND Create(HWND parent, const wchar_t* title = nullptr, DWORD style = 0, DWORD exStyle = 0) {
    if (m_hWnd) return m_hWnd;
    HINSTANCE inst = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW wc = {sizeof(wc)};
    if (!::GetClassInfoExW(inst, T::GetWndClassName(), &wc)) {
      wc.cbSize = sizeof(wc);
      wc.lpfnWndProc = GetWindowProc();
      wc.hInstance = inst;
      wc.lpszClassName = T::GetWndClassName();
      if (!::RegisterClassExW(&wc)) return nullptr;
    }
    return ::CreateWindowExW(exStyle, T::GetWndClassName(), title, style, 0, 0, 0, 0, parent,
                             nullptr, inst, this);
  }

  BOOL DestroyWindow() {
    if (!m_hWnd) return FALSE;
    return ::DestroyWindow(m_hWnd);
  }

  BOOL IsWindow() const { return m_hWnd && ::IsWindow(m_hWnd); }

 private:
  static LRESULT CALLBACK WindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CWindowImpl* self;
    if (msg == WM_NCCREATE) {
      self = static_cast<CWindowImpl*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
      self->m_hWnd = hWnd;
      ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
      self = reinterpret_cast<CWindowImpl*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    }
    if (!self) return ::DefWindowProcW(hWnd, msg, wParam, lParam);

    LRESULT result = 0;
    BOOL handled = self->ProcessWindowMessage(hWnd, msg, wParam, lParam, result, 0);
    if (!handled) result = ::DefWindowProcW(hWnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
      ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
      self->m_hWnd = nullptr;
      self->OnFinalMessage(hWnd);
    }
    return result;
  }
};
