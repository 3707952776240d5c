// Audio capture: the program runs Start on a thread of its own and ends it with Stop.
#include "AudioCaptureImpl.h"

namespace ShareLib {

void CAudioCapture::Impl::Run() {
  InterlockedExchange(&capturing, 1);
  WaitForSingleObject(stop.get(), INFINITE);
  InterlockedExchange(&capturing, 0);
}

CAudioCapture::CAudioCapture() : m_impl(nullptr) {
  // Nothing may leave the library as an exception; every operation checks m_impl instead.
  try {
    m_impl = new Impl;
  } catch (...) {
  }
}

CAudioCapture::~CAudioCapture() {
  if (!m_impl) return;
  Stop();
  // A Start still running on another thread uses m_impl until it returns.
  WaitForSingleObject(m_impl->idle.get(), INFINITE);
  delete m_impl;
}

int CAudioCapture::Initialize(ICaptureCallback* callback) {
  if (!m_impl || !m_impl->stop || !m_impl->idle || !callback) return 0;
  if (m_impl->capturing) return 0;  // one capture at a time
  m_impl->callback = callback;
  ResetEvent(m_impl->stop.get());
  return 1;
}

void CAudioCapture::Start() {
  if (!m_impl || !m_impl->callback) return;
  if (InterlockedIncrement(&m_impl->starts) == 1) ResetEvent(m_impl->idle.get());
  try {
    m_impl->Run();
  } catch (...) {
  }
  if (InterlockedDecrement(&m_impl->starts) == 0) SetEvent(m_impl->idle.get());
}

void CAudioCapture::Stop() {
  if (m_impl) SetEvent(m_impl->stop.get());
}

bool CAudioCapture::IsCapturing() const { return m_impl && m_impl->capturing != 0; }

}  // namespace ShareLib
