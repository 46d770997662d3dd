// SPDX-License-Identifier: GPL-3.0-or-later
#include "rixsim/symlinkguard.h"

#include <cerrno>
#include <climits>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace rixsim {
namespace {

bool pointsTo(const std::string &link, const std::string &target)
{
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink(link.c_str(), buffer, sizeof buffer);
    return n >= 0 && std::string(buffer, static_cast<std::size_t>(n)) == target;
}

} // namespace

SymlinkGuard::SymlinkGuard(std::string linkPath, std::string target)
    : linkPath_(std::move(linkPath))
    , target_(std::move(target))
{
    struct stat info {};
    if (::lstat(linkPath_.c_str(), &info) == 0) {
        if (!S_ISLNK(info.st_mode))
            throw std::system_error(EEXIST, std::generic_category(), linkPath_ + " exists and is not a symbolic link");
        if (::unlink(linkPath_.c_str()) != 0 && errno != ENOENT)
            throw std::system_error(errno, std::generic_category(), "unlink " + linkPath_);
    }
    if (::symlink(target_.c_str(), linkPath_.c_str()) != 0)
        throw std::system_error(errno, std::generic_category(), "symlink " + linkPath_);
}

SymlinkGuard::~SymlinkGuard()
{
    if (pointsTo(linkPath_, target_))
        ::unlink(linkPath_.c_str());
}

} // namespace rixsim
