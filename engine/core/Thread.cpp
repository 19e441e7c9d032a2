// Thread start-up, naming and joining over pthreads.
#include "engine/core/Thread.h"

#include "engine/core/Log.h"
#include "engine/core/internal/ThreadPriority.h"

#include <cerrno>
#include <cstring>
#include <ctime>

namespace Varnok {
namespace {

constexpr size_t kMaxNameLength = 15;  // the platform's limit without the terminator

// Long reverse-domain names ("com.maker.game.audio") differ at their end, so
// they keep it; anything else keeps its start.
void MakeThreadName(const char* name, char outName[kMaxNameLength + 1]) {
    if (name == nullptr) {
        name = "";
    }
    const size_t length = std::strlen(name);
    const char* start = name;
    if (length >= kMaxNameLength && std::strchr(name, '.') != nullptr &&
        std::strchr(name, '@') == nullptr) {
        start = name + length - kMaxNameLength;
    }
    std::strncpy(outName, start, kMaxNameLength);
    outName[kMaxNameLength] = '\0';
}

}  // namespace

Thread::~Thread() {
    Stop();
}

void Thread::Start(const char* name, int priority) {
    if (m_started) {
        return;
    }
    MakeThreadName(name, m_name);
    m_priority = priority;
    m_stop.store(false);
    const int error = pthread_create(&m_handle, nullptr, &Thread::RunWrapper, this);
    if (error != 0) {
        Log("Thread: could not start \"%s\" (%s)", m_name, std::strerror(error));
        return;
    }
    m_started = true;
    m_joined = false;
}

void Thread::Join() {
    std::lock_guard<std::mutex> lock(m_joinMutex);
    if (!m_started || m_joined) {
        return;
    }
    pthread_join(m_handle, nullptr);
    m_joined = true;
}

void Thread::Stop() {
    m_stop.store(true);
    Join();
}

void Thread::Sleep(uint32_t seconds, uint64_t nanoseconds) {
    timespec request{};
    request.tv_sec = static_cast<time_t>(seconds + nanoseconds / 1000000000u);
    request.tv_nsec = static_cast<long>(nanoseconds % 1000000000u);
    timespec remaining{};
    while (nanosleep(&request, &remaining) != 0 && errno == EINTR) {
        request = remaining;
    }
}

void* Thread::RunWrapper(void* self) {
    Thread* thread = static_cast<Thread*>(self);
    pthread_setname_np(pthread_self(), thread->m_name);
    ApplyCurrentThreadPriority(thread->m_priority);
    thread->m_running.store(true);
    thread->Run();
    thread->m_running.store(false);
    return nullptr;
}

}  // namespace Varnok
