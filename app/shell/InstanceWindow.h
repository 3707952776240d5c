// CInstanceWindow: the running Quillon's hidden top-level window, the one place other programs
// reach it by. Its class name is fixed, whatever the skin titles its windows:
// - a second start of Quillon posts it the registered message kShowMessage, and the running
//   copy brings its window forward (from the notification area too);
// - setup and the uninstaller send it WM_CLOSE, and Quillon exits as the tray menu's exit does;
// - the benchmarks and the day-of-use run ask it for a diagnostic report (DiagnosticReport.h);
// - the taskbar announces itself with "TaskbarCreated" to every top-level window when Explorer
//   restarts (message-only windows, such as the bridge's, never receive broadcasts).
// It is never shown and has no taskbar button.
#pragma once

#include <windows.h>

#include "WindowImpl.h"

// The names other programs use; tools/release/Quillon.nsi spells the class name too.
const wchar_t kInstanceWindowClass[] = L"QuillonInstance";
const wchar_t kShowMessage[] = L"QuillonShowWindow";

class CInstanceWindow : public CWindowImpl<CInstanceWindow> {
 public:
  typedef void (*Handler)(void* context);
  struct Handlers {
    Handler taskbarCreated;  // add the tray icon again
    Handler show;            // bring the main window forward
    Handler exit;            // end the program cleanly
    Handler report;          // write the diagnostic report (benchmarks, the day-of-use run)
  };
  static const wchar_t* GetWndClassName() { return kInstanceWindowClass; }

  // Creates the window on the calling thread; handlers run there, from its message loop.
  bool Start(const Handlers& handlers, void* context);

  BOOL ProcessWindowMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,
                            DWORD msgMapId = 0) override;

 private:
  UINT m_taskbarCreated = 0;
  UINT m_show = 0;
  UINT m_report = 0;
  Handlers m_handlers = {};
  void* m_context = nullptr;
};

// For a starting copy: asks a running Quillon to show its window. True when one was found.
bool ShowRunningInstance();
