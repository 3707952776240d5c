// Attribute access on the skin's documents (rapidxml, names compared case-sensitively).
#pragma once

#include <rapidxml/rapidxml.hpp>

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

}  // namespace ZOV
