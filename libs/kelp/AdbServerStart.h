// Finding the Android platform tools on this PC and starting their adb server the way they
// expect it: "adb.exe start-server" by full path, without a console window, and waiting for
// it to end (it ends once the server answers). Nothing else is ever run through adb.exe.
#pragma once

#include <windows.h>

#include <string>

namespace kelp {

// The first of AdbCandidates (from this process's environment and folder) that is a file;
// empty when there is none.
std::wstring FindAdb();

// Runs "<adb> start-server" and waits until it ends, stop is set or timeoutMs pass. True when
// it ended with exit code 0. No handle of this process is inherited by the server.
bool StartAdbServer(const std::wstring& adb, HANDLE stop, DWORD timeoutMs);

}  // namespace kelp
