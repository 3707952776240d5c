// Test helpers around the sandbox of tests/peers/adb_sandbox.py: raw requests to the adb
// server (attach and detach the device double), the double's control port, its storage
// folder, and bounded waiting. Independent of the code under test.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace adbtest {

// The environment of the sandbox; empty when unset.
std::string Env(const char* name);
bool InSandbox();

// One smart-socket request to the adb server; reply gets the text after OKAY (hex4 block when
// the service sends one). False on FAIL or no server.
bool HostRequest(const std::string& service, std::string* reply = nullptr, bool readBlock = true);

std::string DoubleSerial();  // "127.0.0.1:<port>"
bool AttachDouble();         // host:connect to the double
bool DetachDouble();         // host:disconnect
// One line to the double's control port ("set app_installed 0", "log"); its one-line answer.
std::string DoubleControl(const std::string& line);

// The Windows path of a file on the simulated phone ("/sdcard/DCIM/x.jpg").
std::wstring PhonePath(const std::string& remote);
bool ReadWholeFile(const std::wstring& path, std::string& data);
bool WriteWholeFile(const std::wstring& path, const std::string& data);
// A fresh folder for the test's own files.
std::wstring ScratchDir();
// Bytes that differ from run to run and position to position.
std::string PatternBytes(size_t size, unsigned seed);

// Polls condition every 10 ms (pumping this thread's messages) until true or ms pass.
bool WaitFor(const std::function<bool()>& condition, DWORD ms);

}  // namespace adbtest
