// The engine's recursive mutex and a scoped lock for it.
#pragma once

#include <mutex>

namespace Varnok {

// Recursive: the thread that holds it may lock it again, and must unlock it as
// often as it locked.
class Mutex {
public:
    Mutex() = default;
    ~Mutex() = default;
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;

    void Lock() { m_mutex.lock(); }
    void Unlock() { m_mutex.unlock(); }

private:
    std::recursive_mutex m_mutex;
};

// Holds a Mutex for the lifetime of the scope.
class MutexLock {
public:
    explicit MutexLock(Mutex& mutex) : m_mutex(mutex) { m_mutex.Lock(); }
    ~MutexLock() { m_mutex.Unlock(); }
    MutexLock(const MutexLock&) = delete;
    MutexLock& operator=(const MutexLock&) = delete;

private:
    Mutex& m_mutex;
};

}  // namespace Varnok
