// The running Quillon's hidden top-level window, and the second start's way to reach it.
#include "InstanceWindow.h"

#include "DiagnosticReport.h"

bool CInstanceWindow::Start(const Handlers& handlers, void* context) {
  m_handlers = handlers;
  m_context = context;
  m_taskbarCreated = ::RegisterWindowMessageW(L"TaskbarCreated");
  m_show = ::RegisterWindowMessageW(kShowMessage);
  m_report = ::RegisterWindowMessageW(kReportMessage);
  return Create(nullptr, nullptr, WS_POPUP, WS_EX_TOOLWINDOW) != nullptr;
}

BOOL CInstanceWindow::ProcessWindowMessage(HWND, UINT msg, WPARAM, LPARAM, LRESULT& lResult, DWORD) {
  Handler handler = nullptr;
  if (msg == WM_CLOSE)
    handler = m_handlers.exit;  // handled even without a handler: the window is not destroyed
  else if (msg != 0 && msg == m_taskbarCreated)
    handler = m_handlers.taskbarCreated;
  else if (msg != 0 && msg == m_show)
    handler = m_handlers.show;
  else if (msg != 0 && msg == m_report)
    handler = m_handlers.report;
  else
    return FALSE;
  if (handler) handler(m_context);
  lResult = 0;
  return TRUE;
}

bool ShowRunningInstance() {
  HWND running = ::FindWindowW(kInstanceWindowClass, nullptr);
  if (!running) return false;
  // The running copy may take the foreground only when the starting one (the foreground
  // process, just started by the user) lets it.
  DWORD pid = 0;
  ::GetWindowThreadProcessId(running, &pid);
  if (pid) ::AllowSetForegroundWindow(pid);
  ::PostMessageW(running, ::RegisterWindowMessageW(kShowMessage), 0, 0);
  return true;
}
