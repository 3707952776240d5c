// CUIEdit: attributes, caret placement and scrolling, keyboard, mouse and clipboard editing.
#include "UIEdit.h"

#include "AccessibleEvents.h"
#include "CallByName.h"
#include "ClipboardText.h"
#include "ControlPusher.h"
#include "EditTextRules.h"
#include "Engine.h"
#include "HostWnd.h"
#include "ResourceManager.h"
#include "ScopedWin.h"
#include "TextConv.h"

namespace ZOV {

namespace {

struct EditAttribute {
  const char* name;
  void (*apply)(CUIEdit& edit, std::string& onChange, std::string& onReturn, const char* value);
};

bool KeyDown(int key) { return (::GetKeyState(key) & 0x8000) != 0; }

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

CUIEdit::CUIEdit() {
  m_type = kTypeEdit;
  m_borderSize = 1;
}

CUIEdit::CUIEdit(const CUIEdit& o)
    : CUIControl(o),
      m_textColor(o.m_textColor),
      m_selectedTextColor(o.m_selectedTextColor),
      m_insert(o.m_insert),
      m_onChange(o.m_onChange),
      m_onReturn(o.m_onReturn) {
  m_buffer.InsertString(0, o.m_buffer.GetText(), o.m_buffer.GetLength());
}

std::shared_ptr<CUIControl> CUIEdit::Clone() const { return std::make_shared<CUIEdit>(*this); }

int CUIEdit::ParseAttributes(const XmlNode* element) {
  if (!CUIControl::ParseAttributes(element)) return 0;
  static const EditAttribute kAttributes[] = {
      {"text", [](CUIEdit& e, std::string&, std::string&, const char* v) { e.SetText(v); }},
      {"textcolor",
       [](CUIEdit& e, std::string&, std::string&, const char* v) {
         e.m_textColor = CResourceManager::Instance().ParseColor(v);
       }},
      {"onchange", [](CUIEdit&, std::string& c, std::string&, const char* v) { c = v; }},
      {"onreturn", [](CUIEdit&, std::string&, std::string& r, const char* v) { r = v; }},
  };
  ApplyAttributeTable(element, kAttributes, *this, m_onChange, m_onReturn);
  return 1;
}

CUIEdit::~CUIEdit() { DropSystemCaret(); }

void CUIEdit::SetFocus(bool focus) {
  CUIControl::SetFocus(focus);
  if (!focus) DropSystemCaret();
  Invalidate();
}

void CUIEdit::DropSystemCaret() {
  // The system caret belongs to the thread: the edit that made it takes it away.
  if (m_systemCaret) ::DestroyCaret();
  m_systemCaret = false;
}

HWND CUIEdit::HostWindow() const { return m_host ? m_host->GetHWND() : nullptr; }

std::string CUIEdit::GetText() const { return text::WideToUtf8(m_buffer.GetText()); }

void CUIEdit::SetText(const char* utf8) {
  std::wstring text = text::Utf8ToWide(utf8 ? utf8 : "");
  CutAtFirstLineBreak(text);
  m_buffer.Clear();
  m_buffer.InsertString(0, text.c_str(), FittingPrefix(text, CTextBuffer::kMaxLength));
  m_firstVisible = 0;
  PlaceCaret(m_buffer.GetLength());
  Collapse();
  Invalidate();
}

void CUIEdit::PlaceCaret(int index) {
  const wchar_t* text = m_buffer.GetText();
  int length = m_buffer.GetLength();
  m_caret = SnapCaretStop(text, length, index);
  if (m_firstVisible > length) m_firstVisible = length;
  HWND hwnd = HostWindow();
  if (!hwnd) return;
  win::ScopedGetDC dc(hwnd);
  int x1, x, x2;
  m_buffer.CPtoX(dc, m_firstVisible, false, &x1);
  m_buffer.CPtoX(dc, m_caret, false, &x);
  if (m_caret == length)
    x2 = x;
  else
    m_buffer.CPtoX(dc, m_caret, true, &x2);
  int width = m_rect.right - m_rect.left;
  if (x < x1) {
    m_firstVisible = m_caret;
  } else if (x2 > x1 + width) {
    // Scroll right just far enough that the caret's character ends inside the rect.
    int target = x2 - width, cp = 0, atCp = 0;
    bool trailing = false;
    if (!m_buffer.XtoCP(dc, target, &cp, &trailing)) return;
    m_buffer.CPtoX(dc, cp, false, &atCp);
    int first = atCp < target ? NextCaretStop(text, length, cp) : SnapCaretStop(text, length, cp);
    m_firstVisible = first < m_caret ? first : m_caret;
  }
}

void CUIEdit::PlaceCaretAtPoint(int x) {
  HWND hwnd = HostWindow();
  if (!hwnd) return;
  int x1 = 0, cp = 0;
  bool trailing = false;
  {
    win::ScopedGetDC dc(hwnd);
    m_buffer.CPtoX(dc, m_firstVisible, false, &x1);
    if (!m_buffer.XtoCP(dc, x - m_rect.left + x1, &cp, &trailing)) return;
  }
  const wchar_t* text = m_buffer.GetText();
  int length = m_buffer.GetLength();
  // A point in a cluster's trailing half goes after the whole cluster.
  if (trailing && cp < length)
    PlaceCaret(NextCaretStop(text, length, cp));
  else
    PlaceCaret(cp);
}

void CUIEdit::Changed() {
  RaiseAccEvent(this, EVENT_OBJECT_VALUECHANGE);
  lua_State* L = CEngine::Instance().LuaState();
  if (!m_onChange.empty() && L) lua_tinker::call<void>(L, m_onChange.c_str(), static_cast<CUIControl*>(this));
}

void CUIEdit::DeleteSelection() {
  if (!HasSelection()) return;
  int from = m_caret < m_selStart ? m_caret : m_selStart;
  int count = (m_caret < m_selStart ? m_selStart : m_caret) - from;
  m_buffer.RemoveRange(from, count);
  PlaceCaret(from);
  Collapse();
}

void CUIEdit::Copy() {
  if (!HasSelection()) return;
  int from = m_caret < m_selStart ? m_caret : m_selStart;
  int count = (m_caret < m_selStart ? m_selStart : m_caret) - from;
  PutClipboardText(HostWindow(), m_buffer.GetText() + from, count);
}

bool CUIEdit::Paste() {
  std::wstring text;
  // Without text on the clipboard the selection stays.
  if (!GetClipboardText(HostWindow(), &text)) return false;
  bool changed = HasSelection();
  DeleteSelection();
  CutAtFirstLineBreak(text);
  int count = FittingPrefix(text, CTextBuffer::kMaxLength - m_buffer.GetLength());
  if (count > 0 && m_buffer.InsertString(m_caret, text.c_str(), count)) {
    PlaceCaret(m_caret + count);
    changed = true;
  }
  Collapse();
  return changed;
}

bool CUIEdit::InsertTyped(wchar_t ch) {
  const wchar_t* text = m_buffer.GetText();
  int length = m_buffer.GetLength();
  bool lowHalf = IsLowSurrogate(ch);
  // A pair arrives as two characters: its first half needs room for both, and a second half
  // joins only the first half it belongs to.
  if (lowHalf && (m_caret == 0 || !IsHighSurrogate(text[m_caret - 1]))) return false;
  if (IsHighSurrogate(ch) && length > CTextBuffer::kMaxLength - 2) return false;
  if (!m_insert && !lowHalf && m_caret < length)
    m_buffer.RemoveRange(m_caret, NextCaretStop(text, length, m_caret) - m_caret);
  if (!m_buffer.InsertChar(m_caret, ch)) return false;
  // Straight after the unit: a mark typed after a letter leaves the caret after both.
  m_caret += 1;
  PlaceCaret(m_caret);
  Collapse();
  return true;
}

int CUIEdit::WordPos(bool next) {
  win::ScopedGetDC dc(HostWindow());
  return next ? m_buffer.GetNextItemPos(dc, m_caret) : m_buffer.GetPriorItemPos(dc, m_caret);
}

LRESULT CUIEdit::OnKeyDown(WPARAM key, bool* handled) {
  const wchar_t* text = m_buffer.GetText();
  int length = m_buffer.GetLength();
  bool ctrl = KeyDown(VK_CONTROL), shift = KeyDown(VK_SHIFT);
  bool done = true;
  bool keepSelection = false;
  switch (key) {
    case VK_TAB:
    case VK_ESCAPE:
      done = false;
      break;
    case VK_END:
      PlaceCaret(length);
      keepSelection = true;
      break;
    case VK_HOME:
      PlaceCaret(0);
      keepSelection = true;
      break;
    case VK_LEFT:
      if (ctrl) {
        PlaceCaret(WordPos(false));
      } else if (m_caret > 0) {
        PlaceCaret(PrevCaretStop(text, length, m_caret));
      }
      keepSelection = true;
      break;
    case VK_RIGHT:
      if (ctrl) {
        PlaceCaret(WordPos(true));
      } else if (m_caret < length) {
        PlaceCaret(NextCaretStop(text, length, m_caret));
      }
      keepSelection = true;
      break;
    case VK_INSERT:
      if (ctrl)
        Copy();
      else if (shift && Paste())
        Changed();
      else
        m_insert = !m_insert;
      done = false;
      break;
    case VK_DELETE:
      if (HasSelection()) {
        DeleteSelection();
        Changed();
      } else if (m_caret < length) {
        m_buffer.RemoveRange(m_caret, NextCaretStop(text, length, m_caret) - m_caret);
        PlaceCaret(m_caret);
        Changed();
      }
      break;
    default:
      break;
  }
  if (keepSelection && !shift) Collapse();
  if (done && handled) *handled = true;
  return 0;
}

void CUIEdit::OnChar(wchar_t ch) {
  switch (ch) {
    case 1:  // Ctrl+A
      if (!HasSelection()) {
        m_selStart = 0;
        PlaceCaret(m_buffer.GetLength());
      }
      return;
    case 3:  // Ctrl+C
      Copy();
      return;
    case 24:  // Ctrl+X
      if (!HasSelection()) return;
      Copy();
      DeleteSelection();
      Changed();
      return;
    case 22:  // Ctrl+V
      if (Paste()) Changed();
      return;
    case 8:  // Backspace: the whole character before the caret, pair or cluster
      if (!HasSelection() && m_caret > 0) {
        int from = PrevCaretStop(m_buffer.GetText(), m_buffer.GetLength(), m_caret);
        m_buffer.RemoveRange(from, m_caret - from);
        PlaceCaret(from);
        Collapse();
        Changed();
      }
      return;
    case 13: {
      lua_State* L = CEngine::Instance().LuaState();
      if (!m_onReturn.empty() && L) lua_tinker::call<void>(L, m_onReturn.c_str(), static_cast<CUIControl*>(this));
      return;
    }
    default:
      break;
  }
  // A NUL would end the zero-terminated text early; other control codes type nothing.
  if (ch < 30) return;
  if (InsertTyped(ch)) Changed();
}

LRESULT CUIEdit::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool* handled) {
  HWND hwnd = HostWindow();
  int x = (short)LOWORD(lParam);
  switch (msg) {
    case WM_KEYDOWN: {
      // Kept alive: a notification's script may remove the edit from its container.
      ControlPtr self = shared_from_this();
      LRESULT r = OnKeyDown(wParam, handled);
      if (hwnd) ::InvalidateRect(hwnd, &m_rect, FALSE);
      return r;
    }
    case WM_CHAR: {
      ControlPtr self = shared_from_this();
      OnChar((wchar_t)wParam);
      if (hwnd) ::InvalidateRect(hwnd, &m_rect, FALSE);
      if (handled) *handled = true;
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      m_mouseDown = true;
      if (hwnd) ::SetCapture(hwnd);
      SetMouseCapture(true);
      PlaceCaretAtPoint(x);
      Collapse();
      if (hwnd) ::InvalidateRect(hwnd, &m_rect, FALSE);
      if (handled) *handled = true;
      return 1;
    case WM_MOUSEMOVE:
      if (!m_mouseDown) return 0;
      PlaceCaretAtPoint(x);
      if (hwnd) ::InvalidateRect(hwnd, &m_rect, FALSE);
      if (handled) *handled = true;
      return 0;
    case WM_LBUTTONUP:
      if (!m_mouseDown) return 0;
      m_mouseDown = false;
      if (hwnd && ::GetCapture() == hwnd) ::ReleaseCapture();
      if (m_host && m_host->GetCaptureControl() == this) SetMouseCapture(false);
      return 0;
    default:
      return 0;
  }
}

}  // namespace ZOV
