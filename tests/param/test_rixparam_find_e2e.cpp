// SPDX-License-Identifier: GPL-3.0-or-later
// rix-param find against a bench of simulated units: one at 19200, one at 4800 with its
// echo, others with their own address, one port held by another program, one silent line.

#include "rixparamfixture.h"

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
    EXPECT_EQ(r.out, fast.path() + ": 19200 Baud, Adresse F, Version „rix-sim 1.0“\n" + slow.path()
                         + ": 4800 Baud, Adresse 5, Version „rix-sim 1.0“\n" + other.path()
                         + ": 19200 Baud, Adresse 3, Version „rix-sim 1.0“\n" + held.path()
                         + ": übersprungen, belegt (" + held.path()
                         + " wird von einem anderen Programm benutzt: es hält eine Sperre (flock) auf dem Gerät, "
                           "womöglich unter einem anderen Namen.)\n"
                         + silent.path() + ": keine Einheit gefunden (keine Antwort mit 19200 und mit 4800 Baud)\n");
    EXPECT_EQ(r.err, "");
    // All at once: one silent port's two answer waits, not five ports' one after another.
    EXPECT_LT(r.took, 2500ms);
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
