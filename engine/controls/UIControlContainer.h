// CUIControlContainer: a control that owns an ordered list of children, builds them from its
// element's child elements, paints them in order and routes mouse and keyboard messages.
#pragma once

#include <vector>

#include "UIControl.h"

namespace ZOV {

class CUIControlContainer : public CUIControl {
 public:
  CUIControlContainer();
  CUIControlContainer(const CUIControlContainer& other);  // children are cloned by Clone

  void SetRect(const RECT& rect) override;
  std::shared_ptr<CUIControl> Clone() const override;
  void SetHostWnd(CHostWnd* host) override;
  void Init() override;
  CUIControlContainer* AsContainer() override { return this; }
  CUIControl* FindControl(const char* id) override;
  int ParseAttributes(const XmlNode* element) override;
  void Paint(HDC hdc) override;
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool* handled) override;
  virtual CUIControl* GetSubControl(int index) const;

  int AddControl(const ControlPtr& control);
  // AddControl for scripts, which hold plain pointers: the control must be owned by someone
  // (a container, a window or the builder's new controls); 0 otherwise.
  int AddControlByPointer(CUIControl* control);
  CUIControl* FindSubControl(const char* id) { return CUIControlContainer::FindControl(id); }
  int GetControlCount() const { return (int)m_children.size(); }
  int RemoveControl(CUIControl* control);
  int RemoveControlByID(const char* id);
  int RemoveControlByIndex(int index);
  void RemoveAllControl();
  CUIControl* GetHoverChild() const { return m_hover; }

  // The topmost visible, enabled child containing the point; null when none.
  CUIControl* ChildAtPoint(POINT pt) const;

 protected:
  // Lays every child out again after this container's rect changed.
  void LayoutChildren();
  // Copies the children of another container as clones (the clone's own list starts empty).
  void CloneChildrenFrom(const CUIControlContainer& other);
  // Called after the child at index left the list, before the container is laid out again;
  // containers that remember children by index mend their indices here.
  virtual void ChildRemoved(size_t /*index*/) {}
  // Called after a child joined at the end of the list; lays the container out again.
  // Containers whose layout of one child does not move the others place just that one.
  virtual void ChildAdded(size_t index);

  std::vector<ControlPtr> m_children;  // document order; the last is topmost
  CUIControl* m_hover = nullptr;       // not owned

 private:
  static bool OfferToCapture(CUIControl* capture, UINT msg, WPARAM wParam, LPARAM lParam, bool* handled);
  int RemoveAt(size_t index);
  void ForgetHostPointersInto(CUIControl* subtree);
};

}  // namespace ZOV
