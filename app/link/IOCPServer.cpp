// Completion workers: each waits on the port, hands completed reads to the callback and posts
// the next read into the same record. A 0-byte read is a peer close; errors 64, 995 and 1236,
// and 676 (Wine's code for a socket closed under its read), are an aborted read, reported
// after a pause of 2000 ms by the delayed reporter, so the worker itself never waits. Every
// other failure (a keep-alive that expired, 121; a host or network gone after sleep, 1231 and
// 1232; anything unforeseen) means the connection is dead while its handle is still ours: it
// ends as a close, so the link's end is reported and the handle closed once. A read that cannot
// even be posted goes the same way through the port. Workers end only when the server stops.
// No reassembly: one completed read is one callback.
//
// Reports name a socket by its handle value, which the system hands to the next socket as soon
// as the handle is closed. A socket that is read is therefore closed through CloseSocket: its
// read is cancelled, nothing more is reported about it, and the handle is closed with its last
// use (the read's completion, a report in progress, an abort waiting out the pause).
#include "IOCPServer.h"

#include <new>

namespace {

// Wine's error for a read whose socket was closed locally; missing from MinGW's headers.
const DWORD kErrorHandlesClosed = 676;

// Errors of a read whose socket may already be closed (by us) or reset: reported as aborted,
// and the handle is left to the link that owns it. Both Win32 codes (a failed completion) and
// Winsock codes (a read refused when posted) are listed.
bool IsAbortError(DWORD error) {
  switch (error) {
    case ERROR_NETNAME_DELETED:
    case ERROR_OPERATION_ABORTED:
    case ERROR_CONNECTION_ABORTED:
    case kErrorHandlesClosed:
    case ERROR_INVALID_HANDLE:
    case WSAENOTSOCK:
    case WSAECONNRESET:
    case WSAECONNABORTED:
      return true;
    default:
      return false;
  }
}

const DWORD kStopWaitMs = 5000;

}  // namespace

CIOCPServer::CIOCPServer() : m_aborts(kAbortPauseMs) { m_relay.server = this; }

CIOCPServer::~CIOCPServer() {
  Stop();
  if (!m_port) return;
  // Reads still posted on sockets that were closed by now complete with an error; take those
  // completions so their records can be freed. Records of sockets still open stay allocated:
  // the system may still write into them.
  for (int i = 0; i < 20; ++i) {
    {
      win::ScopedLock hold(m_lock);
      if (m_records.empty()) break;
    }
    DWORD bytes = 0;
    ULONG_PTR key = 0;
    OVERLAPPED* ov = nullptr;
    BOOL ok = GetQueuedCompletionStatus(m_port.get(), &bytes, &key, &ov, 50);
    if (ov) FreeRecord(CONTAINING_RECORD(ov, ReceiveRecord, overlapped));
    else if (!ok && GetLastError() != WAIT_TIMEOUT) break;
  }
}

bool CIOCPServer::Start(IIOCPCallback* callback, int workers) {
  if (m_stopped || m_port) return false;
  m_port.reset(CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 0));
  if (!m_port) return false;
  {
    win::ScopedLock hold(m_lock);
    m_callback = callback;
  }
  if (workers < 0) workers = kDefaultWorkers;
  for (int i = 0; i < workers; ++i)
    if (m_threads.Start(&CIOCPServer::WorkerProc, this)) ++m_workers;
  return m_workers > 0;
}

int CIOCPServer::AddSocket(SOCKET s) {
  if (!m_port || m_stopped || s == INVALID_SOCKET) return WSAENOTSOCK;
  if (!CreateIoCompletionPort(reinterpret_cast<HANDLE>(s), m_port.get(), (ULONG_PTR)s, 0))
    return (int)GetLastError();
  ReceiveRecord* record = new (std::nothrow) ReceiveRecord;
  if (!record) return WSAENOBUFS;
  record->socket = s;
  {
    win::ScopedLock hold(m_lock);
    try {
      m_records.insert(record);
      ++m_uses[s].holds;  // the read's
    } catch (...) {
      m_records.erase(record);
      delete record;
      return WSAENOBUFS;
    }
  }
  // A refused read is also reported through the port, as a close or an abort.
  int error = 0;
  PostRead(record, &error);
  return error;
}

void CIOCPServer::Stop() {
  InterlockedExchange(&m_stopped, 1);
  {
    win::ScopedLock hold(m_lock);
    m_callback = nullptr;
  }
  m_aborts.Stop();  // before the workers: one still at work cannot schedule any more
  if (!m_port) return;
  // One empty packet per worker: every worker wakes, sees the flag and ends.
  for (int i = 0; i < m_workers; ++i) PostQueuedCompletionStatus(m_port.get(), 0, 0, nullptr);
  m_threads.WaitIdle(kStopWaitMs);
  // No report comes any more: sockets waiting for their last use are closed now.
  std::map<SOCKET, Use> uses;
  {
    win::ScopedLock hold(m_lock);
    uses.swap(m_uses);
  }
  for (const auto& entry : uses)
    if (entry.second.closing) closesocket(entry.first);
}

