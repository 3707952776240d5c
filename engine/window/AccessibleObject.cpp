// CAccessibleControl: the IAccessible calls, each answered from the control tree as it is now.
#include "AccessibleObject.h"

#include <new>
#include <string>

#include "AccessibleEvents.h"
#include "AccessibleInfo.h"
#include "FocusOrder.h"
#include "HostWnd.h"
#include "UIList.h"
#include "UITabCtrl.h"

namespace ZOV {

namespace {

HRESULT AnswerString(const std::wstring& s, BSTR* out) {
  *out = nullptr;
  if (s.empty()) return S_FALSE;
  *out = ::SysAllocStringLen(s.data(), (UINT)s.size());
  return *out ? S_OK : E_OUTOFMEMORY;
}

void AnswerLong(long value, VARIANT* out) {
  ::VariantInit(out);
  out->vt = VT_I4;
  out->lVal = value;
}

}  // namespace

CAccessibleControl* CAccessibleControl::Create(HWND hwnd, CUIControl* control, bool client) {
  return new (std::nothrow) CAccessibleControl(hwnd, control, client);
}

CAccessibleControl::CAccessibleControl(HWND hwnd, CUIControl* control, bool client)
    : m_hwnd(hwnd), m_control(control), m_thread(::GetCurrentThreadId()), m_client(client) {
  RegisterAccessibleObject(control, this);
}

CAccessibleControl::~CAccessibleControl() {
  if (m_control) UnregisterAccessibleObject(m_control, this);
}

CHostWnd* CAccessibleControl::Host() const {
  // A connected control lives in the tree of a live host (removal, destruction and the
  // window's end disconnect it), so no call to the window system is needed: clients make
  // thousands of these calls.
  if (!m_control || ::GetCurrentThreadId() != m_thread) return nullptr;
  CHostWnd* host = m_control->GetHostWnd();
  return host && host->GetHWND() == m_hwnd ? host : nullptr;
}

HRESULT CAccessibleControl::Resolve(const VARIANT& child, CUIControl** out) const {
  *out = nullptr;
  CHostWnd* host = Host();
  if (!host) return CO_E_OBJNOTCONNECTED;
  if (child.vt != VT_I4) return E_INVALIDARG;
  LONG id = child.lVal;
  CUIControl* target = nullptr;
  if (id == CHILDID_SELF)
    target = m_control;
  else if (id > 0)
    target = AccChildAt(m_control, id - 1);
  else if (CUIControl* c = AccControlFromEventId(id); c && c != m_control && c->GetHostWnd() == host)
    target = IsInSubtree(host->GetRootControl(), c) && IsInSubtree(m_control, c) ? c : nullptr;
  if (!target) return E_INVALIDARG;
  *out = target;
  return S_OK;
}

void CAccessibleControl::Answer(CUIControl* target, VARIANT* out) const {
  ::VariantInit(out);
  if (target == m_control) {
    AnswerLong(CHILDID_SELF, out);
    return;
  }
  CHostWnd* host = target->GetHostWnd();
  bool client = host && host->GetRootControl() == target;
  CAccessibleControl* object = Create(m_hwnd, target, client);
  if (!object) return;  // VT_EMPTY: nothing to give
  out->vt = VT_DISPATCH;
  out->pdispVal = object;
}

HRESULT CAccessibleControl::AnswerNoText(const VARIANT& child, BSTR* out) const {
  if (!out) return E_POINTER;
  *out = nullptr;
  CUIControl* target;
  HRESULT hr = Resolve(child, &target);
  return FAILED(hr) ? hr : S_FALSE;
}

HRESULT CAccessibleControl::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IAccessible) {
    *out = static_cast<IAccessible*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

ULONG CAccessibleControl::AddRef() { return (ULONG)::InterlockedIncrement(&m_refs); }

ULONG CAccessibleControl::Release() {
  LONG left = ::InterlockedDecrement(&m_refs);
  if (left == 0) delete this;
  return (ULONG)left;
}

HRESULT CAccessibleControl::GetTypeInfoCount(UINT* count) {
  if (count) *count = 0;
  return S_OK;
}
HRESULT CAccessibleControl::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
HRESULT CAccessibleControl::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }
HRESULT CAccessibleControl::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
  return E_NOTIMPL;
}

HRESULT CAccessibleControl::get_accParent(IDispatch** parent) {
  if (!parent) return E_POINTER;
  *parent = nullptr;
  CHostWnd* host = Host();
  if (!host) return CO_E_OBJNOTCONNECTED;
  if (m_client || !m_control->GetParent())
    return ::AccessibleObjectFromWindow(m_hwnd, (DWORD)OBJID_WINDOW, IID_IDispatch, (void**)parent);
  CUIControl* up = m_control->GetParent();
  *parent = Create(m_hwnd, up, up == host->GetRootControl());
  return *parent ? S_OK : E_OUTOFMEMORY;
}

HRESULT CAccessibleControl::get_accChildCount(LONG* count) {
  if (!count) return E_POINTER;
  *count = 0;
  if (!Host()) return CO_E_OBJNOTCONNECTED;
  *count = AccChildCount(m_control);
  return S_OK;
}

