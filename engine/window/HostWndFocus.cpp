// CHostWnd's keyboard focus: Tab and Shift+Tab through the tab stops, focus on click, the focus
// cue, and the window's answers to assistive technology.
#include "HostWnd.h"

#include "AccessibleEvents.h"
#include "AccessibleInfo.h"
#include "AccessibleObject.h"
#include "FocusOrder.h"
#include "ScopedWin.h"
#include "UIControlContainer.h"

namespace ZOV {

namespace {

bool KeyHeld(int key) { return (::GetKeyState(key) & 0x8000) != 0; }

// The cue's two rings lie inside the control: a parent's clip cannot cut them off.
const int kCueRing = 1;

bool g_keyboardInput = false;

}  // namespace

bool LastInputWasKeyboard() { return g_keyboardInput; }
void NoteKeyboardInput(bool keyboard) { g_keyboardInput = keyboard; }

void CHostWnd::SetFocusControl(CUIControl* control) {
  if (m_focus == control) return;
  CUIControl* old = m_focus;
  m_focus = control;
  if (m_hwnd && m_keyboardCues) {
    if (old) ::InvalidateRect(m_hwnd, &old->GetRect(), FALSE);
    if (control) ::InvalidateRect(m_hwnd, &control->GetRect(), FALSE);
  }
  if (control && m_hwnd && ::GetFocus() == m_hwnd) RaiseAccEvent(control, EVENT_OBJECT_FOCUS);
}

void CHostWnd::MoveFocus(CUIControl* control) {
  if (control == m_focus) return;
  ControlPtr keep = control ? control->weak_from_this().lock() : nullptr;  // SetFocus may run scripts
  if (m_focus) m_focus->SetFocus(false);
  if (control && control->GetHostWnd() == this) control->SetFocus(true);
}

void CHostWnd::ShowKeyboardCues() {
  if (m_keyboardCues) return;
  m_keyboardCues = true;
  if (m_hwnd && m_focus) ::InvalidateRect(m_hwnd, &m_focus->GetRect(), FALSE);
}

void CHostWnd::PaintFocusCue(HDC hdc) {
  if (!m_keyboardCues || !m_focus || !IsReachableStop(m_focus)) return;
  RECT r = m_focus->GetRect();
  win::AutoGdiObj outer(::CreateSolidBrush(m_focusOuter));
  win::AutoGdiObj inner(::CreateSolidBrush(m_focusInner));
  ::FrameRect(hdc, &r, static_cast<HBRUSH>(outer.get()));
  ::InflateRect(&r, -kCueRing, -kCueRing);
  if (r.right > r.left && r.bottom > r.top) ::FrameRect(hdc, &r, static_cast<HBRUSH>(inner.get()));
}

LRESULT CHostWnd::OnKeyDown(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
  handled = m_root != nullptr;  // without a root the system's default processing has it
  NoteKeyboardInput(true);
  ShowKeyboardCues();
  m_tabMovedFocus = false;
  if (wParam == VK_TAB && !KeyHeld(VK_CONTROL) && !KeyHeld(VK_MENU) && m_root) {
    ControlPtr root = m_root;
    if (CUIControl* next = NextTabStop(root.get(), m_focus, KeyHeld(VK_SHIFT))) MoveFocus(next);
    m_tabMovedFocus = true;
    return 0;
  }
  return RouteToRoot(msg, wParam, lParam, nullptr);
}

LRESULT CHostWnd::OnChar(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
  handled = m_root != nullptr;
  if (wParam == '\t' && m_tabMovedFocus) return 0;  // the key moved the focus; it types nothing
  return RouteToRoot(msg, wParam, lParam, nullptr);
}

LRESULT CHostWnd::OnLButtonDown(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
  handled = m_root != nullptr;
  NoteKeyboardInput(false);
  if (!m_root) return 0;
  ControlPtr root = m_root;
  // The nearest tab stop around the point takes the focus before the press is handled, as the
  // system's controls do. Edits and rich edits keep their own rules (a script, or the rich
  // edit itself, focuses them).
  POINT pt = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
  CUIControl* stop = DeepestControlAt(root.get(), pt, true);
  while (stop && !IsTabStopType(stop)) stop = stop->GetParent();
  if (stop && stop->GetType() != kTypeEdit && stop->GetType() != kTypeRichEdit && IsReachableStop(stop))
    MoveFocus(stop);
  return RouteToRoot(msg, wParam, lParam, nullptr);
}

LRESULT CHostWnd::OnSetFocus(UINT, WPARAM, LPARAM, bool&) {
  if (m_focus) RaiseAccEvent(m_focus, EVENT_OBJECT_FOCUS);
  return 0;  // default processing follows
}

// Activated otherwise than by a click (a key switched windows, or the program brought it to
// the front), the window shows where the keyboard is, as the system's dialogs do: the stop that
// had the focus when it was left, else the first, with the cue. Its first activation is its
// showing, which counts as the keyboard's only when a key led to it.
LRESULT CHostWnd::OnActivate(UINT, WPARAM wParam, LPARAM, bool&) {
  if (LOWORD(wParam) == WA_INACTIVE) return 0;
  bool showing = !m_wasActive;
  m_wasActive = true;
  if (LOWORD(wParam) != WA_ACTIVE || HIWORD(wParam) || !m_root) return 0;  // a click, or minimised
  if (showing && !LastInputWasKeyboard()) return 0;
  ControlPtr root = m_root;
  if (!IsReachableStop(m_focus)) {
    if (CUIControl* first = NextTabStop(root.get(), nullptr, false)) MoveFocus(first);
  }
  ShowKeyboardCues();
  return 0;  // default processing gives the window the focus
}

LRESULT CHostWnd::OnGetObject(UINT, WPARAM wParam, LPARAM lParam, bool& handled) {
  LRESULT result = AnswerGetObject(this, wParam, lParam);
  handled = result != 0;
  return result;
}

LRESULT CHostWnd::OnAccAction(UINT, WPARAM, LPARAM lParam, bool& handled) {
  handled = true;
  ControlPtr root = m_root;
  CUIControl* target = AccControlFromEventId((LONG)lParam);
  if (!target || !root || !IsInSubtree(root.get(), target)) return 0;
  NoteKeyboardInput(true);  // a menu it opens is driven by keys, not the mouse
  DoAccDefaultAction(target);
  return 0;
}

}  // namespace ZOV
