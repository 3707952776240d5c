// CPhoneLink: one phone's control sockets (one over the network, one over USB) and the audio
// channels opened to its ports. Owned by the link table, whose lock is held around every call
// that reads or writes the socket fields; the link's own lock guards only the channel map.
#pragma once

#include <winsock2.h>
#include <stdint.h>

#include <map>
#include <memory>
#include <utility>
#include <vector>

#include <ScopedWin.h>

class CChannel;
class CChannelRenter;
class IPortForwarder;
class ISocketCloser;

class CPhoneLink {
 public:
  explicit CPhoneLink(IPortForwarder* forwarder);
  ~CPhoneLink();  // drops the channels and closes both sockets
  CPhoneLink(const CPhoneLink&) = delete;
  CPhoneLink& operator=(const CPhoneLink&) = delete;

  // One frame of length + 8 bytes in one write: on the USB socket when it is valid and
  // confirmed, else on the Wi-Fi socket. Returns what the write returned.
  int Send(uint16_t type, const void* payload, size_t length);
  // Stores the USB socket, clears the confirmation, connects every channel's stream path.
  // A socket it replaces is kept as retired.
  void AttachUsb(SOCKET s);
  // Stores the Wi-Fi socket and reopens every channel's datagram path. A socket it replaces
  // is kept as retired.
  void AttachWifi(SOCKET s);
  // Closes the socket if it is one of the two (clearing the confirmation for USB) and every
  // channel's stream socket; drops all channels when the link is no longer up. A retired
  // socket is closed alone. Returns whether the link held the socket.
  bool RemoveSocket(SOCKET s);
  // The channel for port; made and opened (outside the channel lock) when there is none yet.
  CChannel* ChannelForPort(uint16_t port, CChannelRenter* renter);
  // Channels listed by renter are no longer said to be: renter is going away.
  void ForgetRenter(CChannelRenter* renter);
  // Tells each channel's renter to forget it, then destroys it.
  void DropAllChannels();
  // Sends the leave message, drops the channels, closes both sockets.
  void End();

  // Control sockets are closed through closer (the completion server that reads them); without
  // one, directly.
  void SetCloser(ISocketCloser* closer) { m_closer = closer; }
  void ConfirmUsb() { m_usbConfirmed = true; }
  bool IsUp() const;
  bool Holds(SOCKET s) const;
  bool IsRetired(SOCKET s) const;
  SOCKET UsbSocket() const { return m_usb; }
  SOCKET WifiSocket() const { return m_wifi; }
  bool UsbConfirmed() const { return m_usbConfirmed; }
  size_t ChannelCount();

 private:
  typedef std::pair<std::unique_ptr<CChannel>, CChannelRenter*> ChannelEntry;

  // Keeps replaced (when s replaces it) in retired, closing the socket that held that place.
  void Retire(SOCKET& retired, SOCKET replaced, SOCKET s);
  void CloseRetired();

  SOCKET m_wifi = INVALID_SOCKET;  // owned; table lock
  SOCKET m_usb = INVALID_SOCKET;   // owned; table lock
  bool m_usbConfirmed = false;     // table lock
  // The last replaced control socket of each path, still open and read by the completion server
  // until its peer closes or resets it, or another replaces it; owned, closed by RemoveSocket or
  // when the link ends. Table lock.
  SOCKET m_retiredUsb = INVALID_SOCKET;
  SOCKET m_retiredWifi = INVALID_SOCKET;
  IPortForwarder* m_forwarder;     // not owned
  ISocketCloser* m_closer = nullptr;  // not owned; table lock
  win::CriticalSection m_lock;     // guards m_channels
  std::map<uint16_t, ChannelEntry> m_channels;
};
