// The process's link table.
#include "LinkTable.h"

#include "ChannelRenter.h"
#include "ControlFrame.h"
#include "LinkCallbacks.h"
#include "PhoneLink.h"
#include "share.h"

CLinkTable& CLinkTable::Instance() {
  static CLinkTable s_table;
  return s_table;
}

CLinkTable::CLinkTable() {}

CLinkTable::~CLinkTable() {}

std::string CLinkTable::CurrentIdentity() {
  win::ScopedLock hold(m_identityLock);
  return m_current;
}

void CLinkTable::SetCloser(ISocketCloser* closer) {
  win::ScopedLock hold(m_lock);
  m_closer = closer;
  for (auto& entry : m_links) entry.second->SetCloser(closer);
}

void CLinkTable::CloseSocket(SOCKET s) {
  ISocketCloser* closer;
  {
    win::ScopedLock hold(m_lock);
    closer = m_closer;
  }
  CloseThrough(closer, s);
}

void CLinkTable::Attach(SOCKET s, IPortForwarder* forwarder, bool usb) {
  if (s == INVALID_SOCKET) return;
  ShareLib::TCPSend(s, phonelink::kHandshake, phonelink::kHandshakeSize);  // no reply is read
  std::string identity = CurrentIdentity();
  win::ScopedLock hold(m_lock);
  auto it = m_links.find(identity);
  CPhoneLink* link = it != m_links.end() ? it->second.get() : nullptr;
  if (!link) {
    try {
      std::unique_ptr<CPhoneLink> made(new CPhoneLink(forwarder));
      made->SetCloser(m_closer);
      link = made.get();
      m_links[identity] = std::move(made);
    } catch (...) {
      CloseThrough(m_closer, s);  // nobody else would; it may be read already
      return;
    }
  }
  if (usb) link->AttachUsb(s);
  else link->AttachWifi(s);
}

CPhoneLink* CLinkTable::CurrentLocked() {
  auto it = m_links.find(m_current);
  return it != m_links.end() ? it->second.get() : nullptr;
}

CPhoneLink* CLinkTable::CurrentLink() {
  std::string identity = CurrentIdentity();
  win::ScopedLock hold(m_lock);
  auto it = m_links.find(identity);
  return it != m_links.end() ? it->second.get() : nullptr;
}

CPhoneLink* CLinkTable::FindLocked(SOCKET s) {
  for (auto& entry : m_links)
    if (entry.second->Holds(s)) return entry.second.get();
  return nullptr;
}

LinkSnapshot CLinkTable::Snapshot(SOCKET s) {
  LinkSnapshot snap;
  win::ScopedLock hold(m_lock);
  CPhoneLink* link = FindLocked(s);
  if (!link) return snap;
  snap.found = true;
  snap.socketIsUsb = link->UsbSocket() == s;
  snap.socketIsRetired = link->IsRetired(s);
  snap.usbValid = link->UsbSocket() != INVALID_SOCKET;
  snap.usbConfirmed = link->UsbConfirmed();
  snap.wifiValid = link->WifiSocket() != INVALID_SOCKET;
  return snap;
}

bool CLinkTable::RemoveSocket(SOCKET s) {
  std::unique_ptr<CPhoneLink> released;  // destroyed after the lock is left
  win::ScopedLock hold(m_lock);
  for (auto it = m_links.begin(); it != m_links.end(); ++it) {
    if (!it->second->Holds(s)) continue;
    it->second->RemoveSocket(s);
    if (!it->second->IsUp()) {
      released = std::move(it->second);
      m_links.erase(it);
    }
    return true;
  }
  return false;
}

bool CLinkTable::ConfirmUsb(SOCKET s) {
  if (s == INVALID_SOCKET) return false;
  win::ScopedLock hold(m_lock);
  for (auto& entry : m_links) {
    if (entry.second->UsbSocket() == s) {
      entry.second->ConfirmUsb();
      return true;
    }
  }
  return false;
}

int CLinkTable::Send(uint16_t type, const void* payload, size_t length) {
  std::string identity = CurrentIdentity();
  win::ScopedLock hold(m_lock);
  auto it = m_links.find(identity);
  if (it == m_links.end()) return 0;
  it->second->Send(type, payload, length);  // a failed write is only logged
  return (int)length;
}

CChannel* CLinkTable::OpenChannel(uint16_t port, CChannelRenter* renter) {
  std::string identity = CurrentIdentity();
  win::ScopedLock hold(m_lock);
  auto it = m_links.find(identity);
  if (it == m_links.end()) return nullptr;
  CChannel* channel = it->second->ChannelForPort(port, renter);
  if (channel && renter) renter->Add(channel);
  return channel;
}

void CLinkTable::ForgetRenter(CChannelRenter* renter) {
  if (!renter) return;
  win::ScopedLock hold(m_lock);
  for (auto& entry : m_links) entry.second->ForgetRenter(renter);
}

void CLinkTable::Clear() {
  std::map<std::string, std::unique_ptr<CPhoneLink>> links;
  {
    win::ScopedLock hold(m_lock);
    for (auto& entry : m_links) entry.second->End();
    links.swap(m_links);
  }
}

size_t CLinkTable::LinkCount() {
  win::ScopedLock hold(m_lock);
  return m_links.size();
}
