// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/line/qtserialchannel.h"

#include "unit/logging.h"
#include "unit/line/openfailure.h"
#include "unit/line/portname.h"
#include "unit/systemreason.h"

#include <QDeadlineTimer>

#include <cerrno>
#include <limits>
#include <utility>

#include <poll.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// The number for a lost port: errno of the call that failed, which Qt reports at once, so
// it is still set when the signal arrives. After a hang-up the read returns end-of-file
// and errno is left over from an earlier call, so a hang-up has the program's own number.
int lossNumber(const QSerialPort &port, int errnoAtReport)
{
    pollfd p{int(port.handle()), POLLIN, 0};
    if (p.fd >= 0 && ::poll(&p, 1, 0) > 0 && (p.revents & POLLHUP))
        return ErrorNumber::PortLost;
    return errnoAtReport > 0 ? errnoAtReport : ErrorNumber::PortLost;
}

bool meansPortLost(QSerialPort::SerialPortError error)
{
    return error == QSerialPort::ReadError || error == QSerialPort::WriteError
        || error == QSerialPort::ResourceError;
}

std::string describe(const char *what, const QString &portName, const QString &detail)
{
    return (QString::fromUtf8(what).arg(portName) + QStringLiteral(": ") + detail).toStdString();
}

// What the system still hands over on a port that is being given up: read without waiting
// until it has nothing more (or the device reports its end). Bounded, as a device that
// keeps sending must not hold the window.
QByteArray drainWithoutWaiting(qintptr handle)
{
    QByteArray got;
    constexpr qsizetype mostBytes = 1 << 20;
    char buffer[4096];
    while (handle >= 0 && got.size() < mostBytes) {
        pollfd p{int(handle), POLLIN, 0};
        if (::poll(&p, 1, 0) <= 0 || !(p.revents & POLLIN))
            break;
        const ssize_t n = ::read(int(handle), buffer, sizeof buffer);
        if (n <= 0)
            break;
        got.append(buffer, n);
    }
    return got;
}

// Whether the system has input for the device that has not been read yet (or the device
// has hung up, which a read then reports).
bool systemHoldsInput(qintptr handle)
{
    pollfd p{int(handle), POLLIN, 0};
    return handle >= 0 && ::poll(&p, 1, 0) > 0 && (p.revents & (POLLIN | POLLHUP | POLLERR));
}

} // namespace

QtSerialChannel::QtSerialChannel(QObject *parent)
    : QObject(parent)
    , baudRate_(port_.baudRate())
{
    // A hang-up makes Qt's read notifier report ReadError over and over, also inside the
    // event loop of a modal message box; closing at the first report silences it.
    connect(&port_, &QSerialPort::errorOccurred, this, &QtSerialChannel::onErrorOccurred);
    // Queued: the handler may report a lost port and open the port again, which must not
    // happen inside QSerialPort's own notification.
    connect(&port_, &QSerialPort::readyRead, this, [this] {
        if (arrived_)
            arrived_();
    }, Qt::QueuedConnection);
}

QtSerialChannel::~QtSerialChannel()
{
    disconnect(&port_, nullptr, this, nullptr);
    closePort();
}

