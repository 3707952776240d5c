// The object holder: what a script sees as an engine object is a full userdata of two
// machine words, a ptr2user<T> holding the raw pointer. The holder never owns the object.
//
// Recognising a holder: any C code may hand a script a userdata of its own (the host program
// binds its own objects), so the first word of a userdata of our size is compared with the
// vtables of the holders this module made. Its type node then says which class the object
// is, and the registered parent chain says whether it may be used as the class a method
// expects.
#pragma once

#include <cstring>
#include <type_traits>

#include "TypeNode.h"
#include "lua.hpp"

namespace lua_tinker {

struct user {
  explicit user(void* p) : m_p(p) {}
  virtual ~user() {}
  void* m_p;  // not owned
};

template <typename T>
struct ptr2user : user {
  explicit ptr2user(T* p) : user(const_cast<void*>(static_cast<const void*>(p))) {}
  ~ptr2user() override {}
};

static_assert(sizeof(ptr2user<int>) == 2 * sizeof(void*), "a holder is two machine words");

// The holder at idx when it is one of ours (alive: a collected holder is zeroed), else null.
inline user* to_holder(lua_State* L, int idx, const type_node** node) {
  // lua_touserdata also answers light userdata, whose lua_objlen is 0.
  void* ud = lua_touserdata(L, idx);
  if (!ud || lua_objlen(L, idx) != sizeof(user)) return nullptr;
  const void* vptr;
  std::memcpy(&vptr, ud, sizeof(vptr));
  *node = holder_node(vptr);
  return *node ? static_cast<user*>(ud) : nullptr;
}

// The object at idx as a pointer to the class of `want` (adjusted for where that class sits in
// the object), or null when idx holds no object of that class or of a class derived from it.
inline void* to_object(lua_State* L, int idx, const type_node& want) {
  void* ud = lua_touserdata(L, idx);
  if (!ud || lua_objlen(L, idx) != sizeof(user)) return nullptr;
  const void* vptr;
  std::memcpy(&vptr, ud, sizeof(vptr));
  if (vptr && vptr == want.holder_vptr) return static_cast<user*>(ud)->m_p;
  const type_node* have = holder_node(vptr);
  return have ? cast_up(static_cast<user*>(ud)->m_p, have, want) : nullptr;
}

template <typename T>
T* to_object(lua_State* L, int idx) {
  return static_cast<T*>(to_object(L, idx, class_node<std::remove_cv_t<T>>));
}

}  // namespace lua_tinker
