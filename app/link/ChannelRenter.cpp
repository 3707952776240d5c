// The stream's channel list and its fan-out.
#include "ChannelRenter.h"

#include <algorithm>

#include "Channel.h"

void CChannelRenter::Remove(CChannel* channel) {
  win::ScopedLock hold(m_lock);
  auto it = std::find(m_channels.begin(), m_channels.end(), channel);
  if (it != m_channels.end()) m_channels.erase(it);
}

void CChannelRenter::Add(CChannel* channel) {
  if (!channel) return;
  win::ScopedLock hold(m_lock);
  if (std::find(m_channels.begin(), m_channels.end(), channel) != m_channels.end()) return;
  try {
    m_channels.push_back(channel);
  } catch (...) {
  }
}

void CChannelRenter::Clear() {
  win::ScopedLock hold(m_lock);
  m_channels.clear();
}

size_t CChannelRenter::Count() {
  win::ScopedLock hold(m_lock);
  return m_channels.size();
}

bool CChannelRenter::Contains(CChannel* channel) {
  win::ScopedLock hold(m_lock);
  return std::find(m_channels.begin(), m_channels.end(), channel) != m_channels.end();
}

void CChannelRenter::FanOut(const void* data, int length) {
  win::ScopedLock hold(m_lock);
  for (CChannel* channel : m_channels) channel->Send(data, length);
}
