// Windows reach scripts by their run-time class: a popup menu as "LuaMenuWnd" (a "LuaHostWnd"
// with TrackPopupMenu and EndMenu), so that an item's handler can end the menu it is in
// through GetHostWnd. Include this before pushing CHostWnd*.
#pragma once

#include "MenuWnd.h"
#include "Push.h"

namespace lua_tinker {

template <>
struct object_pusher<ZOV::CHostWnd> {
  static void push(lua_State* L, ZOV::CHostWnd* wnd) {
    if (auto* menu = dynamic_cast<ZOV::CMenuWnd*>(wnd))
      push_object(L, menu);
    else
      push_object(L, wnd);
  }
};

}  // namespace lua_tinker
