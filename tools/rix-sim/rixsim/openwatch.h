// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace rixsim {

// Tells when a program opens a file: here the slave of the simulator's
// pseudo-terminal. The master side cannot see that open itself, since the
// simulator keeps a slave descriptor of its own and so never sees the line
// closed. Opens that happened before the object was made are not seen, so
// make it before the path is handed to anyone.
class OpenWatch {
public:
    // Throws std::system_error when the system refuses (no inotify left).
    explicit OpenWatch(const std::string &path);
    ~OpenWatch();
    OpenWatch(const OpenWatch &) = delete;
    OpenWatch &operator=(const OpenWatch &) = delete;

    // Becomes readable when the file has been opened; for poll().
    int fd() const { return fd_; }
    // Takes what is waiting without blocking; true when it includes an open.
    bool takeOpened();

private:
    int fd_ = -1;
};

} // namespace rixsim
