// ITaskListener: how transfer tasks report to the script bridge, from the task queue thread.
#pragma once

enum TaskAction { kActionPush = 1, kActionInstall = 2 };
enum TaskStatus { kTaskStarted = 2, kTaskDone = 3, kTaskFailed = 4 };

class ITaskListener {
 public:
  // (action type, status, reserved (always 0), record id)
  virtual void OnTaskEvent(int actionType, int status, int reserved, int recordId) = 0;

 protected:
  ~ITaskListener() {}
};