void CIOCPServer::CloseSocket(SOCKET s) {
  if (s == INVALID_SOCKET) return;
  bool used = false;
  {
    win::ScopedLock hold(m_lock);
    auto it = m_stopped ? m_uses.end() : m_uses.find(s);
    if (it != m_uses.end()) used = it->second.closing = true;
  }
  if (!used) {
    closesocket(s);
    return;
  }
  // The read ends now rather than when the peer closes; its completion releases the handle.
  CancelIoEx(reinterpret_cast<HANDLE>(s), nullptr);
}

void CIOCPServer::Hold(SOCKET s) {
  win::ScopedLock hold(m_lock);
  ++m_uses[s].holds;
}

void CIOCPServer::Release(SOCKET s) {
  {
    win::ScopedLock hold(m_lock);
    auto it = m_uses.find(s);
    if (it == m_uses.end() || --it->second.holds > 0) return;
    bool closing = it->second.closing;
    m_uses.erase(it);
    if (!closing) return;
  }
  closesocket(s);
}

bool CIOCPServer::Closing(SOCKET s) {
  win::ScopedLock hold(m_lock);
  auto it = m_uses.find(s);
  return it != m_uses.end() && it->second.closing;
}

void CIOCPServer::ReportAbort(SOCKET s) {
  if (!Closing(s))
    if (IIOCPCallback* cb = Callback()) cb->OnAborted(s);
  Release(s);
}

size_t CIOCPServer::PendingReads() {
  win::ScopedLock hold(m_lock);
  return m_records.size();
}

DWORD WINAPI CIOCPServer::WorkerProc(void* arg) {
  CIOCPServer* self = static_cast<CIOCPServer*>(arg);
  self->Work();
  self->m_threads.Leave();
  return 0;
}

IIOCPCallback* CIOCPServer::Callback() {
  win::ScopedLock hold(m_lock);
  return m_callback;
}

bool CIOCPServer::PostRead(ReceiveRecord* record, int* error) {
  SOCKET s = record->socket;
  memset(record, 0, sizeof(*record));
  record->socket = s;
  record->wsabuf.buf = reinterpret_cast<char*>(record->buffer);
  record->wsabuf.len = kReadSize;
  DWORD flags = 0;
  if (WSARecv(s, &record->wsabuf, 1, nullptr, &flags, &record->overlapped, nullptr) == 0) return true;
  int e = WSAGetLastError();
  if (e == WSA_IO_PENDING) return true;
  if (error) *error = e;
  // No completion comes for a read refused at once: queue one carrying the error, so that a
  // worker ends the socket's I/O as for any failed read (never on the caller's thread).
  record->failure = (DWORD)e;
  if (!PostQueuedCompletionStatus(m_port.get(), 0, (ULONG_PTR)s, &record->overlapped)) {
    FreeRecord(record);
    Release(s);
  }
  return false;
}

void CIOCPServer::FreeRecord(ReceiveRecord* record) {
  {
    win::ScopedLock hold(m_lock);
    m_records.erase(record);
  }
  delete record;
}

void CIOCPServer::EndClosed(SOCKET s) {
  IIOCPCallback* cb = Callback();
  bool closedByReaction = cb ? cb->OnClosed(s) : false;
  if (!closedByReaction) CloseSocket(s);
}

void CIOCPServer::EndFailed(SOCKET s, DWORD error) {
  if (IsAbortError(error)) {
    if (!Callback()) return;
    try {
      Hold(s);  // the abort's, until it is reported
    } catch (...) {
      return;
    }
    if (!m_aborts.Schedule(&m_relay, s)) Release(s);
  } else {
    EndClosed(s);
  }
}

void CIOCPServer::Work() {
  for (;;) {
    DWORD bytes = 0;
    ULONG_PTR key = 0;
    OVERLAPPED* ov = nullptr;
    BOOL ok = GetQueuedCompletionStatus(m_port.get(), &bytes, &key, &ov, INFINITE);
    DWORD error = ok ? 0 : GetLastError();
    ReceiveRecord* record = ov ? CONTAINING_RECORD(ov, ReceiveRecord, overlapped) : nullptr;
    SOCKET s = (SOCKET)key;

    if (m_stopped) {
      if (record) FreeRecord(record);
      return;
    }
    if (!record) {
      // The wait itself failed: only a port closed under us ends the worker; anything else
      // (and an empty packet that is not a stop) waits again.
      if (!ok && (error == ERROR_INVALID_HANDLE || error == ERROR_ABANDONED_WAIT_0)) return;
      continue;
    }
    if (ok && record->failure) error = record->failure;  // a read refused when posted
    if (!ok || record->failure) {
      FreeRecord(record);
      if (!Closing(s)) EndFailed(s, error);
      Release(s);
      continue;
    }
    if (bytes == 0) {
      (void)WSAGetLastError();  // diagnostic only
      FreeRecord(record);
      if (!Closing(s)) EndClosed(s);
      Release(s);
      continue;
    }
    if (!Closing(s))
      if (IIOCPCallback* cb = Callback()) cb->OnReceived(s, record->buffer, (int)bytes);
    if (Closing(s)) {  // the reaction closed it
      FreeRecord(record);
      Release(s);
      continue;
    }
    PostRead(record, nullptr);
    // A close asked for meanwhile had no read to cancel yet.
    if (Closing(s)) CancelIoEx(reinterpret_cast<HANDLE>(s), nullptr);
  }
}
