// Crash handler: on an unhandled exception it writes a minidump and a short text report
// beside the program, or, where the program's folder cannot be written (an installed program),
// in the user's own "%LOCALAPPDATA%\<program>\", then ends the process with the exception
// code as its exit code.
// Everything the handler needs (names, folder, the dbghelp entry point) is prepared when it is
// installed, so that the crashed process does little more than write two files.
#include "share.h"

#include <dbghelp.h>
#include <ScopedWin.h>
#include <stdio.h>

namespace ShareLib {
namespace {

typedef BOOL(WINAPI* MiniDumpWriteDumpFn)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE,
                                          PMINIDUMP_EXCEPTION_INFORMATION, PMINIDUMP_USER_STREAM_INFORMATION,
                                          PMINIDUMP_CALLBACK_INFORMATION);

wchar_t g_appName[64];
wchar_t g_folder[MAX_PATH];          // the program's folder; ends with a backslash
wchar_t g_userFolder[MAX_PATH + 64];  // %LOCALAPPDATA%\<program>\, or empty
MiniDumpWriteDumpFn g_writeDump;
LONG g_entered;

// File names must not carry the characters a window title may have.
void CopySafeName(const wchar_t* from, wchar_t* to, size_t size) {
  size_t n = 0;
  for (; from && *from && n + 1 < size; ++from)
    to[n++] = wcschr(L"\\/:*?\"<>|", *from) || *from < 32 ? L'_' : *from;
  to[n] = L'\0';
  if (n == 0 && size > 3) wcscpy(to, L"app");
}

HANDLE CreateReportFileIn(const wchar_t* folder, const wchar_t* stamp, const wchar_t* extension) {
  wchar_t path[MAX_PATH + 192];
  _snwprintf(path, ARRAYSIZE(path), L"%ls%ls-crash-%ls.%ls", folder, g_appName, stamp, extension);
  path[ARRAYSIZE(path) - 1] = L'\0';
  return CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Beside the program when it can be written there, else in the user's folder (made now:
// nothing is written there unless the program crashes).
HANDLE CreateReportFile(const wchar_t* stamp, const wchar_t* extension) {
  HANDLE file = CreateReportFileIn(g_folder, stamp, extension);
  if (file != INVALID_HANDLE_VALUE || !g_userFolder[0]) return file;
  CreateDirectoryW(g_userFolder, nullptr);
  return CreateReportFileIn(g_userFolder, stamp, extension);
}

// "%LOCALAPPDATA%\<program file's name without extension>\", read while the process is sound.
void FindUserFolder(const wchar_t* programPath) {
  g_userFolder[0] = L'\0';
  wchar_t base[MAX_PATH];
  DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", base, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return;
  const wchar_t* name = wcsrchr(programPath, L'\\');
  name = name ? name + 1 : programPath;
  wchar_t program[64];
  size_t length = 0;
  for (; name[length] && name[length] != L'.' && length + 1 < ARRAYSIZE(program); ++length) program[length] = name[length];
  program[length] = L'\0';
  if (length == 0) return;
  _snwprintf(g_userFolder, ARRAYSIZE(g_userFolder), L"%ls\\%ls\\", base, program);
  g_userFolder[ARRAYSIZE(g_userFolder) - 1] = L'\0';
}

void WriteMiniDump(HANDLE file, EXCEPTION_POINTERS* info) {
  if (!g_writeDump) return;
  MINIDUMP_EXCEPTION_INFORMATION exception;
  exception.ThreadId = GetCurrentThreadId();
  exception.ExceptionPointers = info;
  exception.ClientPointers = FALSE;
  g_writeDump(GetCurrentProcess(), GetCurrentProcessId(), file, MiniDumpNormal, info ? &exception : nullptr,
              nullptr, nullptr);
}

void WriteTextReport(HANDLE file, EXCEPTION_POINTERS* info, const SYSTEMTIME& now) {
  const EXCEPTION_RECORD* record = info ? info->ExceptionRecord : nullptr;
  DWORD code = record ? record->ExceptionCode : 0;
  void* address = record ? record->ExceptionAddress : nullptr;

  // The module that holds the faulting address, and the offset into it.
  char module[MAX_PATH * 3] = "unknown";
  uintptr_t offset = reinterpret_cast<uintptr_t>(address);
  HMODULE owner = nullptr;
  if (GetModuleHandleExW(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          static_cast<LPCWSTR>(address), &owner)) {
    wchar_t wide[MAX_PATH];
    if (GetModuleFileNameW(owner, wide, MAX_PATH))
      WideCharToMultiByte(CP_UTF8, 0, wide, -1, module, sizeof(module), nullptr, nullptr);
    offset -= reinterpret_cast<uintptr_t>(owner);
  }
  char appName[ARRAYSIZE(g_appName) * 3];
  WideCharToMultiByte(CP_UTF8, 0, g_appName, -1, appName, sizeof(appName), nullptr, nullptr);

  char text[2048];
  int n = _snprintf(text, sizeof(text),
                    "%s crash report\r\n"
                    "Time: %04u-%02u-%02u %02u:%02u:%02u\r\n"
                    "Exception: 0x%08lX\r\n"
                    "Address: 0x%p\r\n"
                    "Module: %s+0x%lX\r\n"
                    "Thread: %lu\r\n",
                    appName, now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, code,
                    address, module, static_cast<unsigned long>(offset), GetCurrentThreadId());
  if (n < 0 || n >= static_cast<int>(sizeof(text))) n = static_cast<int>(strlen(text));
  if (record && code == EXCEPTION_ACCESS_VIOLATION && record->NumberParameters >= 2) {
    const char* kinds[] = {"reading", "writing"};
    ULONG_PTR kind = record->ExceptionInformation[0];
    int m = _snprintf(text + n, sizeof(text) - n, "Access violation %s 0x%p\r\n",
                      kind < 2 ? kinds[kind] : "executing",
                      reinterpret_cast<void*>(record->ExceptionInformation[1]));
    if (m > 0 && m < static_cast<int>(sizeof(text)) - n) n += m;
  }
  DWORD written;
  WriteFile(file, text, n, &written, nullptr);
}

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* info) {
  DWORD code = info && info->ExceptionRecord ? info->ExceptionRecord->ExceptionCode : 1;
  // A fault inside the handler, or a second thread crashing meanwhile, just ends the process.
  if (InterlockedExchange(&g_entered, 1) != 0) TerminateProcess(GetCurrentProcess(), code);

  SYSTEMTIME now;
  GetLocalTime(&now);
  wchar_t stamp[32];
  _snwprintf(stamp, ARRAYSIZE(stamp), L"%04u%02u%02u-%02u%02u%02u", now.wYear, now.wMonth, now.wDay,
             now.wHour, now.wMinute, now.wSecond);
  stamp[ARRAYSIZE(stamp) - 1] = L'\0';

  HANDLE dump = CreateReportFile(stamp, L"dmp");
  if (dump != INVALID_HANDLE_VALUE) {
    WriteMiniDump(dump, info);
    CloseHandle(dump);
  }
  HANDLE report = CreateReportFile(stamp, L"txt");
  if (report != INVALID_HANDLE_VALUE) {
    WriteTextReport(report, info, now);
    CloseHandle(report);
  }
  TerminateProcess(GetCurrentProcess(), code ? code : 1);
  return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

bool InitBugHandler(const wchar_t* appName, int /*flags*/) {
  CopySafeName(appName, g_appName, ARRAYSIZE(g_appName));

  // Without the program's folder (a path too long), reports go to the current folder.
  DWORD n = GetModuleFileNameW(nullptr, g_folder, MAX_PATH);
  FindUserFolder(n > 0 && n < MAX_PATH ? g_folder : L"");
  wchar_t* slash = n > 0 && n < MAX_PATH ? wcsrchr(g_folder, L'\\') : nullptr;
  if (slash)
    slash[1] = L'\0';
  else
    g_folder[0] = L'\0';

  // Loaded now, not in the crashed process; never freed.
  HMODULE dbghelp = LoadLibraryW(L"dbghelp.dll");
  if (dbghelp)
    g_writeDump = win::ProcAddress<MiniDumpWriteDumpFn>(dbghelp, "MiniDumpWriteDump");

  SetErrorMode(SetErrorMode(0) | SEM_NOGPFAULTERRORBOX | SEM_FAILCRITICALERRORS);
  SetUnhandledExceptionFilter(OnUnhandledException);
  return true;
}

}  // namespace ShareLib
