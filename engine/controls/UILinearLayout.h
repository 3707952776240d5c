// CUILinearLayout: a container that stacks its visible children along one axis with fixed
// spacing and alignment, optionally giving every child the same size.
#pragma once

#include "LinearLayoutGeometry.h"
#include "UIControlContainer.h"

namespace ZOV {

class CUILinearLayout : public CUIControlContainer {
 public:
  CUILinearLayout();
  CUILinearLayout(const CUILinearLayout& other) = default;  // children are cloned by Clone

  // Never skips an unchanged rect: children may have come, gone, shown or hidden.
  void SetRect(const RECT& rect) override;
  std::shared_ptr<CUIControl> Clone() const override;
  // The container's attributes and children, then "vertical", "itemsize", "childpadding",
  // "align"; then the children are laid out with them.
  int ParseAttributes(const XmlNode* element) override;

  const LinearLayoutSettings& GetSettings() const { return m_settings; }

 private:
  LinearLayoutSettings m_settings;
};

}  // namespace ZOV
