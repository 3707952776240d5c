// CUIControl: the base of every control — a rectangle in a host window that reads its settings
// from a skin element, paints itself in five steps and reacts to forwarded window messages.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>

#include "XmlAttr.h"

namespace ZOV {

class CHostWnd;
class CUIControlContainer;

// Type codes of the control classes, as scripts read them with GetType.
enum ControlType {
  kTypeControl = 0,
  kTypeContainer = 1,
  kTypeStatic = 2,
  kTypeButton = 3,  // also the combo box
  kTypeEdit = 4,
  kTypeCheckBox = 6,
  kTypeRadioButton = 7,  // also the menu item
  kTypeProgressBar = 8,
  kTypeTabCtrl = 9,
  kTypeList = 10,
  kTypeLinearLayout = 11,
  kTypeScrollBar = 12,
  kTypeRichEdit = 13,
  kTypeTemplate = 14,
};

// "onsizepercent": how much of the parent's growth moves and grows the control.
struct PercentRecord {
  int lastParentWidth = 0;  // 0 until the first layout
  int lastParentHeight = 0;
  unsigned char left = 0, top = 0, width = 0, height = 0;  // shares in percent
};

// Shared ownership (containers, windows, the builder) lets a script's AddControl find the
// owner of a control it holds only a pointer to.
class CUIControl : public std::enable_shared_from_this<CUIControl> {
 public:
  CUIControl();
  CUIControl(const CUIControl& other);  // used by Clone; copies every field
  CUIControl& operator=(const CUIControl&) = delete;

  // ---- virtual operations, in this order ----
  virtual ~CUIControl();
  virtual void SetFocus(bool focus);
  virtual void SetRect(const RECT& rect);  // window client coordinates
  virtual std::shared_ptr<CUIControl> Clone() const;
  virtual void SetHostWnd(CHostWnd* host);
  virtual void Init();
  virtual CUIControlContainer* AsContainer();
  virtual CUIControl* FindControl(const char* id);
  virtual int ParseAttributes(const XmlNode* element);
  virtual bool GetAttribute(const std::string& name, std::string& value) const;
  virtual bool SetAttribute(const std::string& name, const std::string& value);
  virtual void Paint(HDC hdc);
  virtual void PaintBkColor(HDC hdc);
  virtual void PaintBkImage(HDC hdc);
  virtual void PaintStatusImage(HDC hdc);
  virtual void PaintText(HDC hdc);
  virtual void PaintBorder(HDC hdc);
  virtual LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool* handled);

  // ---- operations of every control ----
  const char* GetID() const { return m_id.c_str(); }
  void SetID(const char* id) { m_id = id ? id : ""; }
  int GetType() const { return m_type; }
  void SetType(int type) { m_type = type; }
  bool IsVisible() const { return m_visible; }
  void SetVisible(bool visible);
  bool IsEnable() const { return m_enabled; }
  void SetEnable(bool enable);
  bool IsFocus() const;
  RECT GetPos() const;  // relative to the parent's top-left corner
  void SetPos(const RECT& rect);
  void SetLeft(int x);
  void SetTop(int y);
  void SetWidth(int w);
  void SetHeight(int h);
  CHostWnd* GetHostWnd() const { return m_host; }
  CUIControlContainer* GetParent() const { return m_parent; }
  void SetParent(CUIControlContainer* parent) { m_parent = parent; }
  // The script forms: the parent reaches scripts by its run-time class; SetParent takes any
  // control and stores it when it is a container.
  CUIControl* GetParentControl() const;
  void SetParentControl(CUIControl* parent);
  const char* GetUserData() const { return m_userData.c_str(); }
  void SetUserData(const char* data) { m_userData = data ? data : ""; }
  unsigned GetTag() const { return (unsigned)m_tag; }
  void SetTag(unsigned tag) { m_tag = (int)tag; }
  int GetBorderSize() const { return m_borderSize; }
  void SetBorderSize(int size) { m_borderSize = size; }
  COLORREF GetBorderColor() const { return m_borderColor; }
  void SetBorderColor(COLORREF color) { m_borderColor = color; }
  COLORREF GetBkColor() const { return m_bkColor; }
  void SetBkColor(COLORREF color) { m_bkColor = color; }

  // Keyboard and assistive access. "tabstop": kTabStopByType until the skin says 0 or 1.
  // "accname": the spoken name of a control that shows no text of its own (UTF-8).
  enum { kTabStopByType = -1 };
  int GetTabStopSetting() const { return m_tabStop; }
  void SetTabStopSetting(int setting) { m_tabStop = (signed char)setting; }
  const std::string& GetAccName() const { return m_accName; }
  void SetAccName(const char* name);  // tells assistive technology
  const char* ScriptGetAccName() const { return m_accName.c_str(); }

  // ---- the geometry operations as scripts call them: in skin units (see DpiScale) ----
  RECT ScriptGetPos() const;
  void ScriptSetPos(const RECT& rect);
  void ScriptSetLeft(int x);
  void ScriptSetTop(int y);
  void ScriptSetWidth(int w);
  void ScriptSetHeight(int h);
  int ScriptGetBorderSize() const;
  void ScriptSetBorderSize(int size);

  const RECT& GetRect() const { return m_rect; }
  const RECT& GetDeclaredRect() const { return m_declared; }
  const PercentRecord* GetPercent() const { return m_percent.get(); }
  void Invalidate();
  void SetMouseCapture(bool capture);

  // Places the control after its container's rect changed (percent layout).
  void LayoutInParent();
  // Moves the control to a rect given relative to the parent, invalidating what changed.
  // Layout containers place their children with it; the declared rect and percent record stay.
  void Place(const RECT& relative);

 protected:
  // Place for the positioning operations of scripts: the new place also becomes the declared one.
  void PlaceByScript(const RECT& relative);

  std::string m_id;
  int m_type = kTypeControl;
  bool m_visible = true;
  bool m_enabled = true;
  RECT m_declared = {};
  std::unique_ptr<PercentRecord> m_percent;
  RECT m_rect = {};
  std::string m_userData;
  int m_tag = 0;
  int m_borderSize = 0;
  COLORREF m_borderColor = 0x010101;
  COLORREF m_bkColor = 0;
  std::map<std::string, std::string> m_attributes;
  signed char m_tabStop = kTabStopByType;
  std::string m_accName;
  CHostWnd* m_host = nullptr;               // not owned
  CUIControlContainer* m_parent = nullptr;  // not owned
};

typedef std::shared_ptr<CUIControl> ControlPtr;

}  // namespace ZOV
