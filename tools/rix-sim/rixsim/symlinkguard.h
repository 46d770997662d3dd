// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace rixsim {

// A symbolic link to the simulator's line for as long as the object lives,
// so that a fixed name (e.g. /tmp/rix0) can be typed into the port box.
// An existing symbolic link at that place is replaced; anything else there
// (a file, a directory) is left alone and the constructor throws
// std::system_error. The link is removed on destruction, but only while it
// still points to the target: a newer simulator's link is not touched.
class SymlinkGuard {
public:
    SymlinkGuard(std::string linkPath, std::string target);
    ~SymlinkGuard();
    SymlinkGuard(const SymlinkGuard &) = delete;
    SymlinkGuard &operator=(const SymlinkGuard &) = delete;

    const std::string &linkPath() const { return linkPath_; }

private:
    std::string linkPath_;
    std::string target_;
};

} // namespace rixsim
