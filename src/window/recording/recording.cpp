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
    if (!file->open()) {
        if (reason)
            *reason = file->errorText();
        return false;
    }
    // Called on the flushing thread: the failure is reported at the end of a turn, as a
    // failed write is.
    file->onSyncFailure([this] { QMetaObject::invokeMethod(&turnEnds_, [this] { postTurnEnd(); }, Qt::QueuedConnection); });
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
    if (!file_)
        return;
    file_->addRecord(msecsSinceEpoch, commandLine, answer);
    if (!turnEndPosted_)
        postTurnEnd();
}

void Recording::postTurnEnd()
{
    if (turnEndPosted_)
        return;
    turnEndPosted_ = true;
    // A queued call is a posted event of normal priority: it comes before the low-priority
    // repaint that the same turn's lines asked for.
    QMetaObject::invokeMethod(&turnEnds_, [this] {
        turnEndPosted_ = false;
        if (turnEnd_)
            turnEnd_();
    }, Qt::QueuedConnection);
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

void Recording::endTurn()
{
    if (!file_)
        return;
    const bool wroteLines = file_->hasPending();
    if (!file_->writePending()) {
        failed();
        return;
    }
    if (wroteLines)
        syncSoon();
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

void Recording::failed()
{
    syncTimer_.stop();
    failure_ = Failure{file_->path(), file_->errorText(), file_->recordsWritten()};
    file_.reset();
    // The end of a turn reports it, also when the failure came from a marker.
    postTurnEnd();
}

std::optional<Recording::Failure> Recording::takeFailure()
{
    std::optional<Failure> failure;
    std::swap(failure, failure_);
    return failure;
}
