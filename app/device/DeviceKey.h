// The device key: the MD5 digest text of a USB phone's serial with a fixed salt. Transfer
// records are filed under it. CDeviceKey holds the current key for several threads.
#pragma once

#include <string>

#include <ScopedWin.h>

// MD5 of the UTF-8 serial followed by the salt, as 32 lower-case hex digits.
std::string MakeDeviceKey(const std::wstring& serial);

// Written on the device bridge library's threads, read on the UI thread: copies under a lock
// so that no reader sees a half-written string.
class CDeviceKey {
 public:
  void Set(const std::string& key);
  void Clear();
  std::string Get() const;

 private:
  mutable win::CriticalSection m_lock;
  std::string m_key;  // guarded by m_lock
};
