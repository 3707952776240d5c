// CUIBuilder: documents to controls and windows, the registries, the message loop.
#include "UIBuilder.h"

#include <cstring>

#include <rapidxml/rapidxml.hpp>

#include "AniSmiley.h"
#include "ControlFactory.h"
#include "ControlTemplate.h"
#include "Engine.h"
#include "ErrorReport.h"
#include "HostWnd.h"
#include "MenuWnd.h"
#include "ResourceManager.h"
#include "SkinDocument.h"
#include "StartupMark.h"
#include "TextConv.h"
#include "UIRichEdit.h"
#include "XmlAttr.h"

namespace ZOV {

CUIBuilder& CUIBuilder::Instance() {
  static CUIBuilder builder;
  return builder;
}

CUIBuilder::CUIBuilder() {
  // Element names that no control class has are looked up among the templates.
  CControlFactory::Instance().SetTemplateMaker(&CControlTemplate::CreateInstance);
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

CHostWnd* CUIBuilder::CreateWindowFromXml(const char* path) { return Build(path, false); }

CMenuWnd* CUIBuilder::CreateMenuFromXml(const char* path) {
  return dynamic_cast<CMenuWnd*>(Build(path, true));
}

CHostWnd* CUIBuilder::Build(const char* path, bool reportMissing) {
  SkinDocument doc;
  if (!doc.Load(path, reportMissing ? SkinDocument::kReportMissing : SkinDocument::kQuietWhenMissing))
    return nullptr;
  StartupMark("xml-parsed");
  const XmlNode* ui = doc.FirstElement();
  if (!ui || std::strcmp(ui->name(), "ui") != 0) return nullptr;
  CHostWnd* last = nullptr;
  for (const XmlNode* e = ui->first_node(); e; e = e->next_sibling()) {
    if (e->type() != rapidxml::node_element) continue;
    if (!std::strcmp(e->name(), "view")) {
      m_owned.emplace_back(new CHostWnd());
      last = BuildWindow(m_owned.back().get(), e, nullptr);
    } else if (!std::strcmp(e->name(), "menu")) {
      // A menu's root is its list, which reads the element's items itself.
      m_owned.emplace_back(new CMenuWnd());
      last = BuildWindow(m_owned.back().get(), e, nullptr);
    } else if (!std::strcmp(e->name(), "resource")) {
      CResourceManager::Instance().ReadResource(e, CEngine::Instance().LuaState());
    } else if (!std::strcmp(e->name(), "controltemplatelist")) {
      CControlTemplate::DeclareTemplates(e, CEngine::Instance().LuaState());
    }
  }
  return last;
}

CHostWnd* CUIBuilder::BuildWindow(CHostWnd* wnd, const XmlNode* e, HWND owner) {
  wnd->ParseXml(e);
  bool isMenu = dynamic_cast<CMenuWnd*>(wnd) != nullptr;
  if (!isMenu) {
    const XmlNode* rootElement = e->first_node();
    while (rootElement && rootElement->type() != rapidxml::node_element)
      rootElement = rootElement->next_sibling();
    if (rootElement) {
      ControlPtr root = CControlFactory::Instance().Create(rootElement->name());
      if (root) {
        wnd->SetRootControl(root);  // host known while the tree is built
        root->ParseAttributes(rootElement);
      }
    }
    if (wnd->IsModal()) owner = ::GetActiveWindow();
  }
  StartupMark("controls-built");
  wnd->Create(owner);
  StartupMark("window-created");
  if (CUIControl* root = wnd->GetRootControl()) root->Init();
  StartupMark("controls-ready");
  if (wnd->IsLayered() && wnd->GetHWND()) ::InvalidateRect(wnd->GetHWND(), nullptr, FALSE);
  return wnd;
}

void CUIBuilder::RunMessageLoop() {
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

bool CUIBuilder::InsertAniSmiley(CUIControl* richEdit, const char* path) {
  return ZOV::InsertAniSmiley(dynamic_cast<CUIRichEdit*>(richEdit), path);
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
CUIControl* CUIBuilder::ScriptCreateControlByXml(const char* path) {
  return KeepNew(CreateControlByXml(path));
}
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
