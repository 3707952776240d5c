// The task queue: order, the worker thread, ownership of tasks, and stopping with work left.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "ShareTestUtil.h"

using namespace ShareLib;
using sharetest::BoundedThread;

namespace {

const DWORD kWaitMs = 5000;

// What the tasks of one test saw, shared between the test and the worker.
struct Journal {
  win::CriticalSection lock;
  std::vector<int> ran;
  std::vector<DWORD> threads;
  LONG deleted = 0;
  win::AutoHandle lastRan{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

class RecordingTask : public CTask {
 public:
  RecordingTask(Journal& journal, int id, bool last = false) : m_journal(journal), m_id(id), m_last(last) {}
  ~RecordingTask() override { InterlockedIncrement(&m_journal.deleted); }
  void Run(uint32_t, uint32_t) override {
    {
      win::ScopedLock hold(m_journal.lock);
      m_journal.ran.push_back(m_id);
      m_journal.threads.push_back(GetCurrentThreadId());
    }
    if (m_last) SetEvent(m_journal.lastRan.get());
  }

 private:
  Journal& m_journal;
  int m_id;
  bool m_last;
};

// Holds the worker until the gate opens, so that tasks pile up behind it.
class GateTask : public RecordingTask {
 public:
  GateTask(Journal& journal, HANDLE started, HANDLE gate)
      : RecordingTask(journal, -1), m_started(started), m_gate(gate) {}
  void Run(uint32_t a, uint32_t b) override {
    RecordingTask::Run(a, b);
    SetEvent(m_started);
    WaitForSingleObject(m_gate, kWaitMs);
  }

 private:
  HANDLE m_started, m_gate;
};

}  // namespace

TEST(TaskQueueThread, RunsTasksInOrderOnOneWorkerThread) {
  Journal journal;
  CTaskQueueThread queue;
  ASSERT_TRUE(queue.Create());
  const int count = 50;
  for (int i = 0; i < count; ++i) ASSERT_TRUE(queue.AddTask(new RecordingTask(journal, i, i == count - 1)));
  ASSERT_EQ(WaitForSingleObject(journal.lastRan.get(), kWaitMs), WAIT_OBJECT_0);
  queue.Destroy();

  ASSERT_EQ(journal.ran.size(), size_t(count));
  for (int i = 0; i < count; ++i) EXPECT_EQ(journal.ran[i], i);
  for (DWORD id : journal.threads) {
    EXPECT_EQ(id, journal.threads[0]);
    EXPECT_NE(id, GetCurrentThreadId());
  }
  EXPECT_EQ(journal.deleted, count);
}

TEST(TaskQueueThread, AddTaskFromManyThreadsKeepsEachThreadsOrder) {
  Journal journal;
  CTaskQueueThread queue;
  ASSERT_TRUE(queue.Create());
  const int producers = 4, perProducer = 25;
  std::vector<std::unique_ptr<BoundedThread>> threads;
  for (int p = 0; p < producers; ++p)
    threads.emplace_back(new BoundedThread([&, p] {
      for (int i = 0; i < perProducer; ++i) queue.AddTask(new RecordingTask(journal, p * 1000 + i));
    }));
  for (auto& t : threads) ASSERT_TRUE(t->Join(kWaitMs));
  ASSERT_TRUE(queue.AddTask(new RecordingTask(journal, -1, true)));  // queued after all the others
  ASSERT_EQ(WaitForSingleObject(journal.lastRan.get(), kWaitMs), WAIT_OBJECT_0);
  queue.Destroy();

  ASSERT_EQ(journal.ran.size(), size_t(producers * perProducer + 1));
  std::vector<int> next(producers, 0);
  for (int id : journal.ran) {
    if (id < 0) continue;
    EXPECT_EQ(id % 1000, next[id / 1000]++) << "producer " << id / 1000 << " out of order";
  }
  EXPECT_EQ(journal.deleted, producers * perProducer + 1);
}

TEST(TaskQueueThread, DestroyWaitsForRunningTaskAndDropsPendingOnes) {
  Journal journal;
  win::AutoHandle started(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  win::AutoHandle gate(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  CTaskQueueThread queue;
  ASSERT_TRUE(queue.Create());
  ASSERT_TRUE(queue.AddTask(new GateTask(journal, started.get(), gate.get())));
  ASSERT_EQ(WaitForSingleObject(started.get(), kWaitMs), WAIT_OBJECT_0);
  for (int i = 0; i < 10; ++i) queue.AddTask(new RecordingTask(journal, i));

  BoundedThread destroyer([&] { queue.Destroy(); });
  EXPECT_FALSE(destroyer.Join(100)) << "Destroy must wait for the running task";
  SetEvent(gate.get());
  ASSERT_TRUE(destroyer.Join(kWaitMs));

  EXPECT_EQ(journal.ran, std::vector<int>{-1});
  EXPECT_EQ(journal.deleted, 11);
}

TEST(TaskQueueThread, TasksOutsideARunningQueueAreDeleted) {
  Journal journal;
  CTaskQueueThread queue;
  EXPECT_FALSE(queue.AddTask(new RecordingTask(journal, 1)));  // not created yet
  ASSERT_TRUE(queue.Create());
  queue.Destroy();
  EXPECT_FALSE(queue.AddTask(new RecordingTask(journal, 2)));  // destroyed
  EXPECT_FALSE(queue.AddTask(nullptr));
  EXPECT_TRUE(journal.ran.empty());
  EXPECT_EQ(journal.deleted, 2);
}

TEST(TaskQueueThread, DestructorStopsWorkerWithTasksQueued) {
  Journal journal;
  win::AutoHandle started(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  win::AutoHandle gate(CreateEventW(nullptr, TRUE, TRUE, nullptr));  // open: the first task ends at once
  BoundedThread owner([&] {
    CTaskQueueThread queue;
    queue.Create();
    queue.AddTask(new GateTask(journal, started.get(), gate.get()));
    for (int i = 0; i < 100; ++i) queue.AddTask(new RecordingTask(journal, i));
  });
  ASSERT_TRUE(owner.Join(kWaitMs));
  EXPECT_EQ(journal.deleted, 101);
}

TEST(TaskQueueThread, CanBeCreatedAgainAfterDestroy) {
  Journal journal;
  CTaskQueueThread queue;
  ASSERT_TRUE(queue.Create());
  queue.Destroy();
  ASSERT_TRUE(queue.Create());
  ASSERT_TRUE(queue.AddTask(new RecordingTask(journal, 7, true)));
  ASSERT_EQ(WaitForSingleObject(journal.lastRan.get(), kWaitMs), WAIT_OBJECT_0);
  queue.Destroy();
  EXPECT_EQ(journal.ran, std::vector<int>{7});
}

namespace {

// Hands the test a handle of the worker it ran on, so that the test can see that thread end.
class WorkerHandleTask : public RecordingTask {
 public:
  WorkerHandleTask(Journal& journal, int id, HANDLE* worker) : RecordingTask(journal, id, true), m_worker(worker) {}
  void Run(uint32_t a, uint32_t b) override {
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), m_worker, SYNCHRONIZE, FALSE, 0);
    RecordingTask::Run(a, b);
  }

 private:
  HANDLE* m_worker;
};

}  // namespace

TEST(TaskQueueThread, IdleWorkerEndsAndTheNextTaskStartsAnother) {
  Journal journal;
  CTaskQueueThread queue;
  queue.SetIdleExit(50);
  ASSERT_TRUE(queue.Create());
  HANDLE first = nullptr;
  ASSERT_TRUE(queue.AddTask(new WorkerHandleTask(journal, 1, &first)));
  ASSERT_EQ(WaitForSingleObject(journal.lastRan.get(), kWaitMs), WAIT_OBJECT_0);
  win::AutoHandle worker(first);
  ASSERT_TRUE(worker);
  EXPECT_EQ(WaitForSingleObject(worker.get(), kWaitMs), WAIT_OBJECT_0) << "the idle worker did not end";

  ResetEvent(journal.lastRan.get());
  ASSERT_TRUE(queue.AddTask(new RecordingTask(journal, 2, true)));
  EXPECT_EQ(WaitForSingleObject(journal.lastRan.get(), kWaitMs), WAIT_OBJECT_0) << "the task after the end never ran";
  queue.Destroy();
  EXPECT_EQ(journal.ran, (std::vector<int>{1, 2}));
}

TEST(TaskQueueThread, TasksPostedAsTheWorkerEndsAreNeverLost) {
  // A worker that ends after 1 ms idle, and producers that pause about that long between
  // posts: many posts land just as a worker decides to end.
  Journal journal;
  CTaskQueueThread queue;
  queue.SetIdleExit(1);
  ASSERT_TRUE(queue.Create());
  const int producers = 2, perProducer = 150;
  std::vector<std::unique_ptr<BoundedThread>> threads;
  for (int p = 0; p < producers; ++p)
    threads.emplace_back(new BoundedThread([&, p] {
      for (int i = 0; i < perProducer; ++i) {
        queue.AddTask(new RecordingTask(journal, p * 1000 + i));
        Sleep(i % 3);
      }
    }));
  for (auto& t : threads) ASSERT_TRUE(t->Join(30000));
  ASSERT_TRUE(queue.AddTask(new RecordingTask(journal, -1, true)));
  ASSERT_EQ(WaitForSingleObject(journal.lastRan.get(), kWaitMs), WAIT_OBJECT_0);
  queue.Destroy();
  EXPECT_EQ(journal.ran.size(), size_t(producers * perProducer + 1));
  EXPECT_EQ(journal.deleted, producers * perProducer + 1);
}
