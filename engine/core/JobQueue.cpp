// Job claiming and cancelling, the job list, and the worker threads.
#include "engine/core/JobQueue.h"

#include "engine/core/Atomic.h"
#include "engine/core/Thread.h"

#include <algorithm>
#include <cmath>

namespace Varnok {

void Job::Run() {
    if (!AtomicCompareExchangeBool(m_state, static_cast<int32_t>(JobState::Running),
                                   static_cast<int32_t>(JobState::Queued))) {
        return;  // claimed by another run, or cancelled while queued
    }
    if (m_cancel.load()) {
        m_state.store(static_cast<int32_t>(JobState::Cancelled));
        return;
    }
    Execute();
    m_state.store(static_cast<int32_t>(JobState::Done));
}

void Job::Cancel() {
    if (GetState() == JobState::Done) {
        return;
    }
    m_cancel.store(true);
    AtomicCompareExchange(m_state, static_cast<int32_t>(JobState::Cancelled),
                          static_cast<int32_t>(JobState::Queued));
}

std::atomic<int32_t> JobQueue::s_inWorker{0};

JobQueue& JobQueue::Get() {
    static JobQueue s_queue;
    return s_queue;
}

JobQueue::JobQueue() : m_head(new Node), m_tail(m_head) {}

JobQueue::~JobQueue() {
    {
        MutexLock lock(m_mutex);
        m_shuttingDown = true;
        m_handles.clear();
    }
    CancelAll();
    SmartPtr<Job> leftover;
    while (Pop(leftover)) {
        leftover.Clear();
    }
    delete m_head;
}

void JobQueue::Push(const SmartPtr<Job>& job) {
    if (!job) {
        return;
    }
    Node* fresh = new Node;
    MutexLock lock(m_mutex);
    m_tail->job = job;
    m_tail->next = fresh;
    m_tail->hasJob = true;
    m_tail = fresh;
    if (!m_shuttingDown) {
        m_handles.push_back(job);
    }
}

bool JobQueue::Pop(SmartPtr<Job>& outJob) {
    return TakeHead(outJob, false);
}

bool JobQueue::TakeHead(SmartPtr<Job>& outJob, bool forRun) {
    Node* old;
    {
        MutexLock lock(m_mutex);
        if (!m_head->hasJob) {
            return false;
        }
        old = m_head;
        m_head = old->next;
        outJob = std::move(old->job);
        auto handle = std::find(m_handles.begin(), m_handles.end(), outJob);
        if (handle != m_handles.end()) {
            m_handles.erase(handle);
        }
        if (forRun) {
            ++m_runningCount;
        }
    }
    delete old;
    return true;
}

void JobQueue::FinishRun() {
    MutexLock lock(m_mutex);
    --m_runningCount;
}

void JobQueue::CancelAll() {
    SmartPtr<Job> job;
    while (Pop(job)) {
        job->Cancel();
    }
}

int JobQueue::GetPendingCount() const {
    MutexLock lock(m_mutex);
    return static_cast<int>(m_handles.size()) + m_runningCount;
}

void JobQueue::RunWorker() {
    AtomicIncrement(s_inWorker);
    JobQueue& queue = Get();
    SmartPtr<Job> job;
    while (queue.TakeHead(job, true)) {
        job->Run();
        queue.FinishRun();
    }
    job.Clear();
    AtomicDecrement(s_inWorker);
}

bool JobQueue::IsInWorker() {
    return s_inWorker.load() > 0;
}

// One spawned worker: drains the queue once, then ends.
class WorkerThread : public Thread {
public:
    ~WorkerThread() override { Stop(); }
    bool IsFinished() const { return m_finished.load(); }

protected:
    void Run() override {
        JobQueue::RunWorker();
        m_finished.store(true);
    }

private:
    std::atomic<bool> m_finished{false};
};

ThreadController& ThreadController::SharedInstance() {
    static ThreadController s_controller;
    return s_controller;
}

ThreadController::ThreadController() {
    // Made first, the queue is destroyed after the controller has joined
    // every worker.
    JobQueue::Get();
}

ThreadController::~ThreadController() {
    JobQueue::Get().CancelAll();
    MutexLock lock(m_mutex);
    m_workers.clear();  // each worker joins in its destructor
}

void ThreadController::SpawnThread(float priority) {
    // 0..1 onto the threads' -2..2; NaN stays at the default.
    int level = 0;
    if (!std::isnan(priority)) {
        level = static_cast<int>(std::lround((std::min(std::max(priority, 0.0f), 1.0f) - 0.5f) * 4));
    }
    MutexLock lock(m_mutex);
    ReapFinished();
    auto worker = std::make_unique<WorkerThread>();
    worker->Start("Varnok - Job Worker", level);
    if (worker->IsStarted()) {
        m_workers.push_back(std::move(worker));
    }
}

void ThreadController::ReapFinished() {
    m_workers.erase(std::remove_if(m_workers.begin(), m_workers.end(),
                                   [](const std::unique_ptr<WorkerThread>& worker) {
                                       return worker->IsFinished();
                                   }),
                    m_workers.end());
}

}  // namespace Varnok
