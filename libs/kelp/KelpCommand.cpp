// The device bridge. Until the ADB client exists every command fails cleanly: nonzero (or
// false) results and empty output, so the program behaves as with no phone plugged in.
#include "KelpCommandImpl.h"

namespace {

const int kNoDevice = -1;

void ClearOutput(std::string& output) {
  try {
    output.clear();
  } catch (...) {
  }
}

}  // namespace

CKelpCommand::CKelpCommand() : m_impl(nullptr) {
  // Nothing may leave the library as an exception; every operation checks m_impl instead.
  try {
    m_impl = new Impl;
  } catch (...) {
  }
}

CKelpCommand::~CKelpCommand() {
  close();
  delete m_impl;
}

bool CKelpCommand::Init(IKELPEventHandler* handler) {
  if (!m_impl) return false;
  win::ScopedLock hold(m_impl->lock);
  m_impl->handler = handler;
  m_impl->closed = false;
  return true;
}

int CKelpCommand::shell(const char* /*command*/, std::string& output, int /*timeoutMs*/, int /*reserved*/) {
  ClearOutput(output);
  return kNoDevice;
}

int CKelpCommand::install(const char* /*apkPath*/, bool /*userRequested*/, bool /*reserved*/,
                          std::string& output) {
  ClearOutput(output);
  return kNoDevice;
}

bool CKelpCommand::isSucceed(std::string output) {
  // The package manager's reply to a good install begins with "Success".
  return output.compare(0, 7, "Success") == 0;
}

int CKelpCommand::push(const char* /*localPath*/, const char* /*remotePath*/) { return kNoDevice; }

bool CKelpCommand::startActivity(const char* /*component*/, const char* /*reserved*/) { return false; }

int CKelpCommand::forward(int /*localPort*/, int /*devicePort*/) { return kNoDevice; }

void CKelpCommand::close() {
  if (!m_impl) return;
  win::ScopedLock hold(m_impl->lock);
  m_impl->handler = nullptr;
  m_impl->closed = true;
}
