// GDI+ start-up and shutdown.
#include "GdiPlusScope.h"

#include <objidl.h>
#include <gdiplus.h>

namespace ZOV {

GdiPlusScope::GdiPlusScope() {
  Gdiplus::GdiplusStartupInput input;
  if (Gdiplus::GdiplusStartup(&m_token, &input, nullptr) != Gdiplus::Ok) m_token = 0;
}

GdiPlusScope::~GdiPlusScope() {
  if (m_token) Gdiplus::GdiplusShutdown(m_token);
}

}  // namespace ZOV
