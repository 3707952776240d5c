// State of CKelpCommand. No ADB client yet: the handler is remembered and no device is ever
// reported. The device watcher and the ADB connection belong here.
#pragma once

#include "kelp.h"

#include <ScopedWin.h>

struct CKelpCommand::Impl {
  win::CriticalSection lock;
  IKELPEventHandler* handler = nullptr;  // not owned; guarded by lock
  bool closed = false;                   // guarded by lock
};
