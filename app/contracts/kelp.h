// kelp.dll: the program's access to Android phones through the Android Debug Bridge.
// Text arguments are narrow: local paths in the thread's ANSI code page, remote paths in UTF-8.
#pragma once

#include <stdint.h>
#include <string>

#ifdef KELP_BUILD
#define KELP_API __declspec(dllexport)
#else
#define KELP_API __declspec(dllimport)
#endif

// Device notices, called from the library's own threads; slots in this order.
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
  int install(const char* apkPath, bool userRequested, bool reserved, std::string& output);  // 0: success
  bool isSucceed(std::string output);
  int push(const char* localPath, const char* remotePath);  // 0: success
  bool startActivity(const char* component, const char* reserved);
  int forward(int localPort, int devicePort);  // 0: success
  void close();

 private:
  struct Impl;
  Impl* m_impl;
};
