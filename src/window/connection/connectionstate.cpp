// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/connection/connectionstate.h"

#include "widgets/mainwindow.h"

#include <algorithm>
#include <array>

namespace {
struct Row {
    QWidget *control;
    bool enabledWhenConnected;
    int disconnectRank;   // position when disconnecting
};

std::array<Row, 18> table(MainWindow &w)
{
    // In the order a connect switches them.
    return {{{w.cmdEIN(), false, 1},      {w.cmdAUS(), true, 0},      {w.cbAdr(), false, 15},
             {w.cbCOM(), false, 16},      {w.cbbaud(), false, 17},    {w.cmdSendentx(), true, 14},
             {w.cmdVersion(), true, 9},   {w.cmdF0(), true, 2},       {w.cmdF1(), true, 3},
             {w.cmdF2(), true, 4},        {w.cmdF3(), true, 5},       {w.cmdF4(), true, 6},
             {w.cmdF5(), true, 7},        {w.cmdF6(), true, 8},       {w.cmdTR1(), true, 10},
             {w.cmdTR2(), true, 11},      {w.cmdFMS(), true, 12},     {w.cmd5Ton(), true, 13}}};
}
} // namespace

void setConnected(MainWindow &w, bool connected)
{
    std::array<Row, 18> rows = table(w);
    if (!connected)
        std::sort(rows.begin(), rows.end(), [](const Row &a, const Row &b) { return a.disconnectRank < b.disconnectRank; });
    for (const Row &row : rows)
        row.control->setEnabled(connected == row.enabledWhenConnected);
}
