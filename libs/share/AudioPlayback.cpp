// Audio playback: the program only initialises it; nothing is played yet.
#include "share.h"

namespace ShareLib {

CAudioPlayback::CAudioPlayback() : m_callback(nullptr) {}

CAudioPlayback::~CAudioPlayback() {}

int CAudioPlayback::Initialize(IPlaybackCallback* callback) {
  m_callback = callback;
  return callback ? 1 : 0;
}

}  // namespace ShareLib
