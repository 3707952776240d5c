// Process-wide Windows Sockets start-up, done once whichever thread asks first.
#include "share.h"

namespace ShareLib {
namespace {

INIT_ONCE g_wsaOnce = INIT_ONCE_STATIC_INIT;

BOOL CALLBACK StartWsa(PINIT_ONCE, PVOID, PVOID*) {
  WSADATA data;
  // Never paired with WSACleanup: sockets may be in use until the process ends.
  return WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

}  // namespace

void CAutoWSA::Do() { InitOnceExecuteOnce(&g_wsaOnce, StartWsa, nullptr, nullptr); }

}  // namespace ShareLib
