// A phone's control sockets and audio channels.
#include "PhoneLink.h"

#include "Channel.h"
#include "ChannelRenter.h"
#include "ControlFrame.h"
#include "LinkCallbacks.h"
#include "share.h"

CPhoneLink::CPhoneLink(IPortForwarder* forwarder) : m_forwarder(forwarder) {}

CPhoneLink::~CPhoneLink() {
  DropAllChannels();
  CloseThrough(m_closer, m_wifi);
  CloseThrough(m_closer, m_usb);
  CloseRetired();
}

bool CPhoneLink::Holds(SOCKET s) const {
  return s != INVALID_SOCKET && (s == m_usb || s == m_wifi || IsRetired(s));
}

bool CPhoneLink::IsRetired(SOCKET s) const {
  return s != INVALID_SOCKET && (s == m_retiredUsb || s == m_retiredWifi);
}

void CPhoneLink::Retire(SOCKET& retired, SOCKET replaced, SOCKET s) {
  if (replaced == INVALID_SOCKET || replaced == s || IsRetired(replaced)) return;
  // One replaced socket per path is kept: a phone that never closes its old connections (its
  // Wi-Fi dropped and came back many times in a day) would otherwise leave one open per return.
  CloseThrough(m_closer, retired);
  retired = replaced;
}

void CPhoneLink::CloseRetired() {
  CloseThrough(m_closer, m_retiredUsb);
  CloseThrough(m_closer, m_retiredWifi);
}

bool CPhoneLink::IsUp() const {
  return (m_usb != INVALID_SOCKET && m_usbConfirmed) || m_wifi != INVALID_SOCKET;
}

int CPhoneLink::Send(uint16_t type, const void* payload, size_t length) {
  std::vector<unsigned char> frame;
  try {
    frame = phonelink::BuildFrame(type, payload, length);
  } catch (...) {
    return 0;
  }
  SOCKET s = (m_usb != INVALID_SOCKET && m_usbConfirmed) ? m_usb : m_wifi;
  // Not retried: a short write leaves a cut frame; the error is fetched for diagnostics only.
  int n = ShareLib::TCPSend(s, frame.data(), (int)frame.size());
  if (n <= 0) (void)ShareLib::GetNetError();
  return n;
}

void CPhoneLink::AttachUsb(SOCKET s) {
  // A socket this one replaces stays open and read until its peer closes or resets it: the
  // reactions then close it through RemoveSocket.
  Retire(m_retiredUsb, m_usb, s);
  m_usb = s;
  m_usbConfirmed = false;
  win::ScopedLock hold(m_lock);
  for (auto& entry : m_channels) entry.second.first->ConnectStreamPath();
}

void CPhoneLink::AttachWifi(SOCKET s) {
  Retire(m_retiredWifi, m_wifi, s);
  m_wifi = s;
  // A channel made without an address keeps none: reopening needs the address it was made with.
  win::ScopedLock hold(m_lock);
  for (auto& entry : m_channels) entry.second.first->OpenDatagramPath();
}

bool CPhoneLink::RemoveSocket(SOCKET s) {
  for (SOCKET* retired : {&m_retiredUsb, &m_retiredWifi}) {
    if (s == INVALID_SOCKET || *retired != s) continue;
    CloseThrough(m_closer, *retired);
    return true;
  }
  bool held = false;
  if (s != INVALID_SOCKET && s == m_usb) {
    CloseThrough(m_closer, m_usb);
    m_usbConfirmed = false;
    held = true;
  } else if (s != INVALID_SOCKET && s == m_wifi) {
    CloseThrough(m_closer, m_wifi);
    held = true;
  }
  if (held) {
    win::ScopedLock hold(m_lock);
    for (auto& entry : m_channels) entry.second.first->CloseStreamSocket();
  }
  if (!IsUp()) DropAllChannels();
  return held;
}

CChannel* CPhoneLink::ChannelForPort(uint16_t port, CChannelRenter* renter) {
  {
    win::ScopedLock hold(m_lock);
    auto it = m_channels.find(port);
    if (it != m_channels.end()) return it->second.first.get();
  }
  uint32_t address = m_wifi != INVALID_SOCKET ? ShareLib::GetSocketRemoteIP(m_wifi) : 0xFFFFFFFFu;
  std::unique_ptr<CChannel> channel;
  try {
    channel.reset(new CChannel(address, m_forwarder));
  } catch (...) {
    return nullptr;
  }
  channel->Open(port);
  CChannel* raw = channel.get();
  win::ScopedLock hold(m_lock);
  try {
    m_channels[port] = ChannelEntry(std::move(channel), renter);
  } catch (...) {
    return nullptr;
  }
  return raw;
}

void CPhoneLink::ForgetRenter(CChannelRenter* renter) {
  win::ScopedLock hold(m_lock);
  for (auto& entry : m_channels)
    if (entry.second.second == renter) entry.second.second = nullptr;
}

void CPhoneLink::DropAllChannels() {
  win::ScopedLock hold(m_lock);
  for (auto& entry : m_channels) {
    if (entry.second.second) entry.second.second->Remove(entry.second.first.get());
    entry.second.first.reset();
  }
  m_channels.clear();
}

void CPhoneLink::End() {
  Send(phonelink::kMsgLeave, nullptr, 0);
  DropAllChannels();
  CloseThrough(m_closer, m_wifi);
  CloseThrough(m_closer, m_usb);
  CloseRetired();
  m_usbConfirmed = false;
}

size_t CPhoneLink::ChannelCount() {
  win::ScopedLock hold(m_lock);
  return m_channels.size();
}
