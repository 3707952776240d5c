// The bridge's side of phones on USB: device key, "DeviceInsert", and the link sequence on
// a ready device (model, app start or install, control port forward, USB control link),
// reported as "ConnectResult". Everything here runs on the device bridge library's threads.
#include "GuiAdbLogic.h"

#include <TextConv.h>

#include "LinkTable.h"
#include "share.h"

namespace {

const char kModelQuery[] = "getprop ro.product.model";
const char kAppComponent[] = "com.tovrel.quillon/com.tovrel.quillon.MainActivity";
const wchar_t kAppPackageFile[] = L"Quillon.apk";
const uint16_t kControlPort = 15568;

ScriptValue ConnectInfo(const char* deviceId, const std::string& model, bool usbLinked) {
  ScriptValue info;
  info["DeviceID"] = ScriptValue(deviceId ? deviceId : "");
  info["DeviceModel"] = ScriptValue(model);
  info["ConnectedByUSB"] = ScriptValue(usbLinked ? 1 : 0);
  return info;
}

}  // namespace

void CGuiAdbLogic::OnDeviceInsert(const wchar_t* serial, const char* description) {
  m_deviceKey.Set(MakeDeviceKey(serial ? serial : L""));
  std::string text = text::WideToUtf8(text::AnsiToWide(description ? description : ""));
  FireEvent("DeviceInsert", ScriptValue(text), ScriptValue(0));
}

void CGuiAdbLogic::OnDeviceRemove(uint32_t) {
  m_deviceKey.Clear();
  m_usbLinked = false;
}

void CGuiAdbLogic::OnDeviceReady(const char* deviceId, int status) {
  if (status == 0) {
    LinkUsbDevice(deviceId);
    return;
  }
  if (m_usbLinked) return;  // a linked phone's passing state is no news to the scripts
  FireEvent("ConnectResult", ScriptValue(status), ConnectInfo(deviceId, std::string(), false));
}

void CGuiAdbLogic::LinkUsbDevice(const char* deviceId) {
  m_addrWatchRunning = false;  // a USB phone: the address-change watch ends at its next check

  std::string model;
  m_kelp.shell(kModelQuery, model, 0, 0);

  bool linkable = m_kelp.startActivity(kAppComponent, nullptr);
  if (!linkable) {
    std::string output;
    int result = m_kelp.install(ShareLib::GetCurXFilePath(kAppPackageFile).c_str(), false, false, output);
    bool installed = result == 0 || m_kelp.isSucceed(output);
    if (installed) m_kelp.startActivity(kAppComponent, nullptr);
    linkable = installed;
  }

  if (linkable && m_kelp.forward(kControlPort, kControlPort) == 0) {
    SOCKET s = ShareLib::TCPSocket(false);
    if (s != INVALID_SOCKET && ShareLib::TCPConnect(s, htonl(INADDR_LOOPBACK), kControlPort)) {
      // Filed (the handshake written) before it is read, so that every report finds its link.
      CLinkTable::Instance().Attach(s, &m_forwarder, true);
      m_server.AddSocket(s);
    } else if (s != INVALID_SOCKET) {
      ShareLib::CloseSocket(s);
    }
    m_usbLinked = true;
  }
  FireEvent("ConnectResult", ScriptValue(0), ConnectInfo(deviceId, model, m_usbLinked));
}
