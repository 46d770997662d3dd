// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>

namespace rixsim {

// The simulator's end of the line: the master side of a pseudo-terminal, or a
// real serial port. The line descriptor is non-blocking and raw (no byte is
// translated or echoed).
//
// For a pseudo-terminal the port also keeps a descriptor of the slave side
// open for its whole life: without it the master reports a hang-up (EIO,
// POLLHUP) every time the terminal program closes the slave, and the
// simulator could not be reconnected to.
class SimPort {
public:
    // Throws std::system_error when the system refuses.
    static SimPort openPseudoTerminal();
    // Opens a real serial port raw, 8N1, no flow control, at the given rate.
    // Throws std::invalid_argument for a rate the system has no constant for,
    // std::system_error when the port cannot be opened or set up.
    static SimPort openDevice(const std::string &path, int baud = 19200);

    SimPort(SimPort &&other) noexcept;
    SimPort &operator=(SimPort &&other) noexcept;
    SimPort(const SimPort &) = delete;
    SimPort &operator=(const SimPort &) = delete;
    ~SimPort();

    int fd() const { return lineFd_; }          // -1 once closed
    const std::string &path() const { return path_; } // what the terminal program opens
    bool isPseudoTerminal() const { return pseudo_; }
    bool isOpen() const { return lineFd_ >= 0; }

    // Bits per second on the line, 0 when unknown. A pseudo-terminal carries
    // whatever rate the terminal program set on its side last (read afresh
    // each time, since a program may reconnect at another rate); a device
    // keeps the rate it was opened with.
    int lineRate() const;

    // Bytes written to the line that have not reached the far end yet: on a
    // pseudo-terminal those the terminal program has not read (a hang-up
    // would discard them), on a device those still waiting to be sent.
    std::size_t bytesNotTaken() const;

    // Closes both descriptors: for a pseudo-terminal the terminal program then
    // reads EOF/EIO and sees POLLHUP, as with an unplugged adapter.
    void close();

private:
    SimPort(int lineFd, int keptSlaveFd, std::string path, bool pseudo, int baud);

    int lineFd_ = -1;
    int keptSlaveFd_ = -1;
    std::string path_;
    bool pseudo_ = false;
    int baud_ = 0;
};

// Puts an open terminal descriptor into raw mode (cfmakeraw, 8N1, receiver on,
// modem lines ignored, no flow control, reads return what is there).
// Throws std::system_error.
void makeRaw(int fd);

} // namespace rixsim
