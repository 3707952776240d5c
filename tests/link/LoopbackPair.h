// Connected TCP socket pairs on 127.0.0.1 (ephemeral ports) for the link tests.
#pragma once

#include <winsock2.h>
#include <windows.h>
#include <stdint.h>

#include <string>

namespace linktest {

void StartWinsock();
// A listener on 127.0.0.1 with a system-chosen port.
SOCKET ListenLoopback(uint16_t* port, uint16_t fixedPort = 0);
// client: made with WSA_FLAG_OVERLAPPED (as the program's sockets are); server: accepted.
bool MakePair(SOCKET* client, SOCKET* server);
// Reads exactly n bytes within timeoutMs; false on timeout, close or error.
bool ReadExactly(SOCKET s, void* buffer, int n, DWORD timeoutMs = 3000);
// True when the handle no longer names a socket (it was closed).
bool IsClosedHandle(SOCKET s);
// Waits until pred() or timeoutMs; returns pred().
template <class Pred>
bool WaitFor(Pred pred, DWORD timeoutMs = 5000) {
  for (DWORD start = GetTickCount(); !pred(); Sleep(5))
    if (GetTickCount() - start > timeoutMs) return pred();
  return true;
}
// Sends a RST instead of a FIN on close.
void CloseWithReset(SOCKET s);

}  // namespace linktest
