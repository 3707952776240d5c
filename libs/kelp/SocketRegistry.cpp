// Interruptible blocking calls: see SocketRegistry.h.
#include "SocketRegistry.h"

namespace kelp {

bool CSocketRegistry::Add(SOCKET s) {
  win::ScopedLock hold(m_lock);
  if (m_shut) return false;
  try {
    m_sockets.insert(s);
  } catch (...) {
    return false;
  }
  return true;
}

void CSocketRegistry::Remove(SOCKET s) {
  win::ScopedLock hold(m_lock);
  m_sockets.erase(s);
}

void CSocketRegistry::ShutAll() {
  win::ScopedLock hold(m_lock);
  m_shut = true;
  // Under the lock: a socket is removed (and only then closed by its owner) under the same
  // lock, so no handle here can have been closed and reused.
  for (SOCKET s : m_sockets) shutdown(s, SD_BOTH);
}

void CSocketRegistry::Reopen() {
  win::ScopedLock hold(m_lock);
  m_shut = false;
}

bool CSocketRegistry::IsShut() {
  win::ScopedLock hold(m_lock);
  return m_shut;
}

}  // namespace kelp
