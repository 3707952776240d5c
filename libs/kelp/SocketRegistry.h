// The sockets that blocking adb calls are using right now, so that close() on any thread can
// interrupt them (shutdown wakes a blocked recv or send; the owner still closes its socket).
#pragma once

#include <winsock2.h>

#include <set>

#include <ScopedWin.h>

namespace kelp {

class CSocketRegistry {
 public:
  // False once the registry was shut: the caller must not start I/O on s.
  bool Add(SOCKET s);
  void Remove(SOCKET s);
  // Interrupts every registered socket; later Adds fail until Reopen.
  void ShutAll();
  void Reopen();
  bool IsShut();

 private:
  win::CriticalSection m_lock;
  std::set<SOCKET> m_sockets;  // guarded by m_lock; not owned
  bool m_shut = false;         // guarded by m_lock
};

}  // namespace kelp
