// Helpers for the share library tests.
#include "ShareTestUtil.h"

#include <vector>

namespace sharetest {

BoundedThread::BoundedThread(std::function<void()> body) : m_body(std::move(body)) {
  m_thread = CreateThread(nullptr, 0, Main, this, 0, nullptr);
}

BoundedThread::~BoundedThread() {
  if (!m_thread) return;
  if (WaitForSingleObject(m_thread, 0) != WAIT_OBJECT_0) TerminateThread(m_thread, 1);
  CloseHandle(m_thread);
}

bool BoundedThread::Join(DWORD timeoutMs) {
  return m_thread && WaitForSingleObject(m_thread, timeoutMs) == WAIT_OBJECT_0;
}

DWORD WINAPI BoundedThread::Main(void* param) {
  static_cast<BoundedThread*>(param)->m_body();
  return 0;
}

ChildProcess::~ChildProcess() {
  if (m_process) {
    if (WaitForSingleObject(m_process, 0) != WAIT_OBJECT_0) TerminateProcess(m_process, 1);
    CloseHandle(m_process);
  }
  if (m_stdoutRead) CloseHandle(m_stdoutRead);
}

bool ChildProcess::Start(const std::wstring& exe, const std::wstring& arguments) {
  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  HANDLE write = nullptr;
  if (!CreatePipe(&m_stdoutRead, &write, &inherit, 0)) return false;
  SetHandleInformation(m_stdoutRead, HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = write;
  startup.hStdError = write;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
  PROCESS_INFORMATION info = {};
  BOOL ok = CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                           &startup, &info);
  CloseHandle(write);  // the child holds its own copy; the pipe ends when the child does
  if (!ok) return false;
  CloseHandle(info.hThread);
  m_process = info.hProcess;
  return true;
}

void ChildProcess::ReadAvailable() {
  DWORD available = 0;
  while (PeekNamedPipe(m_stdoutRead, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
    char buffer[512];
    DWORD got = 0;
    if (!ReadFile(m_stdoutRead, buffer, available < sizeof(buffer) ? available : sizeof(buffer), &got,
                  nullptr) ||
        got == 0)
      return;
    m_output.append(buffer, got);
  }
}

bool ChildProcess::WaitForOutput(const std::string& text, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    ReadAvailable();
    if (m_output.find(text) != std::string::npos) return true;
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(20);
  }
}

bool ChildProcess::WaitForExit(DWORD timeoutMs, DWORD* exitCode) {
  if (!m_process || WaitForSingleObject(m_process, timeoutMs) != WAIT_OBJECT_0) return false;
  ReadAvailable();
  return GetExitCodeProcess(m_process, exitCode) != 0;
}

TempFolder::TempFolder() {
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  m_path = std::wstring(base) + UniqueName(L"quillon-share-") + L"\\";
  CreateDirectoryW(m_path.c_str(), nullptr);
}

TempFolder::~TempFolder() {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((m_path + L"*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        DeleteFileW((m_path + found.cFileName).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(m_path.c_str());
}

std::wstring TempFolder::WriteFile(const wchar_t* name, const std::string& content) {
  std::wstring path = m_path + name;
  HANDLE file =
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::wstring();
  DWORD written = 0;
  if (!content.empty()) ::WriteFile(file, content.data(), (DWORD)content.size(), &written, nullptr);
  CloseHandle(file);
  return path;
}

std::wstring ThisProgramFolder() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, n);
  return folder.substr(0, folder.rfind(L'\\') + 1);
}

std::wstring UniqueName(const wchar_t* prefix) {
  static LONG counter;
  wchar_t text[128];
  _snwprintf(text, 128, L"%ls%lu-%lu-%ld", prefix, GetCurrentProcessId(), GetTickCount(),
             InterlockedIncrement(&counter));
  text[127] = L'\0';
  return text;
}

SOCKET ListenOnLoopback(uint16_t* port) {
  SOCKET s = ShareLib::TCPSocket(false);
  if (s == INVALID_SOCKET) return s;
  if (!ShareLib::TCPListen(s, 8, 0, kLoopback)) {
    ShareLib::CloseSocket(s);
    return s;
  }
  *port = LocalPort(s);
  return s;
}

uint16_t LocalPort(SOCKET s) {
  sockaddr_in at = {};
  int length = sizeof(at);
  if (getsockname(s, reinterpret_cast<sockaddr*>(&at), &length) != 0) return 0;
  return ntohs(at.sin_port);
}

bool WaitReadable(SOCKET s, DWORD timeoutMs) {
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(s, &readable);
  timeval limit = {static_cast<long>(timeoutMs / 1000), static_cast<long>(timeoutMs % 1000) * 1000};
  return select(0, &readable, nullptr, nullptr, &limit) == 1;
}

bool ReceiveExactly(SOCKET s, char* buffer, int length, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  int got = 0;
  while (got < length) {
    DWORD spent = GetTickCount() - start;
    if (spent >= timeoutMs || !WaitReadable(s, timeoutMs - spent)) return false;
    int n = recv(s, buffer + got, length - got, 0);
    if (n <= 0) return false;
    got += n;
  }
  return true;
}

}  // namespace sharetest
