// The phone app's audio port inside the adb sandbox: the device double relays the device's
// port 14127 to 127.0.0.1:24127, where this sink accepts the PC's stream path. Each connection
// is split into blocks (a 2-byte little-endian length, then an Opus packet), decoded with
// libopus and kept apart, so a test can tell the stream before a reconnect from the one after.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <opus/opus.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>
#include "LoopbackListener.h"

class AudioSink {
 public:
  explicit AudioSink(u_short port) {
    m_listener = ListenOnLoopback(port);
    m_acceptor = std::thread([this] { AcceptStreams(); });
  }
  ~AudioSink() {
    m_stop = true;
    m_acceptor.join();
    closesocket(m_listener);
    for (std::thread& t : m_readers) t.join();
  }
  AudioSink(const AudioSink&) = delete;
  AudioSink& operator=(const AudioSink&) = delete;

  struct Stream {
    int blocks = 0;
    int badBlocks = 0;  // a length the stream could not hold or a packet that did not decode
    bool ended = false;  // the PC closed it
    std::vector<float> left;  // the last second of the decoded left channel
  };

  int Streams() {
    std::lock_guard<std::mutex> hold(m_lock);
    return (int)m_streams.size();
  }
  // A copy of the i-th accepted stream (0 first); an empty record when there is none yet.
  Stream At(int i) {
    std::lock_guard<std::mutex> hold(m_lock);
    return i < (int)m_streams.size() ? *m_streams[i] : Stream();
  }
  // The decoded tone's frequency from its rising zero crossings; 0 with under 0.1 s of sound.
  static double DominantHz(const Stream& s) {
    const std::vector<float>& x = s.left;
    size_t first = 0, last = 0, ups = 0;
    for (size_t i = 1; i < x.size(); ++i) {
      if (x[i - 1] < 0 && x[i] >= 0) {
        if (ups++ == 0) first = i;
        last = i;
      }
    }
    if (x.size() < 4800 || ups < 2) return 0;
    return (ups - 1) * 48000.0 / (last - first);
  }

 private:
  void AcceptStreams() {
    while (!m_stop) {
      fd_set readable;
      FD_ZERO(&readable);
      FD_SET(m_listener, &readable);
      timeval wait = {0, 100000};
      if (select(0, &readable, nullptr, nullptr, &wait) != 1) continue;
      SOCKET c = accept(m_listener, nullptr, nullptr);
      if (c == INVALID_SOCKET) continue;
      Stream* stream;
      {
        std::lock_guard<std::mutex> hold(m_lock);
        m_streams.emplace_back(new Stream);
        stream = m_streams.back().get();
      }
      m_readers.emplace_back([this, c, stream] { Read(c, stream); });
    }
  }

  void Read(SOCKET c, Stream* stream) {
    int error = 0;
    OpusDecoder* decoder = opus_decoder_create(48000, 2, &error);
    DWORD ms = 200;
    setsockopt(c, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&ms), sizeof(ms));
    std::string bytes;
    std::vector<float> pcm(5760 * 2);
    char buffer[4096];
    while (!m_stop) {
      int n = recv(c, buffer, sizeof(buffer), 0);
      if (n == 0 || (n < 0 && WSAGetLastError() != WSAETIMEDOUT)) {
        std::lock_guard<std::mutex> hold(m_lock);
        stream->ended = true;
        break;
      }
      if (n < 0) continue;
      bytes.append(buffer, n);
      while (bytes.size() >= 2) {
        size_t length = (unsigned char)bytes[0] | ((unsigned char)bytes[1] << 8);
        if (bytes.size() < 2 + length) break;
        int samples = decoder ? opus_decode_float(decoder, reinterpret_cast<const unsigned char*>(&bytes[2]),
                                                  (opus_int32)length, pcm.data(), 5760, 0)
                              : -1;
        bytes.erase(0, 2 + length);
        std::lock_guard<std::mutex> hold(m_lock);
        ++stream->blocks;
        if (samples <= 0) {
          ++stream->badBlocks;
          continue;
        }
        for (int i = 0; i < samples; ++i) stream->left.push_back(pcm[2 * i]);
        if (stream->left.size() > 48000) stream->left.erase(stream->left.begin(), stream->left.end() - 48000);
      }
    }
    if (decoder) opus_decoder_destroy(decoder);
    closesocket(c);
  }

  SOCKET m_listener;
  std::atomic<bool> m_stop{false};
  std::thread m_acceptor;
  std::vector<std::thread> m_readers;  // touched by the acceptor thread only, until it is joined
  std::mutex m_lock;                   // guards m_streams and every stream's fields
  std::vector<std::unique_ptr<Stream>> m_streams;
};
