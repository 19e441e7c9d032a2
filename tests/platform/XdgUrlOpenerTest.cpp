// xdg-open as the desktop's URL opener, against a stand-in xdg-open on PATH.
#include "platform/XdgUrlOpener.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace Varnok {
namespace {

// A folder holding an xdg-open that writes its argument count and arguments
// to a file beside it and exits with $XDG_TEST_STATUS; first on PATH while
// the fixture lives.
class XdgUrlOpenerTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/varnok_xdg_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
        const std::string script = m_dir + "/xdg-open";
        std::ofstream(script) << "#!/bin/sh\n"
                                 "printf '%s\\n' \"$#\" \"$@\" > \"$(dirname \"$0\")/args\"\n"
                                 "exit \"${XDG_TEST_STATUS:-0}\"\n";
        ASSERT_EQ(chmod(script.c_str(), 0755), 0);
        const char* path = std::getenv("PATH");
        m_oldPath = path != nullptr ? path : "";
        setenv("PATH", (m_dir + ":" + m_oldPath).c_str(), 1);
    }

    void TearDown() override {
        setenv("PATH", m_oldPath.c_str(), 1);
        unsetenv("XDG_TEST_STATUS");
        unlink((m_dir + "/xdg-open").c_str());
        unlink((m_dir + "/args").c_str());
        rmdir(m_dir.c_str());
    }

    std::string Arguments() const {
        std::ifstream in(m_dir + "/args");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::string m_dir;
    std::string m_oldPath;
};

TEST_F(XdgUrlOpenerTest, HandsTheUrlOverAsOneArgumentWithoutAShell) {
    const char* url = "https://example.org/a;b&c=$(touch${IFS}x)|d'e\"";
    EXPECT_TRUE(CreateXdgUrlOpener()->Open(url));
    EXPECT_EQ(Arguments(), std::string("1\n") + url + "\n");
}

TEST_F(XdgUrlOpenerTest, FailsWhenXdgOpenFailsOrIsMissing) {
    setenv("XDG_TEST_STATUS", "3", 1);
    EXPECT_FALSE(CreateXdgUrlOpener()->Open("https://example.org"));

    setenv("PATH", m_dir.c_str(), 1);
    unlink((m_dir + "/xdg-open").c_str());
    EXPECT_FALSE(CreateXdgUrlOpener()->Open("https://example.org"));
}

}  // namespace
}  // namespace Varnok
