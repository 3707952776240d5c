// DpiScale: the screen's DPI and the unit conversions.
#include "DpiScale.h"

#include <algorithm>
#include <climits>

#include "ScopedWin.h"

namespace ZOV {

namespace {

int Scale(int value, int num, int den) {
  long long product = (long long)value * num;
  long long q = (product >= 0 ? product + den / 2 : product - den / 2) / den;
  return (int)std::max<long long>(INT_MIN, std::min<long long>(INT_MAX, q));
}

int ScreenDpi() {
  win::ScopedGetDC screen(nullptr);
  return screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : DpiScale::kSkinDpi;
}

}  // namespace

const DpiScale& DpiScale::Instance() {
  static const DpiScale scale(ScreenDpi());
  return scale;
}

int DpiScale::ToDevice(int units) const { return Scale(units, m_dpi, kSkinDpi); }
int DpiScale::ToUnits(int pixels) const { return Scale(pixels, kSkinDpi, m_dpi); }

RECT DpiScale::ToDevice(const RECT& r) const {
  return RECT{ToDevice(r.left), ToDevice(r.top), ToDevice(r.right), ToDevice(r.bottom)};
}

RECT DpiScale::ToUnits(const RECT& r) const {
  return RECT{ToUnits(r.left), ToUnits(r.top), ToUnits(r.right), ToUnits(r.bottom)};
}

std::wstring DpiScale::PictureSuffix() const {
  if (IsIdentity()) return std::wstring();
  // The factor with at most two decimals and no trailing zeros: 1.25, 1.5, 2.
  int hundredths = Scale(m_dpi, 100, kSkinDpi);
  std::wstring text = std::to_wstring(hundredths / 100);
  int fraction = hundredths % 100;
  if (fraction) {
    text += L'.';
    text += (wchar_t)(L'0' + fraction / 10);
    if (fraction % 10) text += (wchar_t)(L'0' + fraction % 10);
  }
  return L"@" + text + L"x";
}

std::wstring DpiScale::PictureNameFor(const std::wstring& name) const {
  size_t folder = name.find_last_of(L"\\/");
  size_t dot = name.find_last_of(L'.');
  if (dot == std::wstring::npos || (folder != std::wstring::npos && dot < folder)) dot = name.size();
  return name.substr(0, dot) + PictureSuffix() + name.substr(dot);
}

}  // namespace ZOV
