// SPDX-License-Identifier: GPL-3.0-or-later
// „Einheit suchen …“ in the window against simulated units: the dialog searches only the
// ports in its list, shows each one's row, never touches the port the window is connected
// to (it is named busy), and a chosen unit fills port, rate and address without connecting.
#include "liveunit.h"
#include "support/controls.h"

#include "widgets/lineview.h"
#include "widgets/mainwindow.h"
#include "widgets/unitsearchdialog.h"
#include "window/app/dispatch.h"
#include "window/connection/findunit.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>

using namespace e2e;
using namespace testsupport;

namespace {

class UnitSearchInTheWindow : public LiveUnit {
protected:
    UnitSearchDialog &openDialog(const QStringList &ports)
    {
        dispatch(program.p, showUnitSearch);
        UnitSearchDialog *d = unitSearchDialog(program.p);
        EXPECT_NE(d, nullptr);
        d->setPorts(ports);
        return *d;
    }
    bool searched(UnitSearchDialog &d)
    {
        control<QPushButton>(d, "cmdSearch")->click();
        return waitUntil([&] { return !d.isSearching(); });
    }
    static QString cell(const UnitSearchDialog &d, int row, int column) { return control<QTableWidget>(d, "tblUnits")->item(row, column)->text(); }
};

rixsim::Unit slowUnit(char address)
{
    rixsim::Unit unit(true);
    unit.setAddressDigit(address);
    return unit;
}

} // namespace

TEST_F(UnitSearchInTheWindow, ARowPerPortAndAChosenUnitFillsTheBoxesWithoutConnecting)
{
    rixsim::TransportOptions at4800;
    at4800.unitRate = 4800;
    rixsim::BackgroundSimulator slow(at4800, slowUnit('5'));
    startUnit();
    UnitSearchDialog &d = openDialog({QString::fromStdString(slow.path()), unitPath()});
    ASSERT_TRUE(searched(d));
    EXPECT_EQ(control<QProgressBar>(d, "pbSearch")->value(), 2);
    EXPECT_EQ(cell(d, 0, UnitSearchDialog::Rate), QStringLiteral("4800"));
    EXPECT_EQ(cell(d, 0, UnitSearchDialog::Address), QStringLiteral("5"));
    EXPECT_EQ(cell(d, 0, UnitSearchDialog::Version), QStringLiteral("rix-sim 1.0"));
    EXPECT_EQ(cell(d, 1, UnitSearchDialog::Rate), QStringLiteral("19200"));
    EXPECT_EQ(control<QLabel>(d, "lblStatus")->text(), QStringLiteral("2 Einheit(en) gefunden. Eine wählen und „Übernehmen“."));
    EXPECT_EQ(control<QTableWidget>(d, "tblUnits")->currentRow(), 0);
    EXPECT_TRUE(control<QPushButton>(d, "cmdChoose")->isDefault());

    control<QPushButton>(d, "cmdChoose")->click();
    EXPECT_EQ(program.w.cbCOM()->currentText(), QString::fromStdString(slow.path()));
    EXPECT_EQ(program.w.cbbaud()->currentText(), QStringLiteral("4800"));
    EXPECT_EQ(program.w.cbAdr()->currentText(), QStringLiteral("5"));
    EXPECT_FALSE(program.connected());
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(received(), (std::vector<std::string>{"$RSV", "$RSRF0"}));
}

TEST_F(UnitSearchInTheWindow, TheConnectedPortIsNamedBusyAndGetsNoByteFromTheSearch)
{
    startUnit();
    connectProgram();
    const std::size_t before = received().size();
    UnitSearchDialog &d = openDialog({unitPath()});
    ASSERT_TRUE(searched(d));
    EXPECT_EQ(cell(d, 0, UnitSearchDialog::Version),
              QStringLiteral("belegt: %1 ist in diesem Fenster verbunden").arg(unitPath()));
    EXPECT_FALSE(control<QPushButton>(d, "cmdChoose")->isEnabled());
    runEventsFor(std::chrono::milliseconds(200));
    EXPECT_EQ(received().size(), before);
    EXPECT_TRUE(program.connected());
}

TEST_F(UnitSearchInTheWindow, TheListsAndThePortBoxOfferTheSearch)
{
    const QAction *action = program.w.findChild<QAction *>(QStringLiteral("actFindUnit"));
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->text(), QStringLiteral("Einheit suchen …"));
    EXPECT_EQ(program.w.cbCOM()->lineEdit()->contextMenuPolicy(), Qt::CustomContextMenu);
    // Nothing is searched before „Suchen“: the dialog opens with the ports, no row.
    dispatch(program.p, showUnitSearch);
    UnitSearchDialog *d = unitSearchDialog(program.p);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(control<QTableWidget>(*d, "tblUnits")->rowCount(), 0);
    EXPECT_TRUE(d->isVisible());
}

TEST(OfferedPorts, AdaptersThenTheTypedPortButNeverAnOnBoardOne)
{
    const QStringList adapters{"/dev/ttyUSB0"};
    EXPECT_EQ(offeredPorts(adapters, "COM1"), adapters);
    EXPECT_EQ(offeredPorts(adapters, "/dev/ttyS3"), adapters);
    EXPECT_EQ(offeredPorts(adapters, "ttyUSB0"), adapters);
    EXPECT_EQ(offeredPorts(adapters, "/tmp/rix-sim"), (QStringList{"/dev/ttyUSB0", "/tmp/rix-sim"}));
    EXPECT_EQ(offeredPorts({}, " "), QStringList{});
}
