// CUIBuilder: documents to controls and windows, the registries, the message loop.
#include "UIBuilder.h"

#include <cstring>
#include <vector>

#include <rapidxml/rapidxml.hpp>

#include "ControlFactory.h"
#include "Engine.h"
#include "ErrorReport.h"
#include "HostWnd.h"
#include "ResourceManager.h"
#include "TextConv.h"
#include "XmlAttr.h"

namespace ZOV {

namespace {

// A parsed skin document; the text buffer lives as long as the nodes that point into it.
class SkinDocument {
 public:
  // False when the document is missing, empty or malformed (reported through _ALERT).
  bool Load(const char* path) {
    if (!path) return false;
    std::string bytes;
    CEngine::Instance().SkinLoader().ReadSkinFile(text::Utf8ToWide(path), bytes);
    if (bytes.empty()) return false;
    m_text.assign(bytes.begin(), bytes.end());
    m_text.push_back('\0');
    try {
      m_doc.parse<0>(m_text.data());
    } catch (const rapidxml::parse_error& e) {
      if (lua_State* L = CEngine::Instance().LuaState())
        lua_tinker::print_error(L, "%s: XML error: %s", path, e.what());
      return false;
    } catch (...) {
      return false;
    }
    return true;
  }
  const XmlNode* FirstElement() const { return m_doc.first_node(); }

 private:
  std::vector<char> m_text;
  rapidxml::xml_document<char> m_doc;
};

}  // namespace

CUIBuilder& CUIBuilder::Instance() {
  static CUIBuilder builder;
  return builder;
}

CUIBuilder::~CUIBuilder() {
  // Runs while the library unloads, under the loader lock: destroying windows there (messages,
  // the display connection) can hang the process's exit. The system takes the windows down
  // with the process, so the objects are left as they are.
  for (auto& w : m_owned) w.release();
}

CHostWnd* CUIBuilder::GetWindow(const char* id) const {
  if (!id) return nullptr;
  auto it = m_windows.find(text::Utf8ToWide(id));
  return it == m_windows.end() ? nullptr : it->second;
}

ControlPtr CUIBuilder::CreateControl(const char* typeName) const {
  return CControlFactory::Instance().Create(typeName);
}

ControlPtr CUIBuilder::CreateControlByXml(const char* path) {
  SkinDocument doc;
  if (!doc.Load(path)) return nullptr;
  const XmlNode* root = doc.FirstElement();
  if (!root) return nullptr;
  ControlPtr control = CControlFactory::Instance().Create(root->name());
  if (control) control->ParseAttributes(root);
  return control;
}

ControlPtr CUIBuilder::CreateControlByTemplate(const char* name) const {
  if (!name) return nullptr;
  auto it = m_templates.find(name);
  return it == m_templates.end() ? nullptr : it->second->Clone();
}

CHostWnd* CUIBuilder::CreateWindowFromXml(const char* path) {
  SkinDocument doc;
  if (!doc.Load(path)) return nullptr;
  const XmlNode* ui = doc.FirstElement();
  if (!ui || std::strcmp(ui->name(), "ui") != 0) return nullptr;
  CHostWnd* last = nullptr;
  for (const XmlNode* e = ui->first_node(); e; e = e->next_sibling()) {
    if (e->type() != rapidxml::node_element) continue;
    if (!std::strcmp(e->name(), "view")) {
      m_owned.emplace_back(new CHostWnd());
      CHostWnd* wnd = m_owned.back().get();
      wnd->ParseXml(e);
      const XmlNode* rootElement = e->first_node();
      while (rootElement && rootElement->type() != rapidxml::node_element) rootElement = rootElement->next_sibling();
      ControlPtr root;
      if (rootElement) {
        root = CControlFactory::Instance().Create(rootElement->name());
        if (root) {
          wnd->SetRootControl(root);  // host known while the tree is built
          root->ParseAttributes(rootElement);
        }
      }
      wnd->Create(wnd->IsModal() ? ::GetActiveWindow() : nullptr);
      if (root) root->Init();
      if (wnd->IsLayered() && wnd->GetHWND()) ::InvalidateRect(wnd->GetHWND(), nullptr, FALSE);
      last = wnd;
    } else if (!std::strcmp(e->name(), "resource")) {
      CResourceManager::Instance().ReadResource(e, CEngine::Instance().LuaState());
    }
    // "controltemplatelist" and "menu" are read here once templates and menus exist.
  }
  return last;
}

void CUIBuilder::RunMessageLoop() {
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

int CUIBuilder::Exit() {
  ::PostQuitMessage(0);
  return 0;
}

CUIControl* CUIBuilder::KeepNew(ControlPtr control) {
  CUIControl* p = control.get();
  if (p) m_newControls[p] = std::move(control);
  return p;
}

CUIControl* CUIBuilder::ScriptCreateControl(const char* typeName) { return KeepNew(CreateControl(typeName)); }
CUIControl* CUIBuilder::ScriptCreateControlByXml(const char* path) { return KeepNew(CreateControlByXml(path)); }
CUIControl* CUIBuilder::ScriptCreateControlByTemplate(const char* name) {
  return KeepNew(CreateControlByTemplate(name));
}

void CUIBuilder::Adopted(CUIControl* control) { m_newControls.erase(control); }

void CUIBuilder::RegisterWindow(const std::wstring& id, CHostWnd* wnd) { m_windows.emplace(id, wnd); }

void CUIBuilder::UnregisterWindow(const std::wstring& id, CHostWnd* wnd) {
  // Destroying a window removes the entry under its id, whichever window registered it.
  (void)wnd;
  m_windows.erase(id);
}

void CUIBuilder::RegisterTemplate(const std::string& name, const ControlPtr& tmpl) {
  if (tmpl) m_templates.emplace(name, tmpl);
}

}  // namespace ZOV
