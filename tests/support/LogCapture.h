// What the engine logs while a piece of test code runs, and the check that a
// refusal of bad data said so in exactly one line.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace Varnok {
namespace TestSupport {

// Captures standard error, where Log writes, from construction until Take()
// (or the end of the scope, which drops what was captured).
class LogCapture {
public:
    LogCapture() { testing::internal::CaptureStderr(); }
    ~LogCapture() {
        if (!m_taken) {
            testing::internal::GetCapturedStderr();
        }
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // Ends the capture; call once.
    std::string Take() {
        m_taken = true;
        return testing::internal::GetCapturedStderr();
    }

private:
    bool m_taken = false;
};

// Passes when log is exactly one line holding both source (who refused, such
// as "DdsTextureImage: ") and fault (what was wrong).
inline testing::AssertionResult IsOneLogLineNaming(const std::string& log,
                                                   const std::string& source,
                                                   const std::string& fault) {
    const auto lines = std::count(log.begin(), log.end(), '\n');
    if (lines != 1) {
        return testing::AssertionFailure() << lines << " log lines, not 1:\n" << log;
    }
    if (log.find(source) == std::string::npos) {
        return testing::AssertionFailure()
               << "the line does not name \"" << source << "\": " << log;
    }
    if (log.find(fault) == std::string::npos) {
        return testing::AssertionFailure() << "the line does not name \"" << fault << "\": " << log;
    }
    return testing::AssertionSuccess();
}

// For a table of bad inputs where some are refused without a word: a null
// fault means nothing may be logged; otherwise as IsOneLogLineNaming.
inline testing::AssertionResult IsRefusalLog(const std::string& log, const std::string& source,
                                             const char* fault) {
    if (fault != nullptr) {
        return IsOneLogLineNaming(log, source, fault);
    }
    if (!log.empty()) {
        return testing::AssertionFailure() << "a silent refusal logged:\n" << log;
    }
    return testing::AssertionSuccess();
}

}  // namespace TestSupport
}  // namespace Varnok
