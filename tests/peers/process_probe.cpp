// Prints the open handles and committed private memory of another process of the same
// wineserver, found by its executable name: "<handles> <committed KiB>", or "none".
// Committed memory is summed over VirtualQueryEx, as the benchmarks sum their own.
// Usage: process_probe <name.exe>
#include <windows.h>
#include <tlhelp32.h>

#include <stdio.h>
#include <wchar.h>

#include "ProcessCounts.h"

namespace {

DWORD FindProcess(const wchar_t* name) {
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return 0;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  DWORD pid = 0;
  for (BOOL ok = Process32FirstW(snap, &entry); ok && !pid; ok = Process32NextW(snap, &entry))
    if (_wcsicmp(entry.szExeFile, name) == 0) pid = entry.th32ProcessID;
  CloseHandle(snap);
  return pid;
}

SIZE_T CommittedPrivateBytes(HANDLE process) {
  SIZE_T total = 0;
  MEMORY_BASIC_INFORMATION mbi;
  const char* at = nullptr;
  while (VirtualQueryEx(process, at, &mbi, sizeof(mbi)) == sizeof(mbi)) {
    if (mbi.State == MEM_COMMIT && mbi.Type == MEM_PRIVATE) total += mbi.RegionSize;
    const char* next = static_cast<const char*>(mbi.BaseAddress) + mbi.RegionSize;
    if (next <= at) break;
    at = next;
  }
  return total;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  DWORD pid = argc > 1 ? FindProcess(argv[1]) : 0;
  HANDLE process = pid ? OpenProcess(PROCESS_DUP_HANDLE | PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid)
                       : nullptr;
  if (!process) {
    printf("none\n");
    return 1;
  }
  printf("%u %llu\n", HandleCount(process), (unsigned long long)(CommittedPrivateBytes(process) / 1024));
  CloseHandle(process);
  return 0;
}
