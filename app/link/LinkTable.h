// CLinkTable: the process's phone links, by phone identity. Every control socket is filed
// under the empty identity, so all of them belong to one phone link, the current one.
#pragma once

#include <winsock2.h>
#include <stdint.h>

#include <map>
#include <memory>
#include <string>

#include <ScopedWin.h>

class CChannel;
class CChannelRenter;
class CPhoneLink;
class IPortForwarder;
class ISocketCloser;

// What the reactions need to know of the phone link that holds a socket, taken under the lock.
struct LinkSnapshot {
  bool found = false;
  bool socketIsUsb = false;
  bool socketIsRetired = false;  // replaced by a newer socket of the same kind
  bool usbValid = false;
  bool usbConfirmed = false;
  bool wifiValid = false;
};

class CLinkTable {
 public:
  static CLinkTable& Instance();  // made on first use, destroyed at exit

  CLinkTable();
  ~CLinkTable();
  CLinkTable(const CLinkTable&) = delete;
  CLinkTable& operator=(const CLinkTable&) = delete;

  // Control sockets are closed through closer from here on (the completion server that reads
  // them), or directly with none.
  void SetCloser(ISocketCloser* closer);
  // Closes a socket no link holds, through the closer.
  void CloseSocket(SOCKET s);
  // Writes the "pcid" handshake, then files the socket: as the USB or Wi-Fi socket of the
  // current phone link, which is made when there is none.
  void Attach(SOCKET s, IPortForwarder* forwarder, bool usb);
  // The current phone link, or null. Only for a caller that knows no other thread removes
  // links meanwhile (tests); the operations below work under the table lock instead.
  CPhoneLink* CurrentLink();
  LinkSnapshot Snapshot(SOCKET s);
  // The phone link holding the socket closes it; a link no longer up is then removed and
  // released. Returns whether a link held the socket.
  bool RemoveSocket(SOCKET s);
  // Marks the USB socket of the link that holds it as confirmed. Returns whether one did.
  bool ConfirmUsb(SOCKET s);
  // One frame through the current link: the payload length (even when the write failed), or
  // 0 when there is no current link.
  int Send(uint16_t type, const void* payload, size_t length);
  // The current link's channel for port (made and opened when it has none), added to renter's
  // list, all under the table lock so the link cannot go meanwhile. Null without a link.
  CChannel* OpenChannel(uint16_t port, CChannelRenter* renter);
  // Every link forgets renter (its channels stay): called by a renter that goes away before
  // the links, so that dropping a channel later does not reach it.
  void ForgetRenter(CChannelRenter* renter);
  // Ends every phone link (leave message, channels dropped, sockets closed) and empties the
  // table. Called at shutdown.
  void Clear();
  size_t LinkCount();

 private:
  CPhoneLink* FindLocked(SOCKET s);  // table lock held
  CPhoneLink* CurrentLocked();       // table lock held
  std::string CurrentIdentity();

  win::CriticalSection m_lock;  // guards m_links and every link's socket fields
  std::map<std::string, std::unique_ptr<CPhoneLink>> m_links;
  ISocketCloser* m_closer = nullptr;  // not owned
  win::CriticalSection m_identityLock;  // guards m_current; taken before, never inside, m_lock
  std::string m_current;                // never changed: always the empty identity
};
