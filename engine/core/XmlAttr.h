// Attribute access on the skin's documents (rapidxml, names compared case-sensitively).
#pragma once

#include <rapidxml/rapidxml.hpp>

#include <cstddef>
#include <cstring>

namespace ZOV {

typedef rapidxml::xml_node<char> XmlNode;
typedef rapidxml::xml_attribute<char> XmlAttribute;

// The attribute's value, or null when the element has no such attribute.
inline const char* Attr(const XmlNode* node, const char* name) {
  const XmlAttribute* a = node ? node->first_attribute(name) : nullptr;
  return a ? a->value() : nullptr;
}

// The attribute's value, or def when absent.
inline const char* AttrOr(const XmlNode* node, const char* name, const char* def) {
  const char* v = Attr(node, name);
  return v ? v : def;
}

// Applies a control's attribute table to an element: every attribute whose name a row has,
// in document order, so that a later duplicate wins. A row is {name, apply}, and apply is
// called with the targets and the value.
template <typename Row, std::size_t N, typename... Targets>
void ApplyAttributeTable(const XmlNode* element, const Row (&table)[N], Targets&... targets) {
  for (const XmlAttribute* a = element->first_attribute(); a; a = a->next_attribute()) {
    for (const Row& row : table) {
      if (std::strcmp(a->name(), row.name) == 0) {
        row.apply(targets..., a->value());
        break;
      }
    }
  }
}

}  // namespace ZOV
