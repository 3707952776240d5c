// The hidden top-level window that hears "TaskbarCreated".
#include "TaskbarWatch.h"

bool CTaskbarWatch::Start(Handler handler, void* context) {
  m_handler = handler;
  m_context = context;
  m_taskbarCreated = ::RegisterWindowMessageW(L"TaskbarCreated");
  return Create(nullptr, nullptr, WS_POPUP, WS_EX_TOOLWINDOW) != nullptr;
}

BOOL CTaskbarWatch::ProcessWindowMessage(HWND, UINT msg, WPARAM, LPARAM, LRESULT& lResult, DWORD) {
  if (msg != m_taskbarCreated || m_taskbarCreated == 0) return FALSE;
  if (m_handler) m_handler(m_context);
  lResult = 0;
  return TRUE;
}
