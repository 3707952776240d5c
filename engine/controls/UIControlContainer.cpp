// CUIControlContainer: children, layout, painting with clipping, message routing.
#include "UIControlContainer.h"

#include <windowsx.h>

#include <cstring>

#include "AccessibleEvents.h"
#include "ControlDraw.h"
#include "ControlFactory.h"
#include "HostWnd.h"
#include "ScopedWin.h"
#include "SkinLoader.h"
#include "TextConv.h"
#include "UIBuilder.h"
#include "Engine.h"

namespace ZOV {

CUIControlContainer::CUIControlContainer() { m_type = kTypeContainer; }

CUIControlContainer::CUIControlContainer(const CUIControlContainer& other) : CUIControl(other) {}

void CUIControlContainer::SetRect(const RECT& rect) {
  if (EqualRect(&rect, &m_rect)) return;  // unchanged: no second layout
  m_rect = rect;
  LayoutChildren();
}

void CUIControlContainer::LayoutChildren() {
  // A copy of the list: a child's layout may not change it, but a script hook one day might.
  std::vector<ControlPtr> children = m_children;
  for (const ControlPtr& child : children) child->LayoutInParent();
}

std::shared_ptr<CUIControl> CUIControlContainer::Clone() const {
  auto copy = std::make_shared<CUIControlContainer>(*this);
  copy->CloneChildrenFrom(*this);
  return copy;
}

void CUIControlContainer::CloneChildrenFrom(const CUIControlContainer& other) {
  m_children.clear();
  m_hover = nullptr;
  for (const ControlPtr& child : other.m_children) AddControl(child->Clone());
}

void CUIControlContainer::SetHostWnd(CHostWnd* host) {
  m_host = host;
  for (const ControlPtr& child : m_children) child->SetHostWnd(host);
}

void CUIControlContainer::Init() {
  for (const ControlPtr& child : m_children) child->Init();
}

CUIControl* CUIControlContainer::FindControl(const char* id) {
  if (!id) return nullptr;
  for (const ControlPtr& child : m_children) {
    if (std::strcmp(child->GetID(), id) == 0) return child.get();
    if (CUIControlContainer* sub = child->AsContainer()) {
      if (CUIControl* found = sub->FindControl(id)) return found;
    }
  }
  return nullptr;
}

int CUIControlContainer::ParseAttributes(const XmlNode* element) {
  CUIControl::ParseAttributes(element);
  if (!element) return 1;
  for (const XmlNode* child = element->first_node(); child; child = child->next_sibling()) {
    if (child->type() != rapidxml::node_element) continue;
    ControlPtr control = CControlFactory::Instance().Create(child->name());
    if (!control && std::strcmp(child->name(), "include") == 0) {
      const char* xmlpath = Attr(child, "xmlpath");
      if (xmlpath) {
        // The included document lives in the package; its path joins the package path.
        std::wstring path = CEngine::Instance().SkinLoader().PackagePath() + L"\\" + text::Utf8ToWide(xmlpath);
        control = CUIBuilder::Instance().CreateControlByXml(text::WideToUtf8(path).c_str());
      }
    }
    if (!control) continue;
    // Added before it parses, so its parent and host are known while its children are built.
    AddControl(control);
    control->ParseAttributes(child);
  }
  return 1;
}

void CUIControlContainer::Paint(HDC hdc) {
  ScopedClipRect clip(hdc, m_rect);
  CUIControl::PaintBkColor(hdc);
  for (const ControlPtr& child : m_children)
    if (child->IsVisible()) child->Paint(hdc);
  CUIControl::PaintBorder(hdc);
}

CUIControl* CUIControlContainer::ChildAtPoint(POINT pt) const {
  for (auto it = m_children.rbegin(); it != m_children.rend(); ++it) {
    CUIControl* c = it->get();
    if (c->IsVisible() && c->IsEnable() && PtInRect(&c->GetRect(), pt)) return c;
  }
  return nullptr;
}

// The host's capture control sees mouse moves and the left button's release first; true when it
// handled the message, which then goes no further.
bool CUIControlContainer::OfferToCapture(CUIControl* capture, UINT msg, WPARAM wParam, LPARAM lParam,
                                         bool* handled) {
  if (!capture) return false;
  bool done = false;
  capture->OnMessage(msg, wParam, lParam, &done);
  if (done && handled) *handled = true;
  return done;
}

LRESULT CUIControlContainer::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool* handled) {
  POINT pt = {(LONG)LOWORD(lParam), (LONG)HIWORD(lParam)};
  if (msg == WM_NCHITTEST || msg == WM_MOUSEWHEEL) {
    pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    HWND hwnd = m_host ? m_host->GetHWND() : nullptr;
    if (hwnd) ::ScreenToClient(hwnd, &pt);
  }
  CUIControl* capture = m_host ? m_host->GetCaptureControl() : nullptr;
  if (capture == this) capture = nullptr;
  // A child may remove itself while handling a message: keep it alive until we are done.
  auto keep = [this](CUIControl* c) {
    for (const ControlPtr& p : m_children)
      if (p.get() == c) return p;
    return ControlPtr();
  };

  switch (msg) {
    case WM_MOUSEMOVE: {
      if (OfferToCapture(capture, msg, wParam, lParam, handled)) return 0;
      ControlPtr child = keep(ChildAtPoint(pt));
      if (child) {
        if (child.get() != m_hover) {
          if (m_hover) m_hover->OnMessage(WM_MOUSELEAVE, wParam, lParam, handled);
          m_hover = child.get();
          child->OnMessage(WM_MOUSEHOVER, wParam, lParam, handled);
        }
        return child->OnMessage(msg, wParam, lParam, handled);
      }
      if (m_hover) m_hover->OnMessage(WM_MOUSELEAVE, wParam, lParam, handled);
      m_hover = nullptr;
      return 0;
    }
    case WM_NCHITTEST: {
      ControlPtr child = keep(ChildAtPoint(pt));
      if (child) {
        child->OnMessage(msg, wParam, lParam, handled);
      } else {
        if (m_hover) m_hover->OnMessage(WM_MOUSELEAVE, wParam, lParam, handled);
        m_hover = nullptr;
      }
      return 0;
    }
    case WM_MOUSEHOVER: {
      ControlPtr child = keep(ChildAtPoint(pt));
      return child ? child->OnMessage(msg, wParam, lParam, handled) : 0;
    }
    case WM_MOUSELEAVE:
      if (m_hover) m_hover->OnMessage(WM_MOUSELEAVE, wParam, lParam, handled);
      m_hover = nullptr;
      return 0;
    default:
      break;
  }
  if (msg >= WM_LBUTTONDOWN && msg <= WM_XBUTTONDBLCLK) {
    if (msg == WM_LBUTTONUP && OfferToCapture(capture, msg, wParam, lParam, handled)) return 0;
    ControlPtr child = keep(ChildAtPoint(pt));
    return child ? child->OnMessage(msg, wParam, lParam, handled) : 0;
  }
  if (msg >= 0x100 && msg <= 0x108) {  // WM_KEYDOWN to WM_SYSDEADCHAR
    CUIControl* focus = m_host ? m_host->GetFocusControl() : nullptr;
    if (focus && focus != this) focus->OnMessage(msg, wParam, lParam, handled);
    return 0;
  }
  return 0;
}

