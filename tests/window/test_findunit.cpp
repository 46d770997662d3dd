// SPDX-License-Identifier: GPL-3.0-or-later
// „Übernehmen“ in „Einheit suchen …“: what a found unit puts into the window's boxes, also
// for a unit whose address the search could not learn.
#include "support/harness.h"
#include "support/waiting.h"
#include "unit/search/unitsearch.h"
#include "widgets/mainwindow.h"
#include "widgets/unitsearchdialog.h"
#include "window/connection/findunit.h"

#include <QComboBox>

#include <gtest/gtest.h>

namespace {

// A unit at 19200 with the address 7 that answers the version, and F0 only when `f0` is
// given (a unit muted for F0 gives the search no address).
std::unique_ptr<SerialChannel> unitSeven(Timeline &timeline, const QByteArray &f0)
{
    auto channel = std::make_unique<FakeSerialChannel>(timeline);
    FakeSerialChannel *port = channel.get();
    port->beforeWrite = [port, f0](const QByteArray &bytes) {
        if (bytes == "$RSV")
            port->receive("7Vrix-sim 1.0\r\n");
        else if (bytes == "$RSRF0" && !f0.isEmpty())
            port->receive(f0);
    };
    return channel;
}

} // namespace

TEST(UnitSearchChoice, TakesTheUnitsPortRateAndAddressAndSForAUnitWhoseF0DidNotAnswer)
{
    struct Row {
        const char *f0;
        const char *address;
    };
    for (const Row &row : {Row{"7RF07A00\r\n", "7"}, Row{"", "S"}}) {
        Harness h;
        h.w.cbAdr()->setCurrentText(QStringLiteral("4"));   // the unit taken before
        showUnitSearch(h.p);
        UnitSearchDialog *d = unitSearchDialog(h.p);
        ASSERT_NE(d, nullptr);
        search::Timing quick;
        quick.settleMs = 0;
        quick.answerWaitMs = 100;
        search::UnitSearch unitSearch(
            {QStringLiteral("/tmp/unit7")}, [&] { return unitSeven(h.timeline, row.f0); }, quick);
        d->follow(&unitSearch);
        unitSearch.start();
        ASSERT_TRUE(testsupport::waitUntil([&] { return unitSearch.isFinished(); }));

        takeUnitSearchChoice(h.p);
        EXPECT_EQ(h.w.cbCOM()->currentText(), QStringLiteral("/tmp/unit7")) << row.address;
        EXPECT_EQ(h.w.cbbaud()->currentText(), QStringLiteral("19200")) << row.address;
        EXPECT_EQ(h.w.cbAdr()->currentText(), QString::fromLatin1(row.address));
    }
}
