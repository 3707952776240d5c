// A stand-in for the Android platform tools' adb.exe, for the tests that find and start the
// adb server. "adb.exe -P 5037 start-server" appends its command line (UTF-8) to calls.txt
// beside itself, starts this machine's own adb server (Debian's adb, which Wine runs as a Unix program, in
// the test's namespace) and, as the real one does, ends once 127.0.0.1:5037 answers: exit 0,
// or 1 after 30 s. Any other command only records itself and ends with 1.
#include <winsock2.h>
#include <windows.h>

#include <stdio.h>
#include <wchar.h>

namespace {

void Record(const wchar_t* line) {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  wchar_t* slash = wcsrchr(path, L'\\');
  if (n == 0 || !slash) return;
  wcscpy(slash + 1, L"calls.txt");
  char utf8[4096];
  int size = WideCharToMultiByte(CP_UTF8, 0, line, -1, utf8, sizeof(utf8) - 1, nullptr, nullptr);
  if (size <= 0) return;
  utf8[size - 1] = '\n';  // in place of the terminator
  FILE* f = _wfopen(path, L"ab");
  if (!f) return;
  fwrite(utf8, 1, size, f);
  fclose(f);
}

bool ServerAnswers() {
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in to = {};
  to.sin_family = AF_INET;
  to.sin_port = htons(5037);
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bool ok = connect(s, reinterpret_cast<sockaddr*>(&to), sizeof(to)) == 0;
  closesocket(s);
  return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  Record(GetCommandLineW());
  if (argc != 4 || wcscmp(argv[1], L"-P") != 0 || wcscmp(argv[2], L"5037") != 0 ||
      wcscmp(argv[3], L"start-server") != 0)
    return 1;
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  wchar_t line[] = L"adb -P 5037 start-server";
  // Wine starts a Unix program without a process handle to wait on: the port tells.
  if (CreateProcessW(L"Z:\\usr\\bin\\adb", line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                     &info)) {
    if (info.hProcess) CloseHandle(info.hProcess);
    if (info.hThread) CloseHandle(info.hThread);
  }
  for (int i = 0; i < 300; ++i) {
    if (ServerAnswers()) return 0;
    Sleep(100);
  }
  return 1;
}
