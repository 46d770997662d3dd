// SPDX-License-Identifier: GPL-3.0-or-later
#include "rixparamfixture.h"

#include <fstream>
#include <sstream>

#include <unistd.h>

using namespace std::chrono_literals;
using rixsim::TrafficEvent;

const std::vector<std::string> sevenReads = {"$RSRF0", "$RSRF1", "$RSRF2", "$RSRF3", "$RSRF4", "$RSRF5", "$RSRF6"};
const std::string freshSet = "F0=F011\nF1=0A00\nF2=1212\nF3=0E28\nF4=0E0E\nF5=64C8\nF6=1010\n";

void RixParam::SetUp()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "rixparam-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir = pattern;
}

void RixParam::TearDown()
{
    std::filesystem::remove_all(dir);
}

void RixParam::startUnit(rixsim::Unit unit, rixsim::TransportOptions options)
{
    sim = std::make_unique<rixsim::BackgroundSimulator>(std::move(options), std::move(unit));
}

std::unique_ptr<rixsim::testing::ChildProcess> RixParam::start(std::vector<std::string> arguments, bool port)
{
    if (port) {
        arguments.push_back("--port");
        arguments.push_back(sim->path());
    }
    return std::make_unique<rixsim::testing::ChildProcess>(RIXPARAM_PROGRAM, arguments);
}

ParamResult RixParam::finish(rixsim::testing::ChildProcess &child, std::chrono::steady_clock::time_point started)
{
    ParamResult result;
    result.code = child.waitForExit(60s);
    result.took = std::chrono::steady_clock::now() - started;
    result.signal = child.endSignal();
    result.out = child.readAllStdout();
    result.err = child.readAllStderr();
    return result;
}

ParamResult RixParam::run(std::vector<std::string> arguments, bool port)
{
    const auto started = std::chrono::steady_clock::now();
    auto child = start(std::move(arguments), port);
    return finish(*child, started);
}

std::vector<std::string> RixParam::received() const
{
    return receivedBy(*sim);
}

std::vector<std::string> RixParam::receivedBy(const rixsim::BackgroundSimulator &unit)
{
    std::vector<std::string> commands;
    for (const auto &event : unit.log().snapshot())
        if (event.kind == TrafficEvent::Kind::Received)
            commands.push_back(event.bytes);
    return commands;
}

rixsim::BackgroundSimulator &RixParam::addUnit(rixsim::Unit unit, rixsim::TransportOptions options)
{
    units.push_back(std::make_unique<rixsim::BackgroundSimulator>(std::move(options), std::move(unit)));
    return *units.back();
}

rixsim::Unit RixParam::slowUnit(char address)
{
    rixsim::Unit unit(true);
    unit.setAddressDigit(address);
    return unit;
}

rixsim::TransportOptions RixParam::at4800()
{
    rixsim::TransportOptions options;
    options.unitRate = 4800;
    return options;
}

std::vector<std::string> RixParam::writes() const
{
    std::vector<std::string> commands;
    for (const auto &command : received())
        if (command.find("PF") != std::string::npos)
            commands.push_back(command);
    return commands;
}

std::string RixParam::file(const std::string &name, const std::string &text)
{
    const std::string path = (dir / name).string();
    std::ofstream(path) << text;
    return path;
}

std::string RixParam::contents(const std::string &path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool holdsFreshValues(const std::string &text)
{
    std::string values;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        if (!line.empty() && line[0] == 'F')
            values += line + "\n";
    return values == freshSet;
}
