// CHostWnd: the engine's top-level window. Built from a "view" element, it owns one root
// control, paints the control tree double-buffered (layered windows with per-pixel alpha),
// routes mouse and keyboard messages to the controls and raises the window's script events.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>

#include "UIControl.h"
#include "XmlAttr.h"

namespace ZOV {

extern const wchar_t kHostWindowClass[];  // "ZOV_WINDOWCLASS"
const UINT_PTR kCaretTimerId = 0x9001;
const UINT_PTR kRichEditTimerId = 0x1911;

class CHostWnd {
 public:
  CHostWnd();
  virtual ~CHostWnd();
  CHostWnd(const CHostWnd&) = delete;
  CHostWnd& operator=(const CHostWnd&) = delete;

  // Reads the "view" (or "menu") element's attributes.
  virtual void ParseXml(const XmlNode* element);

  // Creates the system window (owner may be null); null on failure.
  HWND Create(HWND owner);
  HWND GetHWND() const { return m_hwnd; }

  void SetRootControl(const ControlPtr& root);
  CUIControl* GetRootControl() const { return m_root.get(); }
  CUIControl* GetFocusControl() const { return m_focus; }
  // Stores the focus control, repaints the focus cue's places and tells assistive technology.
  // Controls call it from SetFocus; it tells neither the old nor the new control.
  void SetFocusControl(CUIControl* control);
  // Moves the focus as the keyboard and the mouse do: the old control's SetFocus(false), then
  // the new one's SetFocus(true), so that edits and rich edits show or drop their caret.
  void MoveFocus(CUIControl* control);
  // The focus cue shows once a key was used in the window, as the system's dialogs do.
  bool AreKeyboardCuesShown() const { return m_keyboardCues; }
  COLORREF GetFocusCueColor(bool inner) const { return inner ? m_focusInner : m_focusOuter; }
  CUIControl* GetCaptureControl() const { return m_capture; }
  void SetCaptureControl(CUIControl* control) { m_capture = control; }

  void SetWindowRect(int left, int top, int right, int bottom);
  // Outer size as a rect at 0,0: the system window's, or the stored one before creation.
  RECT GetWindowSize() const;

  const std::wstring& GetID() const { return m_id; }
  void SetID(const std::wstring& id) { m_id = id; }
  void SetIDText(const char* utf8);  // the script form; the registry entry is not moved
  HWND GetWnd() const { return m_hwnd; }
  bool IsLayered() const { return m_layered; }
  bool IsModal() const { return m_modal; }
  const RECT& GetCaption() const { return m_caption; }

  // Script methods.
  void Close(int code);
  unsigned DoModal(HWND owner);
  int EndDialog(int code);
  void SetDragAccept(bool accept);
  bool IsDragAccept() const { return m_dropAccepted; }
  // Pointer-sized parameters and result, so that handles pass whole on 64-bit Windows; on
  // 32-bit Windows these are the 32-bit integers of the script API.
  LRESULT SendMessageToWindow(unsigned msg, WPARAM wParam, LPARAM lParam);
  BOOL PostMessageToWindow(unsigned msg, WPARAM wParam, LPARAM lParam);
  void Min();
  void Max();
  void Restore();
  int BringToTop();
  int SetVisible(bool show);
  bool SetIconByResID(int resourceId, int big);

  // The window's message processing (also used by subclasses for messages they pass on).
  LRESULT ProcessMessage(UINT msg, WPARAM wParam, LPARAM lParam);

