// SPDX-License-Identifier: GPL-3.0-or-later
// „Übernehmen“ in „Einheit suchen …“: what a found unit puts into the window's boxes, also
// for a unit whose address the search could not learn.
#include "support/controls.h"
#include "support/harness.h"
#include "support/waiting.h"
#include "unit/search/unitsearch.h"
#include "widgets/mainwindow.h"
#include "widgets/unitsearchdialog.h"
#include "window/connection/findunit.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

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

// Runs a search of /tmp/unit7 through the dialog, as „Suchen“ shows it.
void findUnitSeven(Harness &h, UnitSearchDialog &d)
{
    search::Timing quick;
    quick.settleMs = 0;
    quick.answerWaitMs = 100;
    search::UnitSearch unitSearch({QStringLiteral("/tmp/unit7")}, [&] { return unitSeven(h.timeline, "7RF07A00\r\n"); },
                                  quick);
    d.follow(&unitSearch);
    unitSearch.start();
    ASSERT_TRUE(testsupport::waitUntil([&] { return unitSearch.isFinished(); }));
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

TEST(UnitSearchChoice, ConnectedItDisconnectsAsTrennenDoesAndTakesTheUnitOnceThePortIsClosed)
{
    Harness h;
    h.connectWith("COM1", "19200", "4");
    h.pause.realWait = true;
    showUnitSearch(h.p);
    UnitSearchDialog *d = unitSearchDialog(h.p);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(testsupport::control<QPushButton>(*d, "cmdChoose")->text(), QStringLiteral("Trennen und ü&bernehmen"));
    findUnitSeven(h, *d);
    EXPECT_EQ(testsupport::control<QLabel>(*d, "lblStatus")->text(),
              QStringLiteral("1 Einheit(en) gefunden. Eine wählen und „Trennen und übernehmen“."));
    const std::size_t writesBefore = h.channel.writes.size();

    takeUnitSearchChoice(h.p);
    // The disconnect's press and release, as the buttons give them: the window is
    // disconnected at once, the port closes after the 275 ms pause of "$RSQ".
    EXPECT_FALSE(h.w.cmdAUS()->isEnabled());
    EXPECT_TRUE(h.channel.isOpen());
    EXPECT_EQ(h.w.cbCOM()->currentText(), QStringLiteral("COM1")) << "taken before the port was closed";
    EXPECT_TRUE(d->isVisible());
    EXPECT_FALSE(testsupport::control<QPushButton>(*d, "cmdChoose")->isEnabled());
    ASSERT_TRUE(testsupport::waitUntil([&] { return !d->isVisible(); }));
    EXPECT_FALSE(h.channel.isOpen());
    EXPECT_EQ(std::vector<QByteArray>(h.channel.writes.begin() + std::ptrdiff_t(writesBefore), h.channel.writes.end()),
              std::vector<QByteArray>{"$RSQ"});
    EXPECT_EQ(h.pause.pauses.back(), 275);
    EXPECT_EQ(h.w.cbCOM()->currentText(), QStringLiteral("/tmp/unit7"));
    EXPECT_EQ(h.w.cbAdr()->currentText(), QStringLiteral("7"));
    EXPECT_TRUE(h.w.cmdEIN()->isEnabled());
    EXPECT_EQ(h.channel.opens.size(), 1u) << "connecting stays the user's";

    // Opened again: the rows and what was said of the connected window are gone; the
    // button is „Übernehmen“ again.
    showUnitSearch(h.p);
    EXPECT_EQ(testsupport::control<QTableWidget>(*d, "tblUnits")->rowCount(), 0);
    EXPECT_EQ(testsupport::control<QLabel>(*d, "lblStatus")->text(), QString());
    EXPECT_EQ(testsupport::control<QPushButton>(*d, "cmdChoose")->text(), QStringLiteral("Ü&bernehmen"));
    d->close();
}

TEST(UnitSearchChoice, PortsTypedIntoTheDialogAreKeptForTheSessionAndOfferedOnesFollowThePortBox)
{
    Harness h;
    h.w.cbCOM()->setEditText(QStringLiteral("/tmp/first"));
    showUnitSearch(h.p);
    UnitSearchDialog *d = unitSearchDialog(h.p);
    ASSERT_NE(d, nullptr);
    auto *ports = testsupport::control<QLineEdit>(*d, "edPorts");
    EXPECT_TRUE(d->ports().contains(QStringLiteral("/tmp/first")));
    d->close();
    // Not typed: the next opening offers the port box's port of then.
    h.w.cbCOM()->setEditText(QStringLiteral("/tmp/second"));
    showUnitSearch(h.p);
    EXPECT_TRUE(d->ports().contains(QStringLiteral("/tmp/second")));
    EXPECT_FALSE(d->ports().contains(QStringLiteral("/tmp/first")));
    ports->selectAll();
    QTest::keyClicks(ports, QStringLiteral("/tmp/a /tmp/b"));
    d->close();
    h.w.cbCOM()->setEditText(QStringLiteral("/tmp/third"));
    showUnitSearch(h.p);
    EXPECT_EQ(d->ports(), (QStringList{QStringLiteral("/tmp/a"), QStringLiteral("/tmp/b")}));
    d->close();
}
