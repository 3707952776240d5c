// CUIButton: attributes, the state machine of the mouse, status strip and text painting, the
// tooltip and the click handler.
#include "UIButton.h"

#include <commctrl.h>

#include <algorithm>
#include <cstddef>

#include "AccessibleEvents.h"
#include "AttrParse.h"
#include "CallByName.h"
#include "ControlPusher.h"
#include "DpiScale.h"
#include "DrawImageSpec.h"
#include "Engine.h"
#include "HostWnd.h"
#include "ResourceManager.h"
#include "TextConv.h"

namespace ZOV {

namespace {

const int kTooltipBelowCursor = 20;  // pixels, clear of the arrow pointer

// The version-2 tool record ends with lParam: understood by every version of the common
// controls.
const UINT kToolRecordSize = offsetof(TTTOOLINFOW, lParam) + sizeof(LPARAM);
static_assert(sizeof(void*) != 4 || kToolRecordSize == 44, "the 32-bit record is 44 bytes");

struct ButtonAttribute {
  const char* name;
  void (*apply)(CUIButton& b, const char* value);
};

// The tooltip class lives in the common controls library, loaded the first time a button
// shows a tip rather than with the engine, so that skins without tips never load it. It stays
// loaded: tooltip windows of its class may outlive any one button.
bool TooltipClassReady() {
  static const bool ready = [] {
    HMODULE comctl = ::LoadLibraryW(L"comctl32.dll");
    auto init = win::ProcAddress<BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*)>(comctl, "InitCommonControlsEx");
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_BAR_CLASSES};
    return init && init(&icc) != FALSE;
  }();
  return ready;
}

}  // namespace

CUIButton::CUIButton() : m_hoverTextColor(m_textColor), m_downTextColor(m_textColor) {
  m_type = kTypeButton;
  m_statusImage.columns = 4;
}

CUIButton::CUIButton(const CUIButton& o)
    : CUIStatic(o),
      m_onClick(o.m_onClick),
      m_state(o.m_state),
      m_statusImage(o.m_statusImage),
      m_hoverTextColor(o.m_hoverTextColor),
      m_downTextColor(o.m_downTextColor),
      m_tooltip(o.m_tooltip) {}

CUIButton::~CUIButton() { CloseTooltip(); }

std::shared_ptr<CUIControl> CUIButton::Clone() const { return std::make_shared<CUIButton>(*this); }

int CUIButton::ParseAttributes(const XmlNode* element) {
  if (!CUIStatic::ParseAttributes(element)) return 0;
  // Without their own attributes the state colours are the text colour just read.
  m_hoverTextColor = m_downTextColor = m_textColor;
  static const ButtonAttribute kAttributes[] = {
      {"onclick", [](CUIButton& b, const char* v) { b.m_onClick = v; }},
      {"tooltip", [](CUIButton& b, const char* v) { b.m_tooltip = v; }},
      {"hovertextcolor",
       [](CUIButton& b, const char* v) { b.m_hoverTextColor = CResourceManager::Instance().ParseColor(v); }},
      {"downtextcolor",
       [](CUIButton& b, const char* v) { b.m_downTextColor = CResourceManager::Instance().ParseColor(v); }},
      {"src", [](CUIButton& b, const char* v) { b.m_statusImage.src = ParseRectList(v); }},
      {"dest", [](CUIButton& b, const char* v) { b.m_statusImage.dest = Dpi().ToDevice(ParseRectList(v)); }},
      {"corner", [](CUIButton& b, const char* v) { b.m_statusImage.corner = ParseRectList(v); }},
      {"combineimage", [](CUIButton& b, const char* v) { b.m_statusImage.name = text::Utf8ToWide(v); }},
  };
  ApplyAttributeTable(element, kAttributes, *this);
  return 1;
}

int CUIButton::ShownState() const {
  if (!m_enabled) return kStateDisabled;
  return m_state >= kStateNormal && m_state < kStateDisabled ? m_state : kStateNormal;
}

void CUIButton::PaintStatusFrame(HDC hdc, int frame) {
  if (m_statusImage.name.empty()) return;
  m_statusImage.columnIndex = (unsigned char)std::max(frame, 0);
  DrawImageSpec(hdc, m_rect, m_statusImage, 0);
}

void CUIButton::PaintStatusImage(HDC hdc) { PaintStatusFrame(hdc, ShownState()); }

void CUIButton::PaintText(HDC hdc) {
  COLORREF color = m_textColor;
  switch (ShownState()) {
    case kStateHover: color = m_hoverTextColor; break;
    case kStateDown: color = m_downTextColor; break;
    case kStateDisabled: color = m_disabledTextColor; break;
    default: break;
  }
  PaintTextInColor(hdc, color);
}

