// The list of known holder types and the walk up the parent chain.
#include "TypeNode.h"

#include <cstring>

namespace lua_tinker {

namespace {

const type_node* g_known = nullptr;  // UI thread only

// Class trees are a few levels deep; the bound stops a walk that could never end.
constexpr int kMaxDepth = 64;

}  // namespace

void register_holder(type_node& n, const void* holder) {
  if (n.holder_vptr) return;
  std::memcpy(&n.holder_vptr, holder, sizeof(n.holder_vptr));
  n.next_known = g_known;
  g_known = &n;
}

const type_node* holder_node(const void* vptr) {
  if (!vptr) return nullptr;
  for (const type_node* n = g_known; n; n = n->next_known)
    if (n->holder_vptr == vptr) return n;
  return nullptr;
}

void* cast_up(void* held, const type_node* have, const type_node& want) {
  for (int depth = 0; have && depth < kMaxDepth; ++depth) {
    if (have == &want) return held;
    if (!have->to_parent) return nullptr;
    held = have->to_parent(held);
    have = have->parent;
  }
  return nullptr;
}

}  // namespace lua_tinker
