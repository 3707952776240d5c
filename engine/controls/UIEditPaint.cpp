// CUIEdit painting: selection fill, text from the first visible character, selected text,
// caret (the system's, or a drawn outline that blinks in layered windows), border.
#include "ControlDraw.h"
#include "HostWnd.h"
#include "UIEdit.h"

namespace ZOV {

namespace {
// DT_NOPREFIX: an "&" typed into the edit is text, and is measured as such.
const UINT kEditTextFormat = DT_NOPREFIX;
const COLORREF kDrawnCaretColor = 0x010101;  // near black: pure black is a hole in layered windows
}  // namespace

void CUIEdit::Paint(HDC hdc) {
  PlaceCaret(m_caret);
  int x1 = 0, xc = 0, xs = 0;
  m_buffer.CPtoX(hdc, m_firstVisible, false, &x1);
  m_buffer.CPtoX(hdc, m_caret, false, &xc);
  xs = xc;
  if (HasSelection()) m_buffer.CPtoX(hdc, m_selStart, false, &xs);
  RECT sel = {m_rect.left + (xc < xs ? xc : xs) - x1, m_rect.top, m_rect.left + (xc < xs ? xs : xc) - x1,
              m_rect.bottom};
  bool selected = HasSelection() && IntersectRect(&sel, &sel, &m_rect);
  {
    ScopedClipRect clip(hdc, m_rect);
    // The DC's own pen and brush: the window's paint buffer starts with a black pen and a
    // white brush.
    if (selected) ::Rectangle(hdc, sel.left, sel.top, sel.right, sel.bottom);
    DrawControlText(hdc, m_buffer.GetText() + m_firstVisible, m_rect, nullptr, m_textColor, kEditTextFormat);
    if (selected) {
      int first = m_caret < m_selStart ? m_caret : m_selStart;
      if (first < m_firstVisible) first = m_firstVisible;
      DrawControlText(hdc, m_buffer.GetText() + first, sel, nullptr, m_selectedTextColor, kEditTextFormat);
    }
    if (IsFocus() && m_caretVisible)
      PaintCaret(hdc, x1, xc);
    else if (!IsFocus())
      DropSystemCaret();  // the focus moved on without telling this edit
  }
  if (m_host && m_host->IsLayered()) m_caretVisible = !m_caretVisible;
  PaintBorder(hdc);
}

void CUIEdit::PaintCaret(HDC hdc, int x1, int xc) {
  RECT caret = {m_rect.left + xc - x1 - 1, m_rect.top, m_rect.left + xc - x1 + 1, m_rect.bottom};
  if (!m_insert && m_caret < m_buffer.GetLength()) {
    int trailing = 0;
    m_buffer.CPtoX(hdc, m_caret, true, &trailing);
    caret.right = m_rect.left + trailing - x1;
  }
  if (!m_host) return;
  HWND hwnd = m_host->GetHWND();
  if (!m_host->IsLayered()) {
    if (!hwnd) return;
    ::DestroyCaret();
    m_systemCaret = ::CreateCaret(hwnd, nullptr, caret.right - caret.left, caret.bottom - caret.top) != FALSE;
    ::SetCaretPos(caret.left, caret.top);
    ::ShowCaret(hwnd);
  } else {
    DrawBorder(hdc, caret, 1, kDrawnCaretColor);
  }
}

}  // namespace ZOV
