// The table of control type codes and script classes.
#include "ControlClass.h"

namespace lua_tinker {

const char* control_class_name(int typeCode) {
  static const char* const names[kTemplateControlType] = {
      nullptr,                // 0: plain control
      "LuaControlContainer",  // 1
      "LuaStatic",            // 2
      "LuaButton",            // 3
      "LuaEdit",              // 4
      "LuaComboBox",          // 5
      "LuaCheckBox",          // 6
      "LuaRadioButton",       // 7
      "LuaProgressBar",       // 8
      "LuaTabCtrl",           // 9: tab control
      "LuaList",              // 10
      nullptr,                // 11: no class entry (linear layouts)
      nullptr,                // 12: no class entry
      "LuaRichEdit",          // 13
  };
  if (typeCode < 0 || typeCode >= kTemplateControlType) return nullptr;
  return names[typeCode];
}

}  // namespace lua_tinker
