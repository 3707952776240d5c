// The install task: see InstallAppTask.h.
#include "InstallAppTask.h"

#include "kelp.h"

CInstallAppTask::CInstallAppTask(ITaskListener* listener, int recordId, const std::wstring& localPath,
                                 CKelpCommand* kelp)
    : ActionTask(listener, kActionInstall, recordId), m_localPath(localPath), m_kelp(kelp) {}

void CInstallAppTask::Run(uint32_t, uint32_t) {
  if (!m_kelp) return;
  std::string output;
  int result = m_kelp->install(m_localPath.c_str(), true, false, output);
  bool installed = result == 0 || m_kelp->isSucceed(output);
  Report(installed ? kTaskDone : kTaskFailed);
}
