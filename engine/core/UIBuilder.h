// CUIBuilder (g_UIMgr): the registry of open windows and of control templates, building
// controls, windows and menus from the skin's documents, and the message loop.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "UIControl.h"

namespace ZOV {

class CHostWnd;
class CMenuWnd;

class CUIBuilder {
 public:
  static CUIBuilder& Instance();

  CHostWnd* GetWindow(const char* id) const;  // id in UTF-8
  ControlPtr CreateControl(const char* typeName) const;
  ControlPtr CreateControlByXml(const char* path);
  ControlPtr CreateControlByTemplate(const char* name) const;
  // Builds every "view" and "menu" of a "ui" document; the last window made, or null. A
  // document that is missing, malformed or not rooted in "ui" makes nothing.
  CHostWnd* CreateWindowFromXml(const char* path);
  // The same for menus: null (and a report naming the document) when the document is missing,
  // and null when the last window it made is not a menu.
  CMenuWnd* CreateMenuFromXml(const char* path);
  void RunMessageLoop();
  int Exit();
  // Embeds an animated picture file in a rich edit; false when the control is none.
  bool InsertAniSmiley(CUIControl* richEdit, const char* path);

  // The script forms. New controls stay with the builder until a container adopts them, since
  // a script's object never owns what it points to.
  CUIControl* ScriptCreateControl(const char* typeName);
  CUIControl* ScriptCreateControlByXml(const char* path);
  CUIControl* ScriptCreateControlByTemplate(const char* name);
  CHostWnd* ScriptCreateWindow(const char* path) { return CreateWindowFromXml(path); }
  CMenuWnd* ScriptCreateMenu(const char* path) { return CreateMenuFromXml(path); }
  void Adopted(CUIControl* control);

  // Windows enter at creation and leave at destruction; an id that is taken stays with the
  // first window, and only the window that holds an entry removes it.
  void RegisterWindow(const std::wstring& id, CHostWnd* wnd);
  void UnregisterWindow(const std::wstring& id, CHostWnd* wnd);

  void RegisterTemplate(const std::string& name, const ControlPtr& tmpl);
  bool HasTemplate(const std::string& name) const { return m_templates.count(name) != 0; }
  void ClearTemplates() { m_templates.clear(); }

  // Window objects made by documents. They stay until the engine goes, even after their
  // system window is destroyed, so that a script still holding one never reaches freed memory.
  size_t OwnedWindowCount() const { return m_owned.size(); }

 private:
  CUIBuilder();
  ~CUIBuilder();
  std::map<std::wstring, CHostWnd*> m_windows;  // not owned
  std::map<std::string, ControlPtr> m_templates;
  std::vector<std::unique_ptr<CHostWnd>> m_owned;
  std::map<CUIControl*, ControlPtr> m_newControls;  // made by scripts, not yet in a container
  CUIControl* KeepNew(ControlPtr control);
  CHostWnd* Build(const char* path, bool reportMissing);
  // Makes, configures and creates one window of a document, with its root control.
  CHostWnd* BuildWindow(CHostWnd* wnd, const XmlNode* element, HWND owner);
};

}  // namespace ZOV
