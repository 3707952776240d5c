// Text, fill and border drawing with every GDI object owned and every selection restored.
#include "ControlDraw.h"

#include "ScopedWin.h"

namespace ZOV {

void DrawControlText(HDC hdc, const std::wstring& text, const RECT& rect, HFONT font, COLORREF color,
                     UINT format) {
  if (!hdc || text.empty()) return;
  win::ScopedSelectObject selectFont(hdc, font);  // selects nothing for a null font
  COLORREF oldColor = ::SetTextColor(hdc, color);
  RECT r = rect;  // DrawTextW may write to it
  ::DrawTextW(hdc, text.c_str(), (int)text.size(), &r, format);
  ::SetTextColor(hdc, oldColor);
}

void FillSolid(HDC hdc, const RECT& rect, COLORREF color) {
  win::AutoGdiObj brush(::CreateSolidBrush(color));
  if (brush) ::FillRect(hdc, &rect, (HBRUSH)brush.get());
}

void DrawBorder(HDC hdc, const RECT& rect, int width, COLORREF color) {
  if (width <= 0) return;
  win::AutoGdiObj pen(::CreatePen(PS_INSIDEFRAME, width, color));
  if (!pen) return;
  win::ScopedSelectObject selectPen(hdc, pen.get());
  win::ScopedSelectObject selectBrush(hdc, ::GetStockObject(NULL_BRUSH));
  ::Rectangle(hdc, rect.left, rect.top, rect.right, rect.bottom);
}

}  // namespace ZOV
