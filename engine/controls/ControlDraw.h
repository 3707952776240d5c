// Drawing routines shared by the controls: text, solid fill and border. Each leaves the DC's
// selections and colours as it found them.
#pragma once

#include <windows.h>

#include <string>

namespace ZOV {

// DrawTextW of the whole text with the font (null: the font already in the DC) and colour.
// The background mode stays as the caller set it.
void DrawControlText(HDC hdc, const std::wstring& text, const RECT& rect, HFONT font, COLORREF color,
                     UINT format);

// Fills the rect with a solid brush of the colour.
void FillSolid(HDC hdc, const RECT& rect, COLORREF color);

// An inside-frame outline of the given width (nothing when it is 0 or less).
void DrawBorder(HDC hdc, const RECT& rect, int width, COLORREF color);

}  // namespace ZOV
