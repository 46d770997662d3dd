#include "support/fakes.h"

#include "shared/seams_qt.h"

void FakeSerialChannel::open(const PortSettings &settings)
{
    opens.push_back(settings);
    timeline_.add("open:" + settings.portName.toStdString() + ":" + settings.baudText.toStdString());
    if (failOpen)
        throw PortOpenError(2, "no such port");
    open_ = true;
}

void FakeSerialChannel::write(const QByteArray &bytes)
{
    if (failWriteWith)
        throw SerialError(*failWriteWith, "write failed");
    writes.push_back(bytes);
    timeline_.add("write:" + bytes.toStdString());
}

QByteArray FakeSerialChannel::takeAvailable()
{
    ++reads;
    if (failReadWith)
        throw SerialError(*failReadWith, "read failed");
    QByteArray bytes;
    if (!incoming_.empty() && !incoming_.front()) {
        incoming_.pop_front();   // the quiet gap: nothing this time
        return bytes;
    }
    while (!incoming_.empty() && incoming_.front()) {
        bytes.append(*incoming_.front());
        incoming_.pop_front();
    }
    return bytes;
}

void FakeSerialChannel::close()
{
    ++closes;
    open_ = false;
    timeline_.add("close");
}

void FakeSerialChannel::closeAll()
{
    if (open_)
        ++closes;
    open_ = false;
    timeline_.add("closeAll");
}

void FakeSerialChannel::receive(const QByteArray &bytes)
{
    receiveWithoutGap(bytes);
    incoming_.push_back(std::nullopt);
}

void FakeSerialChannel::receiveWithoutGap(const QByteArray &bytes)
{
    for (char c : bytes)
        incoming_.push_back(c);
}

QByteArray FakeSerialChannel::written() const
{
    QByteArray all;
    for (const auto &w : writes)
        all += w;
    return all;
}

void RecordingPause::pause(int ms)
{
    pauses.push_back(ms);
    if (pollTimer_ && pollTimer_->isActive())
        ++pausesWithPollingOn;
    timeline_.add("pause:" + std::to_string(ms));
    if (realWait) {
        EventLoopPause().pause(ms);
        timeline_.add("pause over");
    }
}

void RecordingMessageBox::show(const QString &text, const QString &detailText)
{
    details.push_back(detailText);
    texts.push_back(text);
    if (pollTimer_ && pollTimer_->isActive())
        ++shownWithPollingOn;
    timeline_.add("box");
}

bool RecordingMessageBox::askToWaitForPort(const QString &text, const QString &detailText)
{
    show(text, detailText);
    return waitForThePort;
}

bool RecordingMessageBox::waitForPort(const QString &text, const std::function<bool()> &tryOpen)
{
    texts.push_back(text);
    details.push_back(QString());
    timeline_.add("wait-box");
    for (int i = 0; i < waitTries; ++i) {
        if (beforeTry)
            beforeTry(i);
        if (tryOpen())
            return true;
        EventLoopPause().pause(waitStepMs);
    }
    return false;
}
