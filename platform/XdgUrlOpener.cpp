// xdg-open started with posix_spawnp: the URL is one argument, never shell text.
#include "platform/XdgUrlOpener.h"

#include "engine/core/Log.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>
#include <string>

extern char** environ;

namespace Varnok {
namespace {

class XdgUrlOpener final : public UrlOpener {
public:
    bool Open(const char* url) override {
        char program[] = "xdg-open";
        std::string argument(url);
        char* argv[] = {program, &argument[0], nullptr};
        pid_t pid = 0;
        const int spawned = posix_spawnp(&pid, program, nullptr, nullptr, argv, environ);
        if (spawned != 0) {
            Log("OpenUrl: cannot start xdg-open (%s)", strerror(spawned));
            return false;
        }
        int status = 0;
        while (waitpid(pid, &status, 0) < 0) {
            if (errno != EINTR) {
                Log("OpenUrl: lost track of xdg-open (%s)", strerror(errno));
                return false;
            }
        }
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            Log("OpenUrl: xdg-open could not open \"%s\"", url);
            return false;
        }
        return true;
    }
};

}  // namespace

std::unique_ptr<UrlOpener> CreateXdgUrlOpener() {
    return std::make_unique<XdgUrlOpener>();
}

}  // namespace Varnok
