// TaskRecordStore: the process's transfer records, in memory only, in insertion order.
// Reached from the UI thread and the task queue thread: every operation takes the store's
// lock.
#pragma once

#include <vector>

#include <ScopedWin.h>

#include "ScriptValue.h"
#include "TaskRecord.h"

class TaskRecordStore {
 public:
  static TaskRecordStore& Instance();  // made on first use, destroyed at exit

  // Files a copy of the record under a new id and returns the id. Ids are never given twice,
  // so a deleted record's id cannot come to name another record.
  int Add(const TaskRecord& record);
  // Removes the record with this id, when there is one.
  void Remove(int id);
  bool Get(int id, TaskRecord& record);
  // Nothing is persisted: loading reports success and reads nothing.
  bool Load();
  // The records filed while this device key was current, oldest first, as an array of tables
  // {Id, FileName, FilePath, FileSize (as the size is shown), State}; nil when there are none.
  bool Query(ScriptValue& records, const std::string& deviceKey);

  std::vector<TaskRecord> All();  // a copy, for tests and diagnostics
  void Clear();                   // drops every record (tests)

 private:
  win::CriticalSection m_lock;
  std::vector<TaskRecord> m_records;  // guarded by m_lock
  int m_nextId = 1;                   // guarded by m_lock
};
