// CUIProgressBar: a static that shows a value between a minimum and a maximum as the filled
// part of its rect, in a solid colour and/or as the second frame of a two-frame image.
#pragma once

#include "ProgressFill.h"
#include "UIStatic.h"

namespace ZOV {

class CUIProgressBar : public CUIStatic {
 public:
  CUIProgressBar();

  std::shared_ptr<CUIControl> Clone() const override;
  // The static's attributes, then "horizontal", "reversedir", "min", "max", "value" (stored
  // as given), "forecolor", "corner" and "combineimage" for the progress image.
  int ParseAttributes(const XmlNode* element) override;
  // Frame 0 of the progress image over the whole rect, then the fill colour and frame 1 of the
  // image over the filled part.
  void PaintStatusImage(HDC hdc) override;

  // Script methods. SetValue stores at most max (no lower limit); each setter repaints.
  int GetValue() const { return m_range.value; }
  int GetMin() const { return m_range.min; }
  int GetMax() const { return m_range.max; }
  void SetValue(int value);
  void SetMin(int value);
  void SetMax(int value);

  const ProgressRange& GetRange() const { return m_range; }
  COLORREF GetForeColor() const { return m_foreColor; }

 private:
  ProgressRange m_range;
  COLORREF m_foreColor = 0;  // 0: no solid fill
  ImageSpec m_progressImage;
};

}  // namespace ZOV
