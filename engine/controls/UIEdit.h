// CUIEdit: a single-line text field measured with Uniscribe — caret, selection, keyboard
// editing, mouse placement and dragging, the clipboard, and horizontal scrolling that keeps
// the caret in view. It reaches keyboard input only while it is its host's focus control.
#pragma once

#include <string>

#include "TextBuffer.h"
#include "UIControl.h"

namespace ZOV {

class CUIEdit : public CUIControl {
 public:
  CUIEdit();
  CUIEdit(const CUIEdit& other);  // copies the text and settings; caret and selection at 0
  ~CUIEdit() override;

  void SetFocus(bool focus) override;
  std::shared_ptr<CUIControl> Clone() const override;
  // The common attributes, then "text", "textcolor", "onchange" (called with the edit after
  // every change of its text by the user) and "onreturn" (called on Enter).
  int ParseAttributes(const XmlNode* element) override;
  // Selection, text, caret and border; no background fill.
  void Paint(HDC hdc) override;
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool* handled) override;

  // Script methods (UTF-8). SetText keeps what fits and the first line of what it is given,
  // and puts the caret at the end.
  std::string GetText() const;
  void SetText(const char* text);

  const CTextBuffer& Buffer() const { return m_buffer; }
  int GetCaret() const { return m_caret; }
  int GetSelectionStart() const { return m_selStart; }
  int GetFirstVisible() const { return m_firstVisible; }
  bool IsInsertMode() const { return m_insert; }
  COLORREF GetTextColor() const { return m_textColor; }
  COLORREF GetSelectedTextColor() const { return m_selectedTextColor; }

 private:
  bool HasSelection() const { return m_caret != m_selStart; }
  HWND HostWindow() const;
  // Puts the caret at index (snapped to a character boundary) and scrolls it into view.
  void PlaceCaret(int index);
  void PlaceCaretAtPoint(int x);
  // The start of the next or the previous word from the caret (Ctrl+Right, Ctrl+Left).
  int WordPos(bool next);
  void Collapse() { m_selStart = m_caret; }
  void DeleteSelection();
  void Copy();
  bool Paste();  // true when the text changed
  bool InsertTyped(wchar_t ch);
  void Changed();

  LRESULT OnKeyDown(WPARAM key, bool* handled);
  void OnChar(wchar_t ch);
  // In UIEditPaint.cpp: the system caret, or an outline in layered windows.
  void PaintCaret(HDC hdc, int x1, int xc);
  void DropSystemCaret();

  CTextBuffer m_buffer;
  COLORREF m_textColor = 0x010101;
  COLORREF m_selectedTextColor = RGB(0, 0, 255);  // on the selection's white fill
  bool m_caretVisible = true;  // blink phase of the drawn caret in layered windows
  int m_caret = 0;
  bool m_insert = true;
  int m_selStart = 0;
  int m_firstVisible = 0;
  bool m_mouseDown = false;
  bool m_systemCaret = false;  // this edit made the thread's system caret
  std::string m_onChange, m_onReturn;
};

}  // namespace ZOV
