// A named platform thread; derived classes supply the body.
#pragma once

#include <pthread.h>

#include <atomic>
#include <cstdint>
#include <mutex>

namespace Varnok {

class Thread {
public:
    Thread() = default;
    // When started: sets the stop flag and waits for the thread. A derived
    // class whose Run() uses its own members must call Stop() in its own
    // destructor, because those members are gone by the time this one runs.
    virtual ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Creates the thread (joinable) unless it was started already. The name
    // is cut to the platform's 15 characters: a long dotted name such as
    // "com.maker.game.audio" keeps its end, others their start. priority runs
    // from -2 (lowest) through 0 (default) to 2 (highest); a priority the
    // system refuses leaves the thread at the default. When creation fails the
    // object stays unstarted.
    void Start(const char* name, int priority);

    // Waits for the thread when it was started; later calls return at once.
    void Join();
    // Sets the stop flag, then joins.
    void Stop();

    bool IsStarted() const { return m_started; }
    // True while Run() executes.
    bool IsRunning() const { return m_running.load(); }

    // Sleeps for seconds plus nanoseconds (nanoseconds past a billion carry
    // into seconds).
    static void Sleep(uint32_t seconds, uint64_t nanoseconds);

protected:
    // The thread's body. Long-running bodies poll IsStopRequested().
    virtual void Run() = 0;
    bool IsStopRequested() const { return m_stop.load(); }

private:
    static void* RunWrapper(void* self);

    std::atomic<bool> m_running{false};
    std::atomic<bool> m_stop{false};
    pthread_t m_handle{};
    bool m_started = false;
    bool m_joined = false;
    int m_priority = 0;
    char m_name[16] = {};
    std::mutex m_joinMutex;  // Join may be reached from Stop and the destructor
};

}  // namespace Varnok
