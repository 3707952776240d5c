// Makes this process see volumes without 8.3 names, as Windows 8 and later format them (Wine
// invents a short name for every file): while an instance lives, GetShortPathNameW in every
// loaded module's import table answers with the long path itself, which is what Windows does
// where no short name exists.
#pragma once

#include <windows.h>
#include <tlhelp32.h>

#include <string.h>

#include <vector>

class NoShortNames {
 public:
  NoShortNames() {
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    Patch(reinterpret_cast<void*>(GetProcAddress(kernel, "GetShortPathNameW")),
          reinterpret_cast<void*>(&LongW));
  }
  ~NoShortNames() {
    for (const Slot& slot : m_slots) Write(slot.at, slot.was);
  }
  NoShortNames(const NoShortNames&) = delete;
  NoShortNames& operator=(const NoShortNames&) = delete;

 private:
  struct Slot {
    void** at;
    void* was;
  };

  static DWORD WINAPI LongW(const wchar_t* path, wchar_t* out, DWORD size) {
    DWORD n = path ? (DWORD)wcslen(path) : 0;
    if (!path || GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) return 0;
    if (!out || size <= n) return n + 1;
    memmove(out, path, (n + 1) * sizeof(wchar_t));
    return n;
  }
  static void Write(void** at, void* value) {
    DWORD old = 0;
    VirtualProtect(at, sizeof(void*), PAGE_READWRITE, &old);
    *at = value;
    VirtualProtect(at, sizeof(void*), old, &old);
  }

  // Every import-table slot that holds real, in every module of the process.
  void Patch(void* real, void* replacement) {
    if (!real) return;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, GetCurrentProcessId());
    if (snap == INVALID_HANDLE_VALUE) return;
    MODULEENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL ok = Module32FirstW(snap, &entry); ok; ok = Module32NextW(snap, &entry)) {
      BYTE* base = entry.modBaseAddr;
      auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
      auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
      IMAGE_DATA_DIRECTORY dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
      if (!dir.VirtualAddress) continue;
      for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name; ++d) {
        for (auto* t = reinterpret_cast<void**>(base + d->FirstThunk); *t; ++t) {
          if (*t != real) continue;
          m_slots.push_back({t, real});
          Write(t, replacement);
        }
      }
    }
    CloseHandle(snap);
  }

  std::vector<Slot> m_slots;
};
