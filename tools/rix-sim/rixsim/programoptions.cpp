// SPDX-License-Identifier: GPL-3.0-or-later
#include "rixsim/programoptions.h"

#include <cctype>
#include <cmath>
#include <functional>
#include <set>
#include <utility>

#include <getopt.h>

namespace rixsim {
namespace {

using std::chrono::milliseconds;

// Long enough for any test or demo, short enough that no arithmetic overflows.
constexpr long long maxMilliseconds = 24LL * 3600 * 1000;

std::optional<milliseconds> parseMilliseconds(const std::string &text)
{
    if (text.empty() || text.size() > 9)
        return std::nullopt;
    long long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value > maxMilliseconds)
        return std::nullopt;
    return milliseconds(value);
}

std::optional<milliseconds> parseSeconds(const std::string &text)
{
    const std::size_t dot = text.find('.');
    const std::string whole = text.substr(0, dot);
    const std::string fraction = dot == std::string::npos ? std::string() : text.substr(dot + 1);
    if (whole.empty() || whole.size() > 6 || (dot != std::string::npos && fraction.empty()) || fraction.size() > 3)
        return std::nullopt;
    const auto digitsOnly = [](const std::string &s) {
        return s.find_first_not_of("0123456789") == std::string::npos;
    };
    if (!digitsOnly(whole) || !digitsOnly(fraction))
        return std::nullopt;
    long long ms = std::stoll(whole) * 1000;
    if (!fraction.empty())
        ms += std::stoll(fraction + std::string(3 - fraction.size(), '0'));
    if (ms > maxMilliseconds)
        return std::nullopt;
    return milliseconds(ms);
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::optional<std::string> resolveEscapes(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size())
            return std::nullopt;
        switch (text[i]) {
        case 'r': out += '\r'; break;
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case '\\': out += '\\'; break;
        case 'x': {
            if (i + 2 >= text.size())
                return std::nullopt;
            const int high = hexValue(text[i + 1]);
            const int low = hexValue(text[i + 2]);
            if (high < 0 || low < 0)
                return std::nullopt;
            out += static_cast<char>(high * 16 + low);
            i += 2;
            break;
        }
        default: return std::nullopt;
        }
    }
    return out;
}

std::string usageText()
{
    return "Usage: rix-sim [OPTION]...\n"
           "Simulates a RIX unit on a new pseudo-terminal (or a serial port) and prints\n"
           "the path to open as the first line of output. Commands and answers are\n"
           "logged to standard error. Ends on SIGINT or SIGTERM.\n"
           "\n"
           "  --echo                send each answered command back before its answer\n"
           "                        (the unit's 4800-baud mode)\n"
           "  --delay MS            wait MS milliseconds before answering\n"
           "  --split-ms MS         send the first half of an answer, pause MS ms, then the rest\n"
           "  --send TEXT           send TEXT once at start, unasked (\\r \\n \\t \\\\ \\xHH allowed)\n"
           "  --send-on-open TEXT   send TEXT once, unasked, as soon as a program has opened the\n"
           "                        line, before it asks anything (escapes as for --send)\n"
           "  --send-every MS TEXT  send TEXT unasked every MS milliseconds while running\n"
           "                        (escapes as for --send)\n"
           "  --text-lines N,GAP,MS send a text of N lines \"LINE01\\r\\n\" … unasked every MS\n"
           "                        milliseconds, GAP milliseconds after each line's last byte\n"
           "  --version-text TEXT   answer V with TEXT instead of \"rix-sim 1.0\"\n"
           "                        (escapes as for --send)\n"
           "  --ignore-writes       answer parameter writes but keep the old values\n"
           "  --mute PARAM          never answer reads or writes of PARAM (F0 ... F6);\n"
           "                        may be given more than once\n"
           "  --mute-after-writes N answer the N-th accepted parameter write, then nothing more,\n"
           "                        but still take the writes that come (a stopped unit)\n"
           "  --late-answers        send the previous read's answer once more in front of each\n"
           "                        read's answer (an answer that was slow arrives after the next request)\n"
           "  --no-pace             send every byte at once; without it each byte takes 10 bits\n"
           "                        at the rate the terminal program set (--baud with --device)\n"
           "  --flood SECONDS       send numbered lines back to back for SECONDS\n"
           "  --hangup-after SECONDS  close the line after SECONDS (an unplugged adapter) and exit\n"
           "  --hangup-after-writes N  close the line and exit right after answering the N-th\n"
           "                        accepted parameter write, once the program has read the answer\n"
           "  --unit-baud RATE      the unit works at RATE only: a command that comes at another\n"
           "                        rate is logged but not answered (combine with --echo for 4800)\n"
           "  --device PATH         use the serial port PATH instead of a pseudo-terminal\n"
           "  --baud RATE           rate for --device (default 19200), always 8N1\n"
           "  --link PATH           make PATH a symbolic link to the line while running\n"
           "  --address DIGIT       the unit's own address, 0-9 or A-F (the first digit of F0;\n"
           "                        default F)\n"
           "  --replay FILE         play the unit's side of a RIX-TERM recording: its unasked\n"
           "                        texts at their times after the program opens the line, each\n"
           "                        recorded write's answer when the program sends that write,\n"
           "                        the lost line as recorded\n"
           "  --replay-mismatch silent|unit|stop\n"
           "                        a command the recording does not have: no answer (default),\n"
           "                        the simulated unit's answer, or stop (exit status 3)\n"
           "  --replay-end silent|stop  at the recording's end fall silent (default) or stop\n"
           "  --and                 start another unit, on its own line, with the options that\n"
           "                        follow; each unit's path is a line of output, in order\n"
           "  --help                show this text and exit\n"
           "  --version             show the version and exit\n"
           "\n"
           "SECONDS may have a fraction (0.5). Exit status: 0 when stopped or hung up,\n"
           "1 when the line could not be opened or was lost or the recording could not be\n"
           "read, 2 for a bad command line, 3 when a replay stopped at a command the\n"
           "recording does not have.\n";
}

