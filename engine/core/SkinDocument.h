// A parsed XML document of the skin package.
#pragma once

#include <string>
#include <vector>

#include <rapidxml/rapidxml.hpp>

#include "XmlAttr.h"

namespace ZOV {

// The text buffer lives as long as the nodes that point into it. While a document is loaded,
// loading the same path again fails: a document that includes itself (through "include",
// a template body or a script it runs) would otherwise be read without end.
class SkinDocument {
 public:
  SkinDocument() = default;
  ~SkinDocument();
  SkinDocument(const SkinDocument&) = delete;
  SkinDocument& operator=(const SkinDocument&) = delete;

  enum Missing { kQuietWhenMissing, kReportMissing };
  // False when the document is missing, empty, malformed or already being read. Malformed and
  // self-including documents are reported through _ALERT with their path; missing or empty
  // ones only with kReportMissing.
  bool Load(const char* path, Missing missing = kQuietWhenMissing);
  const XmlNode* FirstElement() const;

 private:
  std::string m_path;  // set while this document holds its place among the ones being read
  std::vector<char> m_text;
  rapidxml::xml_document<char> m_doc;
};

}  // namespace ZOV
