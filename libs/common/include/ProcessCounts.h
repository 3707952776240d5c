// How many handles, GDI objects and threads a process holds: for the diagnostic report, the
// leak tests and the probes. Windows answers directly; Wine answers 0 to GetProcessHandleCount
// and GetGuiResources, so there the tables are read slot by slot instead.
#pragma once

#include <windows.h>
#include <tlhelp32.h>

#include <stdint.h>

// Handle values are multiples of 4 handed out lowest slot first: a slot is in use when
// DuplicateHandle can copy it, and the scan ends after a long run of free slots.
inline unsigned HandleCount(HANDLE process) {
  DWORD count = 0;
  if (::GetProcessHandleCount(process, &count) && count > 0) return count;
  unsigned freeRun = 0;
  for (uintptr_t value = 4; value < (1u << 20) && freeRun < 4096; value += 4) {
    HANDLE copy = nullptr;
    if (::DuplicateHandle(process, reinterpret_cast<HANDLE>(value), ::GetCurrentProcess(), &copy, 0, FALSE,
                          DUPLICATE_SAME_ACCESS)) {
      ::CloseHandle(copy);
      ++count;
      freeRun = 0;
    } else {
      ++freeRun;
    }
  }
  return count;
}

// This process's GDI objects. Under Wine a GDI handle's low word is its table slot, and a
// handle whose upper word is 0 names whatever object is in that slot: the live slots are counted.
inline unsigned GdiObjectCount() {
  unsigned n = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
  if (n) return n;
  for (UINT_PTR slot = 1; slot < 0x10000; ++slot)
    if (::GetObjectType(reinterpret_cast<HGDIOBJ>(slot))) ++n;
  return n;
}

inline unsigned ThreadCount(DWORD processId) {
  unsigned n = 0;
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  THREADENTRY32 entry = {sizeof(entry)};
  for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry))
    if (entry.th32OwnerProcessID == processId) ++n;
  ::CloseHandle(snapshot);
  return n;
}
