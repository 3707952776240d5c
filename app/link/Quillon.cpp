// The audio streaming service: format and data slots, start and stop.
#include "Quillon.h"

#include "Channel.h"
#include "ControlFrame.h"
#include "LinkTable.h"

namespace {
const DWORD kThreadEndMs = 5000;
}

CQuillon::CQuillon(CLinkTable* table) : m_table(table) {}

CQuillon::~CQuillon() {
  Stop();
  if (m_thread) WaitForSingleObject(m_thread.get(), kThreadEndMs);
  // Links outliving the service (the process's table is destroyed at exit, after the bridge
  // when "Uninit" never ran) would otherwise tell a freed service to forget their channels.
  Table().ForgetRenter(this);
}

CLinkTable& CQuillon::Table() { return m_table ? *m_table : CLinkTable::Instance(); }

bool CQuillon::IsCapturing() {
  if (m_capture.IsCapturing()) return true;
  // Started but not yet running counts as capturing: a second start must not initialise again.
  return m_thread && WaitForSingleObject(m_thread.get(), 0) == WAIT_TIMEOUT;
}

bool CQuillon::Start(void*) {
  if (IsCapturing()) return false;
  m_thread.reset();
  if (!m_capture.Initialize(this) || !m_playback.Initialize(this)) return true;
  InterlockedIncrement(&m_inits);
  m_thread.reset(CreateThread(nullptr, 0, &CQuillon::CaptureProc, this, 0, nullptr));
  return true;
}

DWORD WINAPI CQuillon::CaptureProc(void* arg) {
  static_cast<CQuillon*>(arg)->m_capture.Start();
  return 0;
}

void CQuillon::Stop() {
  Clear();
  m_capture.Stop();
}

void CQuillon::OnFormat(const void* format) {
  if (!format) return;
  uint32_t word = phonelink::ReadLE32(static_cast<const unsigned char*>(format) + 4);
  if (Table().Send(phonelink::kMsgStreamFormat, &word, sizeof(word)) <= 0) return;
  Table().OpenChannel(kAudioPort, this);
}

void CQuillon::OnData(const unsigned char* data, int length) { FanOut(data, length); }
