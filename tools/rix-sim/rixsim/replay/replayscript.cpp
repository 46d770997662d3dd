// SPDX-License-Identifier: GPL-3.0-or-later
#include "rixsim/replay/replayscript.h"

#include "unit/files/recordline.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace rixsim {

namespace {

using std::chrono::milliseconds;

bool startsWith(std::string_view text, std::string_view start)
{
    return text.substr(0, start.size()) == start;
}

// The program's markers that begin a connection: a connect, a connect after a lost line, and
// a recording begun on a line already open ("Mitschnitt begonnen (rix-term …), verbunden: …").
bool beginsConnection(std::string_view marker)
{
    return startsWith(marker, "Verbunden: ") || startsWith(marker, "Wieder verbunden: ")
           || (startsWith(marker, "Mitschnitt begonnen") && marker.find("), verbunden: ") != std::string_view::npos);
}

bool losesLine(std::string_view marker)
{
    return startsWith(marker, "Verbindung unterbrochen");
}

class ScriptBuilder {
public:
    explicit ScriptBuilder(ReplayScript &script) : script_(script) {}

    void connected(std::int64_t at)
    {
        // A connection in which nothing happened yet only moves its start.
        if (script_.connections.empty() || !connectionUsed_)
            script_.connections.resize(std::max<std::size_t>(script_.connections.size(), 1));
        else
            script_.connections.emplace_back();
        connectionStart_ = at;
        connectionUsed_ = false;
        answering_ = false;
    }

    void wrote(std::string bytes, std::int64_t at)
    {
        startIfNone(at);
        script_.writes.push_back({std::move(bytes), script_.connections.size() - 1, since(connectionStart_, at), {}});
        connectionUsed_ = true;
        writtenAt_ = at;
        answering_ = true;
        lastAnswered_ = at;
    }

    void happened(ReplayScript::Event event, std::int64_t at)
    {
        startIfNone(at);
        connectionUsed_ = true;
        if (answering_ && at - lastAnswered_ <= ReplayScript::answerWindow.count()) {
            event.at = since(writtenAt_, at);
            script_.writes.back().answer.push_back(std::move(event));
            lastAnswered_ = at;
            return;
        }
        answering_ = false;
        event.at = since(connectionStart_, at);
        script_.connections.back().unasked.push_back(std::move(event));
    }

private:
    // Bytes before any connect marker (a recording cut at its start): their connection began
    // with the first of them.
    void startIfNone(std::int64_t at)
    {
        if (script_.connections.empty()) {
            script_.connections.emplace_back();
            connectionStart_ = at;
        }
    }
    // A clock set back while recording never makes a time before its start.
    static milliseconds since(std::int64_t start, std::int64_t at) { return milliseconds(std::max<std::int64_t>(0, at - start)); }

    ReplayScript &script_;
    std::int64_t connectionStart_ = 0;
    bool connectionUsed_ = false;
    std::int64_t writtenAt_ = 0;
    // While bursts can still belong to the last write: the time of that write or of the last
    // burst of its answer.
    bool answering_ = false;
    std::int64_t lastAnswered_ = 0;
};

} // namespace

ReplayScript ReplayScript::fromRecording(std::string_view text)
{
    ReplayScript script;
    ScriptBuilder builder(script);
    recordline::Line line;
    std::size_t number = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::string_view lineText = recordline::takeLine(text, at);
        ++number;
        if (lineText.empty())
            continue;
        const bool read = recordline::read(lineText, line);
        const std::optional<std::int64_t> time = read ? recordline::clockMs(line.time) : std::nullopt;
        if (!time) {
            script.problems.push_back("line " + std::to_string(number) + ": not a line of a recording");
            continue;
        }
        ++script.linesRead;
        switch (line.kind) {
        case recordline::Kind::Shown: break;
        case recordline::Kind::Sent: builder.wrote(line.bytes, *time); break;
        case recordline::Kind::Received: builder.happened({Event::Kind::Burst, line.bytes, {}}, *time); break;
        case recordline::Kind::Marker:
            if (beginsConnection(line.text))
                builder.connected(*time);
            else if (losesLine(line.text))
                builder.happened({Event::Kind::LineLost, {}, {}}, *time);
            break;
        }
    }
    return script;
}

ReplayScript ReplayScript::load(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw std::runtime_error("cannot read the recording " + path);
    std::ostringstream text;
    text << file.rdbuf();
    if (file.bad())
        throw std::runtime_error("cannot read the recording " + path);
    ReplayScript script = fromRecording(text.str());
    if (script.linesRead == 0)
        throw std::runtime_error(path + " holds no line of a recording");
    return script;
}

std::optional<ReplayScript::Match> ReplayScript::match(std::string_view command, std::size_t from) const
{
    if (command.empty())
        return std::nullopt;
    for (std::size_t first = from; first < writes.size(); ++first) {
        std::string_view rest = command;
        std::size_t last = first;
        while (last < writes.size() && !writes[last].bytes.empty() && startsWith(rest, writes[last].bytes)) {
            rest.remove_prefix(writes[last].bytes.size());
            if (rest.empty())
                return Match{first, last};
            ++last;
        }
    }
    return std::nullopt;
}

} // namespace rixsim
