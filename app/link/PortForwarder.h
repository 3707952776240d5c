// IPortForwarder: what the phone link needs of the device bridge, a TCP port forward to the
// USB phone. CKelpForwarder is the program's, over the device bridge library.
#pragma once

class CKelpCommand;

class IPortForwarder {
 public:
  virtual ~IPortForwarder() {}
  // Forwards local TCP port to the same-numbered device port; 0 on success.
  virtual int Forward(int localPort, int devicePort) = 0;
};

class CKelpForwarder : public IPortForwarder {
 public:
  explicit CKelpForwarder(CKelpCommand* kelp) : m_kelp(kelp) {}
  int Forward(int localPort, int devicePort) override;

 private:
  CKelpCommand* m_kelp;  // not owned
};
