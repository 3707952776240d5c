// CInstallAppTask: installs a dropped APK on the phone (task queue thread).
#pragma once

#include <string>

#include "ActionTask.h"

class CKelpCommand;

class CInstallAppTask : public ActionTask {
 public:
  // localPath: the APK.
  CInstallAppTask(ITaskListener* listener, int recordId, const std::wstring& localPath, CKelpCommand* kelp);
  // Installs, then reports done (3) when the phone took the package, else failed (4).
  // Without a device bridge it does nothing.
  void Run(uint32_t, uint32_t) override;

 private:
  std::wstring m_localPath;
  CKelpCommand* m_kelp;  // not owned
};
