// Test peer for ShareLib::UniqueInstance: unique_instance_peer <mutex name> <hold ms>.
// Claims the name as the program's start-up does, prints "past" once it got through, then
// keeps the name for the given time. A second copy must end inside the call, with code 0.
#include <share.h>
#include <stdlib.h>

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  ShareLib::UniqueInstance(argv[1], L"QuillonPeerNoSuchClass", L"QuillonPeerNoSuchWindow", true, true);
  DWORD written;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), "past\n", 5, &written, nullptr);
  Sleep(static_cast<DWORD>(_wtoi(argv[2])));
  return 0;
}
