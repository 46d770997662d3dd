// SPDX-License-Identifier: GPL-3.0-or-later
#include "liveunit.h"

#include "widgets/lineview.h"

#include <QFile>

UnitLink::UnitLink() : path_(dir_.filePath(QStringLiteral("unit"))) {}

void UnitLink::pointAt(const QString &target)
{
    cut();
    if (!QFile::link(target, path_))
        ADD_FAILURE() << "no link " << path_.toStdString() << " to " << target.toStdString();
}

void UnitLink::cut()
{
    QFile::remove(path_);
}

void LiveUnit::startUnit(rixsim::TransportOptions options, bool echo)
{
    startUnit(std::move(options), rixsim::Unit(echo));
}

void LiveUnit::startUnit(rixsim::TransportOptions options, rixsim::Unit unit)
{
    sim = std::make_unique<rixsim::BackgroundSimulator>(std::move(options), std::move(unit));
}

QString LiveUnit::unitPath() const
{
    return QString::fromStdString(sim->path());
}

void LiveUnit::connectProgram(const QString &baud, const QString &digit)
{
    program.connectTo(unitPath(), baud, digit);
    ASSERT_TRUE(program.box.texts.empty()) << program.box.texts.front().toStdString();
    ASSERT_TRUE(program.connected());
}

bool LiveUnit::unitReceived(std::size_t count)
{
    return testsupport::waitUntil([&] { return received().size() >= count; });
}

bool LiveUnit::listHas(const LineView *list, int count)
{
    return testsupport::waitUntil([&] { return list->count() >= count; });
}