HRESULT CAccessibleControl::get_accChild(VARIANT child, IDispatch** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  CUIControl* target;
  HRESULT hr = Resolve(child, &target);
  if (FAILED(hr)) return hr;
  if (target == m_control) return E_INVALIDARG;
  CHostWnd* host = target->GetHostWnd();
  *out = Create(m_hwnd, target, host && host->GetRootControl() == target);
  return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT CAccessibleControl::get_accName(VARIANT child, BSTR* name) {
  if (!name) return E_POINTER;
  *name = nullptr;
  CUIControl* target;
  HRESULT hr = Resolve(child, &target);
  if (FAILED(hr)) return hr;
  try {
    std::wstring text = AccName(target);
    if (text.empty() && target == m_control && m_client) {
      int length = ::GetWindowTextLengthW(m_hwnd);
      text.resize(length + 1);
      text.resize(::GetWindowTextW(m_hwnd, &text[0], length + 1));
    }
    return AnswerString(text, name);
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

HRESULT CAccessibleControl::get_accValue(VARIANT child, BSTR* value) {
  if (!value) return E_POINTER;
  *value = nullptr;
  CUIControl* target;
  HRESULT hr = Resolve(child, &target);
  if (FAILED(hr)) return hr;
  try {
    std::wstring text;
    if (!AccValue(target, text)) return DISP_E_MEMBERNOTFOUND;
    *value = ::SysAllocStringLen(text.data(), (UINT)text.size());  // an empty value is a value
    return *value ? S_OK : E_OUTOFMEMORY;
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

HRESULT CAccessibleControl::get_accDescription(VARIANT child, BSTR* description) { return AnswerNoText(child, description); }

HRESULT CAccessibleControl::get_accRole(VARIANT child, VARIANT* role) {
  if (!role) return E_POINTER;
  ::VariantInit(role);
  CUIControl* target;
  HRESULT hr = Resolve(child, &target);
  if (FAILED(hr)) return hr;
  AnswerLong(AccRole(target, target == m_control && m_client), role);
  return S_OK;
}

HRESULT CAccessibleControl::get_accState(VARIANT child, VARIANT* state) {
  if (!state) return E_POINTER;
  ::VariantInit(state);
  CUIControl* target;
  HRESULT hr = Resolve(child, &target);
  if (FAILED(hr)) return hr;
  bool focused = ::GetFocus() == m_hwnd;
  long flags = AccState(target, focused);
  if (target == m_control && m_client) {
    flags = (flags & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_UNAVAILABLE)) | STATE_SYSTEM_FOCUSABLE;
    if (focused && target->IsFocus()) flags |= STATE_SYSTEM_FOCUSED;
  }
  AnswerLong(flags, state);
  return S_OK;
}

HRESULT CAccessibleControl::get_accHelp(VARIANT child, BSTR* help) { return AnswerNoText(child, help); }

HRESULT CAccessibleControl::get_accHelpTopic(BSTR* file, VARIANT, LONG* topic) {
  if (file) *file = nullptr;
  if (topic) *topic = 0;
  return Host() ? DISP_E_MEMBERNOTFOUND : CO_E_OBJNOTCONNECTED;
}

HRESULT CAccessibleControl::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) { return AnswerNoText(child, shortcut); }

HRESULT CAccessibleControl::get_accFocus(VARIANT* focus) {
  if (!focus) return E_POINTER;
  ::VariantInit(focus);
  CHostWnd* host = Host();
  if (!host) return CO_E_OBJNOTCONNECTED;
  CUIControl* target = host->GetFocusControl();
  if (::GetFocus() != m_hwnd || !target || !IsInSubtree(m_control, target)) return S_FALSE;
  Answer(target, focus);
  return S_OK;
}

HRESULT CAccessibleControl::get_accSelection(VARIANT* selection) {
  if (!selection) return E_POINTER;
  ::VariantInit(selection);
  if (!Host()) return CO_E_OBJNOTCONNECTED;
  CUIControl* chosen = nullptr;
  if (auto* list = dynamic_cast<CUIList*>(m_control))
    chosen = list->GetSubControl(list->GetSelectedRow());
  else if (auto* tab = dynamic_cast<CUITabCtrl*>(m_control))
    chosen = tab->GetCurSelectControl();
  if (!chosen) return S_FALSE;
  Answer(chosen, selection);
  return S_OK;
}

HRESULT CAccessibleControl::get_accDefaultAction(VARIANT child, BSTR* action) {
  if (!action) return E_POINTER;
  *action = nullptr;
  CUIControl* target;
  HRESULT hr = Resolve(child, &target);
  if (FAILED(hr)) return hr;
  const wchar_t* name = AccDefaultAction(target);
  if (!name) return S_FALSE;
  *action = ::SysAllocString(name);
  return *action ? S_OK : E_OUTOFMEMORY;
}

HRESULT CAccessibleControl::accSelect(LONG flags, VARIANT child) {
  CUIControl* target;
  HRESULT hr = Resolve(child, &target);
  if (FAILED(hr)) return hr;
  CHostWnd* host = Host();
  int index = AccIndexInParent(target);
  bool done = false;
  if (flags & SELFLAG_TAKEFOCUS) {
    if (!IsReachableStop(target)) return E_FAIL;
    host->MoveFocus(target);
    done = true;
  }
  if (flags & (SELFLAG_TAKESELECTION | SELFLAG_ADDSELECTION)) {
    if (auto* list = dynamic_cast<CUIList*>(target->GetParent()))
      done = list->SelectItem(index) != 0;
    else if (auto* tab = dynamic_cast<CUITabCtrl*>(target->GetParent()))
      done = tab->SelectItem((unsigned)index) != 0;
    else
      return E_FAIL;
  }
  return done ? S_OK : E_INVALIDARG;
}

HRESULT CAccessibleControl::accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) {
  if (!left || !top || !width || !height) return E_POINTER;
  *left = *top = *width = *height = 0;
  CUIControl* target;
  HRESULT hr = Resolve(child, &target);
  if (FAILED(hr)) return hr;
  RECT r = target->GetRect();
  if (target == m_control && m_client) ::GetClientRect(m_hwnd, &r);
  POINT origin = {r.left, r.top};
  ::ClientToScreen(m_hwnd, &origin);
  *left = origin.x;
  *top = origin.y;
  *width = r.right - r.left;
  *height = r.bottom - r.top;
  return S_OK;
}

HRESULT CAccessibleControl::accNavigate(LONG direction, VARIANT start, VARIANT* end) {
  if (!end) return E_POINTER;
  ::VariantInit(end);
  CUIControl* from;
  HRESULT hr = Resolve(start, &from);
  if (FAILED(hr)) return hr;
  CUIControl* to = nullptr;
  switch (direction) {
    case NAVDIR_FIRSTCHILD:
    case NAVDIR_LASTCHILD: {
      int count = AccChildCount(from);
      if (count > 0) to = AccChildAt(from, direction == NAVDIR_FIRSTCHILD ? 0 : count - 1);
      break;
    }
    case NAVDIR_NEXT:
    case NAVDIR_PREVIOUS: {
      if (from == m_control && m_client) break;  // the client area's siblings are the window's
      int index = AccIndexInParent(from);
      if (index >= 0) to = AccChildAt(from->GetParent(), index + (direction == NAVDIR_NEXT ? 1 : -1));
      break;
    }
    default:
      return DISP_E_MEMBERNOTFOUND;  // no spatial navigation
  }
  if (!to) return S_FALSE;
  Answer(to, end);
  return S_OK;
}

HRESULT CAccessibleControl::accHitTest(LONG x, LONG y, VARIANT* child) {
  if (!child) return E_POINTER;
  ::VariantInit(child);
  if (!Host()) return CO_E_OBJNOTCONNECTED;
  POINT pt = {x, y};
  ::ScreenToClient(m_hwnd, &pt);
  CUIControl* hit = DeepestControlAt(m_control, pt, false);
  if (!hit) return S_FALSE;
  Answer(hit, child);
  return S_OK;
}

HRESULT CAccessibleControl::accDoDefaultAction(VARIANT child) {
  CUIControl* target;
  HRESULT hr = Resolve(child, &target);
  if (FAILED(hr)) return hr;
  if (!AccDefaultAction(target)) return DISP_E_MEMBERNOTFOUND;
  if (!IsEffectivelyEnabled(target)) return E_FAIL;
  // Done from the window's own queue: the action may run a popup menu's loop, and the client
  // waits for this call to return.
  return ::PostMessageW(m_hwnd, AccActionMessage(), 0, (LPARAM)AccEventChildId(target)) ? S_OK : E_FAIL;
}

HRESULT CAccessibleControl::put_accName(VARIANT, BSTR) { return Host() ? DISP_E_MEMBERNOTFOUND : CO_E_OBJNOTCONNECTED; }
HRESULT CAccessibleControl::put_accValue(VARIANT, BSTR) { return Host() ? DISP_E_MEMBERNOTFOUND : CO_E_OBJNOTCONNECTED; }

UINT AccActionMessage() {
  static const UINT message = ::RegisterWindowMessageW(L"ZOV_ACCESSIBLE_DEFAULT_ACTION");
  return message;
}

LRESULT AnswerGetObject(CHostWnd* host, WPARAM wParam, LPARAM lParam) {
  if ((LONG)lParam != OBJID_CLIENT || !host || !host->GetRootControl()) return 0;
  // The objects must be called on this thread: it joins a single-threaded apartment once (a
  // thread already in the multithreaded one leaves the answer to the system).
  static thread_local HRESULT apartment = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (FAILED(apartment)) return 0;
  CAccessibleControl* object = CAccessibleControl::Create(host->GetHWND(), host->GetRootControl(), true);
  if (!object) return 0;
  LRESULT result = ::LresultFromObject(IID_IAccessible, wParam, static_cast<IAccessible*>(object));
  object->Release();
  return result;
}

}  // namespace ZOV