 protected:
  typedef LRESULT (CHostWnd::*Handler)(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
  void MapMessage(UINT msg, Handler handler) { m_messageMap[msg] = handler; }
  // Calls a script event handler (a global function name); false when it returned nothing.
  bool CallScriptEvent(const std::string& name, WPARAM wParam, LPARAM lParam);

  LRESULT OnCreate(UINT, WPARAM, LPARAM, bool& handled);
  LRESULT OnClose(UINT, WPARAM, LPARAM, bool& handled);
  LRESULT OnDestroy(UINT, WPARAM, LPARAM, bool& handled);
  LRESULT OnPaint(UINT, WPARAM, LPARAM, bool& handled);
  LRESULT OnSize(UINT, WPARAM, LPARAM, bool& handled);
  LRESULT OnTimer(UINT, WPARAM, LPARAM, bool& handled);
  LRESULT OnDropFiles(UINT, WPARAM, LPARAM, bool& handled);
  LRESULT OnGetMinMaxInfo(UINT, WPARAM, LPARAM, bool& handled);
  LRESULT OnSysCommand(UINT, WPARAM, LPARAM, bool& handled);
  LRESULT OnNcHitTest(UINT, WPARAM, LPARAM, bool& handled);
  LRESULT OnMouseMove(UINT, WPARAM, LPARAM, bool& handled);
  LRESULT OnMouseLeave(UINT, WPARAM, LPARAM, bool& handled);
  LRESULT OnSetCursor(UINT, WPARAM, LPARAM, bool& handled);
  LRESULT OnNcLButtonDown(UINT, WPARAM, LPARAM, bool& handled);
  // Keyboard focus and assistive technology (HostWndFocus.cpp).
  LRESULT OnKeyDown(UINT, WPARAM, LPARAM, bool& handled);
  LRESULT OnChar(UINT, WPARAM, LPARAM, bool& handled);
  LRESULT OnLButtonDown(UINT, WPARAM, LPARAM, bool& handled);
  LRESULT OnSetFocus(UINT, WPARAM, LPARAM, bool& handled);
  LRESULT OnActivate(UINT, WPARAM, LPARAM, bool& handled);
  LRESULT OnGetObject(UINT, WPARAM, LPARAM, bool& handled);
  LRESULT OnAccAction(UINT, WPARAM, LPARAM, bool& handled);
  void ShowKeyboardCues();
  void PaintFocusCue(HDC hdc);

  // Offers a message to the root control; its result.
  LRESULT RouteToRoot(UINT msg, WPARAM wParam, LPARAM lParam, bool* handled);
  void Center();
  void ReleaseAfterDestroy();

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

  HWND m_hwnd = nullptr;
  WNDPROC m_prevProc = ::DefWindowProcW;
  std::wstring m_id;
  std::wstring m_text;
  ControlPtr m_root;
  CUIControl* m_focus = nullptr;    // not owned
  CUIControl* m_capture = nullptr;  // not owned
  RECT m_caption = {};
  bool m_modal = false;
  bool m_dropAccepted = false;
  bool m_center = true;
  bool m_minBox = false;
  bool m_maxBox = false;
  bool m_sysMenu = false;
  bool m_resize = false;
  bool m_toolWindow = false;
  bool m_layered = false;
  std::string m_onDropFile, m_onCreate, m_onClose, m_onSize;
  RECT m_windowRect = {};
  POINT m_minTrack = {}, m_maxTrack = {};
  bool m_needLeaveTracking = true;
  bool m_keyboardCues = false;   // a key was used: the focus cue shows
  bool m_tabMovedFocus = false;  // the Tab character that follows the key is not typed
  bool m_wasActive = false;      // activated before: the next activation is not the showing
  COLORREF m_focusOuter = 0xFFFFFF, m_focusInner = 0x010101;  // "focuscolor" sets both
  std::map<UINT, Handler> m_messageMap;
};

// Whether the user's last input to an engine window came from the keyboard (or from assistive
// technology) rather than the mouse: a menu opened by it starts with its first item
// highlighted. UI thread only.
bool LastInputWasKeyboard();
void NoteKeyboardInput(bool keyboard);

// The hit code of a client point for a window of size w x h with a sizing border of 6 skin units;
// HTCLIENT when the point is inside the border.
int ResizeBorderHitTest(POINT client, int w, int h);

}  // namespace ZOV
