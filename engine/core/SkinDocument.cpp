// SkinDocument: reading, parsing and the guard against documents that include themselves.
#include "SkinDocument.h"

#include <set>

#include "Engine.h"
#include "ErrorReport.h"
#include "TextConv.h"

namespace ZOV {

namespace {

// Paths of the documents being read, UI thread only.
std::set<std::string>& Reading() {
  static std::set<std::string> paths;
  return paths;
}

template <typename... Args>
void Report(const char* fmt, Args... args) {
  if (lua_State* L = CEngine::Instance().LuaState()) lua_tinker::print_error(L, fmt, args...);
}

}  // namespace

SkinDocument::~SkinDocument() {
  if (!m_path.empty()) Reading().erase(m_path);
}

bool SkinDocument::Load(const char* path, Missing missing) {
  if (!path || !m_path.empty()) return false;
  if (Reading().count(path)) {
    Report("%s: the document includes itself", path);
    return false;
  }
  std::string bytes;
  CEngine::Instance().SkinLoader().ReadSkinFile(text::Utf8ToWide(path), bytes);
  if (bytes.empty()) {
    if (missing == kReportMissing) Report("%s: no such document in the skin", path);
    return false;
  }
  m_text.assign(bytes.begin(), bytes.end());
  m_text.push_back('\0');
  try {
    m_doc.parse<0>(m_text.data());
  } catch (const rapidxml::parse_error& e) {
    Report("%s: XML error: %s", path, e.what());
    return false;
  } catch (...) {
    return false;
  }
  m_path = path;
  Reading().insert(m_path);
  return true;
}

const XmlNode* SkinDocument::FirstElement() const {
  for (const XmlNode* n = m_doc.first_node(); n; n = n->next_sibling())
    if (n->type() == rapidxml::node_element) return n;
  return nullptr;
}

}  // namespace ZOV
