// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/recording/recording.h"

#include "unit/cp1252.h"
#include "unit/localtimetext.h"
#include "unit/logging.h"

#include <QDateTime>
#include <QMetaObject>

#include <algorithm>

Recording::Recording()
{
    syncTimer_.setObjectName(QStringLiteral("recordingSync"));
    syncTimer_.setSingleShot(true);
}

Recording::~Recording()
{
    if (!isRunning())
        return;
    stop(QStringLiteral("Mitschnitt beendet"));
    // Nobody is left to read a box: the reason goes to the log.
    if (const std::optional<Failure> failure = takeFailure())
        qCWarning(lcApp).noquote() << "the recording into" << failure->path << "did not end cleanly:" << failure->reason;
}

QString Recording::path() const
{
    return file_ ? file_->path() : QString();
}

FileIdentity Recording::identity() const
{
    return file_ ? file_->identity() : FileIdentity{};
}

bool Recording::start(const QString &path, const QString &firstMarker, QString *reason)
{
    auto file = flush_ ? std::make_unique<RecordingFile>(path, flush_) : std::make_unique<RecordingFile>(path);
    // Called on the flushing thread (so set before it starts); the failure is found and
    // reported on the window's.
    file->onSyncFailure([this] { QMetaObject::invokeMethod(&events_, [this] { postFailure(); }, Qt::QueuedConnection); });
    if (!file->open()) {
        if (reason)
            *reason = file->errorText();
        return false;
    }
    file->addMarker(QDateTime::currentMSecsSinceEpoch(), firstMarker);
    if (!file->writePending()) {
        if (reason)
            *reason = file->errorText();
        return false;
    }
    file->requestSync();
    lastSync_ = clock_();
    file_ = std::move(file);
    failure_.reset();
    received_.clear();
    unanswered_.reset();
    return true;
}

void Recording::stop(const QString &lastMarker)
{
    if (!file_)
        return;
    syncTimer_.stop();
    addReceived();
    file_->addMarker(QDateTime::currentMSecsSinceEpoch(), lastMarker);
    if (!file_->close()) {
        failed();
        return;
    }
    file_.reset();
    unanswered_.reset();
}

void Recording::addRecord(qint64 msecsSinceEpoch, std::string_view commandLine, std::optional<std::string_view> answer)
{
    if (!file_)
        return;
    // The bytes they were shown from come first.
    addReceived();
    file_->addRecord(msecsSinceEpoch, commandLine, answer);
}

void Recording::writeRecords()
{
    writeNow();
}

void Recording::addMarker(const QString &text)
{
    if (!file_)
        return;
    addReceived();
    file_->addMarker(QDateTime::currentMSecsSinceEpoch(), text);
    if (!file_->writePending()) {
        failed();
        return;
    }
    file_->requestSync();
    lastSync_ = clock_();
    syncTimer_.stop();
}

void Recording::lineWriting(const QByteArray &bytes)
{
    if (!file_)
        return;
    addReceived();
    noteUnanswered(QStringLiteral("vor dem nächsten Senden"));
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    file_->addSent(now, {bytes.constData(), std::size_t(bytes.size())});
    unanswered_ = Unanswered{bytes, now};
    writeNow();
}

void Recording::lineWriteFailed(const QString &reason)
{
    unanswered_.reset();
    addMarker(QStringLiteral("Senden fehlgeschlagen: ") + reason);
}

void Recording::lineRead(const QByteArray &bytes)
{
    if (!file_ || bytes.isEmpty())
        return;
    unanswered_.reset();
    if (received_.isEmpty())
        receivedAt_ = QDateTime::currentMSecsSinceEpoch();
    received_ += bytes;
    if (received_.size() >= receivedLineBytes) {
        addReceived();
        writeNow();
    }
}

void Recording::lineClosed()
{
    if (!file_)
        return;
    addReceived();
    noteUnanswered(QStringLiteral("vor dem Schließen der Schnittstelle"));
    writeNow();
}

void Recording::addReceived()
{
    if (received_.isEmpty() || !file_)
        return;
    file_->addReceived(receivedAt_, {received_.constData(), std::size_t(received_.size())});
    // A flood's bytes are given back once written, the few of an answer are kept for the next.
    if (received_.capacity() > receivedLineBytes * 2)
        received_ = QByteArray();
    else
        received_.resize(0);
}

void Recording::noteUnanswered(const QString &until)
{
    if (!unanswered_ || !file_)
        return;
    const QString sentAt = LocalTimeText::timeOfDayText(unanswered_->sentAt);
    file_->addMarker(QDateTime::currentMSecsSinceEpoch(),
                     QStringLiteral("Keine Antwort auf „%1“ (gesendet %2) %3")
                         .arg(cp1252::decode(unanswered_->bytes), sentAt, until));
    unanswered_.reset();
}

void Recording::writeNow()
{
    if (!file_ || !file_->hasPending())
        return;
    if (!file_->writePending()) {
        failed();
        return;
    }
    syncSoon();
}

void Recording::syncSoon()
{
    using namespace std::chrono;
    const auto since = duration_cast<milliseconds>(clock_() - lastSync_);
    if (since.count() >= syncIntervalMs) {
        syncDue();
        return;
    }
    if (!syncTimer_.isActive())
        syncTimer_.start(int(std::max<milliseconds::rep>(1, syncIntervalMs - since.count())));
}

void Recording::syncDue()
{
    if (!file_)
        return;
    file_->requestSync();
    lastSync_ = clock_();
}

void Recording::failed(bool report)
{
    syncTimer_.stop();
    failure_ = Failure{file_->path(), file_->errorText(), file_->recordsWritten()};
    file_.reset();
    received_ = QByteArray();
    unanswered_.reset();
    if (report)
        postFailure();
}

void Recording::postFailure()
{
    QMetaObject::invokeMethod(&events_, [this] {
        if (failureDue_)
            failureDue_();
    }, Qt::QueuedConnection);
}

std::optional<Recording::Failure> Recording::takeFailure()
{
    // A flush to the disk that failed on its thread stops the recording here.
    if (file_ && !file_->hasPending() && !file_->writePending())
        failed(false);
    std::optional<Failure> failure;
    std::swap(failure, failure_);
    return failure;
}
