// The bridge's information operations for skins: the program's version, the user's interface
// language, how the program was started, and text trimmed of the line breaks devices end their answers with.
#include <windows.h>

#include <string>

#include "GuiAdbLogic.h"
#include "QuillonVersion.h"

int CGuiAdbLogic::OnGetVersion(ScriptValue, ScriptValue, ScriptValue& result) {
  result = ScriptValue(QUILLON_VERSION_TEXT);
  return 0;
}

// The language id of the user's interface (0x0804 Chinese, Simplified; 0x0409 English, United
// States); a skin picks its texts by the primary language, the low 10 bits.
int CGuiAdbLogic::OnGetUILanguage(ScriptValue, ScriptValue, ScriptValue& result) {
  result = ScriptValue((int)::GetUserDefaultUILanguage());
  return 0;
}

// 1 when the program was started to sit in the notification area (--tray, as at sign-in): the
// skin then keeps its window hidden until the tray icon or a second start shows it.
int CGuiAdbLogic::OnStartsInTray(ScriptValue, ScriptValue, ScriptValue& result) {
  result = ScriptValue(m_startInTray ? 1 : 0);
  return 0;
}

// a as text without leading and trailing white space, each line break inside it a space
// (a device's model arrives as "QTest Phone 9\n"). Not text: nil.
int CGuiAdbLogic::OnTrimText(ScriptValue a, ScriptValue, ScriptValue& result) {
  const char* text = a.AsString();
  if (!text) return 0;
  std::string s(text);
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  size_t first = 0, last = s.size();
  while (first < last && blank(s[first])) ++first;
  while (last > first && blank(s[last - 1])) --last;
  std::string out;
  out.reserve(last - first);
  for (size_t i = first; i < last; ++i) {
    char c = s[i];
    if (c == '\r' && i + 1 < last && s[i + 1] == '\n') continue;  // CR LF: one break
    out.push_back(c == '\r' || c == '\n' ? ' ' : c);
  }
  result = ScriptValue(out);
  return 0;
}
