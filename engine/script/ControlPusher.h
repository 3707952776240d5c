// Controls reach scripts by their run-time class: include this before pushing CUIControl*.
#pragma once

#include "ControlClass.h"
#include "UIControl.h"

namespace lua_tinker {

template <>
struct object_pusher<ZOV::CUIControl> {
  static void push(lua_State* L, ZOV::CUIControl* c) { push_control(L, c, c ? c->GetType() : 0); }
};

}  // namespace lua_tinker
