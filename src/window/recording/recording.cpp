// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/recording/recording.h"

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

bool Recording::start(const QString &path, const QString &firstMarker, QString *reason)
{
    auto file = std::make_unique<RecordingFile>(path);
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
    lastSync_ = std::chrono::steady_clock::now();
    file_ = std::move(file);
    failure_.reset();
    return true;
}

void Recording::stop(const QString &lastMarker)
{
    if (!file_)
        return;
    syncTimer_.stop();
    file_->addMarker(QDateTime::currentMSecsSinceEpoch(), lastMarker);
    if (!file_->close()) {
        failed();
        return;
    }
    file_.reset();
}

void Recording::addRecord(qint64 msecsSinceEpoch, std::string_view commandLine, std::optional<std::string_view> answer)
{
    if (file_)
        file_->addRecord(msecsSinceEpoch, commandLine, answer);
}

void Recording::writeRecords()
{
    if (!file_ || !file_->hasPending())
        return;
    if (!file_->writePending()) {
        failed();
        return;
    }
    syncSoon();
}

void Recording::addMarker(const QString &text)
{
    if (!file_)
        return;
    file_->addMarker(QDateTime::currentMSecsSinceEpoch(), text);
    if (!file_->writePending()) {
        failed();
        return;
    }
    file_->requestSync();
    lastSync_ = std::chrono::steady_clock::now();
    syncTimer_.stop();
}

void Recording::syncSoon()
{
    using namespace std::chrono;
    const auto since = duration_cast<milliseconds>(steady_clock::now() - lastSync_);
    if (since.count() >= kSyncIntervalMs) {
        syncDue();
        return;
    }
    if (!syncTimer_.isActive())
        syncTimer_.start(int(std::max<milliseconds::rep>(1, kSyncIntervalMs - since.count())));
}

void Recording::syncDue()
{
    if (!file_)
        return;
    file_->requestSync();
    lastSync_ = std::chrono::steady_clock::now();
}

void Recording::failed(bool report)
{
    syncTimer_.stop();
    failure_ = Failure{file_->path(), file_->errorText(), file_->recordsWritten()};
    file_.reset();
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
