// The capture's timing trace: when SHARE_CAPTURE_TRACE names a file, one line per frame with
// the performance-counter times (seconds) at which the frame was ready, encoded and handed to
// the senders, and its peak. Rows are kept in memory and written a second's worth at a time,
// so that tracing adds few file writes to the loop it measures and survives a killed process.
#include "AudioCaptureImpl.h"

#include <math.h>

namespace ShareLib {

CaptureTrace::CaptureTrace() {
  wchar_t path[MAX_PATH];
  DWORD n = GetEnvironmentVariableW(L"SHARE_CAPTURE_TRACE", path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return;
  m_file = _wfopen(path, L"w");
  if (!m_file) return;
  QueryPerformanceFrequency(&m_freq);
  fprintf(m_file, "# ready encoded sent peak\n");
}

CaptureTrace::~CaptureTrace() {
  if (!m_file) return;
  Flush();
  fclose(m_file);
}

double CaptureTrace::Now() const {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return (double)now.QuadPart / m_freq.QuadPart;
}

void CaptureTrace::Ready(const PcmFrame& frame) {
  if (!m_file) return;
  Row& r = m_rows[m_count];
  r = Row();
  r.ready = Now();
  for (float v : frame.samples) r.peak = fmaxf(r.peak, fabsf(v));
}

void CaptureTrace::Encoded() {
  if (m_file) m_rows[m_count].encoded = Now();
}

void CaptureTrace::Sent() {
  if (!m_file) return;
  m_rows[m_count].sent = Now();
  if (++m_count == kRowsKept) Flush();
}

void CaptureTrace::Flush() {
  for (int i = 0; i < m_count; ++i) {
    const Row& r = m_rows[i];
    fprintf(m_file, "%.6f %.6f %.6f %.4f\n", r.ready, r.encoded, r.sent, r.peak);
  }
  fflush(m_file);
  m_count = 0;
}

}  // namespace ShareLib
