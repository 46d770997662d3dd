// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Work of the start-up done on a thread of its own, beside Qt's start or the building of the
// window, and waited for before what needs it. Also waited for when the object goes.

#include <thread>
#include <utility>

class StartUpThread {
public:
    // Nothing started: the work is done where it is first needed, as without this object.
    StartUpThread() = default;
    template <typename Work>
    explicit StartUpThread(Work &&work)
        : thread_(std::forward<Work>(work))
    {
    }
    StartUpThread(StartUpThread &&) = default;
    StartUpThread &operator=(StartUpThread &&) = delete;
    ~StartUpThread() { wait(); }

    bool started() const { return started_; }
    void wait()
    {
        if (thread_.joinable())
            thread_.join();
    }

private:
    std::thread thread_;
    bool started_ = thread_.joinable();
};
