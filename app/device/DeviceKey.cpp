// Device key: see DeviceKey.h.
#include "DeviceKey.h"

#include <TextConv.h>

#include "share.h"

namespace {
const char kKeySalt[] = "_{5C2E81F4-6A3D-4b97-9E10-3D7B42C8A6F1}";
}

std::string MakeDeviceKey(const std::wstring& serial) {
  return ShareLib::MD5(text::WideToUtf8(serial) + kKeySalt).toString();
}

void CDeviceKey::Set(const std::string& key) {
  win::ScopedLock hold(m_lock);
  m_key = key;
}

void CDeviceKey::Clear() {
  win::ScopedLock hold(m_lock);
  m_key.clear();
}

std::string CDeviceKey::Get() const {
  win::ScopedLock hold(m_lock);
  return m_key;
}
