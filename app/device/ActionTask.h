// ActionTask: a transfer task for the task queue thread, filed under a record id and reporting
// to a listener. The queue runs it once and deletes it.
#pragma once

#include "TaskListener.h"
#include "share.h"

class ActionTask : public ShareLib::CTask {
 public:
  ActionTask(ITaskListener* listener, int actionType, int recordId)
      : m_listener(listener), m_actionType(actionType), m_recordId(recordId) {}

  int ActionType() const { return m_actionType; }
  int RecordId() const { return m_recordId; }

 protected:
  void Report(int status) {
    if (m_listener) m_listener->OnTaskEvent(m_actionType, status, 0, m_recordId);
  }

 private:
  ITaskListener* m_listener;  // not owned: the script bridge
  int m_actionType;
  int m_recordId;
};