CUIControl* CUIControlContainer::GetSubControl(int index) const {
  return index >= 0 && index < (int)m_children.size() ? m_children[index].get() : nullptr;
}

int CUIControlContainer::AddControl(const ControlPtr& control) {
  if (!control || control.get() == this) return 0;
  m_children.push_back(control);
  control->SetParent(this);
  control->SetHostWnd(m_host);
  ChildAdded(m_children.size() - 1);
  return 1;
}

void CUIControlContainer::ChildAdded(size_t) {
  RECT current = m_rect;
  SetRect(current);
}

namespace {
bool InSubtree(CUIControl* root, const CUIControl* target) {
  if (!target) return false;
  if (root == target) return true;
  if (CUIControlContainer* c = root->AsContainer())
    for (int i = 0; i < c->GetControlCount(); ++i)
      if (InSubtree(c->GetSubControl(i), target)) return true;
  return false;
}
}  // namespace

void CUIControlContainer::ForgetHostPointersInto(CUIControl* subtree) {
  // The host's focus and capture pointers must not outlive the controls they name.
  DisconnectAccessibleSubtree(subtree);  // clients' objects of it answer "not connected"
  if (!m_host) return;
  if (InSubtree(subtree, m_host->GetCaptureControl())) m_host->SetCaptureControl(nullptr);
  if (InSubtree(subtree, m_host->GetFocusControl())) m_host->SetFocusControl(nullptr);
}

int CUIControlContainer::AddControlByPointer(CUIControl* control) {
  ControlPtr owned = control ? control->weak_from_this().lock() : nullptr;
  if (!owned) return 0;
  // A control moves: it leaves its previous container first.
  if (CUIControlContainer* old = control->GetParent())
    if (old != this) old->RemoveControl(control);
  int added = AddControl(owned);
  CUIBuilder::Instance().Adopted(control);
  return added;
}

int CUIControlContainer::RemoveAt(size_t index) {
  ControlPtr removed = m_children[index];  // released when this returns
  if (m_hover == removed.get()) m_hover = nullptr;
  ForgetHostPointersInto(removed.get());
  m_children.erase(m_children.begin() + index);
  ChildRemoved(index);
  RECT current = m_rect;
  SetRect(current);
  Invalidate();
  return 1;
}

int CUIControlContainer::RemoveControl(CUIControl* control) {
  for (size_t i = 0; i < m_children.size(); ++i)
    if (m_children[i].get() == control) return RemoveAt(i);
  return 0;
}

int CUIControlContainer::RemoveControlByID(const char* id) {
  if (!id) return 0;
  for (size_t i = 0; i < m_children.size(); ++i)
    if (std::strcmp(m_children[i]->GetID(), id) == 0) return RemoveAt(i);
  return 0;
}

int CUIControlContainer::RemoveControlByIndex(int index) {
  if (index < 0 || index >= (int)m_children.size()) return 0;
  return RemoveAt((size_t)index);
}

void CUIControlContainer::RemoveAllControl() {
  for (const ControlPtr& c : m_children) ForgetHostPointersInto(c.get());
  size_t count = m_children.size();
  m_children.clear();
  for (size_t i = count; i-- > 0;) ChildRemoved(i);  // as if removed from the last one
  RECT current = m_rect;
  SetRect(current);
  m_hover = nullptr;
  Invalidate();
}

}  // namespace ZOV
