// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/harness.h"
#include "window/receive/lamps.h"

#include <gtest/gtest.h>

namespace {
bool lit(QLabel *lamp) { return lamp->palette().color(QPalette::WindowText) == lampRed(); }
bool systemColoured(QLabel *lamp)
{
    return lamp->palette().color(QPalette::WindowText) == QApplication::palette(lamp).color(QPalette::WindowText);
}
} // namespace

TEST(Lamps, EachLampShowsItsLineForAllSixteenCombinations)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    struct Lamp { QLabel *label; std::uint32_t bit; };
    const Lamp lamps[] = {{h.w.lblRX1(), ModemLine::dcd}, {h.w.lblrx9(), ModemLine::ri},
                          {h.w.lblrx6(), ModemLine::dsr}, {h.w.lblrx8(), ModemLine::cts}};
    for (std::uint32_t combination = 0; combination < 16; ++combination) {
        const std::uint32_t status = combination << 4;
        h.channel.status = status | 0x0F;   // the low bits mean nothing
        h.tick();
        for (const Lamp &l : lamps) {
            const bool on = status & l.bit;
            EXPECT_EQ(lit(l.label), on) << l.label->objectName().toStdString() << " status " << status;
            if (!on) {
                EXPECT_TRUE(systemColoured(l.label));
            }
        }
    }
}

TEST(Lamps, AClickSwapsTheLevelAndTheColourFollowsAtTheNextTick)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    h.channel.status = ModemLine::dsr | ModemLine::cts;
    h.tick();
    EXPECT_FALSE(lit(h.w.lblRX1()));
    h.click(h.w.lblRX1(), Qt::RightButton);
    EXPECT_FALSE(h.state.IndicatorLevel.dcd);
    EXPECT_FALSE(lit(h.w.lblRX1()));   // not at the click
    h.tick();
    EXPECT_TRUE(lit(h.w.lblRX1()));    // DCD off is now the lit state
    h.channel.status = ModemLine::dcd;
    h.tick();
    EXPECT_FALSE(lit(h.w.lblRX1()));

    h.click(h.w.lblrx6());
    h.click(h.w.lblrx6());
    EXPECT_TRUE(h.state.IndicatorLevel.dsr);
    h.channel.status = ModemLine::dsr;
    h.tick();
    EXPECT_TRUE(lit(h.w.lblrx6()));
}

TEST(Lamps, APortWithoutModemLinesLightsNoLamp)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    h.click(h.w.lblrx8());   // would light on "off"
    h.channel.status = std::nullopt;
    h.tick();
    for (QLabel *lamp : {h.w.lblRX1(), h.w.lblrx9(), h.w.lblrx6(), h.w.lblrx8()})
        EXPECT_FALSE(lit(lamp));
    EXPECT_TRUE(h.box.texts.empty());
}

TEST(Lamps, ClicksWhileDisconnectedChangeOnlyTheLevel)
{
    Harness h;
    h.click(h.w.lblrx9());
    EXPECT_FALSE(h.state.IndicatorLevel.ri);
    EXPECT_FALSE(lit(h.w.lblrx9()));
    EXPECT_EQ(h.channel.statusReads, 0);
}
