#include "Firewall.h"

#include <windows.h>
#include <oleauto.h>
#include <shellapi.h>
// The firewall's class and interface ids are defined here: not every libuuid has them.
#include <initguid.h>
#include <netfw.h>

#include "ScopedWin.h"
#include "TextConv.h"

namespace firewall {
namespace {

// The elevated copy only talks to the firewall: a second or two; the bound covers a slow PC.
const DWORD kElevatedWaitMs = 30000;

// A BSTR for one call.
class Bstr {
 public:
  explicit Bstr(const std::wstring& s) : m_s(::SysAllocStringLen(s.data(), (UINT)s.size())) {}
  ~Bstr() { ::SysFreeString(m_s); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  operator BSTR() const { return m_s; }

 private:
  BSTR m_s;
};

class ComScope {
 public:
  ComScope() : m_hr(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComScope() {
    if (SUCCEEDED(m_hr)) ::CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  HRESULT m_hr;
};

std::wstring Hex(HRESULT hr) {
  wchar_t b[16];
  swprintf(b, 16, L"0x%08lX", (unsigned long)hr);
  return b;
}

int Fail(HRESULT hr, const std::wstring& what, std::wstring* message) {
  if (hr == E_ACCESSDENIED || hr == HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED)) {
    *message = what + L": administrator rights are needed; run it elevated.";
    return kNeedsAdmin;
  }
  *message = what + L": the firewall refused (" + Hex(hr) + L").";
  return kFailed;
}

HRESULT OpenRules(win::ComPtr<INetFwRules>* rules) {
  win::ComPtr<INetFwPolicy2> policy;
  HRESULT hr = ::CoCreateInstance(CLSID_NetFwPolicy2, nullptr, CLSCTX_INPROC_SERVER, IID_INetFwPolicy2,
                                  reinterpret_cast<void**>(policy.put()));
  if (FAILED(hr)) return hr;
  return policy->get_Rules(rules->put());
}

HRESULT AddRule(INetFwRules* rules, const Rule& r) {
  win::ComPtr<INetFwRule> rule;
  HRESULT hr = ::CoCreateInstance(CLSID_NetFwRule, nullptr, CLSCTX_INPROC_SERVER, IID_INetFwRule,
                                  reinterpret_cast<void**>(rule.put()));
  if (FAILED(hr)) return hr;
  // The protocol before the ports: ports are refused on a rule for any protocol.
  HRESULT steps[] = {
      rule->put_Name(Bstr(r.name)),
      rule->put_Description(Bstr(r.description)),
      rule->put_Grouping(Bstr(r.grouping)),
      rule->put_ApplicationName(Bstr(r.program)),
      rule->put_Protocol(r.protocol),
      rule->put_LocalPorts(Bstr(r.localPorts)),
      rule->put_RemoteAddresses(Bstr(r.remoteAddresses)),
      rule->put_Profiles(r.profiles),
      rule->put_Direction((NET_FW_RULE_DIRECTION)r.direction),
      rule->put_Action((NET_FW_ACTION)r.action),
      rule->put_Enabled(VARIANT_TRUE),
  };
  for (HRESULT step : steps)
    if (FAILED(step)) return step;
  return rules->Add(rule.get());
}

// Writes one line where the caller can see it: the inherited standard error, else the console
// of the process that started this one.
void Say(const std::wstring& line) {
  HANDLE err = ::GetStdHandle(STD_ERROR_HANDLE);
  if (!err || err == INVALID_HANDLE_VALUE) {
    if (::AttachConsole(ATTACH_PARENT_PROCESS)) err = ::GetStdHandle(STD_ERROR_HANDLE);
  }
  std::string text = text::WideToUtf8(line + L"\r\n");
  DWORD written = 0;
  if (err && err != INVALID_HANDLE_VALUE) ::WriteFile(err, text.data(), (DWORD)text.size(), &written, nullptr);
  ::OutputDebugStringW(line.c_str());
}

std::wstring ProgramPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = ::GetModuleFileNameW(nullptr, &path[0], (DWORD)path.size());
    if (n == 0) return L"";
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace

int AddRules(const std::vector<Rule>& rules, std::wstring* message) {
  if (rules.empty()) {
    *message = L"No firewall rules to add: the program's path is not a full path.";
    return kFailed;
  }
  ComScope com;
  win::ComPtr<INetFwRules> set;
  HRESULT hr = OpenRules(&set);
  if (FAILED(hr)) return Fail(hr, L"The Windows firewall cannot be opened", message);
  for (const Rule& r : rules) {
    set->Remove(Bstr(r.name));  // an older rule of the same name (another path) goes first
    hr = AddRule(set.get(), r);
    if (FAILED(hr)) return Fail(hr, L"The firewall rule \"" + r.name + L"\" cannot be added", message);
  }
  *message = L"Phones on the local network may now reach Quillon through the Windows firewall.";
  return kOk;
}

int RemoveRules(const std::vector<std::wstring>& names, std::wstring* message) {
  ComScope com;
  win::ComPtr<INetFwRules> set;
  HRESULT hr = OpenRules(&set);
  if (FAILED(hr)) return Fail(hr, L"The Windows firewall cannot be opened", message);
  for (const std::wstring& name : names) {
    // Remove succeeds when no rule has the name: removing twice is no error.
    hr = set->Remove(Bstr(name));
    if (FAILED(hr)) return Fail(hr, L"The firewall rule \"" + name + L"\" cannot be removed", message);
  }
  *message = L"Quillon's firewall rules were removed.";
  return kOk;
}

int AllowElevated() {
  std::wstring path = ProgramPath();
  SHELLEXECUTEINFOW run = {};
  run.cbSize = sizeof(run);
  run.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  run.lpVerb = L"runas";
  run.lpFile = path.c_str();
  run.lpParameters = kAllowFirewallSwitch;
  run.nShow = SW_HIDE;
  if (!::ShellExecuteExW(&run) || !run.hProcess) return -1;
  win::AutoHandle process(run.hProcess);
  DWORD code = 0;
  if (::WaitForSingleObject(process.get(), kElevatedWaitMs) != WAIT_OBJECT_0 ||
      !::GetExitCodeProcess(process.get(), &code))
    return -1;
  return (int)code;
}

bool HandleCommandLine(const StartOptions& options, int* exitCode) {
  if (!options.allowFirewall && !options.removeFirewall) return false;
  std::wstring message;
  if (options.argumentCount != 1) {
    message = std::wstring(L"Use ") + kAllowFirewallSwitch + L" or " + kRemoveFirewallSwitch + L" alone.";
    *exitCode = kBadSwitch;
  } else if (options.allowFirewall) {
    *exitCode = AddRules(QuillonRules(ProgramPath()), &message);
  } else {
    *exitCode = RemoveRules(QuillonRuleNames(), &message);
  }
  Say(message);
  return true;
}

}  // namespace firewall
