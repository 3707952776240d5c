// Helpers for the share library tests: threads and child processes with a time bound, a
// private temporary folder, and loopback sockets with ephemeral ports.
#pragma once

#include <ScopedWin.h>
#include <share.h>

#include <functional>
#include <string>

namespace sharetest {

const uint32_t kLoopback = 0x0100007F;  // 127.0.0.1 in network byte order

// Runs a function on a thread of its own. If the thread is still running when the object
// goes (a failed test), it is terminated rather than left to hang the test program.
class BoundedThread {
 public:
  explicit BoundedThread(std::function<void()> body);
  ~BoundedThread();
  BoundedThread(const BoundedThread&) = delete;
  BoundedThread& operator=(const BoundedThread&) = delete;
  bool Join(DWORD timeoutMs);  // true when the function returned within the time

 private:
  static DWORD WINAPI Main(void* param);
  std::function<void()> m_body;
  HANDLE m_thread;
};

// A child process whose standard output is read through a pipe; killed if still running when
// the object goes.
class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Start(const std::wstring& exe, const std::wstring& arguments);
  // Reads output until it contains text or the time is up; true when found.
  bool WaitForOutput(const std::string& text, DWORD timeoutMs);
  // Waits for the process to end and collects the rest of its output.
  bool WaitForExit(DWORD timeoutMs, DWORD* exitCode);
  const std::string& Output() const { return m_output; }

 private:
  void ReadAvailable();
  HANDLE m_process = nullptr;
  HANDLE m_stdoutRead = nullptr;
  std::string m_output;
};

// A new empty folder under the temporary folder, removed with its files at the end.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::wstring& Path() const { return m_path; }  // ends with a backslash
  std::wstring WriteFile(const wchar_t* name, const std::string& content);

 private:
  std::wstring m_path;
};

// The folder of the running test program, with a trailing backslash.
std::wstring ThisProgramFolder();
// A name no other test run uses: the prefix with process id and a counter.
std::wstring UniqueName(const wchar_t* prefix);

// A TCP listener on 127.0.0.1 with a port the system chose.
SOCKET ListenOnLoopback(uint16_t* port);
// The local port of a bound socket, 0 when unknown.
uint16_t LocalPort(SOCKET s);
// recv until length bytes arrived, or false at a failure or after timeoutMs.
bool ReceiveExactly(SOCKET s, char* buffer, int length, DWORD timeoutMs);
// Whether s becomes readable within timeoutMs.
bool WaitReadable(SOCKET s, DWORD timeoutMs);

}  // namespace sharetest
