#include "serial/qtserialchannel.h"

#include "serial/portname.h"

#include <QDeadlineTimer>

#include <cerrno>
#include <cstring>
#include <limits>

#ifndef Q_OS_WIN
#include <poll.h>
#include <sys/file.h>
#endif

namespace {

// QSerialPort keeps only the text of the system error; find the errno whose text it is.
// Qt builds the text with qt_error_string(errno), so the same function finds it again.
int errnoOf(const QString &errorString)
{
    for (int e = 1; e < 256; ++e) {
        if (qt_error_string(e) == errorString)
            return e;
    }
    return 0;
}

int errorNumber(const QSerialPort &port, int fallback)
{
    const int e = errnoOf(port.errorString());
    return e != 0 ? e : fallback;
}

// The number for a lost port. After a hang-up the read returns end-of-file and Qt reports
// whatever errno was left over from an earlier call, so that text is not trusted then.
int lossNumber(const QSerialPort &port)
{
#ifndef Q_OS_WIN
    pollfd p{int(port.handle()), POLLIN, 0};
    if (p.fd >= 0 && ::poll(&p, 1, 0) > 0 && (p.revents & POLLHUP))
        return ErrorNumber::PortLost;
#endif
    return errorNumber(port, ErrorNumber::PortLost);
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

} // namespace

QtSerialChannel::QtSerialChannel(QObject *parent)
    : QObject(parent)
    , baudRate_(port_.baudRate())
{
    // A hang-up makes Qt's read notifier report ReadError over and over, also inside the
    // event loop of a modal message box; closing at the first report silences it.
    connect(&port_, &QSerialPort::errorOccurred, this, &QtSerialChannel::onErrorOccurred);
    connect(&port_, &QSerialPort::readyRead, this, [this] {
        if (!taking_ && arrived_)
            arrived_();
    });
}

QtSerialChannel::~QtSerialChannel()
{
    disconnect(&port_, nullptr, this, nullptr);
    closePort();
}

void QtSerialChannel::open(const PortSettings &settings)
{
    closeAll();
    lost_.reset();

    const QString name = systemPortName(settings.portName);
    if (name.isEmpty())
        throw RixError(ErrorNumber::Unknown, "Kein Port angegeben");

    bool ok = false;
    const uint baud = settings.baudText.toUInt(&ok);
    // A baud text that is not a positive whole number is no error: the line keeps the
    // rate of the last valid connect.
    if (ok && baud > 0 && baud <= uint(std::numeric_limits<qint32>::max()))
        baudRate_ = qint32(baud);

    deviceName_ = name;
    port_.setPortName(name);
    port_.setBaudRate(baudRate_);
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);

    if (!port_.open(QIODevice::ReadWrite)) {
        const int number = errorNumber(port_, ErrorNumber::Unknown);
        const QString detail = port_.errorString();
        port_.clearError();
        throw RixError(number, describe("Der Port %1 kann nicht geöffnet werden", name, detail));
    }

#ifndef Q_OS_WIN
    // Qt's lock file names the port by the path it was given, and the kernel's exclusive
    // mode does not stop root; a lock on the open device itself catches both.
    const int handle = int(port_.handle());
    if (::flock(handle, LOCK_EX | LOCK_NB) != 0) {
        const int number = errno;
        port_.close();
        port_.clearError();
        throw RixError(number, describe("Der Port %1 wird schon benutzt", name,
                                        QString::fromLocal8Bit(std::strerror(number))));
    }
    lockedHandle_ = handle;
#endif

    // Pseudo-terminals and some adapters have no modem lines; the port works without them.
    if (!port_.setDataTerminalReady(true))
        port_.clearError();
    if (!port_.setRequestToSend(true))
        port_.clearError();
    if (!port_.isOpen()) {
        // closed by onErrorOccurred: the device vanished between open and the first ioctl
        const SerialError error = lost_.value_or(SerialError(ErrorNumber::PortLost, name.toStdString()));
        lost_.reset();
        throw RixError(error.number(), error.what());
    }
    port_.clearError();
}

void QtSerialChannel::throwIfUnusable()
{
    if (lost_) {
        const SerialError error = *lost_;
        lost_.reset();
        throw error;
    }
    if (!port_.isOpen())
        throw SerialError(ErrorNumber::NotOpen, "Der Port ist nicht geöffnet");
}

