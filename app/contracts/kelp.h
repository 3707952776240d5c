// kelp.dll: the program's access to Android phones through the Android Debug Bridge.
// Remote paths are UTF-8. Local paths are UTF-16 (any file name), or, in the narrow forms of
// push and install, in the thread's ANSI code page.
#pragma once

#include <stdint.h>
#include <string>

#ifdef KELP_BUILD
#define KELP_API __declspec(dllexport)
#else
#define KELP_API __declspec(dllimport)
#endif

// Device notices, called from the library's own threads; slots in this order.
//
// The library watches the adb server (127.0.0.1:5037). When none answers it starts the one of
// the Android platform tools (adb.exe beside the program, on PATH, or in the Android SDK's
// usual places), and when none can be had it says so once with OnDeviceReady("", 6). A device
// that appears is reported with OnDeviceInsert (its serial, and its model as the description
// when the server knows it, else the serial), followed by OnDeviceReady with its state; every
// later change of state gives OnDeviceReady again, and a device that goes away (or a lost
// server) gives OnDeviceRemove.
// OnDeviceReady's status:
//   0  device: usable; from now on commands go to this device (the last one reported ready)
//   1  unauthorized: the phone has not accepted this computer's key yet
//   2  offline: attached but not answering
//   3  connecting or authorizing: not usable yet, a further notice follows
//   4  no permissions: the system denies access to the USB device
//   5  any other mode (recovery, bootloader, sideload, rescue, host, unknown)
//   6  no adb server: none answers and none could be started (empty device id)
//
// Int results of the commands: 0 success, and
//  -1  no device ready, the library is closed, or an argument is missing
//  -2  no adb server answers
//  -3  the server refused the request (device gone, offline, bad forward, ...)
//  -4  the local file cannot be read (or the path cannot be converted)
//  -5  the connection broke or a time limit passed
//  -6  the device refused (a push the phone would not store, an install that failed)
// Every call may run on any thread, several at once and from inside the callbacks.
class IKELPEventHandler {
 public:
  virtual void OnDeviceInsert(const wchar_t* serial, const char* description) = 0;
  virtual void OnDeviceRemove(uint32_t reserved) = 0;
  virtual void OnDeviceReady(const char* deviceId, int status) = 0;  // 0: usable
  virtual void OnPushProgress(const char* file, int done, int total) = 0;
};

class KELP_API CKelpCommand {
 public:
  CKelpCommand();
  ~CKelpCommand();
  CKelpCommand(const CKelpCommand&) = delete;
  CKelpCommand& operator=(const CKelpCommand&) = delete;

  bool Init(IKELPEventHandler* handler);
  int shell(const char* command, std::string& output, int timeoutMs, int reserved);
  int install(const wchar_t* apkPath, bool userRequested, bool reserved, std::string& output);  // 0: success
  int install(const char* apkPath, bool userRequested, bool reserved, std::string& output);  // ANSI path
  bool isSucceed(std::string output);
  // OnPushProgress names the file by this path in the ANSI code page ("?" where it cannot).
  int push(const wchar_t* localPath, const char* remotePath);  // 0: success
  int push(const char* localPath, const char* remotePath);     // ANSI path
  bool startActivity(const char* component, const char* reserved);
  int forward(int localPort, int devicePort);  // 0: success
  void close();

 private:
  struct Impl;
  Impl* m_impl;
};
