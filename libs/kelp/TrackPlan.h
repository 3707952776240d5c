// How the device watcher talks to a given adb server: its version (host:version) and which
// device-list request it accepts. Current servers stream the long list (host:track-devices-l,
// with each phone's model); older ones refuse it with "unknown host service", and then the
// short stream (host:track-devices) is used, each change followed by one host:devices-l for
// the models. Pure state, so the rules are tested on literal answers.
#pragma once

#include <string>

namespace kelp {

// host:version's answer (the text of its hex4 block): four hex digits, 41 for "0029".
// -1 for anything else.
int ParseServerVersion(const std::string& block);

class CTrackPlan {
 public:
  const char* Request() const { return m_shortForm ? "host:track-devices" : "host:track-devices-l"; }
  // True when each list of the short stream should be followed by host:devices-l.
  bool PollsLongList() const { return m_shortForm; }

  // A server answered host:version (-1: it gave no usable version). A different version is
  // another server: its refusals so far tell nothing about it.
  void OnVersion(int version);
  // The server refused Request() with FAIL and a reason (a cut or garbled reply is no
  // refusal). The long form falls back to the short one; a refused short form goes back to
  // trying the long form on the next connection.
  void OnRefused() { m_shortForm = !m_shortForm; }

  int Version() const { return m_version; }

 private:
  int m_version = -1;
  bool m_shortForm = false;
};

}  // namespace kelp
