// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A full disk for this process, without root: files may grow to a limit only, and crossing it
// is an error (EFBIG) instead of the signal that would end the process. Both are restored when
// the scope ends.

#include <sys/resource.h>

namespace testsupport {

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

} // namespace testsupport
