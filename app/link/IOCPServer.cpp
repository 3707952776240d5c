// Completion workers: each waits on the port, hands completed reads to the callback and posts
// the next read into the same record. A 0-byte read is a peer close; errors 64, 995 and 1236,
// and 676 (Wine's code for a socket closed under its read), are an aborted read, reported
// after a pause of 2000 ms by the delayed reporter, so the worker itself never waits. Every
// other failure (a keep-alive that expired, 121; a host or network gone after sleep, 1231 and
// 1232; anything unforeseen) means the connection is dead while its handle is still ours: it
// ends as a close, so the link's end is reported and the handle closed once. A read that cannot
// even be posted goes the same way through the port. Workers end only when the server stops.
// No reassembly: one completed read is one callback.
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

CIOCPServer::CIOCPServer() : m_aborts(kAbortPauseMs) {}

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
    } catch (...) {
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
  if (!PostQueuedCompletionStatus(m_port.get(), 0, (ULONG_PTR)s, &record->overlapped)) FreeRecord(record);
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
  if (!closedByReaction) closesocket(s);
}

void CIOCPServer::EndFailed(SOCKET s, DWORD error) {
  if (IsAbortError(error)) {
    if (IIOCPCallback* cb = Callback()) m_aborts.Schedule(cb, s);
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
      EndFailed(s, error);
      continue;
    }
    if (bytes == 0) {
      (void)WSAGetLastError();  // diagnostic only
      FreeRecord(record);
      EndClosed(s);
      continue;
    }
    if (IIOCPCallback* cb = Callback()) cb->OnReceived(s, record->buffer, (int)bytes);
    PostRead(record, nullptr);
  }
}
