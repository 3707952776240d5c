// CChannelRenter: the list of channels a stream goes to. The list does not own the channels:
// their phone link does, and it removes each from the list before destroying it.
#pragma once

#include <vector>

#include <ScopedWin.h>

class CChannel;

class CChannelRenter {
 public:
  CChannelRenter() {}
  virtual ~CChannelRenter() {}
  CChannelRenter(const CChannelRenter&) = delete;
  CChannelRenter& operator=(const CChannelRenter&) = delete;

  // Removes the first entry equal to channel; waits for a block in progress.
  virtual void Remove(CChannel* channel);
  // Appends the channel unless it is listed already.
  void Add(CChannel* channel);
  void Clear();
  size_t Count();
  bool Contains(CChannel* channel);

 protected:
  // Sends one block to every listed channel, in list order, under the lock.
  void FanOut(const void* data, int length);

 private:
  win::CriticalSection m_lock;        // guards m_channels for a whole block's fan-out
  std::vector<CChannel*> m_channels;  // not owned
};
