// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <utility>

namespace rixsim {

// The behaviour of one simulated RIX unit: a whole command in, the bytes the
// unit sends back out. No I/O and no clock here, so every rule can be tested
// directly; the transport decides what "a whole command" is.
//
// Rules:
//  - A command is "$R" + address + letters. The unit answers only when the
//    address is "S" (everyone) or its own digit, the first character of its
//    F0 value ("F" at start). Address characters are compared exactly.
//  - Known letters: "RF0".."RF6" (read), "PF0".."PF6" + four hex digits
//    (write, stored upper-cased), "V", "E1", "E2", "EA", "tP" + five decimal
//    digits, "m" + ten decimal digits, "Q".
//  - Answer: address as received + letters (+ value for reads), then CR LF.
//    A write answers "PFn" + the value upper-cased: "$RSPF30e30" is answered
//    "SPF30E30\r\n".
//  - A write to F0..F6 whose value is not exactly four hex digits is answered
//    address + "PFn" + "?" (e.g. "SPF3?\r\n") and changes nothing.
//  - Anything else (unknown letters, malformed tP/m, foreign address, bytes
//    around the command such as a trailing CR) gets no answer at all.
//  - Echo mode (the unit's 4800-baud mode): an answered command is sent back
//    first, in front of the answer. A command the unit ignores is not echoed
//    either, so a unit never talks on a line that is not addressed to it.
//  - Faults for tests: a unit that answers writes as usual but keeps nothing
//    (its reads give the old values), muted parameters whose reads and
//    writes get no answer at all, and a unit that falls silent after a number
//    of writes: it answers that write, then nothing at all, yet still takes
//    the writes that reach it, like a stopped unit that works off its buffered
//    writes later; and a unit whose answers run late: each read's answer comes
//    after the previous read's answer, sent once more, as an answer that was
//    slow to come arrives just after the next request. These change what the
//    unit says; faults in when and how bytes travel are in faults/.
class Unit {
public:
    static constexpr int parameterCount = 7;
    static constexpr std::string_view defaultVersionText = "rix-sim 1.0";

    explicit Unit(bool echo = false);

    // The bytes to send back for one whole command; empty means no answer.
    std::string respond(std::string_view command);

    // The stored value of F<index> (0..6), four upper-case hex digits.
    const std::string &parameter(int index) const;
    // The unit's own address character (first character of F0).
    char addressDigit() const;
    // Gives the unit another address: F0's first digit becomes `digit` (0-9, A-F).
    void setAddressDigit(char digit) { parameters_[0][0] = digit; }

    bool echo() const { return echo_; }
    void setEcho(bool on) { echo_ = on; }

    // Writes are answered but, when off, not stored.
    bool keepsWrites() const { return keepsWrites_; }
    void setKeepsWrites(bool on) { keepsWrites_ = on; }
    // A muted parameter (0..6) answers neither reads nor writes.
    bool muted(int index) const { return muted_.at(static_cast<std::size_t>(index)); }
    void setMuted(int index, bool on) { muted_.at(static_cast<std::size_t>(index)) = on; }

    // Writes the unit took as writes: to its address, to a parameter that is
    // not muted, with a well-formed value, whether kept or not, answered or not.
    int acceptedWrites() const { return acceptedWrites_; }
    // After this many accepted writes (0: never) the unit answers nothing more.
    int muteAfterWrites() const { return muteAfterWrites_; }
    void setMuteAfterWrites(int count) { muteAfterWrites_ = count; }
    bool silent() const { return muteAfterWrites_ > 0 && acceptedWrites_ >= muteAfterWrites_; }

    // Each read's answer is preceded by the previous read's answer.
    bool lateAnswers() const { return lateAnswers_; }
    void setLateAnswers(bool on) { lateAnswers_ = on; }

    // What "V" is answered with between "V" and CR LF; a test that needs a
    // long answer (to see it paced out) sets a longer one.
    const std::string &versionText() const { return versionText_; }
    void setVersionText(std::string text) { versionText_ = std::move(text); }

private:
    std::string answerFor(char address, std::string_view letters);

    std::array<std::string, parameterCount> parameters_;
    bool echo_;
    bool keepsWrites_ = true;
    std::array<bool, parameterCount> muted_{};
    int acceptedWrites_ = 0;
    int muteAfterWrites_ = 0;
    bool lateAnswers_ = false;
    std::string previousReadAnswer_;
    std::string versionText_{defaultVersionText};
};

} // namespace rixsim
