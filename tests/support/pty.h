// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A pseudo-terminal for tests that need a real serial device: the test holds the master
// end and plays the other side of the line; the code under test opens the slave by path.

#include <QByteArray>
#include <QString>

namespace testsupport {

class Pty {
public:
    // Opens a master/slave pair and puts the slave in raw mode (every byte passes as is).
    // Throws std::runtime_error when the system has no pseudo-terminal to give.
    Pty();
    ~Pty();
    Pty(const Pty &) = delete;
    Pty &operator=(const Pty &) = delete;

    QString slavePath() const { return slavePath_; }
    int masterFd() const { return master_; }
    // The helper's own handle on the slave. Holding it keeps the pair alive while the code
    // under test closes and reopens the slave (otherwise the master would see a hang-up).
    int slaveFd() const { return slave_; }

    // Writes all bytes to the master within the time-out; false if they did not all go.
    bool write(const QByteArray &bytes, int timeoutMs = 5000);
    // Reads from the master until `count` bytes came or the time-out ran out; returns what came.
    QByteArray read(int count, int timeoutMs = 5000);
    // Everything that arrives at the master within `waitMs` (to check that nothing came).
    QByteArray readFor(int waitMs);

    // Closes the master end: the slave sees the other side hang up.
    void closeMaster();

private:
    int master_ = -1;
    int slave_ = -1;
    QString slavePath_;
};

} // namespace testsupport
