// CControlTemplate: declaration from "controltemplatelist", the body document, the script
// class, and event binding when an instance is handed to a script.
#include "ControlTemplate.h"

#include <cstring>
#include <set>

#include "ClassTable.h"
#include "Engine.h"
#include "ErrorReport.h"
#include "Push.h"
#include "ResourceManager.h"
#include "SkinDocument.h"
#include "UIBuilder.h"
#include "lua.hpp"

using namespace ZOV;

namespace {

// Names of the templates whose declaration is being read (UI thread only). A body that names
// its own template is refused: the template is not complete yet.
std::set<std::string>& Declaring() {
  static std::set<std::string> names;
  return names;
}

bool IsElement(const XmlNode* n, const char* name) {
  return n->type() == rapidxml::node_element && std::strcmp(n->name(), name) == 0;
}

template <typename Fill>
void ForEachChildElement(const XmlNode* parent, Fill fill) {
  for (const XmlNode* c = parent->first_node(); c; c = c->next_sibling())
    if (c->type() == rapidxml::node_element) fill(c);
}

}  // namespace

CControlTemplate::CControlTemplate() { m_type = kTypeTemplate; }

CControlTemplate::CControlTemplate(const CControlTemplate& other)
    : CUIControlContainer(other), m_name(other.m_name), m_events(other.m_events) {}

CControlTemplate::~CControlTemplate() = default;

std::shared_ptr<CUIControl> CControlTemplate::Clone() const {
  auto copy = std::make_shared<CControlTemplate>(*this);
  copy->CloneChildrenFrom(*this);
  return copy;
}

int CControlTemplate::ParseAttributes(const XmlNode* element) {
  int result = CUIControlContainer::ParseAttributes(element);
  if (!element) return result;
  for (const XmlAttribute* a = element->first_attribute(); a; a = a->next_attribute()) {
    auto it = m_events.find(a->name());
    if (it != m_events.end()) it->second = a->value();
  }
  return result;
}

void CControlTemplate::DeclareTemplates(const XmlNode* list, lua_State* L) {
  if (!list) return;
  ForEachChildElement(list, [L](const XmlNode* c) {
    if (IsElement(c, "controltemplate")) Declare(c, L);
  });
}

void CControlTemplate::Declare(const XmlNode* element, lua_State* L) {
  auto tmpl = std::make_shared<CControlTemplate>();
  bool hasBody = false;
  // Attributes in document order: the body is read when "file" is met, under the name known
  // by then.
  for (const XmlAttribute* a = element->first_attribute(); a; a = a->next_attribute()) {
    if (!std::strcmp(a->name(), "templateid")) {
      tmpl->m_name = a->value();
    } else if (!std::strcmp(a->name(), "file")) {
      // A second template of a taken name would replace the first one's script class under
      // the first one's instances: it is refused whole.
      if (!tmpl->m_name.empty() && CUIBuilder::Instance().HasTemplate(tmpl->m_name)) break;
      const std::string& name = tmpl->m_name;
      bool outer = Declaring().insert(name).second;
      hasBody = tmpl->ReadBodyDocument(a->value(), L);
      if (outer) Declaring().erase(name);
    }
  }
  if (tmpl->m_name.empty()) return;
  if (CUIBuilder::Instance().HasTemplate(tmpl->m_name)) {
    if (L)
      lua_tinker::print_error(L, "template %s: declared twice; the first declaration stays",
                              tmpl->m_name.c_str());
    return;
  }
  // Without a body there is nothing to instantiate: the name stays unknown.
  if (hasBody) CUIBuilder::Instance().RegisterTemplate(tmpl->m_name, tmpl);
}

bool CControlTemplate::ReadBodyDocument(const char* path, lua_State* L) {
  SkinDocument doc;
  if (!doc.Load(path, SkinDocument::kReportMissing)) return false;
  const XmlNode* body = doc.FirstElement();
  if (!body || std::strcmp(body->name(), "template") != 0) {
    if (L) lua_tinker::print_error(L, "%s: the first element is not \"template\"", path);
    return false;
  }
  ReadBody(body, L);
  return true;
}

void CControlTemplate::ReadBody(const XmlNode* body, lua_State* L) {
  ForEachChildElement(body, [this, L](const XmlNode* part) {
    if (IsElement(part, "script")) {
      CResourceManager::Instance().RunScriptFile(Attr(part, "file"), L);
    } else if (IsElement(part, "attributes")) {
      ForEachChildElement(
          part, [this](const XmlNode* c) { m_attributes.emplace(c->name(), AttrOr(c, "default", "")); });
    } else if (IsElement(part, "methods")) {
      ForEachChildElement(part, [this](const XmlNode* c) {
        if (const char* func = Attr(c, "func")) m_methods.emplace(c->name(), func);
      });
    } else if (IsElement(part, "events")) {
      ForEachChildElement(
          part, [this](const XmlNode* c) { m_events.emplace(c->name(), AttrOr(c, "default", "")); });
    } else if (IsElement(part, "controls")) {
      // Children are built as any container builds them; common attributes on "controls"
      // (a default size) apply to the template itself.
      CUIControlContainer::ParseAttributes(part);
    }
  });
  if (L) RegisterScriptClass(L);
}

void CControlTemplate::RegisterScriptClass(lua_State* L) const {
  lua_tinker::push_class_table(L, m_name.c_str());
  lua_getglobal(L, "LuaControlContainer");
  lua_setfield(L, -2, "__parent");
  // Methods take the functions' values now: a function defined later stays unbound.
  for (const auto& m : m_methods) {
    lua_getglobal(L, m.second.c_str());
    lua_setfield(L, -2, m.first.c_str());
  }
  for (const auto& a : m_attributes) {
    lua_pushlstring(L, a.second.data(), a.second.size());
    lua_setfield(L, -2, a.first.c_str());
  }
  lua_setglobal(L, m_name.c_str());
}

void CControlTemplate::BindEvents(lua_State* L) const {
  lua_getglobal(L, m_name.c_str());
  if (lua_istable(L, -1)) {
    // The class table is shared by every instance: the last one handed over sets the events.
    for (const auto& e : m_events) {
      lua_getglobal(L, e.second.c_str());
      lua_setfield(L, -2, e.first.c_str());
    }
  }
  lua_pop(L, 1);
}

ControlPtr CControlTemplate::CreateInstance(const char* name) {
  if (!name) return nullptr;
  if (Declaring().count(name)) {
    if (lua_State* L = CEngine::Instance().LuaState())
      lua_tinker::print_error(L, "template %s: its body includes the template itself", name);
    return nullptr;
  }
  return CUIBuilder::Instance().CreateControlByTemplate(name);
}

void CControlTemplate::PushToScript(lua_State* L, CUIControl* control) {
  auto* tmpl = dynamic_cast<CControlTemplate*>(control);
  if (!tmpl) {
    lua_pushnil(L);
    return;
  }
  tmpl->BindEvents(L);
  // Held as a container: every method a container takes reaches it.
  lua_tinker::push_as<CUIControlContainer>(L, tmpl, tmpl->m_name.c_str());
}
