// CTaskbarWatch: tells its owner when the taskbar has been made anew (Explorer restarted), so
// that a notification-area icon can be added again; the new taskbar knows none of the old icons.
// The taskbar announces itself with the registered message "TaskbarCreated" to every top-level
// window; message-only windows (such as the bridge's) never receive broadcasts, so this is a
// hidden top-level window of its own. It is never shown and has no taskbar button.
#pragma once

#include <windows.h>

#include "WindowImpl.h"

class CTaskbarWatch : public CWindowImpl<CTaskbarWatch> {
 public:
  typedef void (*Handler)(void* context);
  static const wchar_t* GetWndClassName() { return L"QuillonTaskbarWatch"; }

  // Creates the window on the calling thread; the handler runs there, from its message loop.
  bool Start(Handler handler, void* context);

  BOOL ProcessWindowMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,
                            DWORD msgMapId = 0) override;

 private:
  UINT m_taskbarCreated = 0;
  Handler m_handler = nullptr;
  void* m_context = nullptr;
};
