// SPDX-License-Identifier: GPL-3.0-or-later
#include "rixsim/openwatch.h"

#include <cerrno>
#include <sys/inotify.h>
#include <system_error>
#include <unistd.h>

namespace rixsim {

OpenWatch::OpenWatch(const std::string &path)
{
    fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0)
        throw std::system_error(errno, std::generic_category(), "inotify_init1");
    if (::inotify_add_watch(fd_, path.c_str(), IN_OPEN) < 0) {
        const int error = errno;
        ::close(fd_);
        throw std::system_error(error, std::generic_category(), "inotify_add_watch " + path);
    }
}

OpenWatch::~OpenWatch()
{
    ::close(fd_);
}

bool OpenWatch::takeOpened()
{
    bool opened = false;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return opened;
        for (ssize_t at = 0; at < n;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            opened = opened || (event->mask & IN_OPEN) != 0;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
}

} // namespace rixsim
