// Per-type records of the binding: each bound C++ type's script class name, its registered
// parent type, and the vtable that marks the object holders made for it.
#pragma once

#include <cstddef>

namespace lua_tinker {

// Longest script class name, with its terminating zero.
constexpr std::size_t kClassNameSize = 256;

// One per C++ type, process-wide, touched on the UI thread only. Zero-initialised: a type
// never registered has an empty name, no parent and no holders yet.
struct type_node {
  char name[kClassNameSize];    // script class name, filled by class_add
  const type_node* parent;      // set by class_inh
  void* (*to_parent)(void*);    // converts a pointer to this type into one to the parent
  const void* holder_vptr;      // vtable of ptr2user<T>, recorded when the first holder is made
  const type_node* next_known;  // list of the nodes whose holder_vptr is set
};

template <typename T>
inline type_node class_node{};

// Records n's holder vtable (read from holder, a live ptr2user<T>) so that holders of T can
// be recognised among arbitrary userdata.
void register_holder(type_node& n, const void* holder);
// The node whose holders carry this vtable, or null for anything that is not our holder.
const type_node* holder_node(const void* vptr);
// The held pointer of a holder of type `have`, converted along the registered parent chain to
// a pointer of type `want`; null when `want` is not on the chain.
void* cast_up(void* held, const type_node* have, const type_node& want);

}  // namespace lua_tinker
