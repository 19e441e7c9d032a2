// Collects the client library's log lines while a test runs.
#pragma once

#include "kiplink/Source/Log.h"

#include <string>
#include <vector>

namespace KiplinkTest {

class LogLines {
public:
    LogLines() {
        Lines().clear();
        Kiplink::SetLogSink([](const char* line) { Lines().emplace_back(line); });
    }
    ~LogLines() { Kiplink::SetLogSink(nullptr); }
    LogLines(const LogLines&) = delete;
    LogLines& operator=(const LogLines&) = delete;

    const std::vector<std::string>& Get() const { return Lines(); }
    void Clear() { Lines().clear(); }
    std::string Joined() const {
        std::string all;
        for (const std::string& line : Lines()) {
            all += line;
            all += '\n';
        }
        return all;
    }

private:
    static std::vector<std::string>& Lines() {
        static std::vector<std::string> s_lines;
        return s_lines;
    }
};

}  // namespace KiplinkTest
