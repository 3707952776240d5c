// The bridge's side of transfers: dropped files become records and tasks on the task queue
// thread; task outcomes and push progress become script events; records can be deleted and
// asked for.
#include "GuiAdbLogic.h"

#include <shlwapi.h>

#include <new>

#include <TextConv.h>

#include "DropFiles.h"
#include "ExtensionTable.h"
#include "InstallAppTask.h"
#include "PushFileTask.h"
#include "TaskRecordStore.h"
#include "TransferText.h"
#include "share.h"

int CGuiAdbLogic::OnHandleDropFiles(ScriptValue a, ScriptValue, ScriptValue&) {
  HDROP drop = reinterpret_cast<HDROP>(a.AsHandle());
  if (!drop) return 0;
  StartServices();  // a drop before they started: the device library is needed now
  std::string deviceKey = m_deviceKey.Get();
  for (const std::wstring& path : ReadDropPaths(drop)) {
    // Folders are skipped, and so are paths whose attributes cannot be read
    // (INVALID_FILE_ATTRIBUTES has the directory bit).
    if (GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY) continue;

    TaskRecord record;
    record.path = text::WideToUtf8(path);
    record.size = ShareLib::GetFileSizeIndirect(path.c_str());
    record.state = 1;
    record.deviceKey = deviceKey;
    int id = TaskRecordStore::Instance().Add(record);

    int category = CategoryOfPath(m_extensions, path);
    ShareLib::CTask* task = nullptr;
    if (category == kCategoryApk)
      task = new (std::nothrow) CInstallAppTask(this, id, path, &m_kelp);
    else
      task = new (std::nothrow) CPushFileTask(this, id, path, RemotePathFor(category, path), &m_kelp);
    // The queue's thread starts with the first drop, not with the program.
    if (task && !m_taskQueue) {
      m_taskQueue = new (std::nothrow) ShareLib::CTaskQueueThread();
      if (m_taskQueue && !m_taskQueue->Create()) {
        delete m_taskQueue;
        m_taskQueue = nullptr;
      }
    }
    if (task && m_taskQueue) m_taskQueue->AddTask(task);
    else delete task;

    ScriptValue added;
    added["FileName"] = ScriptValue(text::WideToUtf8(PathFindFileNameW(path.c_str())));
    added["FilePath"] = ScriptValue(record.path);
    added["FileSize"] = ScriptValue(text::WideToUtf8(ShareLib::FileSizeToString(record.size)));
    FireEvent("AddTask", added, ScriptValue(0));
  }
  DragFinish(drop);
  return 0;
}

int CGuiAdbLogic::OnDeleteRecord(ScriptValue a, ScriptValue, ScriptValue& result) {
  TaskRecordStore::Instance().Remove(a.AsInt());
  result = ScriptValue(1);
  return 0;
}

int CGuiAdbLogic::OnGetTaskRecords(ScriptValue, ScriptValue, ScriptValue&) {
  TaskRecordStore& store = TaskRecordStore::Instance();
  store.Load();
  ScriptValue records;
  store.Query(records, m_deviceKey.Get());
  if (!records.IsEmpty()) FireEvent("TaskRecords", records, ScriptValue(0));
  return 0;
}

void CGuiAdbLogic::OnTaskEvent(int actionType, int status, int, int recordId) {
  TaskRecordStore& store = TaskRecordStore::Instance();
  TaskRecord copy;
  bool found = store.Get(recordId, copy);
  if (!found) copy.path.clear();  // deleted meanwhile: the events still come, with no path
  if (actionType == kActionPush) {
    if (found) {
      copy.state = status;
      if (status == kTaskDone) store.Add(copy);  // the completed copy; the filed record stays
    }
    if (status == kTaskDone || status == kTaskFailed)
      FireEvent("PushFileFinish", ScriptValue(copy.path), ScriptValue(status));
  } else if (actionType == kActionInstall) {
    if (status == kTaskDone) {
      if (found) {
        copy.state = kTaskDone;
        store.Add(copy);
      }
      FireEvent("InstallAppFinish", ScriptValue(copy.path), ScriptValue(kTaskDone));
    } else if (status == kTaskFailed) {
      // An install the phone refused is reported as such, not as done.
      FireEvent("InstallAppFinish", ScriptValue(copy.path), ScriptValue(kTaskFailed));
    }
  }
}

void CGuiAdbLogic::OnPushProgress(const char* file, int done, int total) {
  std::string text = text::WideToUtf8(text::AnsiToWide(file ? file : ""));
  FireEvent("PushProgress", ScriptValue(text), ScriptValue(PushPercent(done, total)));
}
