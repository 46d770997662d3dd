// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program-wide values, with their start values. One instance lives in the application
// object and is handed to every handler; each test builds a fresh one, so there is no
// hidden global state.

#include <QString>
#include <cstdint>
#include <optional>

struct ProgramState {
    // The three settings; only a connect copies the combo boxes' texts into them.
    QString PortName = QStringLiteral("COM1");
    QString BaudText = QStringLiteral("19200");
    QString AddressDigit = QStringLiteral("S");

    // 1 after a command button sent, 0 after the send button; the receive path reads it.
    std::int16_t ButtonCommandFlag = 0;

    // The line level at which each lamp lights: true, lit while its modem line is set (the
    // start); a click on the lamp swaps it.
    struct IndicatorLevels {
        bool dcd = true;
        bool ri = true;
        bool dsr = true;
        bool cts = true;
    } IndicatorLevel;

    // TR1 or TR2 (`key` 1 or 2) whose press went out under `addressDigit` and whose release
    // has not; kept across a lost line, whose next connect sends the release first.
    struct HeldKey {
        int key = 0;
        QString addressDigit;
    };
    std::optional<HeldKey> keyHeld;

    // How often a port was opened, by a connect or again after a lost line: the unit's
    // parameter values read on one opening are not known to be the unit's on the next.
    unsigned connections = 0;

    // How often the port was lost while connected. A handler that waited for a burst
    // compares it, so an action from before a loss is not sent after it.
    unsigned linesLost = 0;

    // Set once the program has been told to end; no handler runs after it.
    bool ending = false;
};
