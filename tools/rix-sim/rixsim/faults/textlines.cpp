// SPDX-License-Identifier: GPL-3.0-or-later
#include "rixsim/faults/textlines.h"

#include <algorithm>

namespace rixsim {

TextLines::TextLines(Shape shape, Clock::time_point start) : shape_(shape)
{
    if (shape_.lines > 0 && shape_.period.count() > 0)
        nextText_ = start + shape_.period;
}

std::string TextLines::line(int n)
{
    std::string number = std::to_string(n);
    if (number.size() < 2)
        number.insert(0, 1, '0');
    return "LINE" + number + "\r\n";
}

void TextLines::queueDue(SendQueue &queue, Clock::time_point now)
{
    if (nextText_ && now >= *nextText_) {
        if (!nextLine_ && !queued_) {
            sent_ = 0;
            nextLine_ = now;
        }
        while (*nextText_ <= now)
            *nextText_ += shape_.period;
    }
    if (!nextLine_ || queued_ || now < *nextLine_)
        return;
    Send send{line(++sent_), now};
    send.whenOut = [this](Clock::time_point done) {
        queued_ = false;
        if (sent_ < shape_.lines)
            nextLine_ = done + shape_.gap;
        else
            nextLine_.reset();
    };
    queue.push(std::move(send));
    queued_ = true;
}

std::optional<Clock::time_point> TextLines::deadline() const
{
    if (queued_)
        return nextText_;
    if (nextLine_ && nextText_)
        return std::min(*nextLine_, *nextText_);
    return nextLine_ ? nextLine_ : nextText_;
}

} // namespace rixsim
