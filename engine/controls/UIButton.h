// CUIButton: a static that follows the mouse through four states, draws the frame of its
// state from a strip image, colours its text by state, shows a tooltip and calls a script
// function when clicked. The base of the check box and the combo box.
#pragma once

#include <string>

#include "ScopedWin.h"
#include "UIStatic.h"

namespace ZOV {

// Button states, also the frames of a button's status strip.
// True for the key press that clicks a focused button: Space or Enter, not repeated.
bool IsPressKey(UINT msg, WPARAM key, LPARAM lParam);

enum ButtonState {
  kStateNormal = 0,
  kStateHover = 1,
  kStateDown = 2,
  kStateDisabled = 3,
};

class CUIButton : public CUIStatic {
 public:
  CUIButton();
  CUIButton(const CUIButton& other);  // a copy has no tooltip window of its own yet
  ~CUIButton() override;

  std::shared_ptr<CUIControl> Clone() const override;
  // The static's attributes, then "onclick", "tooltip", "hovertextcolor", "downtextcolor",
  // "combineimage" and "src", "dest", "corner" again for the status image.
  int ParseAttributes(const XmlNode* element) override;
  void PaintStatusImage(HDC hdc) override;
  void PaintText(HDC hdc) override;
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool* handled) override;
  // Stores the state (kStateDisabled whatever is asked while the control is disabled) and
  // repaints.
  virtual void SetState(int state);
  // What a click does (the "onclick" call here; check boxes, radio buttons, menu items and
  // combo boxes add their own), for the keyboard and assistive technology. Nothing while
  // disabled.
  virtual void Click();

  int GetState() const { return m_state; }
  const char* GetTooltip() const { return m_tooltip.c_str(); }
  void SetTooltip(const char* text) { m_tooltip = text ? text : ""; }  // a shown tooltip keeps its text
  COLORREF GetHoverTextColor() const { return m_hoverTextColor; }
  COLORREF GetDownTextColor() const { return m_downTextColor; }
  const ImageSpec& GetStatusImageSpec() const { return m_statusImage; }
  HWND GetTooltipWindow() const { return m_tooltipWnd.get(); }

 protected:
  // The frame the state shows: a disabled control shows the disabled frame whatever state it
  // was left in, and an enabled one never does.
  int ShownState() const;
  // Draws the status strip at the given frame.
  void PaintStatusFrame(HDC hdc, int frame);
  // Calls the global script function named by handler with this control, when it is set.
  void CallHandler(const std::string& handler);
  // The parts of the message handling that the check box and radio button share.
  void OnMouseEnter();
  void OnMouseLeave();
  void ReleaseMouse();

  std::string m_onClick;
  int m_state = kStateNormal;
  ImageSpec m_statusImage;
  COLORREF m_hoverTextColor;
  COLORREF m_downTextColor;
  std::string m_tooltip;  // UTF-8

 private:
  void ShowTooltip();
  void CloseTooltip();

  win::AutoWindow m_tooltipWnd;  // while the tooltip is shown
};

}  // namespace ZOV
