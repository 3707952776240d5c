// The in-memory record store: see TaskRecordStore.h.
#include "TaskRecordStore.h"

#include <windows.h>
#include <shlwapi.h>

#include <TextConv.h>

#include "share.h"

TaskRecordStore& TaskRecordStore::Instance() {
  static TaskRecordStore s_store;
  return s_store;
}

int TaskRecordStore::Add(const TaskRecord& record) {
  win::ScopedLock hold(m_lock);
  TaskRecord filed = record;
  filed.id = m_nextId;
  m_records.push_back(filed);
  // Never "count + 1": after a deletion that would hand out an id still in use.
  int next = (int)m_records.size() + 1;
  m_nextId = next > m_nextId + 1 ? next : m_nextId + 1;
  return filed.id;
}

void TaskRecordStore::Remove(int id) {
  win::ScopedLock hold(m_lock);
  for (auto it = m_records.begin(); it != m_records.end(); ++it) {
    if (it->id == id) {
      m_records.erase(it);
      return;
    }
  }
}

bool TaskRecordStore::Get(int id, TaskRecord& record) {
  win::ScopedLock hold(m_lock);
  for (const TaskRecord& r : m_records) {
    if (r.id == id) {
      record = r;
      return true;
    }
  }
  return false;
}

bool TaskRecordStore::Load() { return true; }

bool TaskRecordStore::Query(ScriptValue& records, const std::string& deviceKey) {
  std::vector<TaskRecord> mine;
  {
    win::ScopedLock hold(m_lock);
    for (const TaskRecord& r : m_records)
      if (r.deviceKey == deviceKey) mine.push_back(r);
  }
  records = ScriptValue();
  if (mine.empty()) return true;
  records.SetKind(ScriptValue::kArray);
  for (const TaskRecord& r : mine) {
    std::wstring path = text::Utf8ToWide(r.path);
    ScriptValue row;
    row["Id"] = ScriptValue(r.id);
    row["FileName"] = ScriptValue(text::WideToUtf8(PathFindFileNameW(path.c_str())));
    row["FilePath"] = ScriptValue(r.path);
    row["FileSize"] = ScriptValue(text::WideToUtf8(ShareLib::FileSizeToString(r.size)));
    row["State"] = ScriptValue(r.state);
    records.Elements().push_back(row);
  }
  return true;
}

std::vector<TaskRecord> TaskRecordStore::All() {
  win::ScopedLock hold(m_lock);
  return m_records;
}

void TaskRecordStore::Clear() {
  win::ScopedLock hold(m_lock);
  m_records.clear();
}
