// CUILinearLayout: attributes and placing the visible children.
#include "UILinearLayout.h"

#include <cstdlib>
#include <cstring>

#include "AttrParse.h"
#include "DpiScale.h"

namespace ZOV {

CUILinearLayout::CUILinearLayout() { m_type = kTypeLinearLayout; }

std::shared_ptr<CUIControl> CUILinearLayout::Clone() const {
  auto copy = std::make_shared<CUILinearLayout>(*this);
  copy->CloneChildrenFrom(*this);
  return copy;
}

int CUILinearLayout::ParseAttributes(const XmlNode* element) {
  CUIControlContainer::ParseAttributes(element);
  if (!element) return 1;
  for (const XmlAttribute* a = element->first_attribute(); a; a = a->next_attribute()) {
    const char* name = a->name();
    const char* value = a->value();
    if (!std::strcmp(name, "vertical")) {
      m_settings.vertical = ParseFlag(value);
    } else if (!std::strcmp(name, "itemsize")) {
      int size[2];
      ParseNumberList(value, size, 2);
      m_settings.itemSize = SIZE{Dpi().ToDevice(size[0]), Dpi().ToDevice(size[1])};
    } else if (!std::strcmp(name, "childpadding")) {
      m_settings.padding = Dpi().ToDevice(std::atoi(value));
    } else if (!std::strcmp(name, "align")) {
      int align = std::atoi(value);
      m_settings.align = align < 0 ? 0 : (align > 2 ? 2 : align);
    }
  }
  // The children were added before the settings were known.
  RECT current = m_rect;
  SetRect(current);
  return 1;
}

void CUILinearLayout::SetRect(const RECT& rect) {
  m_rect = rect;
  std::vector<CUIControl*> shown;
  std::vector<int> lengths;
  for (const ControlPtr& child : m_children) {
    if (!child->IsVisible()) continue;  // hidden children keep their rect
    const RECT& d = child->GetDeclaredRect();
    shown.push_back(child.get());
    lengths.push_back(m_settings.vertical ? d.bottom - d.top : d.right - d.left);
  }
  SIZE size = {rect.right - rect.left, rect.bottom - rect.top};
  std::vector<RECT> places = LinearLayoutRects(m_settings, size, lengths);
  for (size_t k = 0; k < shown.size(); ++k) shown[k]->Place(places[k]);
}

}  // namespace ZOV
