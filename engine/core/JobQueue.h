// Jobs and the queue that worker threads drain, and the controller that
// starts those workers.
#pragma once

#include "engine/core/Mutex.h"
#include "engine/core/ReferenceCounter.h"
#include "engine/core/SmartPtr.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace Varnok {

enum class JobState : int32_t { Queued = 0, Running = 1, Done = 2, Cancelled = 3 };

// A unit of work, run at most once. Counted: the queue and its callers share it.
class Job : public ReferenceCounter {
public:
    ~Job() override = default;

    // Claims the job (Queued -> Running) and runs Execute(), unless another
    // run claimed it first or it was cancelled; ends Done or Cancelled.
    void Run();
    // Nothing once Done. Otherwise marks the job cancelled: a queued job
    // becomes Cancelled at once, a running one finishes.
    void Cancel();

    JobState GetState() const { return static_cast<JobState>(m_state.load()); }
    bool IsCancelRequested() const { return m_cancel.load(); }

protected:
    virtual void Execute() = 0;

private:
    std::atomic<int32_t> m_state{static_cast<int32_t>(JobState::Queued)};
    std::atomic<bool> m_cancel{false};
};

// A first-in, first-out list of jobs that several workers may drain at once.
class JobQueue {
public:
    // The process-wide queue, made on first use and destroyed at exit.
    static JobQueue& Get();

    JobQueue();
    // Cancels whatever is still queued.
    ~JobQueue();
    JobQueue(const JobQueue&) = delete;
    JobQueue& operator=(const JobQueue&) = delete;

    // Appends at the tail. A null job is ignored.
    void Push(const SmartPtr<Job>& job);
    // Takes the job at the head; false when none is queued.
    bool Pop(SmartPtr<Job>& outJob);
    // Pops every queued job and cancels it.
    void CancelAll();
    // Jobs queued plus jobs being run by workers.
    int GetPendingCount() const;

    // A worker's body: runs the global queue's jobs until it is empty.
    static void RunWorker();
    // True while at least one worker drains the queue.
    static bool IsInWorker();

private:
    // Holds a job when hasJob is set. The tail node is always empty: a push
    // fills it and links a fresh empty node behind it.
    struct Node {
        bool hasJob = false;
        Node* next = nullptr;
        SmartPtr<Job> job;
    };

    // Pop, also counting the job as running when forRun is set, so that the
    // pending count never dips while a worker holds a job.
    bool TakeHead(SmartPtr<Job>& outJob, bool forRun);
    void FinishRun();

    // The list is short and seldom touched; a lock keeps freeing a popped
    // node safe while other workers look at the head.
    mutable Mutex m_mutex;
    bool m_shuttingDown = false;
    Node* m_head;
    Node* m_tail;
    std::vector<SmartPtr<Job>> m_handles;  // every queued job
    int m_runningCount = 0;

    static std::atomic<int32_t> s_inWorker;  // workers draining right now
};

class WorkerThread;

// Starts worker threads that drain the global job queue; one shared instance.
class ThreadController {
public:
    static ThreadController& SharedInstance();
    // Cancels queued jobs and waits for the workers.
    ~ThreadController();
    ThreadController(const ThreadController&) = delete;
    ThreadController& operator=(const ThreadController&) = delete;

    // Starts one worker running JobQueue::RunWorker; it ends when the queue is
    // empty. priority runs from 0 (lowest) to 1 (highest), 0.5 the default.
    void SpawnThread(float priority);

private:
    ThreadController();
    // Joins the workers that have finished. Requires: m_mutex held.
    void ReapFinished();

    Mutex m_mutex;
    std::vector<std::unique_ptr<WorkerThread>> m_workers;
};

}  // namespace Varnok
