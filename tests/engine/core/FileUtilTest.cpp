#include "engine/core/FileUtil.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

using namespace Varnok;

TEST(FileUtil, CreatesNestedDirectoriesAndRemovesThem) {
    char pattern[] = "/tmp/varnok_platform_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string root = pattern;
    const std::string deep = root + "/a/b/c";
    EXPECT_TRUE(CreateDirectory(deep.c_str()));
    EXPECT_TRUE(CreateDirectory(deep.c_str()));  // already there
    struct stat info {};
    EXPECT_EQ(stat(deep.c_str(), &info), 0);

    EXPECT_FALSE(RemoveFile((root + "/a").c_str()));  // not empty
    EXPECT_TRUE(RemoveFile(deep.c_str()));
    EXPECT_TRUE(RemoveFile((root + "/a/b").c_str()));
    EXPECT_TRUE(RemoveFile((root + "/a").c_str()));
    EXPECT_FALSE(RemoveFile((root + "/a").c_str()));
    EXPECT_TRUE(RemoveFile(root.c_str()));
}
