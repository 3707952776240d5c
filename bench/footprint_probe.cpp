// Looks at another process from outside, as Task Manager would, for bench_footprint.py: the
// process owning the first window of a class, its private committed memory, GDI and user
// objects, its threads (start address as module + offset, and stack), and its committed
// private memory region by region, each region named by what can be told from outside: a
// thread's stack, or unknown. Prints one "key value..." line per fact. With "report", it first
// asks the program for its own report of its heaps (Quillon's instance window writes it to
// the file its QUILLON_REPORT_FILE names).
//   footprint_probe <window class> [report]
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <stdio.h>
#include <string.h>
#include <ScopedWin.h>
#include <string>
#include <vector>

namespace {

typedef LONG(NTAPI* QueryThreadFn)(HANDLE, ULONG, PVOID, ULONG, PULONG);
const ULONG kThreadBasicInformation = 0;
const ULONG kThreadWin32StartAddress = 9;

struct ThreadBasic {  // THREAD_BASIC_INFORMATION
  LONG exitStatus;
  void* tebBase;
  void* uniqueProcess;
  void* uniqueThread;
  ULONG_PTR affinity;
  LONG priority;
  LONG basePriority;
};

struct Module {
  std::string name;
  ULONG_PTR base, size;
};

std::vector<Module> Modules(HANDLE process) {
  std::vector<Module> modules;
  HMODULE handles[512];
  DWORD needed = 0;
  if (!EnumProcessModulesEx(process, handles, sizeof(handles), &needed, LIST_MODULES_ALL)) return modules;
  for (DWORD i = 0; i < needed / sizeof(HMODULE) && i < 512; ++i) {
    char name[MAX_PATH] = "?";
    MODULEINFO info = {};
    GetModuleBaseNameA(process, handles[i], name, MAX_PATH);
    GetModuleInformation(process, handles[i], &info, sizeof(info));
    modules.push_back({name, reinterpret_cast<ULONG_PTR>(info.lpBaseOfDll), info.SizeOfImage});
  }
  return modules;
}

const Module* ModuleAt(const std::vector<Module>& modules, ULONG_PTR address) {
  for (const Module& m : modules)
    if (address >= m.base && address < m.base + m.size) return &m;
  return nullptr;
}

// The stack of a thread: its TEB's NT_TIB StackLimit..StackBase, read from the other process.
bool StackOf(HANDLE process, void* teb, ULONG_PTR* low, ULONG_PTR* high) {
  NT_TIB tib = {};
  SIZE_T got = 0;
  if (!teb || !ReadProcessMemory(process, teb, &tib, sizeof(tib), &got) || got != sizeof(tib)) return false;
  *low = reinterpret_cast<ULONG_PTR>(tib.StackLimit);
  *high = reinterpret_cast<ULONG_PTR>(tib.StackBase);
  return *high > *low;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: footprint_probe <window class>\n");
    return 64;
  }
  HWND window = FindWindowA(argv[1], nullptr);
  if (!window) {
    printf("error no window of class %s\n", argv[1]);
    return 1;
  }
  if (argc > 2 && strcmp(argv[2], "report") == 0) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, RegisterWindowMessageW(L"QuillonDiagnosticReport"), 0, 0, SMTO_ABORTIFHUNG, 10000,
                        &result);
  }
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  if (!process) {
    printf("error cannot open process %lu\n", pid);
    return 1;
  }
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  auto queryThread = win::ProcAddress<QueryThreadFn>(ntdll, "NtQueryInformationThread");

  DWORD count = 0;
  PROCESS_MEMORY_COUNTERS_EX counters = {sizeof(counters)};
  GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters));
  printf("pid %lu\n", pid);
  printf("private_bytes %llu\n", static_cast<unsigned long long>(counters.PrivateUsage));
  printf("handles %lu\n", GetProcessHandleCount(process, &count) ? count : 0);
  printf("working_set %llu\n", static_cast<unsigned long long>(counters.WorkingSetSize));
  printf("gdi_objects %lu\n", GetGuiResources(process, GR_GDIOBJECTS));
  // Wine counts no user objects (always 0): printed only when there are some.
  if (DWORD user = GetGuiResources(process, GR_USEROBJECTS)) printf("user_objects %lu\n", user);

  std::vector<Module> modules = Modules(process);
  struct Stack {
    ULONG_PTR low, high;
    DWORD tid;
  };
  std::vector<Stack> stacks;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry = {sizeof(entry)};
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID != pid) continue;
    HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID);
    ULONG_PTR start = 0;
    ThreadBasic basic = {};
    if (thread && queryThread) {
      queryThread(thread, kThreadWin32StartAddress, &start, sizeof(start), nullptr);
      queryThread(thread, kThreadBasicInformation, &basic, sizeof(basic), nullptr);
    }
    ULONG_PTR low = 0, high = 0;
    if (StackOf(process, basic.tebBase, &low, &high)) stacks.push_back({low, high, entry.th32ThreadID});
    const Module* m = ModuleAt(modules, start);
    printf("thread %lu start %s+0x%llx\n", entry.th32ThreadID, m ? m->name.c_str() : "?",
           static_cast<unsigned long long>(m ? start - m->base : start));
    if (thread) CloseHandle(thread);
  }
  CloseHandle(snapshot);

  // Committed private regions, grouped by allocation and named where possible.
  MEMORY_BASIC_INFORMATION info;
  ULONG_PTR address = 0;
  ULONG_PTR allocation = static_cast<ULONG_PTR>(-1), allocationEnd = 0;
  unsigned long long committed = 0;
  auto flush = [&]() {
    if (allocation == static_cast<ULONG_PTR>(-1) || committed == 0) return;
    const char* owner = "unknown";
    char text[64];
    for (const Stack& s : stacks)
      if (s.low < allocationEnd && s.high > allocation) {
        snprintf(text, sizeof(text), "stack:%lu", s.tid);
        owner = text;
        break;
      }
    printf("region 0x%llx %llu 0x%llx %s\n", static_cast<unsigned long long>(allocation), committed,
           static_cast<unsigned long long>(allocationEnd), owner);
  };
  while (VirtualQueryEx(process, reinterpret_cast<void*>(address), &info, sizeof(info)) == sizeof(info)) {
    ULONG_PTR base = reinterpret_cast<ULONG_PTR>(info.AllocationBase);
    if (base != allocation) {
      flush();
      allocation = base;
      committed = 0;
    }
    if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) committed += info.RegionSize;
    ULONG_PTR next = reinterpret_cast<ULONG_PTR>(info.BaseAddress) + info.RegionSize;
    allocationEnd = next;
    if (next <= address) break;
    address = next;
  }
  flush();
  CloseHandle(process);
  return 0;
}
