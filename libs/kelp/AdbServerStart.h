// Finding the Android platform tools on this PC and starting their adb server the way they
// expect it: "adb.exe -P <port> start-server" by full path, without a console window, waiting
// for it to end (it ends once the server answers). Nothing else is ever run through adb.exe.
#pragma once

#include <windows.h>
#include <stdint.h>

#include <string>

namespace kelp {

// The first of AdbCandidates (from this process's environment and folder) that is a file;
// empty when there is none.
std::wstring FindAdb();

// Runs "<adb> -P <port> start-server" and waits until it ends, stop is set or timeoutMs pass.
// True when it ended with exit code 0. The port is given so that an ANDROID_ADB_SERVER_PORT of
// the user's cannot put the server elsewhere. No handle of this process is inherited by the
// server.
bool StartAdbServer(const std::wstring& adb, uint16_t port, HANDLE stop, DWORD timeoutMs);

}  // namespace kelp