void QtSerialChannel::open(const PortSettings &settings)
{
    close();

    const QString name = systemPortName(settings.portName);
    if (name.isEmpty())
        throw PortOpenError(ENOENT, "Keine Schnittstelle angegeben.");

    bool ok = false;
    const uint baud = settings.baudText.toUInt(&ok);
    // A baud text that is not a positive whole number is no error: the line keeps the
    // rate of the last valid connect.
    if (ok && baud > 0 && baud <= uint(std::numeric_limits<qint32>::max()))
        baudRate_ = qint32(baud);

    deviceName_ = name;
    // Qt names its lock file after the path it is given, every "/" made "_": given a link's
    // own path, two links to two devices (/tmp/x_y, /tmp/x/y) would share one lock. Given
    // the device, each device has its own, and two names of one device the same.
    port_.setPortName(devicePath(name));
    port_.setBaudRate(baudRate_);
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);

    errno = 0;
    if (!port_.open(QIODevice::ReadWrite)) {
        const int openErrno = errno;
        const OpenFailure why = explainOpenFailure(name, port_.error(), port_.errorString(), openErrno);
        port_.clearError();
        throw PortOpenError(why.number, why.reason.toStdString());
    }

    // A program that locks the device by its own lock file under another name, or not by
    // Qt's lock file at all, is not stopped by Qt's, and the kernel's exclusive mode does
    // not stop root; a lock on the open device itself catches both.
    const int handle = int(port_.handle());
    if (::flock(handle, LOCK_EX | LOCK_NB) != 0) {
        const OpenFailure why = explainLockFailure(name, errno);
        port_.close();
        port_.clearError();
        throw PortOpenError(why.number, why.reason.toStdString());
    }
    lockedHandle_ = handle;

    // Pseudo-terminals and some adapters have no modem lines; the port works without them.
    if (!port_.setDataTerminalReady(true))
        port_.clearError();
    if (!port_.setRequestToSend(true))
        port_.clearError();
    if (line_ == Line::LostUnreported) {
        // closed by onErrorOccurred: the device vanished between open and the first ioctl
        const PortLostError error = *lostBecause_;
        close();
        throw PortOpenError(error.number(), error.what());
    }
    port_.clearError();
    line_ = Line::Open;
}

void QtSerialChannel::reportLoss()
{
    const PortLostError error = *lostBecause_;
    lostBecause_.reset();
    line_ = Line::LostReported;
    throw error;
}

void QtSerialChannel::throwIfUnusable()
{
    if (line_ == Line::LostUnreported)
        reportLoss();
    if (line_ != Line::Open)
        throw SerialError(ErrorNumber::NotOpen, "Die Schnittstelle ist nicht geöffnet");
}

QByteArray QtSerialChannel::takeAvailable()
{
    // A lost port hands out what it had read, once the loss has been reported, until the
    // program closes it: the loss must not throw away what the unit said before it.
    if (line_ == Line::LostReported)
        return std::exchange(kept_, QByteArray());
    throwIfUnusable();
    // Only what Qt's read notifier has fetched: reading the device besides it would leave
    // the notifier to find it empty, which Qt takes for a read error.
    return port_.readAll();
}

bool QtSerialChannel::holdsUnfetched() const
{
    return line_ == Line::Open && systemHoldsInput(port_.handle());
}

QByteArray QtSerialChannel::takeRest()
{
    if (line_ == Line::LostReported)
        return takeAvailable();
    throwIfUnusable();
    // The port closes next: reading the device beside Qt's notifier can no longer confuse it.
    return port_.readAll() + drainWithoutWaiting(port_.handle());
}

void QtSerialChannel::onBytesArrived(std::function<void()> handler)
{
    arrived_ = std::move(handler);
}

void QtSerialChannel::write(const QByteArray &bytes)
{
    throwIfUnusable();
    if (bytes.isEmpty())
        return;

    // Written to the device here, not through Qt's write buffer: Qt's wait for written bytes
    // also reads what has arrived meanwhile, and its read notifier, which has already seen
    // that input, then finds the device empty and reports a read error: a line lost that
    // never was (a key pressed at 4800 baud while the unit sends).
    const QDeadlineTimer deadline(writeTimeoutBaseMs + qint64(writeTimeoutPerByteMs) * bytes.size());
    const int handle = int(port_.handle());
    qsizetype written = 0;
    while (written < bytes.size()) {
        errno = 0; // a reason left over from an earlier call must not explain this write
        const ssize_t n = ::write(handle, bytes.constData() + written, std::size_t(bytes.size() - written));
        if (n > 0) {
            written += n;
            continue;
        }
        const int writeErrno = errno;
        if (n < 0 && writeErrno == EINTR)
            continue;
        if (n < 0 && (writeErrno == EAGAIN || writeErrno == EWOULDBLOCK)) {
            const qint64 left = deadline.remainingTime();
            if (left <= 0)
                throw SerialError(ErrorNumber::WriteTimeout,
                                  describe("Schreiben auf %1 fehlgeschlagen", deviceName_,
                                           QStringLiteral("Zeitüberschreitung")));
            pollfd p{handle, POLLOUT, 0};
            ::poll(&p, 1, int(left));
            continue;
        }
        qCDebug(lcSerial).noquote() << "write to" << deviceName_ << "took" << written << "of" << bytes.size() << "bytes";
        const QString detail = writeErrno > 0 ? systemReason(writeErrno)
                                              : QStringLiteral("Die Schnittstelle hat nicht alle Bytes angenommen.");
        loseLine(PortLostError(ErrorNumber::PortLost, describe("Schreiben auf %1 fehlgeschlagen", deviceName_, detail)));
        throwIfUnusable();
    }
}

