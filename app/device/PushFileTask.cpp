// The push task: see PushFileTask.h.
#include "PushFileTask.h"

#include <TextConv.h>

#include "kelp.h"

CPushFileTask::CPushFileTask(ITaskListener* listener, int recordId, const std::wstring& localPath,
                             const std::wstring& remotePath, CKelpCommand* kelp)
    : ActionTask(listener, kActionPush, recordId), m_localPath(localPath), m_remotePath(remotePath), m_kelp(kelp) {}

std::string MediaScanCommand(const std::string& remotePath) {
  return "am broadcast -a android.intent.action.MEDIA_SCANNER_SCAN_FILE -d 'file://" + remotePath + "'";
}

void CPushFileTask::Run(uint32_t, uint32_t) {
  if (!m_kelp) return;
  std::string remote = text::WideToUtf8(m_remotePath);
  Report(kTaskStarted);
  int result = m_kelp->push(m_localPath.c_str(), remote.c_str());
  std::string ignored;
  m_kelp->shell(MediaScanCommand(remote).c_str(), ignored, 0, 0);
  Report(result != 0 ? kTaskFailed : kTaskDone);
}
