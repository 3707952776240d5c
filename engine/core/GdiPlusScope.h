// Keeps GDI+ started for the lifetime of one object.
#pragma once

#include <windows.h>

namespace ZOV {

// Decoding is rare (skin load time), so GDI+ runs only while a decode needs it; nothing is
// left for DLL unload to shut down under the loader lock.
class GdiPlusScope {
 public:
  GdiPlusScope();
  ~GdiPlusScope();
  GdiPlusScope(const GdiPlusScope&) = delete;
  GdiPlusScope& operator=(const GdiPlusScope&) = delete;
  bool ok() const { return m_token != 0; }

 private:
  ULONG_PTR m_token = 0;
};

}  // namespace ZOV
