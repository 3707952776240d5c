// Reactions of the program to control messages, closed and aborted control sockets, and
// sockets found by discovery:
//   0x0101 leave      stop streaming; the socket leaves the table (closed once); "Disconnect";
//                     the address watch starts again unless it runs
//   0x0110 confirmed  the USB socket is confirmed; "Connected"
//   0x0112 state      "StateSync" with the phone's value
//   closed            "Disconnect" unless the link keeps a confirmed USB and a Wi-Fi socket,
//                     the socket was replaced by a newer one, or no link holds it; then as
//                     aborted
//   aborted           the socket leaves the table (a replaced one is closed alone); a current
//                     USB socket is forwarded and reconnected; "Disconnect" when that leaves
//                     the phone with no link (a reset, or a connection that died under us)
//   found             keep-alive; the address watch stops; filed as Wi-Fi; added to the server
#include "LinkReactions.h"

#include "ControlFrame.h"
#include "LinkTable.h"
#include "PortForwarder.h"
#include "share.h"

void CLinkReactions::OnReceived(SOCKET s, const unsigned char* data, int length) {
  phonelink::ControlMessage m = phonelink::ParseControlRead(data, length);
  switch (m.kind) {
    case phonelink::ControlMessage::Leave:
      m_host.StopStreaming();
      // The table closes the socket; when no link held it, it is closed here, once.
      if (!m_table.RemoveSocket(s)) m_table.CloseSocket(s);
      m_host.RaiseEvent("Disconnect", 0);
      m_host.StartAddressWatch();
      break;
    case phonelink::ControlMessage::UsbConfirmed:
      m_table.ConfirmUsb(s);
      m_host.RaiseEvent("Connected", 0);
      break;
    case phonelink::ControlMessage::StateSync:
      m_host.RaiseEvent("StateSync", (int)m.value);
      break;
    default:
      break;
  }
}

bool CLinkReactions::OnClosed(SOCKET s) {
  LinkSnapshot snap = m_table.Snapshot(s);
  // A replaced socket going away leaves the phone linked by its newer one; a socket no link
  // holds tells nothing of the phone's link.
  if (snap.found && !snap.socketIsRetired && !(snap.usbValid && snap.usbConfirmed && snap.wifiValid))
    m_host.RaiseEvent("Disconnect", 0);
  return DropAndReconnect(s, nullptr);
}

void CLinkReactions::OnAborted(SOCKET s) {
  LinkSnapshot snap = m_table.Snapshot(s);
  bool reconnected = false;
  if (!DropAndReconnect(s, &reconnected) || snap.socketIsRetired || reconnected) return;
  // The other control socket, when there is one that counts, keeps the phone linked.
  bool otherKeepsLink = snap.socketIsUsb ? snap.wifiValid : (snap.usbValid && snap.usbConfirmed);
  if (!otherKeepsLink) m_host.RaiseEvent("Disconnect", 0);
}

bool CLinkReactions::DropAndReconnect(SOCKET s, bool* reconnected) {
  LinkSnapshot snap = m_table.Snapshot(s);
  if (!snap.found) return false;
  m_table.RemoveSocket(s);
  if (snap.socketIsUsb) {
    SOCKET fresh = m_host.ReconnectUsb();
    if (fresh != INVALID_SOCKET) {
      // Filed before it is read, so that every report about it finds its link.
      m_table.Attach(fresh, m_host.Forwarder(), true);
      m_host.AddToServer(fresh);
      if (reconnected) *reconnected = true;
    }
  }
  return true;
}

void CLinkReactions::OnFound(SOCKET s, uint32_t, uint16_t) {
  ShareLib::SetKeepAlive(s, kKeepAliveIdleMs, kKeepAliveIntervalMs);
  m_host.StopAddressWatch();
  m_table.Attach(s, m_host.Forwarder(), false);
  m_host.AddToServer(s);
  // The skin shows the Wi-Fi link as soon as it exists; a USB link is shown on "Connected".
  m_host.RaiseEvent("WifiConnected", 0);
}

SOCKET ConnectUsbControl(IPortForwarder* forwarder) {
  if (!forwarder || forwarder->Forward(CLinkReactions::kUsbControlPort, CLinkReactions::kUsbControlPort) != 0)
    return INVALID_SOCKET;
  SOCKET s = ShareLib::TCPSocket(false);
  if (s == INVALID_SOCKET) return s;
  if (!ShareLib::TCPConnect(s, htonl(INADDR_LOOPBACK), CLinkReactions::kUsbControlPort)) {
    ShareLib::CloseSocket(s);
    return INVALID_SOCKET;
  }
  return s;
}