void CUIButton::SetState(int state) {
  int old = m_state;
  m_state = m_enabled ? state : kStateDisabled;
  Invalidate();
  if ((old == kStateDown) != (m_state == kStateDown)) RaiseAccEvent(this, EVENT_OBJECT_STATECHANGE);
}

void CUIButton::Click() {
  if (!m_enabled) return;
  ControlPtr self = shared_from_this();  // the handler may remove the button
  CallHandler(m_onClick);
}

bool IsPressKey(UINT msg, WPARAM key, LPARAM lParam) {
  // Auto-repeat presses once: bit 30 says the key was already down.
  return msg == WM_KEYDOWN && (key == VK_SPACE || key == VK_RETURN) && !(lParam & (1 << 30));
}

void CUIButton::CallHandler(const std::string& handler) {
  lua_State* L = CEngine::Instance().LuaState();
  if (handler.empty() || !L) return;
  lua_tinker::call<void>(L, handler.c_str(), static_cast<CUIControl*>(this));
}

void CUIButton::ReleaseMouse() {
  HWND hwnd = m_host ? m_host->GetHWND() : nullptr;
  // Only the capture taken for the host window: another window's is not ours to end.
  if (hwnd && ::GetCapture() == hwnd) ::ReleaseCapture();
}

void CUIButton::OnMouseEnter() {
  HWND hwnd = m_host ? m_host->GetHWND() : nullptr;
  // The capture keeps the hand cursor: the window's class cursor would replace it at the
  // next move, and it delivers the moves that take the mouse off the window.
  if (hwnd) ::SetCapture(hwnd);
  ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
  SetState(kStateHover);
  if (!m_tooltip.empty() && hwnd) ShowTooltip();
}

void CUIButton::OnMouseLeave() {
  SetState(kStateNormal);
  CloseTooltip();
  ReleaseMouse();
  ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
}

LRESULT CUIButton::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool* handled) {
  bool done = true;
  if (IsPressKey(msg, wParam, lParam)) {
    Click();
    if (handled) *handled = true;
    return 0;
  }
  switch (msg) {
    case WM_NCHITTEST:
      break;
    case WM_LBUTTONDOWN:
      SetState(kStateDown);
      break;
    case WM_LBUTTONUP: {
      ReleaseMouse();
      bool click = m_state == kStateDown;
      SetState(kStateNormal);
      if (click) CallHandler(m_onClick);
      return 0;  // not handled: the host's capture control may want it too
    }
    case WM_MOUSEHOVER:
      if (m_state == kStateDown) return 0;
      OnMouseEnter();
      break;
    case WM_MOUSELEAVE:
      OnMouseLeave();
      break;
    default:
      done = false;
      break;
  }
  if (done && handled) *handled = true;
  return 0;
}

void CUIButton::ShowTooltip() {
  HWND host = m_host->GetHWND();
  std::wstring textW = text::Utf8ToWide(m_tooltip);
  TTTOOLINFOW tool = {};
  tool.cbSize = kToolRecordSize;
  tool.uFlags = TTF_IDISHWND;
  tool.hwnd = host;
  tool.uId = reinterpret_cast<UINT_PTR>(host);
  tool.rect = m_rect;
  tool.hinst = ::GetModuleHandleW(nullptr);
  tool.lpszText = &textW[0];
  if (!m_tooltipWnd) {
    if (!TooltipClassReady()) return;
    m_tooltipWnd.reset(::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, host, nullptr,
                                         tool.hinst, nullptr));
    if (!m_tooltipWnd) return;
    ::SendMessageW(m_tooltipWnd.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  ::SendMessageW(m_tooltipWnd.get(), TTM_SETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool));
  // A tracked tooltip shows where it was last told, the screen's corner until then: put it
  // under the mouse pointer, where the system shows its own tooltips.
  POINT at;
  if (::GetCursorPos(&at))
    ::SendMessageW(m_tooltipWnd.get(), TTM_TRACKPOSITION, 0, MAKELPARAM(at.x, at.y + kTooltipBelowCursor));
  ::SendMessageW(m_tooltipWnd.get(), TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
}

void CUIButton::CloseTooltip() {
  HWND tip = m_tooltipWnd.release();
  // The tooltip is owned by the host window, which takes it down when it goes first.
  if (!tip || !::IsWindow(tip)) return;
  ::SendMessageW(tip, WM_CLOSE, 0, 0);
  if (::IsWindow(tip)) ::DestroyWindow(tip);
}

}  // namespace ZOV
