#pragma once
// The program-wide values. One instance lives in the application object and is handed
// to every handler; each test builds a fresh one, so there is no hidden global state.

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

struct ProgramState {
    // The three settings; only a connect copies the combo boxes' texts into them.
    QString PortName = QStringLiteral("COM1");
    QString BaudText = QStringLiteral("19200");
    QString AddressDigit = QStringLiteral("S");

    // 1 after a command button sent, 0 after the send button; the receive path reads it.
    std::int16_t ButtonCommandFlag = 0;
    // Where in the last burst the unit's answer begins (counted from 1).
    std::int16_t DisplayStart = 0;
    // Set by every write to the unit; the receive path takes it: what arrives after it is
    // a new text, never the continuation of one that was split before.
    bool commandWritten = false;

    // Line level at which each lamp lights, "1" or "0"; index 1..4 is DCD, RI, DSR, CTS.
    std::array<QString, 5> IndicatorLevel{QString(), QStringLiteral("1"), QStringLiteral("1"),
                                           QStringLiteral("1"), QStringLiteral("1")};

    // How often the port was lost while connected. A handler that waited for a burst
    // compares it, so an action from before a loss is not sent after it.
    unsigned linesLost = 0;

    // Set once the program has been told to end; no handler runs after it.
    bool ending = false;
};
