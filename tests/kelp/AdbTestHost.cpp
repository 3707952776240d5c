// Test helpers for the adb sandbox: see AdbTestHost.h.
#include "AdbTestHost.h"

#include <winsock2.h>

#include <stdio.h>
#include <stdlib.h>
#include <vector>

namespace adbtest {

namespace {

struct WsaOnce {
  WsaOnce() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
  }
};

SOCKET ConnectLoopback(int port) {
  static WsaOnce wsa;
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return s;
  DWORD ms = 15000;
  setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&ms), sizeof(ms));
  sockaddr_in to = {};
  to.sin_family = AF_INET;
  to.sin_port = htons((u_short)port);
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(s, reinterpret_cast<sockaddr*>(&to), sizeof(to)) != 0) {
    closesocket(s);
    return INVALID_SOCKET;
  }
  return s;
}

bool RecvExact(SOCKET s, char* p, int n) {
  while (n > 0) {
    int got = recv(s, p, n, 0);
    if (got <= 0) return false;
    p += got;
    n -= got;
  }
  return true;
}

}  // namespace

std::string Env(const char* name) {
  const char* value = getenv(name);
  return value ? value : "";
}

bool InSandbox() { return !Env("QUILLON_SANDBOX").empty(); }

bool HostRequest(const std::string& service, std::string* reply, bool readBlock) {
  SOCKET s = ConnectLoopback(5037);
  if (s == INVALID_SOCKET) return false;
  char head[5];
  snprintf(head, sizeof(head), "%04x", (unsigned)service.size());
  std::string request = std::string(head) + service;
  bool ok = send(s, request.data(), (int)request.size(), 0) == (int)request.size();
  char status[4];
  ok = ok && RecvExact(s, status, 4);
  bool okay = ok && memcmp(status, "OKAY", 4) == 0;
  if (ok && (readBlock || !okay)) {
    char digits[5] = {};
    if (RecvExact(s, digits, 4)) {
      int n = (int)strtol(digits, nullptr, 16);
      std::string text(n, '\0');
      if (n == 0 || RecvExact(s, &text[0], n)) {
        if (reply) *reply = text;
      }
    }
  }
  closesocket(s);
  return okay;
}

std::string DoubleSerial() { return "127.0.0.1:" + Env("QUILLON_DOUBLE_PORT"); }

bool AttachDouble() {
  std::string reply;
  return HostRequest("host:connect:" + DoubleSerial(), &reply) && reply.find("connected to") != std::string::npos &&
         reply.find("failed") == std::string::npos;
}

bool DetachDouble() { return HostRequest("host:disconnect:" + DoubleSerial()); }

std::string DoubleControl(const std::string& line) {
  SOCKET s = ConnectLoopback(atoi(Env("QUILLON_DOUBLE_CONTROL").c_str()));
  if (s == INVALID_SOCKET) return "";
  std::string request = line + "\n";
  send(s, request.data(), (int)request.size(), 0);
  std::string answer;
  char c;
  while (recv(s, &c, 1, 0) == 1 && c != '\n') answer += c;
  closesocket(s);
  return answer;
}

std::wstring PhonePath(const std::string& remote) {
  std::string path = Env("QUILLON_DOUBLE_STORAGE");
  for (char c : remote) path += c == '/' ? '\\' : c;
  int n = MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, nullptr, 0);
  std::wstring wide(n, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, &wide[0], n);
  wide.resize(n - 1);
  return wide;
}

bool ReadWholeFile(const std::wstring& path, std::string& data) {
  FILE* f = _wfopen(path.c_str(), L"rb");
  if (!f) return false;
  data.clear();
  char buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof(buffer), f)) > 0) data.append(buffer, n);
  fclose(f);
  return true;
}

bool WriteWholeFile(const std::wstring& path, const std::string& data) {
  FILE* f = _wfopen(path.c_str(), L"wb");
  if (!f) return false;
  bool ok = fwrite(data.data(), 1, data.size(), f) == data.size();
  return fclose(f) == 0 && ok;
}

std::wstring ScratchDir() {
  static LONG counter = 0;
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  wchar_t dir[MAX_PATH];
  swprintf(dir, MAX_PATH, L"%lsadbtest-%lu-%ld", temp, GetCurrentProcessId(), InterlockedIncrement(&counter));
  CreateDirectoryW(dir, nullptr);
  return dir;
}

std::string PatternBytes(size_t size, unsigned seed) {
  std::string out(size, '\0');
  unsigned x = seed * 2654435761u + 1;
  for (size_t i = 0; i < size; ++i) {
    x = x * 1103515245u + 12345u;
    out[i] = (char)(x >> 16);
  }
  return out;
}

bool WaitFor(const std::function<bool()>& condition, DWORD ms) {
  DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    if (condition()) return true;
    if (GetTickCount() - start > ms) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

}  // namespace adbtest
