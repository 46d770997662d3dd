// SPDX-License-Identifier: GPL-3.0-or-later
// rix-param find against a bench of simulated units: one at 19200, one at 4800 with its
// echo, others with their own address, one port held by another program, one silent line.

#include "rixparamfixture.h"

#include <set>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using Result = ParamResult;

// Holds a port the way another program does: open, with a flock on the device.
class HeldPort {
public:
    explicit HeldPort(const std::string &path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY)) { ::flock(fd_, LOCK_EX); }
    ~HeldPort() { ::close(fd_); }
    HeldPort(const HeldPort &) = delete;
    HeldPort &operator=(const HeldPort &) = delete;
    bool held() const { return fd_ >= 0; }

private:
    int fd_;
};

rixsim::Unit unitAt(char address)
{
    rixsim::Unit unit;
    unit.setAddressDigit(address);
    return unit;
}

TEST_F(RixParam, FindNamesEachPortsRateAddressAndVersionOrWhyNotAndAsksOnlyWhatReads)
{
    auto &fast = addUnit();
    auto &slow = addUnit(slowUnit('5'), at4800());
    auto &other = addUnit(unitAt('3'));
    auto &held = addUnit();
    rixsim::TransportOptions mute;
    mute.unitRate = 9600;   // hears only noise at both rates
    auto &silent = addUnit(rixsim::Unit{}, mute);
    const HeldPort holder(held.path());
    ASSERT_TRUE(holder.held());

    const Result r = run({"find", "--port", fast.path(), "--port", slow.path(), "--port", other.path(), "--port",
                          held.path(), "--port", silent.path()},
                         false);
    ASSERT_EQ(r.code, 0) << r.err;
    const std::string fastLine = fast.path() + ": 19200 Baud, Adresse F, Version „rix-sim 1.0“";
    const std::string slowLine = slow.path() + ": 4800 Baud, Adresse 5, Version „rix-sim 1.0“";
    const std::string otherLine = other.path() + ": 19200 Baud, Adresse 3, Version „rix-sim 1.0“";
    const std::string heldLine = held.path() + ": übersprungen, belegt (" + held.path()
                                 + " wird von einem anderen Programm benutzt: es hält eine Sperre (flock) auf dem "
                                   "Gerät, womöglich unter einem anderen Namen.)";
    const std::string silentLine = silent.path() + ": keine Einheit gefunden (keine Antwort mit 19200 und mit 4800 Baud)";
    // Each port's line as soon as it is settled: the held port at once, the units at 19200
    // (in either order) before the one at 4800, which waited out 19200; the silent port last.
    std::vector<std::string> lines;
    for (std::size_t from = 0, end; (end = r.out.find('\n', from)) != std::string::npos; from = end + 1)
        lines.push_back(r.out.substr(from, end - from));
    ASSERT_EQ(lines.size(), 5u) << r.out;
    EXPECT_EQ(lines[0], heldLine);
    EXPECT_EQ(std::set<std::string>(lines.begin() + 1, lines.begin() + 3), (std::set<std::string>{fastLine, otherLine}));
    EXPECT_EQ(lines[3], slowLine);
    EXPECT_EQ(lines[4], silentLine);
    EXPECT_EQ(r.err, "");
    // The silent port's two answer waits of 2 s bound the run (that all ports are asked at
    // once is the search's own test).
    EXPECT_LT(r.took, 7000ms);
    EXPECT_EQ(receivedBy(fast), (std::vector<std::string>{"$RSV", "$RSRF0"}));
    EXPECT_EQ(receivedBy(slow), (std::vector<std::string>{"$RSV", "$RSV", "$RSRF0"}));
    EXPECT_EQ(receivedBy(held), std::vector<std::string>{});
    EXPECT_EQ(receivedBy(silent), (std::vector<std::string>{"$RSV", "$RSV"}));
}

TEST_F(RixParam, FindAsJsonAndWithoutAnyUnitIsExitOne)
{
    auto &slow = addUnit(slowUnit('C'), at4800());
    const Result r = run({"find", "--json", "--port", slow.path()}, false);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "[\n  {\"address\":\"C\",\"baud\":4800,\"busy\":false,\"found\":true,\"port\":\"" + slow.path()
                         + "\",\"reason\":\"\",\"version\":\"rix-sim 1.0\"}\n]\n");

    rixsim::TransportOptions mute;
    mute.unitRate = 9600;
    auto &silent = addUnit(rixsim::Unit{}, mute);
    const Result none = run({"find", "--port", silent.path()}, false);
    EXPECT_EQ(none.code, 1);
    EXPECT_EQ(none.out, silent.path() + ": keine Einheit gefunden (keine Antwort mit 19200 und mit 4800 Baud)\n");
}

TEST_F(RixParam, FindRefusesWhatItDoesNotTake)
{
    const Result baud = run({"find", "--baud", "4800"}, false);
    EXPECT_EQ(baud.code, 2);
    EXPECT_EQ(baud.err, "rix-param: --baud gilt nicht für find. (--help zeigt die Aufrufe)\n");
    const Result file = run({"find", "set.txt"}, false);
    EXPECT_EQ(file.code, 2);
    EXPECT_EQ(file.err, "rix-param: find nimmt keine Datei an. (--help zeigt die Aufrufe)\n");
}

} // namespace
