// Test peer for ShareLib::InitBugHandler: installs the handler, then writes through a null
// pointer. The handler should leave a dump and a report beside this program and end it.
#include <share.h>

int wmain() {
  ShareLib::InitBugHandler(L"CrashPeer", 0);
  volatile int* nowhere = nullptr;
  *nowhere = 1;
  return 0;  // not reached
}
