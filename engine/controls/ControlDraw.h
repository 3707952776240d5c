// Drawing routines shared by the controls: text, solid fill and border. Each leaves the DC's
// selections and colours as it found them.
#pragma once

#include <windows.h>

#include <string>

#include "ScopedWin.h"

namespace ZOV {

// Narrows the DC's clip region to rect (within the current one) until it goes out of scope,
// when the DC's whole saved state comes back.
class ScopedClipRect {
 public:
  ScopedClipRect(HDC hdc, const RECT& rect) : m_saved(hdc) {
    ::IntersectClipRect(hdc, rect.left, rect.top, rect.right, rect.bottom);
  }

 private:
  win::ScopedSaveDC m_saved;
};

// DrawTextW of the whole text with the font (null: the font already in the DC) and colour.
// The background mode stays as the caller set it.
void DrawControlText(HDC hdc, const std::wstring& text, const RECT& rect, HFONT font, COLORREF color,
                     UINT format);

// Fills the rect with a solid brush of the colour.
void FillSolid(HDC hdc, const RECT& rect, COLORREF color);

// An inside-frame outline of the given width (nothing when it is 0 or less).
void DrawBorder(HDC hdc, const RECT& rect, int width, COLORREF color);

}  // namespace ZOV
