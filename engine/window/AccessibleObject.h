// CAccessibleControl: the IAccessible a host window hands to assistive technology for one
// control of its tree (the root stands for the window's client area). Each control is a full
// object; its children are also reachable as child ids 1..n, which AccessibleChildren asks for,
// and by the negative ids of WinEvents. Lives on the window's thread. When its control is
// destroyed or leaves the window, or the window goes, every call answers CO_E_OBJNOTCONNECTED.
#pragma once

#include <windows.h>
#include <oleacc.h>

namespace ZOV {

class CHostWnd;
class CUIControl;

class CAccessibleControl : public IAccessible {
 public:
  // A new object with one reference; client: the root standing for the client area.
  static CAccessibleControl* Create(HWND hwnd, CUIControl* control, bool client);
  void Disconnect() { m_control = nullptr; }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IDispatch: no type information; clients call the interface directly.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;
  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override;
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override;
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override;
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override;
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override;
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
  HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override;
  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override;
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;

 private:
  CAccessibleControl(HWND hwnd, CUIControl* control, bool client);
  virtual ~CAccessibleControl();
  CAccessibleControl(const CAccessibleControl&) = delete;
  CAccessibleControl& operator=(const CAccessibleControl&) = delete;

  // The host while the object is connected; null otherwise.
  CHostWnd* Host() const;
  // The control a child id names: 0 this one, 1..n its children, negative an event id of a
  // control inside it. CO_E_OBJNOTCONNECTED or E_INVALIDARG when there is none.
  HRESULT Resolve(const VARIANT& child, CUIControl** out) const;
  // VT_I4 CHILDID_SELF for this control, VT_DISPATCH of a new object for another one.
  void Answer(CUIControl* target, VARIANT* out) const;
  // No text for a valid child (description, help, shortcut): null and S_FALSE.
  HRESULT AnswerNoText(const VARIANT& child, BSTR* out) const;

  LONG m_refs = 1;
  HWND m_hwnd;
  CUIControl* m_control;  // not owned; null once disconnected
  DWORD m_thread;         // the window's thread, the only one that may read the tree
  bool m_client;
};

// The answer to WM_GETOBJECT for the host's client area; 0 (let the system answer) for other
// objects, or when the window's thread cannot serve COM calls itself.
LRESULT AnswerGetObject(CHostWnd* host, WPARAM wParam, LPARAM lParam);
// The message a default action is posted with (lParam: the control's event child id).
UINT AccActionMessage();

}  // namespace ZOV
