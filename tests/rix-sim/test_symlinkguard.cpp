// SPDX-License-Identifier: GPL-3.0-or-later
#include "rixsim/symlinkguard.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

class SymlinkGuardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/rixsim-link-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
        link_ = dir_ + "/rix0";
    }
    void TearDown() override
    {
        ::unlink(link_.c_str());
        ::rmdir(dir_.c_str());
    }
    std::string target(const std::string &path) const
    {
        char buffer[PATH_MAX];
        const ssize_t n = ::readlink(path.c_str(), buffer, sizeof buffer);
        return n < 0 ? std::string() : std::string(buffer, static_cast<std::size_t>(n));
    }
    bool exists(const std::string &path) const
    {
        struct stat info {};
        return ::lstat(path.c_str(), &info) == 0;
    }

    std::string dir_;
    std::string link_;
};

TEST_F(SymlinkGuardTest, LinkLivesAsLongAsTheGuard)
{
    {
        rixsim::SymlinkGuard guard(link_, "/dev/pts/77");
        EXPECT_EQ(target(link_), "/dev/pts/77");
    }
    EXPECT_FALSE(exists(link_));
}

TEST_F(SymlinkGuardTest, ReplacesAStaleLink)
{
    ASSERT_EQ(::symlink("/dev/pts/1", link_.c_str()), 0);
    rixsim::SymlinkGuard guard(link_, "/dev/pts/2");
    EXPECT_EQ(target(link_), "/dev/pts/2");
}

TEST_F(SymlinkGuardTest, LeavesALinkThatWasReplacedMeanwhile)
{
    {
        rixsim::SymlinkGuard guard(link_, "/dev/pts/3");
        ASSERT_EQ(::unlink(link_.c_str()), 0);
        ASSERT_EQ(::symlink("/dev/pts/4", link_.c_str()), 0);
    }
    EXPECT_EQ(target(link_), "/dev/pts/4");
}

TEST_F(SymlinkGuardTest, RefusesToReplaceARegularFile)
{
    const int fd = ::open(link_.c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    ::close(fd);
    EXPECT_THROW(rixsim::SymlinkGuard(link_, "/dev/pts/5"), std::system_error);
    struct stat info {};
    ASSERT_EQ(::lstat(link_.c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
}

} // namespace
