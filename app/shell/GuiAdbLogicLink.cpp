// The bridge's side of the phone link: the discovery and completion-server callbacks, handed
// to the link reactions, the address watch, and the "StartCapture"/"StopCapture" and
// "AllowFirewall" operations.
#include "GuiAdbLogic.h"

#include "ControlFrame.h"
#include "Firewall.h"
#include "LinkReactions.h"
#include "LinkTable.h"

// The reactions' view of the bridge; made on the stack for each callback.
class CBridgeLinkHost : public ILinkHost {
 public:
  explicit CBridgeLinkHost(CGuiAdbLogic* bridge) : m_bridge(bridge) {}
  void RaiseEvent(const char* name, int a) override { m_bridge->FireEvent(name, ScriptValue(a), ScriptValue(0)); }
  void StopStreaming() override { m_bridge->m_quillon.Stop(); }
  void StartAddressWatch() override { m_bridge->StartAddressWatch(); }
  void StopAddressWatch() override { m_bridge->m_addrWatchRunning = false; }
  void AddToServer(SOCKET s) override { m_bridge->m_server.AddSocket(s); }
  IPortForwarder* Forwarder() override { return &m_bridge->m_forwarder; }
  SOCKET ReconnectUsb() override { return ConnectUsbControl(&m_bridge->m_forwarder); }

 private:
  CGuiAdbLogic* m_bridge;
};

void CGuiAdbLogic::OnFound(SOCKET s, uint32_t address, uint16_t port) {
  CBridgeLinkHost host(this);
  CLinkReactions(CLinkTable::Instance(), host).OnFound(s, address, port);
}

void CGuiAdbLogic::OnAdd(SOCKET s) { m_server.AddSocket(s); }

void CGuiAdbLogic::OnReceived(SOCKET s, const unsigned char* data, int length) {
  CBridgeLinkHost host(this);
  CLinkReactions(CLinkTable::Instance(), host).OnReceived(s, data, length);
}

bool CGuiAdbLogic::OnClosed(SOCKET s) {
  CBridgeLinkHost host(this);
  return CLinkReactions(CLinkTable::Instance(), host).OnClosed(s);
}

void CGuiAdbLogic::OnAborted(SOCKET s) {
  CBridgeLinkHost host(this);
  CLinkReactions(CLinkTable::Instance(), host).OnAborted(s);
}

void CGuiAdbLogic::StartAddressWatch() { m_addrWatch.StartIfStopped(); }

void CGuiAdbLogic::RefreshDiscovery(void* bridge) { static_cast<CGuiAdbLogic*>(bridge)->m_finder.Refresh(); }

// Answers 1 when the sound goes to the phone, 0 when no link took the state sync (the capture
// is stopped again, and the skin must not show it playing).
int CGuiAdbLogic::OnStartCapture(ScriptValue a, ScriptValue, ScriptValue& result) {
  bool quiet = a.AsInt() != 0;
  m_quillon.Start(CLinkTable::Instance().CurrentLink());
  result = ScriptValue(1);
  if (quiet) return 0;
  uint32_t state = phonelink::kStateStreaming;
  if (CLinkTable::Instance().Send(phonelink::kMsgStateSync, &state, sizeof(state)) <= 0) {
    m_quillon.Stop();
    result = ScriptValue(0);
  }
  return 0;
}

int CGuiAdbLogic::OnStopCapture(ScriptValue a, ScriptValue, ScriptValue&) {
  bool quiet = a.AsInt() != 0;
  m_quillon.Stop();
  if (quiet) return 0;
  uint32_t state = phonelink::kStateStopped;
  CLinkTable::Instance().Send(phonelink::kMsgStateSync, &state, sizeof(state));
  return 0;
}

int CGuiAdbLogic::OnAllowFirewall(ScriptValue, ScriptValue, ScriptValue& result) {
  result = ScriptValue(firewall::AllowElevated());
  return 0;
}