std::optional<std::uint32_t> QtSerialChannel::modemStatus()
{
    if (!port_.isOpen())
        return std::nullopt;
    const QSerialPort::PinoutSignals pins = port_.pinoutSignals();
    // A failed query may have been a loss (a hung-up line answers with ResourceError); the
    // port is closed then, and the loss is reported by the next read or write.
    if (!port_.isOpen() || port_.error() != QSerialPort::NoError) {
        // No modem lines (a pseudo-terminal) or the query failed: the lamps stay dark. Its
        // errno is spent here, so a later loss is not reported with it.
        if (port_.isOpen())
            port_.clearError();
        errno = 0;
        return std::nullopt;
    }
    std::uint32_t bits = 0;
    if (pins & QSerialPort::ClearToSendSignal)
        bits |= ModemLine::cts;
    if (pins & QSerialPort::DataSetReadySignal)
        bits |= ModemLine::dsr;
    if (pins & QSerialPort::RingIndicatorSignal)
        bits |= ModemLine::ri;
    if (pins & QSerialPort::DataCarrierDetectSignal)
        bits |= ModemLine::dcd;
    return bits;
}

void QtSerialChannel::close()
{
    // Whatever the line's state: closed, with nothing kept. Closing twice does nothing more.
    line_ = Line::Closed;
    lostBecause_.reset();
    kept_.clear();
    closePort();
}

void QtSerialChannel::closeAll()
{
    // There is one port: closing all is closing it.
    close();
}

bool QtSerialChannel::isOpen() const
{
    return line_ == Line::Open;
}

void QtSerialChannel::onErrorOccurred(QSerialPort::SerialPortError error)
{
    const int errnoAtReport = errno;
    if (!meansPortLost(error) || !port_.isOpen() || line_ == Line::LostUnreported)
        return;
    const int number = lossNumber(port_, errnoAtReport);
    const QString detail = number == ErrorNumber::PortLost
                               ? QStringLiteral("Die Gegenstelle hat aufgelegt, oder der Adapter wurde entfernt.")
                               : systemReason(number);
    qCDebug(lcSerial).noquote() << "port lost after" << error << port_.errorString();
    loseLine(PortLostError(number, describe("Verbindung zu %1 verloren", deviceName_, detail)));
}

void QtSerialChannel::loseLine(const PortLostError &why)
{
    // Closing discards Qt's buffer, and with it an answer that came during a command's pause.
    kept_ += port_.readAll();
    kept_ += drainWithoutWaiting(port_.handle());
    lostBecause_ = why;
    line_ = Line::LostUnreported;
    qCDebug(lcSerial).noquote() << "port closed," << kept_.size() << "bytes read before the loss kept:" << why.what();
    closePort();
}

void QtSerialChannel::closePort()
{
    if (lockedHandle_ >= 0) {
        ::flock(lockedHandle_, LOCK_UN);
        lockedHandle_ = -1;
    }
    if (port_.isOpen())
        port_.close();
    port_.clearError();
}
