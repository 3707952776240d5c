// The control factory and the classes it knows.
#include "ControlFactory.h"

#include "UIButton.h"
#include "UICheckBox.h"
#include "UIComboBox.h"
#include "UIControlContainer.h"
#include "UIEdit.h"
#include "UILinearLayout.h"
#include "UIList.h"
#include "UIMenuItem.h"
#include "UIProgressBar.h"
#include "UIRadioButton.h"
#include "UIRichEdit.h"
#include "UIScrollBar.h"
#include "UIStatic.h"
#include "UITabCtrl.h"

namespace ZOV {

CControlFactory& CControlFactory::Instance() {
  static CControlFactory factory;
  return factory;
}

CControlFactory::CControlFactory() {
  Register("container", [] { return std::make_shared<CUIControlContainer>(); });
  Register("static", [] { return std::make_shared<CUIStatic>(); });
  Register("button", [] { return std::make_shared<CUIButton>(); });
  Register("checkbox", [] { return std::make_shared<CUICheckBox>(); });
  Register("radiobutton", [] { return std::make_shared<CUIRadioButton>(); });
  Register("progressbar", [] { return std::make_shared<CUIProgressBar>(); });
  Register("edit", [] { return std::make_shared<CUIEdit>(); });
  Register("combobox", [] { return std::make_shared<CUIComboBox>(); });
  Register("tabctrl", [] { return std::make_shared<CUITabCtrl>(); });
  Register("list", [] { return std::make_shared<CUIList>(); });
  Register("scrollbar", [] { return std::make_shared<CUIScrollBar>(); });
  Register("linearlayout", [] { return std::make_shared<CUILinearLayout>(); });
  Register("menuitem", [] { return std::make_shared<CUIMenuItem>(); });
  Register("richedit", [] { return std::make_shared<CUIRichEdit>(); });
}

ControlPtr CControlFactory::Create(const char* name) const {
  if (!name) return nullptr;
  auto it = m_makers.find(name);
  if (it != m_makers.end()) return it->second();
  return m_templateMaker ? m_templateMaker(name) : nullptr;
}

}  // namespace ZOV
