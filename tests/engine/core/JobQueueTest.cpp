#include "engine/core/JobQueue.h"

#include "engine/core/Thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <vector>

namespace Varnok {
namespace {

class CountingJob : public Job {
public:
    std::atomic<int> executions{0};
    int pendingSeen = -1;
    bool wasInWorker = false;
    bool cancelSelf = false;

protected:
    void Execute() override {
        ++executions;
        pendingSeen = JobQueue::Get().GetPendingCount();
        wasInWorker = JobQueue::IsInWorker();
        if (cancelSelf) {
            Cancel();
        }
    }
};

TEST(Job, CancelBeforeRunSkipsExecute) {
    SmartPtr<CountingJob> job(new CountingJob);
    job->Cancel();
    EXPECT_EQ(job->GetState(), JobState::Cancelled);
    job->Run();
    EXPECT_EQ(job->GetState(), JobState::Cancelled);
    EXPECT_EQ(job->executions.load(), 0);
}

TEST(Job, CancelAfterDoneChangesNothing) {
    SmartPtr<CountingJob> job(new CountingJob);
    job->Run();
    EXPECT_EQ(job->GetState(), JobState::Done);
    job->Cancel();
    EXPECT_EQ(job->GetState(), JobState::Done);
    EXPECT_FALSE(job->IsCancelRequested());
}

TEST(Job, RunsAtMostOnce) {
    SmartPtr<CountingJob> job(new CountingJob);
    EXPECT_EQ(job->GetState(), JobState::Queued);
    job->Run();
    job->Run();
    EXPECT_EQ(job->executions.load(), 1);
}

TEST(Job, CancelWhileRunningLetsItFinish) {
    SmartPtr<CountingJob> job(new CountingJob);
    job->cancelSelf = true;
    job->Run();
    EXPECT_EQ(job->executions.load(), 1);
    EXPECT_EQ(job->GetState(), JobState::Done);
    EXPECT_TRUE(job->IsCancelRequested());
}

TEST(JobQueue, PopsInOrderAndCountsPending) {
    JobQueue queue;
    SmartPtr<Job> out;
    EXPECT_FALSE(queue.Pop(out));
    EXPECT_EQ(queue.GetPendingCount(), 0);

    SmartPtr<Job> a(new CountingJob), b(new CountingJob);
    queue.Push(a);
    queue.Push(SmartPtr<Job>());  // ignored
    queue.Push(b);
    EXPECT_EQ(queue.GetPendingCount(), 2);
    ASSERT_TRUE(queue.Pop(out));
    EXPECT_EQ(out, a);
    EXPECT_EQ(queue.GetPendingCount(), 1);
    ASSERT_TRUE(queue.Pop(out));
    EXPECT_EQ(out, b);
    EXPECT_FALSE(queue.Pop(out));
    EXPECT_EQ(queue.GetPendingCount(), 0);

    // The emptied list takes new jobs.
    queue.Push(a);
    ASSERT_TRUE(queue.Pop(out));
    EXPECT_EQ(out, a);
}

TEST(JobQueue, CancelAllAndDestructionCancelQueuedJobs) {
    SmartPtr<CountingJob> a(new CountingJob), b(new CountingJob), c(new CountingJob);
    {
        JobQueue queue;
        queue.Push(SmartPtr<Job>(a.Get()));
        queue.Push(SmartPtr<Job>(b.Get()));
        queue.CancelAll();
        EXPECT_EQ(queue.GetPendingCount(), 0);
        SmartPtr<Job> out;
        EXPECT_FALSE(queue.Pop(out));
        queue.Push(SmartPtr<Job>(c.Get()));
    }
    for (CountingJob* job : {a.Get(), b.Get(), c.Get()}) {
        EXPECT_EQ(job->GetState(), JobState::Cancelled);
        EXPECT_EQ(job->executions.load(), 0);
        EXPECT_EQ(job->GetReferenceCount(), 1);  // the queue let go
    }
}

TEST(JobQueue, WorkerDrainsTheGlobalQueue) {
    JobQueue& queue = JobQueue::Get();
    std::vector<SmartPtr<CountingJob>> jobs;
    for (int i = 0; i < 3; ++i) {
        jobs.emplace_back(new CountingJob);
        queue.Push(SmartPtr<Job>(jobs.back().Get()));
    }
    EXPECT_FALSE(JobQueue::IsInWorker());
    JobQueue::RunWorker();
    EXPECT_FALSE(JobQueue::IsInWorker());
    EXPECT_EQ(queue.GetPendingCount(), 0);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(jobs[i]->GetState(), JobState::Done);
        EXPECT_TRUE(jobs[i]->wasInWorker);
        // The running job counts as pending, with those still queued.
        EXPECT_EQ(jobs[i]->pendingSeen, 3 - i);
    }
}

TEST(JobQueue, SeveralWorkersRunEachJobOnce) {
    JobQueue& queue = JobQueue::Get();
    std::vector<SmartPtr<CountingJob>> jobs;
    for (int i = 0; i < 200; ++i) {
        jobs.emplace_back(new CountingJob);
        queue.Push(SmartPtr<Job>(jobs.back().Get()));
    }
    for (int i = 0; i < 4; ++i) {
        ThreadController::SharedInstance().SpawnThread(0.5f);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (queue.GetPendingCount() > 0 && std::chrono::steady_clock::now() < deadline) {
        Thread::Sleep(0, 1000000);
    }
    EXPECT_EQ(queue.GetPendingCount(), 0);
    for (const auto& job : jobs) {
        EXPECT_EQ(job->executions.load(), 1);
        EXPECT_EQ(job->GetState(), JobState::Done);
    }
}

}  // namespace
}  // namespace Varnok
