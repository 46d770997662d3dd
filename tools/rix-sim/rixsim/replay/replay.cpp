// SPDX-License-Identifier: GPL-3.0-or-later
#include "rixsim/replay/replay.h"

#include "rixsim/escape.h"

namespace rixsim {

Replay::Replay(std::shared_ptr<const ReplayScript> script, OnMismatch onMismatch, bool stopAtEnd)
    : script_(std::move(script))
    , onMismatch_(onMismatch)
    , stopAtEnd_(stopAtEnd)
{
}

void Replay::lineOpened(Clock::time_point at)
{
    if (begun_ < script_->connections.size())
        begin(begun_, at);
}

void Replay::begin(std::size_t connection, Clock::time_point at, std::chrono::milliseconds from)
{
    if (connection > begun_)
        notes_.push_back("replay: " + std::to_string(connection - begun_) + " recorded connection(s) passed over");
    for (const ReplayScript::Event &event : script_->connections[connection].unasked)
        if (event.at >= from)
            schedule(event, at + event.at);
    begun_ = connection + 1;
    notes_.push_back("replay: connection " + std::to_string(begun_) + " of " + std::to_string(script_->connections.size())
                     + " begins");
}

void Replay::schedule(const ReplayScript::Event &event, Clock::time_point due)
{
    due_.emplace(event.kind == ReplayScript::Event::Kind::Burst ? due - takeLead : due, event);
}

bool Replay::completesWrites(std::string_view input) const
{
    return script_->match(input, nextWrite_).has_value();
}

Replay::Heard Replay::heard(std::string_view command, Clock::time_point lastByte)
{
    Heard heard;
    if (atEnd()) {
        heard.note = "replay: after the recording's end: " + escapeBytes(command) + ", not answered";
        return heard;
    }
    const std::optional<ReplayScript::Match> match = script_->match(command, nextWrite_);
    if (!match) {
        heard.note = "replay: not in the recording: " + escapeBytes(command);
        switch (onMismatch_) {
        case OnMismatch::Silent: heard.note += ", not answered"; break;
        case OnMismatch::Unit:
            heard.unitAnswers = true;
            heard.note += ", answered by the simulated unit";
            break;
        case OnMismatch::Stop:
            heard.stop = true;
            heard.note += ", stopping";
            break;
        }
        return heard;
    }
    const std::vector<ReplayScript::Write> &writes = script_->writes;
    heard.note = "replay: write " + std::to_string(match->first + 1)
                 + (match->last > match->first ? "-" + std::to_string(match->last + 1) : std::string())
                 + " of " + std::to_string(writes.size()) + " as recorded";
    if (match->first > nextWrite_)
        heard.note += ", " + std::to_string(match->first - nextWrite_) + " passed over";
    const ReplayScript::Write &lastWrite = writes[match->last];
    // A write of a connection not yet begun begins it (a device shows no open), from that
    // write on: what the unit sent before it in the recording is past.
    if (lastWrite.connection >= begun_)
        begin(lastWrite.connection, lastByte - lastWrite.at, lastWrite.at);
    for (std::size_t i = match->first; i <= match->last; ++i) {
        // Writes taken together came as close together as they could: each at its recorded
        // distance before the last one.
        const auto before = writes[i].connection == lastWrite.connection && lastWrite.at > writes[i].at
                                ? lastWrite.at - writes[i].at
                                : std::chrono::milliseconds(0);
        for (const ReplayScript::Event &event : writes[i].answer)
            schedule(event, lastByte - before + event.at);
    }
    nextWrite_ = match->last + 1;
    return heard;
}

void Replay::queueDue(SendQueue &queue, Clock::time_point now)
{
    while (!due_.empty() && due_.begin()->first <= now
           && due_.begin()->second.kind == ReplayScript::Event::Kind::Burst) {
        queue.push({std::move(due_.begin()->second.bytes), due_.begin()->first});
        due_.erase(due_.begin());
    }
    if (!endNoted_ && atEnd()) {
        endNoted_ = true;
        notes_.push_back(stopAtEnd_ ? "replay: the recording's end, stopping" : "replay: the recording's end, falling silent");
    }
}

std::optional<Clock::time_point> Replay::deadline() const
{
    if (due_.empty())
        return std::nullopt;
    return due_.begin()->first;
}

bool Replay::lineLostDue(Clock::time_point now) const
{
    return !due_.empty() && due_.begin()->first <= now && due_.begin()->second.kind == ReplayScript::Event::Kind::LineLost;
}

bool Replay::atEnd() const
{
    if (nextWrite_ < script_->writes.size() || !due_.empty())
        return false;
    for (std::size_t k = begun_; k < script_->connections.size(); ++k)
        if (!script_->connections[k].unasked.empty())
            return false;
    return true;
}

std::vector<std::string> Replay::takeNotes()
{
    std::vector<std::string> notes;
    notes.swap(notes_);
    return notes;
}

} // namespace rixsim
