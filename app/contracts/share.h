// share.dll: sockets, audio capture and playback, and small process services for the program.
// Addresses travel in network byte order, ports in host order; a socket is an unsigned
// integer with all bits set (INVALID_SOCKET) meaning "no socket".
#pragma once

#include <winsock2.h>
#include <windows.h>
#include <stdint.h>
#include <string>

#ifdef SHARE_BUILD
#define SHARE_API __declspec(dllexport)
#else
#define SHARE_API __declspec(dllimport)
#endif

namespace ShareLib {

// ---- process services ----

// Holds a named mutex for the life of the process. When another process already holds it and
// exitIfRunning is set: the running copy's window (found by class and title) is restored and
// brought to the foreground when activateRunning is set, and this process ends. Returns true
// when this process is the only instance.
SHARE_API bool UniqueInstance(const wchar_t* mutexName, const wchar_t* windowClass,
                              const wchar_t* windowTitle, bool activateRunning, bool exitIfRunning);

// Installs an unhandled-exception filter that writes "<appName>-crash-<time>.dmp" (a minidump)
// and a short text report beside the program (where that folder cannot be written, in
// "%LOCALAPPDATA%\<program file's name>\"), then ends the process. flags is reserved (0).
SHARE_API bool InitBugHandler(const wchar_t* appName, int flags);

// Full path of a file in the running program's folder.
SHARE_API std::wstring GetCurXFilePath(const wchar_t* fileName);
// Size of a file in bytes, or -1 when it cannot be read.
SHARE_API int64_t GetFileSizeIndirect(const wchar_t* path);
// Display text for a size: "512 bytes", "1.5 MB", ...
SHARE_API std::wstring FileSizeToString(int64_t size);

// MD5 digest of a byte string; toString gives 32 lower-case hexadecimal digits.
class SHARE_API MD5 {
 public:
  explicit MD5(const std::string& data);
  MD5(const void* data, size_t length);
  std::string toString() const;
  const unsigned char* digest() const { return m_digest; }

 private:
  unsigned char m_digest[16];
};

// Starts Windows Sockets once for the process.
class SHARE_API CAutoWSA {
 public:
  static void Do();
};

// ---- sockets (Winsock 2) ----

SHARE_API SOCKET TCPSocket(bool nonBlocking);  // overlapped: can join a completion port
SHARE_API bool TCPConnect(SOCKET s, uint32_t address, uint16_t port);
SHARE_API bool TCPListen(SOCKET s, int backlog, uint16_t port, uint32_t address);
// Blocks; the accepted socket with the peer's port and address, or INVALID_SOCKET once the
// listener is closed.
SHARE_API SOCKET TCPAccept(SOCKET s, uint16_t* port, uint32_t* address);
SHARE_API int TCPSend(SOCKET s, const void* data, int length);

SHARE_API SOCKET UDPSocket();
SHARE_API bool UDPBind(SOCKET s, uint16_t port, uint32_t address);
SHARE_API bool UDPConnect(SOCKET s, uint32_t address, uint16_t port);
SHARE_API int UDPSend(SOCKET s, const void* data, int length);
// Blocks; the byte count, below 0 once the socket is closed.
SHARE_API int UDPRecvfrom(SOCKET s, void* buffer, int size, uint32_t* address, uint16_t* port);
// One datagram from a socket of its own (broadcast allowed).
SHARE_API int UDPClientSend(const void* data, int length, uint32_t address, uint16_t port);
// The same from a socket bound to one of the PC's addresses (INADDR_ANY: not bound), so that
// a broadcast leaves by that address's adapter with that source.
SHARE_API int UDPClientSendFrom(uint32_t from, const void* data, int length, uint32_t address, uint16_t port);

SHARE_API void CloseSocket(SOCKET& s);  // closes and sets s to INVALID_SOCKET
SHARE_API bool SetKeepAlive(SOCKET s, unsigned long idleMs, unsigned long intervalMs);
SHARE_API uint32_t GetSocketRemoteIP(SOCKET s);
// The PC's best address for phones and its mask (the first of GetPhoneAddresses); the
// loopback and false when there is none.
SHARE_API bool GetIPandMask(uint32_t* address, uint32_t* mask);
// One of the PC's IPv4 addresses with its mask, network order.
struct LocalIPv4 {
  uint32_t address;
  uint32_t mask;
};
// The addresses phones can reach, best first (at most max): adapters that are up, unicast
// IPv4 that is neither loopback nor link-local, those with a default gateway first, known
// virtual and tunnel adapters left out. Returns how many were written.
SHARE_API int GetPhoneAddresses(LocalIPv4* out, int max);
// Whether the address is one of the PC's own, on any adapter (the loopback included): the
// system may hand the PC's own broadcast back from any of them.
SHARE_API bool IsOwnAddress(uint32_t address);
SHARE_API int GetNetError();
SHARE_API std::string GetNetErrorStr();

// ---- audio ----

// Receives the capture stream; slots in this order.
class ICaptureCallback {
 public:
  virtual ~ICaptureCallback() {}
  virtual void OnCaptureEvent(int event) = 0;                 // reserved
  virtual void OnCaptureStopped() = 0;
  virtual void OnFormat(const void* format) = 0;              // format record; 32-bit word at offset 4 = sample rate
  virtual void OnData(const unsigned char* data, int length) = 0;  // from the capture thread
};

class IPlaybackCallback {
 public:
  virtual void OnPlaybackStarted() = 0;
  virtual void OnPlaybackStopped() = 0;
  virtual void OnPlaybackEvent(int event) = 0;
  virtual void OnPlaybackData(const unsigned char* data, int length) = 0;
};

class SHARE_API CAudioCapture {
 public:
  CAudioCapture();
  ~CAudioCapture();
  CAudioCapture(const CAudioCapture&) = delete;
  CAudioCapture& operator=(const CAudioCapture&) = delete;

  int Initialize(ICaptureCallback* callback);  // nonzero on success
  void Start();                                // runs the capture on the calling thread until Stop
  void Stop();
  bool IsCapturing() const;

 private:
  struct Impl;
  Impl* m_impl;
};

class SHARE_API CAudioPlayback {
 public:
  CAudioPlayback();
  ~CAudioPlayback();
  CAudioPlayback(const CAudioPlayback&) = delete;
  CAudioPlayback& operator=(const CAudioPlayback&) = delete;

  int Initialize(IPlaybackCallback* callback);  // nonzero on success

 private:
  IPlaybackCallback* m_callback;
};

// ---- task queue ----

// One unit of work for CTaskQueueThread; the queue deletes it after Run.
class CTask {
 public:
  virtual void Run(uint32_t param1, uint32_t param2) = 0;
  virtual ~CTask() {}
};

// A worker thread that runs queued tasks one after another, in order. The thread starts with
// the first task and ends after a while without one; the next task starts it again.
class SHARE_API CTaskQueueThread {
 public:
  CTaskQueueThread();
  virtual ~CTaskQueueThread();
  CTaskQueueThread(const CTaskQueueThread&) = delete;
  CTaskQueueThread& operator=(const CTaskQueueThread&) = delete;

  virtual bool Create();              // takes tasks from now on (the worker starts with the first)
  virtual bool AddTask(CTask* task);  // takes ownership; false (and task deleted) when not running
  virtual void Destroy();             // drops tasks not yet started, waits for the running one
  // How long the worker waits for a task before it ends (60000 ms unless set); tests shorten it.
  void SetIdleExit(DWORD idleMs);

 private:
  struct Impl;
  Impl* m_impl;
};

}  // namespace ShareLib
