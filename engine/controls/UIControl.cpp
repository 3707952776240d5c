// CUIControl: common attributes, placing with percent layout, the paint steps.
#include "UIControl.h"

#include <cstdlib>
#include <cstring>

#include "AccessibleEvents.h"
#include "AttrParse.h"
#include "ControlDraw.h"
#include "DpiScale.h"
#include "HostWnd.h"
#include "ResourceManager.h"
#include "UIControlContainer.h"

namespace ZOV {

CUIControl::CUIControl() {}

CUIControl::CUIControl(const CUIControl& o)
    : std::enable_shared_from_this<CUIControl>(),  // a copy is a new object: no owner yet
      m_id(o.m_id),
      m_type(o.m_type),
      m_visible(o.m_visible),
      m_enabled(o.m_enabled),
      m_declared(o.m_declared),
      m_percent(o.m_percent ? new PercentRecord(*o.m_percent) : nullptr),
      m_rect(o.m_rect),
      m_userData(o.m_userData),
      m_tag(o.m_tag),
      m_borderSize(o.m_borderSize),
      m_borderColor(o.m_borderColor),
      m_bkColor(o.m_bkColor),
      m_attributes(o.m_attributes),
      m_tabStop(o.m_tabStop),
      m_accName(o.m_accName),
      m_host(o.m_host),
      m_parent(o.m_parent) {}

CUIControl::~CUIControl() { ForgetAccessible(this); }

void CUIControl::SetFocus(bool focus) {
  if (m_host) m_host->SetFocusControl(focus ? this : nullptr);
}

void CUIControl::SetRect(const RECT& rect) {
  if (!EqualRect(&rect, &m_rect)) m_rect = rect;
}

std::shared_ptr<CUIControl> CUIControl::Clone() const { return std::make_shared<CUIControl>(*this); }

void CUIControl::SetHostWnd(CHostWnd* host) { m_host = host; }

void CUIControl::Init() {}

CUIControlContainer* CUIControl::AsContainer() { return nullptr; }

CUIControl* CUIControl::FindControl(const char* id) {
  CUIControl* root = m_host ? m_host->GetRootControl() : nullptr;
  return root && root != this ? root->FindControl(id) : nullptr;
}

int CUIControl::ParseAttributes(const XmlNode* element) {
  if (!element) return 0;
  int left = 0, top = 0, width = 0, height = 0;
  CResourceManager& res = CResourceManager::Instance();
  // Every attribute in document order, so a later duplicate wins.
  for (const XmlAttribute* a = element->first_attribute(); a; a = a->next_attribute()) {
    const char* name = a->name();
    const char* value = a->value();
    if (!std::strcmp(name, "id")) m_id = value;
    else if (!std::strcmp(name, "visible")) m_visible = ParseFlag(value);
    else if (!std::strcmp(name, "enable")) m_enabled = ParseFlag(value);
    else if (!std::strcmp(name, "tabstop")) m_tabStop = ParseFlag(value) ? 1 : 0;
    else if (!std::strcmp(name, "accname")) m_accName = value;
    else if (!std::strcmp(name, "bordersize")) m_borderSize = Dpi().ToDevice(std::atoi(value));
    else if (!std::strcmp(name, "bkcolor")) m_bkColor = res.ParseColor(value);
    else if (!std::strcmp(name, "bordercolor")) m_borderColor = res.ParseColor(value);
    else if (!std::strcmp(name, "left")) left = std::atoi(value);
    else if (!std::strcmp(name, "top")) top = std::atoi(value);
    else if (!std::strcmp(name, "width")) width = std::atoi(value);
    else if (!std::strcmp(name, "height")) height = std::atoi(value);
    else if (!std::strcmp(name, "onsizepercent")) {
      int shares[4];
      ParseNumberList(value, shares, 4);
      m_percent.reset(new PercentRecord);
      m_percent->left = (unsigned char)shares[0];
      m_percent->top = (unsigned char)shares[1];
      m_percent->width = (unsigned char)shares[2];
      m_percent->height = (unsigned char)shares[3];
    }
  }
  // Position attributes of an earlier parse (an included document's root) stay unless given
  // again: an "include" element's own "left" and "top" override only what it names.
  // The document speaks in skin units, the declared rect in device pixels.
  auto has = [element](const char* n) { return element->first_attribute(n) != nullptr; };
  const DpiScale& dpi = Dpi();
  int w = has("width") ? dpi.ToDevice(width) : m_declared.right - m_declared.left;
  int h = has("height") ? dpi.ToDevice(height) : m_declared.bottom - m_declared.top;
  if (has("left")) m_declared.left = dpi.ToDevice(left);
  if (has("top")) m_declared.top = dpi.ToDevice(top);
  if (w < 0) w = 0;
  if (h < 0) h = 0;
  m_declared.right = m_declared.left + w;
  m_declared.bottom = m_declared.top + h;
  return 1;
}

bool CUIControl::GetAttribute(const std::string& name, std::string& value) const {
  auto it = m_attributes.find(name);
  if (it == m_attributes.end()) return false;
  value = it->second;
  return true;
}

bool CUIControl::SetAttribute(const std::string& name, const std::string& value) {
  return m_attributes.emplace(name, value).second;
}

void CUIControl::Paint(HDC hdc) {
  PaintBkColor(hdc);
  PaintBkImage(hdc);
  PaintStatusImage(hdc);
  PaintText(hdc);
  PaintBorder(hdc);
}

void CUIControl::PaintBkColor(HDC hdc) {
  if (m_bkColor != 0) FillSolid(hdc, m_rect, m_bkColor);
}

void CUIControl::PaintBkImage(HDC) {}
void CUIControl::PaintStatusImage(HDC) {}
void CUIControl::PaintText(HDC) {}

void CUIControl::PaintBorder(HDC hdc) { DrawBorder(hdc, m_rect, m_borderSize, m_borderColor); }

LRESULT CUIControl::OnMessage(UINT, WPARAM, LPARAM, bool*) { return 0; }

void CUIControl::SetVisible(bool visible) {
  if (m_visible == visible) return;
  m_visible = visible;
  Invalidate();
  RaiseAccEvent(this, visible ? EVENT_OBJECT_SHOW : EVENT_OBJECT_HIDE);
}

void CUIControl::SetEnable(bool enable) {
  if (m_enabled == enable) return;
  m_enabled = enable;
  RaiseAccEvent(this, EVENT_OBJECT_STATECHANGE);
}

void CUIControl::SetAccName(const char* name) {
  m_accName = name ? name : "";
  RaiseAccEvent(this, EVENT_OBJECT_NAMECHANGE);
}

bool CUIControl::IsFocus() const { return m_host && m_host->GetFocusControl() == this; }

RECT CUIControl::GetPos() const {
  RECT r = m_rect;
  if (m_parent) {
    const RECT& p = m_parent->GetRect();
    OffsetRect(&r, -p.left, -p.top);
  }
  return r;
}

void CUIControl::Place(const RECT& relative) {
  RECT next = relative;
  if (m_parent) OffsetRect(&next, m_parent->GetRect().left, m_parent->GetRect().top);
  RECT old = m_rect, overlap;
  bool intersect = IntersectRect(&overlap, &next, &old) != FALSE;
  HWND hwnd = m_host ? m_host->GetHWND() : nullptr;
  if (!intersect && hwnd && !IsRectEmpty(&old)) ::InvalidateRect(hwnd, &old, TRUE);
  SetRect(next);
  if (!hwnd) return;
  if (intersect) {
    RECT both;
    UnionRect(&both, &next, &old);
    ::InvalidateRect(hwnd, &both, FALSE);
  } else {
    ::InvalidateRect(hwnd, &m_rect, TRUE);
  }
}

void CUIControl::PlaceByScript(const RECT& relative) {
  Place(relative);
  // The new place is where later layouts of the parent start from; without this a control
  // placed by a script would jump back to its document position at the parent's next resize.
  m_declared = relative;
}

void CUIControl::SetPos(const RECT& rect) {
  PlaceByScript(rect);
  m_percent.reset();  // placed by hand: parent resizes no longer move it
}

void CUIControl::SetLeft(int x) {
  RECT r = GetPos();
  r.left = x;
  PlaceByScript(r);
  if (m_percent) m_percent->left = 0;
}

void CUIControl::SetTop(int y) {
  RECT r = GetPos();
  r.top = y;
  PlaceByScript(r);
  if (m_percent) m_percent->top = 0;
}

void CUIControl::SetWidth(int w) {
  RECT r = GetPos();
  r.right = r.left + w;
  PlaceByScript(r);
  if (m_percent) m_percent->width = 0;
}

void CUIControl::SetHeight(int h) {
  RECT r = GetPos();
  r.bottom = r.top + h;
  PlaceByScript(r);
  if (m_percent) m_percent->height = 0;
}

CUIControl* CUIControl::GetParentControl() const { return m_parent; }

void CUIControl::SetParentControl(CUIControl* parent) { m_parent = parent ? parent->AsContainer() : nullptr; }

void CUIControl::Invalidate() {
  HWND hwnd = m_host ? m_host->GetHWND() : nullptr;
  if (hwnd) ::InvalidateRect(hwnd, &m_rect, TRUE);
}

void CUIControl::SetMouseCapture(bool capture) {
  if (m_host) m_host->SetCaptureControl(capture ? this : nullptr);
}

void CUIControl::LayoutInParent() {
  int pw = 0, ph = 0;
  if (m_parent) {
    const RECT& p = m_parent->GetRect();
    pw = p.right - p.left;
    ph = p.bottom - p.top;
  } else if (m_host && m_host->GetRootControl() == this) {
    RECT size = m_host->GetWindowSize();
    pw = size.right - size.left;
    ph = size.bottom - size.top;
  }
  if (!m_percent) {
    Place(m_declared);
    return;
  }
  if (m_percent->lastParentWidth == 0 || m_percent->lastParentHeight == 0) {
    m_percent->lastParentWidth = pw;
    m_percent->lastParentHeight = ph;
    Place(m_declared);
    return;
  }
  int dw = pw - m_percent->lastParentWidth, dh = ph - m_percent->lastParentHeight;
  RECT r = GetPos();
  // Shares of the growth, in single precision, truncated toward zero.
  auto share = [](unsigned char pct, int delta) { return (int)((float)pct * (float)delta / 100.0f); };
  RECT next;
  next.left = r.left + share(m_percent->left, dw);
  next.top = r.top + share(m_percent->top, dh);
  next.right = next.left + (r.right - r.left) + share(m_percent->width, dw);
  next.bottom = next.top + (r.bottom - r.top) + share(m_percent->height, dh);
  m_percent->lastParentWidth = pw;
  m_percent->lastParentHeight = ph;
  Place(next);
}

}  // namespace ZOV
