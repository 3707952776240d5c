// The program's port forwarder: the device bridge library's ADB forward.
#include "PortForwarder.h"

#include "kelp.h"

int CKelpForwarder::Forward(int localPort, int devicePort) {
  return m_kelp ? m_kelp->forward(localPort, devicePort) : -1;
}
