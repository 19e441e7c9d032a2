// Running a program of the build from a test: a fresh temporary folder for
// its files and the program's exit status.
#pragma once

#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace VarnokTest {

// A new folder under TMPDIR (or /tmp) whose name starts with the prefix;
// empty when it could not be made.
inline std::string MakeTempDir(const char* prefix) {
    const char* base = getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/" + prefix + "_XXXXXX";
    return mkdtemp(&pattern[0]) != nullptr ? pattern : std::string();
}

// Runs args[0] with the rest as its arguments and waits for it: its exit
// status, -1 when it could not start or did not exit normally.
inline int RunProgram(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(&arg[0]);
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        return -1;
    }
    int status = 0;
    if (waitpid(pid, &status, 0) < 0 || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

}  // namespace VarnokTest
