// CUIControl's geometry as scripts see it: skin units in, skin units out. Converting here,
// at the binding, keeps every engine-side caller in device pixels.
#include "DpiScale.h"
#include "UIControl.h"

namespace ZOV {

RECT CUIControl::ScriptGetPos() const { return Dpi().ToUnits(GetPos()); }
void CUIControl::ScriptSetPos(const RECT& rect) { SetPos(Dpi().ToDevice(rect)); }
void CUIControl::ScriptSetLeft(int x) { SetLeft(Dpi().ToDevice(x)); }
void CUIControl::ScriptSetTop(int y) { SetTop(Dpi().ToDevice(y)); }
void CUIControl::ScriptSetWidth(int w) { SetWidth(Dpi().ToDevice(w)); }
void CUIControl::ScriptSetHeight(int h) { SetHeight(Dpi().ToDevice(h)); }
int CUIControl::ScriptGetBorderSize() const { return Dpi().ToUnits(m_borderSize); }
void CUIControl::ScriptSetBorderSize(int size) { m_borderSize = Dpi().ToDevice(size); }

}  // namespace ZOV
