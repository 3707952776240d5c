// The control factory: an element name of a skin document to a new control.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "UIControl.h"

namespace ZOV {

class CControlFactory {
 public:
  typedef std::function<ControlPtr()> Maker;

  static CControlFactory& Instance();

  // A new control for the name (exact, case-sensitive); null when neither a control class nor
  // a control template has that name.
  ControlPtr Create(const char* name) const;

  // Control classes enter the factory under their element names.
  void Register(const std::string& name, Maker maker) { m_makers[name] = std::move(maker); }
  // Templates answer names that no class has.
  void SetTemplateMaker(std::function<ControlPtr(const char*)> maker) { m_templateMaker = std::move(maker); }

 private:
  CControlFactory();
  std::map<std::string, Maker> m_makers;
  std::function<ControlPtr(const char*)> m_templateMaker;
};

}  // namespace ZOV
