// Thread priorities over Linux scheduling: real-time round robin needs
// privilege, so a refusal is expected and must never stop the thread.
#include "engine/core/internal/ThreadPriority.h"

#include "engine/core/Log.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace Varnok {
namespace {

constexpr int kLowestNice = 19;

void WarnOnce(int priority, int error) {
    static std::atomic<bool> s_warned{false};
    if (!s_warned.exchange(true)) {
        Log("Thread: priority %d refused (%s); running at the default priority", priority,
            std::strerror(error));
    }
}

}  // namespace

void ApplyCurrentThreadPriority(int priority) {
    if (priority > 2) {
        priority = 2;
    } else if (priority < -2) {
        priority = -2;
    }
    if (priority == 0) {
        return;
    }
    if (priority > 0) {
        const int lowest = sched_get_priority_min(SCHED_RR);
        const int highest = sched_get_priority_max(SCHED_RR);
        const int middle = (lowest + highest) / 2;
        sched_param param{};
        param.sched_priority = priority == 2 ? highest : middle + (highest - middle) / 2;
        const int error = pthread_setschedparam(pthread_self(), SCHED_RR, &param);
        if (error != 0) {
            WarnOnce(priority, error);
        }
        return;
    }
    const int nice = priority == -2 ? kLowestNice : kLowestNice / 2;
    const pid_t tid = static_cast<pid_t>(syscall(SYS_gettid));
    if (setpriority(PRIO_PROCESS, static_cast<id_t>(tid), nice) != 0) {
        WarnOnce(priority, errno);
    }
}

}  // namespace Varnok
