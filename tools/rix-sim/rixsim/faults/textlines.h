// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rixsim/line/clock.h"
#include "rixsim/line/sendqueue.h"

#include <chrono>
#include <optional>
#include <string>

namespace rixsim {

// --text-lines: a text of several lines sent unasked, "LINE01\r\n" … one line at a
// time with a gap after each, as a unit that reports line by line; the first text one
// period after the start, then one period after the previous text began (skipped while it
// is still going). Lines go one by one into the queue, so an answer due meanwhile goes out
// between two of them, as the unit would send it.
class TextLines {
public:
    struct Shape {
        int lines = 0;                    // 0: sends nothing
        std::chrono::milliseconds gap{0}; // after each line's last byte
        std::chrono::milliseconds period{0};
    };
    TextLines(Shape shape, Clock::time_point start);
    // A queued line refers back to its sender.
    TextLines(const TextLines &) = delete;
    TextLines &operator=(const TextLines &) = delete;

    // Queues the next line when it is due.
    void queueDue(SendQueue &queue, Clock::time_point now);
    // When the next line or text falls due.
    std::optional<Clock::time_point> deadline() const;

    // The n-th line of a text (from 1).
    static std::string line(int n);

private:
    Shape shape_;
    std::optional<Clock::time_point> nextText_;
    std::optional<Clock::time_point> nextLine_;   // while a text is going
    int sent_ = 0;                                 // lines of the text going out
    bool queued_ = false;
};

} // namespace rixsim
