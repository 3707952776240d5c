// CPushFileTask: copies a dropped file to its folder on the phone, then asks the phone's media
// scanner to index it (task queue thread).
#pragma once

#include <string>

#include "ActionTask.h"

class CKelpCommand;

class CPushFileTask : public ActionTask {
 public:
  CPushFileTask(ITaskListener* listener, int recordId, const std::wstring& localPath, const std::wstring& remotePath,
                CKelpCommand* kelp);
  // Reports started (2), pushes, sends the media-scan broadcast whatever the push gave, then
  // reports done (3) or failed (4). Without a device bridge it does nothing.
  void Run(uint32_t, uint32_t) override;

  const std::wstring& RemotePath() const { return m_remotePath; }

 private:
  std::wstring m_localPath;
  std::wstring m_remotePath;
  CKelpCommand* m_kelp;  // not owned
};

// The media scanner's broadcast for a file on the phone (UTF-8 path).
std::string MediaScanCommand(const std::string& remotePath);