ParsedArguments parseArguments(const std::vector<std::string> &arguments)
{
    ParsedArguments result;
    ProgramOptions &o = result.options;
    const auto fail = [&result](std::string message) {
        result.action = ParsedArguments::Action::Error;
        result.error = std::move(message);
        return result;
    };

    using Setter = std::function<bool(const std::string &)>;
    // The replay's choices given, which mean nothing without --replay.
    std::set<std::string> replayChoices;
    const auto ms = [](milliseconds &target) {
        return Setter([&target](const std::string &v) {
            const auto value = parseMilliseconds(v);
            return value ? (target = *value, true) : false;
        });
    };
    const auto seconds = [](auto &target) {
        return Setter([&target](const std::string &v) {
            const auto value = parseSeconds(v);
            return value ? (target = *value, true) : false;
        });
    };
    // A count of things that happen, from 1 on.
    const auto count = [](int &target) {
        return Setter([&target](const std::string &v) {
            const auto value = parseMilliseconds(v); // the same whole-number rule
            return value && value->count() > 0 ? (target = static_cast<int>(value->count()), true) : false;
        });
    };
    const auto flag = [](auto apply) {
        return Setter([apply](const std::string &) { return apply(), true; });
    };
    struct Option {
        const char *name;
        bool takesValue;
        Setter set;
    };
    const std::vector<Option> table = {
        {"help", false, flag([&result] { result.action = ParsedArguments::Action::Help; })},
        {"version", false, flag([&result] {
             if (result.action != ParsedArguments::Action::Help)
                 result.action = ParsedArguments::Action::Version;
         })},
        {"echo", false, flag([&o] { o.echo = true; })},
        {"no-pace", false, flag([&o] { o.paced = false; })},
        {"ignore-writes", false, flag([&o] { o.ignoreWrites = true; })},
        {"late-answers", false, flag([&o] { o.lateAnswers = true; })},
        {"mute", true, [&o](const std::string &v) {
             if (v.size() != 2 || (v[0] != 'F' && v[0] != 'f') || v[1] < '0' || v[1] >= '0' + Unit::parameterCount)
                 return false;
             o.muted[static_cast<std::size_t>(v[1] - '0')] = true;
             return true;
         }},
        {"mute-after-writes", true, count(o.muteAfterWrites)},
        {"delay", true, ms(o.answerDelay)},
        {"split-ms", true, ms(o.splitGap)},
        {"flood", true, seconds(o.flood)},
        {"hangup-after", true, seconds(o.hangupAfter)},
        {"hangup-after-writes", true, count(o.hangupAfterWrites)},
        {"send", true, [&o](const std::string &v) {
             auto text = resolveEscapes(v);
             return text ? (o.sendAtStart = std::move(*text), true) : false;
         }},
        {"send-on-open", true, [&o](const std::string &v) {
             auto text = resolveEscapes(v);
             return text ? (o.sendOnOpen = std::move(*text), true) : false;
         }},
        // No setter: its text is the argument after its period, which getopt_long
        // cannot express, so the loop takes it.
        {"send-every", true, {}},
        {"text-lines", true, [&o](const std::string &v) {
             const std::size_t first = v.find(',');
             const std::size_t second = first == std::string::npos ? first : v.find(',', first + 1);
             if (second == std::string::npos)
                 return false;
             const auto lines = parseMilliseconds(v.substr(0, first)); // the same whole-number rule
             const auto gap = parseMilliseconds(v.substr(first + 1, second - first - 1));
             const auto period = parseMilliseconds(v.substr(second + 1));
             if (!lines || !gap || !period || lines->count() == 0 || lines->count() > 9999 || period->count() == 0)
                 return false;
             o.textLines = {int(lines->count()), *gap, *period};
             return true;
         }},
        {"version-text", true, [&o](const std::string &v) {
             auto text = resolveEscapes(v);
             return text ? (o.versionText = std::move(*text), true) : false;
         }},
        {"device", true, [&o](const std::string &v) { return !v.empty() && (o.device = v, true); }},
        {"link", true, [&o](const std::string &v) { return !v.empty() && (o.link = v, true); }},
        {"baud", true, [&o](const std::string &v) {
             const auto value = parseMilliseconds(v); // the same whole-number rule
             if (!value || value->count() == 0 || value->count() > 4000000)
                 return false;
             o.baud = static_cast<int>(value->count());
             return true;
         }},
        {"address", true, [&o](const std::string &v) {
             if (v.size() != 1 || hexValue(v[0]) < 0)
                 return false;
             o.address = static_cast<char>(std::toupper(static_cast<unsigned char>(v[0])));
             return true;
         }},
        {"replay", true, [&o](const std::string &v) { return !v.empty() && (o.replayFile = v, true); }},
        {"replay-mismatch", true, [&o, &replayChoices](const std::string &v) {
             using OnMismatch = Replay::OnMismatch;
             for (const auto &[word, choice] : {std::pair{"silent", OnMismatch::Silent},
                                                std::pair{"unit", OnMismatch::Unit},
                                                std::pair{"stop", OnMismatch::Stop}})
                 if (v == word)
                     return o.replayMismatch = choice, replayChoices.insert("--replay-mismatch"), true;
             return false;
         }},
        {"replay-end", true, [&o, &replayChoices](const std::string &v) {
             if (v != "silent" && v != "stop")
                 return false;
             o.replayEndStops = v == "stop";
             replayChoices.insert("--replay-end");
             return true;
         }},
        {"unit-baud", true, [&o](const std::string &v) {
             const auto value = parseMilliseconds(v); // the same whole-number rule
             if (!value || value->count() == 0 || value->count() > 4000000)
                 return false;
             o.unitBaud = static_cast<int>(value->count());
             return true;
         }},
    };

    // Above every character value, so an option's code never looks like '?' or ':'.
    constexpr int firstCode = 256;
    std::vector<option> longOptions;
    for (std::size_t i = 0; i < table.size(); ++i)
        longOptions.push_back({table[i].name, table[i].takesValue ? required_argument : no_argument, nullptr,
                               firstCode + static_cast<int>(i)});
    longOptions.push_back({nullptr, 0, nullptr, 0});

    // getopt_long wants a writable argv that starts with the program's name.
    std::string programName = "rix-sim";
    std::vector<std::string> words = arguments;
    std::vector<char *> argv{programName.data()};
    for (std::string &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const int argc = static_cast<int>(words.size()) + 1;

    // getopt_long keeps its place in globals; 0 makes glibc start afresh, so
    // the parser gives the same answer on every call. The messages are ours
    // (opterr 0), one line each. "+" stops at the first word that is not an
    // option instead of moving it to the end, so that word is reported in order;
    // ":" tells a missing value apart from an unknown option.
    optind = 0;
    opterr = 0;
    for (;;) {
        const int at = optind == 0 ? 1 : optind;
        const int code = getopt_long(argc, argv.data(), "+:", longOptions.data(), nullptr);
        if (code == -1) {
            // A plain word, or "--", which getopt_long takes as the end of the options.
            if (at < argc)
                return fail("unknown option: " + std::string(argv[at]));
            break;
        }
        const std::string argument = argv[at];
        if (code == '?')
            return fail("unknown option: " + argument);
        const Option &known = table[static_cast<std::size_t>((code == ':' ? optopt : code) - firstCode)];
        const std::string name = "--" + std::string(known.name);
        // getopt_long takes any unambiguous abbreviation; the names are only
        // taken in full, so that a later option cannot change what one means.
        if (argument.substr(0, argument.find('=')) != name)
            return fail("unknown option: " + argument);
        if (code == ':')
            return fail("option " + name + " needs a value");
        const std::string value = known.takesValue ? optarg : "";
        if (!known.set) {
            const auto period = parseMilliseconds(value);
            if (!period || period->count() == 0)
                return fail("bad value for " + name + ": '" + value + "'");
            if (optind >= argc)
                return fail("option " + name + " needs a text after its period");
            const std::string text = argv[optind++];
            auto bytes = resolveEscapes(text);
            if (!bytes || bytes->empty())
                return fail("bad text for " + name + ": '" + text + "'");
            o.sendEvery = *period;
            o.sendEveryText = std::move(*bytes);
            continue;
        }
        if (!known.set(value))
            return fail("bad value for " + name + ": '" + value + "'");
    }
    if (!o.replayFile && !replayChoices.empty())
        return fail("option " + *replayChoices.begin() + " needs --replay");
    // The recording says what the unit sends and when; another source of texts would mix in.
    if (o.replayFile) {
        const std::pair<bool, const char *> sending[] = {
            {!o.sendAtStart.empty(), "--send"}, {!o.sendOnOpen.empty(), "--send-on-open"},
            {o.sendEvery.count() > 0, "--send-every"}, {o.textLines.lines > 0, "--text-lines"},
            {o.flood.count() > 0, "--flood"}, {o.hangupAfter.has_value(), "--hangup-after"},
            {o.hangupAfterWrites > 0, "--hangup-after-writes"}};
        for (const auto &[given, name] : sending)
            if (given)
                return fail(std::string("option --replay cannot be combined with ") + name);
    }
    return result;
}

TransportOptions transportOptionsFor(const ProgramOptions &options)
{
    TransportOptions t;
    t.answerDelay = options.answerDelay;
    t.splitGap = options.splitGap;
    t.paced = options.paced;
    t.sendAtStart = options.sendAtStart;
    t.sendOnOpen = options.sendOnOpen;
    t.sendEvery = options.sendEvery;
    t.sendEveryText = options.sendEveryText;
    t.textLines = options.textLines;
    t.flood = options.flood;
    t.hangupAfter = options.hangupAfter;
    t.hangupAfterWrites = options.hangupAfterWrites;
    t.unitRate = options.unitBaud;
    t.replayMismatch = options.replayMismatch;
    t.replayEndStops = options.replayEndStops;
    return t;
}

Unit unitFor(const ProgramOptions &options)
{
    Unit unit(options.echo);
    unit.setKeepsWrites(!options.ignoreWrites);
    for (int index = 0; index < Unit::parameterCount; ++index)
        unit.setMuted(index, options.muted[static_cast<std::size_t>(index)]);
    unit.setMuteAfterWrites(options.muteAfterWrites);
    unit.setLateAnswers(options.lateAnswers);
    if (options.versionText)
        unit.setVersionText(*options.versionText);
    if (options.address)
        unit.setAddressDigit(*options.address);
    return unit;
}

} // namespace rixsim
