// CUIStatic: a control that shows a text and a background image; the base of buttons,
// progress bars and the rich edit, which reuse its text and image drawing.
#pragma once

#include <string>

#include "ImageSpec.h"
#include "UIControl.h"

namespace ZOV {

class CUIStatic : public CUIControl {
 public:
  CUIStatic();
  CUIStatic(const CUIStatic& other) = default;  // used by Clone; copies every field

  std::shared_ptr<CUIControl> Clone() const override;
  // The common attributes first, then "text", "textcolor", "disabledtextcolor",
  // "textpadding", "font", "bkimage", "src", "dest", "corner", "alignX", "alignY",
  // "ellipsis". The alignment is computed from this element alone, so every parse resets it.
  int ParseAttributes(const XmlNode* element) override;
  void PaintBkImage(HDC hdc) override;
  void PaintText(HDC hdc) override;
  virtual const char* GetText() const;     // UTF-8
  virtual void SetText(const char* text);  // repaints

 protected:
  // The WinEvent of a new text: a name for statics and buttons; combo boxes show a value.
  DWORD AccTextEvent() const;

 public:

  std::string GetBkImage() const;     // UTF-8
  void SetBkImage(const char* name);  // repaints; the image is looked up when painting
  COLORREF GetTextColor() const { return m_textColor; }
  void SetTextColor(COLORREF color) { m_textColor = color; }  // no repaint
  // Adds to the rotation of the background image (see RotationAfter) and repaints.
  void Rotate(int degrees);

  UINT GetTextFormat() const { return m_textFormat; }
  const RECT& GetTextPadding() const { return m_textPadding; }
  int GetRotation() const { return m_rotation; }
  HFONT GetFont() const { return m_font; }
  COLORREF GetDisabledTextColor() const { return m_disabledTextColor; }
  const ImageSpec& GetBkImageSpec() const { return m_bkImage; }
  ImageSpec& BkImageSpec() { return m_bkImage; }

 protected:
  // The text in the given colour, padded, aligned and in the control's font; subclasses
  // choose the colour by their state.
  void PaintTextInColor(HDC hdc, COLORREF color);

  std::string m_text;
  UINT m_textFormat = DT_NOPREFIX;
  RECT m_textPadding = {};
  int m_rotation = 0;      // degrees, background image only
  HFONT m_font = nullptr;  // not owned: the skin's font list keeps it
  COLORREF m_textColor = 0x010101;
  COLORREF m_disabledTextColor;
  ImageSpec m_bkImage;
};

}  // namespace ZOV
