// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/filesizelimit.h"

#include <gtest/gtest.h>

#include <csignal>

namespace testsupport {

FileSizeLimit::FileSizeLimit(rlim_t bytes)
{
    EXPECT_EQ(::getrlimit(RLIMIT_FSIZE, &old_), 0);
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    EXPECT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
}

FileSizeLimit::~FileSizeLimit()
{
    ::setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldHandler_);
}

} // namespace testsupport