void QtSerialChannel::waitUntil(const QDeadlineTimer &deadline, const std::function<bool()> &done,
                                const std::function<void(int)> &wait)
{
    // QSerialPort's waits may return early without progress; keep waiting until the deadline.
    while (!done()) {
        const qint64 left = deadline.remainingTime();
        if (left <= 0)
            return;
        wait(int(left));
        throwIfUnusable();
        if (meansPortLost(port_.error())) {
            onErrorOccurred(port_.error());
            throwIfUnusable();
        }
    }
}

QByteArray QtSerialChannel::takeAvailable()
{
    throwIfUnusable();
#ifndef Q_OS_WIN
    // Bytes the system already holds but Qt's notifier has not fetched yet arrived just as
    // early as those in Qt's buffer: fetch them now, without waiting.
    pollfd p{int(port_.handle()), POLLIN, 0};
    if (::poll(&p, 1, 0) > 0 && (p.revents & (POLLIN | POLLHUP | POLLERR))) {
        taking_ = true;
        port_.waitForReadyRead(0);
        taking_ = false;
        throwIfUnusable();
        if (meansPortLost(port_.error())) {
            onErrorOccurred(port_.error());
            throwIfUnusable();
        }
    }
#endif
    const QByteArray bytes = port_.readAll();
    // A wait that found nothing leaves TimeoutError behind; it only means "nothing yet".
    port_.clearError();
    return bytes;
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

    const QDeadlineTimer deadline(WriteTimeoutBaseMs + qint64(WriteTimeoutPerByteMs) * bytes.size());
    const qint64 taken = port_.write(bytes);
    throwIfUnusable();
    if (taken != bytes.size()) {
        const int number = errorNumber(port_, ErrorNumber::PortLost);
        const QString detail = port_.errorString();
        port_.clear(QSerialPort::Output);
        port_.clearError();
        throw SerialError(number, describe("Schreiben auf %1 fehlgeschlagen", deviceName_, detail));
    }
    waitUntil(deadline, [this] { return port_.bytesToWrite() == 0; },
              [this](int ms) { port_.waitForBytesWritten(ms); });
    if (port_.bytesToWrite() > 0) {
        // The rest must not trickle out later, after the failure has been reported.
        port_.clear(QSerialPort::Output);
        port_.clearError();
        throw SerialError(ErrorNumber::WriteTimeout,
                          describe("Schreiben auf %1 fehlgeschlagen", deviceName_,
                                   QStringLiteral("Zeitüberschreitung")));
    }
    port_.clearError();
}

std::optional<std::uint32_t> QtSerialChannel::modemStatus()
{
    if (!port_.isOpen())
        return std::nullopt;
    const QSerialPort::PinoutSignals pins = port_.pinoutSignals();
    if (port_.error() != QSerialPort::NoError) {
        // No modem lines (a pseudo-terminal) or the query failed: the lamps stay dark.
        if (port_.isOpen())
            port_.clearError();
        return std::nullopt;
    }
    std::uint32_t bits = 0;
    if (pins & QSerialPort::ClearToSendSignal)
        bits |= ModemLine::CTS;
    if (pins & QSerialPort::DataSetReadySignal)
        bits |= ModemLine::DSR;
    if (pins & QSerialPort::RingIndicatorSignal)
        bits |= ModemLine::RI;
    if (pins & QSerialPort::DataCarrierDetectSignal)
        bits |= ModemLine::DCD;
    return bits;
}

void QtSerialChannel::close()
{
    lost_.reset();
    closePort();
}

void QtSerialChannel::closeAll()
{
    if (isOpen() || lost_)
        close();
}

bool QtSerialChannel::isOpen() const
{
    return port_.isOpen();
}

void QtSerialChannel::onErrorOccurred(QSerialPort::SerialPortError error)
{
    if (!meansPortLost(error) || !port_.isOpen())
        return;
    const int number = lossNumber(port_);
    const QString detail = number == ErrorNumber::PortLost ? QStringLiteral("Gegenstelle getrennt")
                                                           : port_.errorString();
    lost_ = SerialError(number, describe("Verbindung zu %1 verloren", deviceName_, detail));
    closePort();
}

void QtSerialChannel::closePort()
{
#ifndef Q_OS_WIN
    if (lockedHandle_ >= 0) {
        ::flock(lockedHandle_, LOCK_UN);
        lockedHandle_ = -1;
    }
#endif
    if (port_.isOpen())
        port_.close();
    port_.clearError();
}
