// CQuillon: the audio streaming service. The capture library produces the stream and calls the
// service back; the service announces the stream's format to the phone (0x0111), opens the
// phone's audio channel on port 14127 and passes every block, unchanged, to each listed channel.
#pragma once

#include <windows.h>
#include <stdint.h>

#include <ScopedWin.h>

#include "ChannelRenter.h"
#include "share.h"

class CLinkTable;

class CQuillon : public ShareLib::ICaptureCallback, public ShareLib::IPlaybackCallback, public CChannelRenter {
 public:
  static const uint16_t kAudioPort = 14127;

  // table: where the phone link is found; the process's table when null.
  explicit CQuillon(CLinkTable* table = nullptr);
  ~CQuillon() override;

  // Starts capturing on a thread of its own (the argument is not used). False, and nothing
  // done, while capturing; true otherwise, also when the capture could not be initialised.
  bool Start(void* phoneLink = nullptr);
  // Empties the channel list (the channels stay alive), then stops the capture.
  void Stop();
  bool IsCapturing();
  // Times the capture was initialised (tests: starting twice initialises once).
  LONG Initialisations() const { return m_inits; }

  // ICaptureCallback
  void OnCaptureEvent(int) override {}
  void OnCaptureStopped() override {}
  void OnFormat(const void* format) override;
  void OnData(const unsigned char* data, int length) override;

  // IPlaybackCallback: the playback object is only initialised.
  void OnPlaybackStarted() override {}
  void OnPlaybackStopped() override {}
  void OnPlaybackEvent(int) override {}
  void OnPlaybackData(const unsigned char*, int) override {}

 private:
  static DWORD WINAPI CaptureProc(void* arg);
  CLinkTable& Table();

  CLinkTable* m_table;  // not owned
  ShareLib::CAudioCapture m_capture;
  ShareLib::CAudioPlayback m_playback;
  // The thread running CAudioCapture::Start; UI thread only. Kept (not closed at once) so that
  // a restart and the destructor can wait for it: the capture object must outlive it.
  win::AutoHandle m_thread;
  volatile LONG m_inits = 0;
};
