// Objects whose script class follows their run-time type code: controls.
//
// A control reaches a script as an object of the class that its type code names
// (control_class_name). The control library binds each code to its C++ class once:
//
//   lua_tinker::bind_control_type<CUIControl, CUICheckBox, 6>();
//
// and routes every control pointer through push_control by specialising object_pusher, so
// that method results, global objects and call-by-name arguments of type CUIControl* all
// take the run-time class:
//
//   template <> struct lua_tinker::object_pusher<ZOV::CUIControl> {
//     static void push(lua_State* L, ZOV::CUIControl* c) {
//       lua_tinker::push_control(L, c, c ? (int)c->GetType() : 0);
//     }
//   };
//
// The object is converted to its code's class with dynamic_cast, not trusted: a script can
// change a control's type code (SetType), and a control whose code names a class it is not
// an instance of reaches scripts as nil rather than with that class's methods.
#pragma once

#include <type_traits>

#include "Push.h"

namespace lua_tinker {

// Type code of a control made from a control template.
constexpr int kTemplateControlType = 14;

// The class named by a type code; null for codes without a class entry (0, 11, 12, out of
// range) and for kTemplateControlType, whose class is the template's own.
const char* control_class_name(int typeCode);

template <typename Base>
struct control_types {
  using pusher = void (*)(lua_State* L, Base* obj);
  static inline pusher by_code[kTemplateControlType + 1] = {};
};

// Binds type code Code (one with a class entry) to the C++ class Derived.
template <typename Base, typename Derived, int Code>
void bind_control_type() {
  static_assert(std::is_polymorphic_v<Base> && std::is_base_of_v<Base, Derived>);
  static_assert(Code > 0 && Code < kTemplateControlType, "codes with a class of their own");
  control_types<Base>::by_code[Code] = [](lua_State* L, Base* obj) {
    push_as(L, dynamic_cast<Derived*>(obj), control_class_name(Code));
  };
}

// Hook for template controls (type code 14). The template code sets it: it pushes the
// instance with the template's class table as metatable (push_as with the template's name)
// after writing the instance's event bindings into that table. Unset, such controls are nil.
template <typename Base>
void set_template_control_pusher(typename control_types<Base>::pusher hook) {
  control_types<Base>::by_code[kTemplateControlType] = hook;
}

// Pushes obj as an object of the class its type code names; nil for a null pointer, a code
// without a class or bound C++ class, or an object that is not of that class.
template <typename Base>
void push_control(lua_State* L, Base* obj, int typeCode) {
  typename control_types<Base>::pusher p = nullptr;
  if (obj && typeCode > 0 && typeCode <= kTemplateControlType) p = control_types<Base>::by_code[typeCode];
  if (p)
    p(L, obj);
  else
    lua_pushnil(L);
}

}  // namespace lua_tinker
