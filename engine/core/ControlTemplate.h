// CControlTemplate: a compound control declared by the skin — a container with children, and a
// script class of the same name that gives its instances methods, attribute defaults and
// event bindings written in Lua. Instances are clones of the registered template.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "UIControlContainer.h"

struct lua_State;

class CControlTemplate : public ZOV::CUIControlContainer {
 public:
  CControlTemplate();
  // Copies the container part, the name and the events; methods and attribute defaults live
  // in the script class.
  CControlTemplate(const CControlTemplate& other);
  ~CControlTemplate() override;

  std::shared_ptr<ZOV::CUIControl> Clone() const override;
  // The container's attributes, then an attribute named like an event names that event's
  // function for this instance.
  int ParseAttributes(const ZOV::XmlNode* element) override;

  const std::string& GetName() const { return m_name; }

  // Reads a "controltemplatelist" element into the UI builder's template registry.
  static void DeclareTemplates(const ZOV::XmlNode* list, lua_State* L);
  // The control factory's answer for names that no control class has.
  static ZOV::ControlPtr CreateInstance(const char* name);
  // How a template instance reaches a script: its events are written into its template's
  // class table, which becomes the object's metatable. Anything else pushes nil.
  static void PushToScript(lua_State* L, ZOV::CUIControl* control);

 private:
  static void Declare(const ZOV::XmlNode* element, lua_State* L);
  // Reads the body document at path; false (reported) when it has no "template" element.
  bool ReadBodyDocument(const char* path, lua_State* L);
  void ReadBody(const ZOV::XmlNode* body, lua_State* L);
  void RegisterScriptClass(lua_State* L) const;
  void BindEvents(lua_State* L) const;

  std::string m_name;
  std::map<std::string, std::string> m_methods;     // method name -> global function name
  std::map<std::string, std::string> m_attributes;  // attribute name -> default text
  std::map<std::string, std::string> m_events;      // event name -> global function name
};
