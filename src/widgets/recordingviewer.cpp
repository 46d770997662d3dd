// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/recordingviewer.h"

#include "unit/cp1252.h"
#include "widgets/controlname.h"
#include "widgets/findbar.h"
#include "widgets/helpwindow.h"
#include "widgets/lineinspector.h"
#include "widgets/lineview.h"
#include "widgets/lineviewfilemenu.h"
#include "widgets/screenfit.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QProgressBar>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>

#include <iterator>

namespace {
const QSize designedSize(960, 680);

QString grouped(qint64 n)
{
    return QLocale(QLocale::German, QLocale::Germany).toString(n);
}

QString lines(qint64 n)
{
    return n == 1 ? QStringLiteral("1 Zeile") : QStringLiteral("%1 Zeilen").arg(grouped(n));
}

// A marker's text as a line's bytes; a character the code page lacks (a system's reason may
// hold one) shows as "?".
QByteArray markerBytes(const QString &text)
{
    if (std::optional<QByteArray> bytes = cp1252::encode(text))
        return *std::move(bytes);
    QString shown = text;
    for (QChar &c : shown)
        if (!cp1252::canEncode(c))
            c = QLatin1Char('?');
    return cp1252::encode(shown).value_or(QByteArray());
}
} // namespace

// Puts what the reader hands on into the two lists, as the window's receive path did.
class RecordingViewer::Filler : public RecordingReader::Lines {
public:
    explicit Filler(RecordingViewer &viewer) : v_(viewer) {}

    void shown(const RecordingReader::Place &place, qint64 msecsSinceEpoch, std::string_view commandLine,
               std::optional<std::string_view> answer) override
    {
        note(v_.commands_, v_.commandPlaces_, place);
        v_.commands_->appendLine(commandLine.data(), int(commandLine.size()), msecsSinceEpoch);
        if (answer) {
            note(v_.answers_, v_.answerPlaces_, place);
            v_.answers_->appendLine(answer->data(), int(answer->size()), msecsSinceEpoch);
        }
    }

    void marker(const RecordingReader::Place &place, qint64 msecsSinceEpoch, const QString &text) override
    {
        // In both lists: each reads on its own, and the marker is where it happened in either.
        const QByteArray bytes = markerBytes(text);
        for (auto [list, places] : {std::pair{v_.commands_, &v_.commandPlaces_}, std::pair{v_.answers_, &v_.answerPlaces_}}) {
            note(list, *places, place);
            list->appendMarker(bytes, msecsSinceEpoch);
        }
    }

private:
    // The line about to be appended to `list` starts a run of placeEvery: where it is, is noted.
    static void note(const LineView *list, std::vector<RecordingReader::Place> &places, const RecordingReader::Place &place)
    {
        if (list->count() % placeEvery == 0)
            places.push_back(place);
    }

    RecordingViewer &v_;
};

RecordingViewer::RecordingViewer(const QString &path, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , path_(QFileInfo(path).absoluteFilePath())
    , commands_(named(new LineView(this), "lb2"))
    , answers_(named(new LineView(this), "lbrx"))
    , findBar_(new FindBar(commands_, answers_, this))
    , progress_(named(new QProgressBar(this), "readProgress"))
    , status_(named(new QLabel(this), "readStatus"))
{
    setObjectName(QStringLiteral("recordingViewer"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Mitschnitt – %1 (nur lesen)").arg(QFileInfo(path_).fileName()));

    auto *commandsCaption = new QLabel(QStringLiteral("&Gesendete Befehle"), this);
    auto *answersCaption = new QLabel(QStringLiteral("&Antworten"), this);
    commandsCaption->setBuddy(commands_);
    answersCaption->setBuddy(answers_);
    const std::pair<LineView *, const char *> lists[] = {{commands_, "befehle"}, {answers_, "antworten"}};
    for (const auto &[list, suffix] : lists) {
        list->setAccessibleName(list == commands_ ? QStringLiteral("Gesendete Befehle") : QStringLiteral("Antworten"));
        list->setShowsTimes(true);
        // Nothing here talks to a unit.
        list->parameterSetAction()->setVisible(false);
        auto *file = new LineViewFileMenu(*list, [list = list](const QString &to, QString *reason) {
            return list->saveToFile(to, reason);
        });
        file->setSaveNameSuffix(QString::fromLatin1(suffix));
        list->addMenuAction(LineView::MenuGroup::Edit, file->saveAction());
        connect(list, &LineView::findAsked, this, [this, list = list] { findBar_->open(list); });
        connect(list, &LineView::lineInspectionAsked, this, [this, list = list](int index) { inspect(list, index); });
        connect(list, &LineView::helpAsked, this, [this] { showHandbook(this, HandbookSection::Recording); });
    }
    findBar_->hide();
    progress_->setRange(0, 1000);
    progress_->setAccessibleName(QStringLiteral("Gelesen"));
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    status_->setWordWrap(true);

    auto *column = new QVBoxLayout(this);
    column->addWidget(commandsCaption);
    column->addWidget(commands_, 1);
    column->addWidget(answersCaption);
    column->addWidget(answers_, 2);
    column->addWidget(findBar_);
    auto *foot = new QHBoxLayout;
    foot->addWidget(status_, 1);
    foot->addWidget(progress_);
    column->addLayout(foot);

    auto *find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] {
        findBar_->open(answers_->hasFocus() ? answers_ : commands_->hasFocus() ? commands_ : nullptr);
    });
    auto *close = new QShortcut(QKeySequence::Close, this);
    connect(close, &QShortcut::activated, this, &QWidget::close);

    warn_ = [](QWidget *parent, const QString &title, const QString &text) {
        // Modal to this window only: the program's main window and its line go on.
        auto *box = new QMessageBox(QMessageBox::Warning, title, text, QMessageBox::Ok, parent);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::WindowModal);
        box->open();
    };

    slice_.setSingleShot(true);
    slice_.setInterval(0);
    connect(&slice_, &QTimer::timeout, this, &RecordingViewer::readSlice);

    if (const QScreen *onScreen = screen())
        resize(fittedDialogSize(designedSize, minimumSizeHint(), onScreen->availableGeometry().size()));
}

RecordingViewer::~RecordingViewer() = default;

bool RecordingViewer::open()
{
    reader_ = std::make_unique<RecordingReader>(path_);
    if (!reader_->open()) {
        error_ = reader_->errorText();
        reader_.reset();
        return false;
    }
    filler_ = std::make_unique<Filler>(*this);
    readingFile_ = true;
    status_->setText(QStringLiteral("Lese „%1“ …").arg(QDir::toNativeSeparators(path_)));
    slice_.start();
    return true;
}

void RecordingViewer::readSlice()
{
    if (!reader_)
        return;
    if (readingFile_) {
        readingFile_ = reader_->readFor(commands_->count() == 0 ? firstSliceMs : sliceMs, *filler_);
        // Once a fiftieth is read it is known about how many lines the file holds: the lists
        // and their bursts get their room at once, so that none of them moves while it grows
        // (moving tens of megabytes would hold the window).
        if (!reserved_ && readingFile_ && reader_->position() * 50 >= reader_->size()) {
            reserved_ = true;
            const double growth = double(reader_->size()) / double(reader_->position()) * 1.1;
            commands_->reserveFor(growth);
            answers_->reserveFor(growth);
        }
        commands_->finishAdding();
        answers_->finishAdding();
        if (reader_->size() > 0)
            progress_->setValue(int(reader_->position() * 1000 / reader_->size()));
        slice_.start();
        return;
    }
    // The room kept for lines still to come is given back, a part of a list per turn: each
    // copies its lines once, tens of megabytes for a large file.
    const std::function<void()> squeezes[] = {
        [this] { commands_->squeeze(LineStore::Part::Text); }, [this] { commands_->squeeze(LineStore::Part::Ends); },
        [this] { commands_->squeeze(LineStore::Part::Times); }, [this] { answers_->squeeze(LineStore::Part::Text); },
        [this] { answers_->squeeze(LineStore::Part::Ends); }, [this] { answers_->squeeze(LineStore::Part::Times); }};
    if (squeezed_ < int(std::size(squeezes))) {
        squeezes[squeezed_++]();
        slice_.start();
        return;
    }
    finishReading();
}

void RecordingViewer::finishReading()
{
    read_ = true;
    progress_->hide();
    const qint64 markers = commands_->markerCount();
    QString said = QStringLiteral("Gelesen: %1 „Gesendete Befehle“, %2 „Antworten“, %3")
                       .arg(lines(commands_->count() - markers), lines(answers_->count() - markers),
                            markers == 1 ? QStringLiteral("1 Vermerk") : QStringLiteral("%1 Vermerke").arg(grouped(markers)));
    const qint64 skipped = reader_->linesSkipped();
    if (skipped > 0) {
        const QString text = skippedLinesText(path_, reader_->linesRead(), skipped, reader_->firstSkippedLine());
        status_->setText(text + QLatin1Char('\n') + said);
        reader_.reset();
        emit readingDone();
        warn_(this, QStringLiteral("Mitschnitt öffnen"), text);
        return;
    }
    status_->setText(said);
    reader_.reset();
    emit readingDone();
}

QString RecordingViewer::skippedLinesText(const QString &path, qint64 read, qint64 skipped, qint64 first)
{
    const QString file = QDir::toNativeSeparators(path);
    if (read == 0)
        return QStringLiteral("„%1“ ist kein Mitschnitt von RIX-TERM: Zeile %2 ist keine Zeile eines Mitschnitts.")
            .arg(file, grouped(first));
    const QString others = skipped == 1 ? QString()
                           : skipped == 2 ? QStringLiteral(" (und 1 weitere)")
                                          : QStringLiteral(" (und %1 weitere)").arg(grouped(skipped - 1));
    return QStringLiteral("Der Mitschnitt „%1“ ist beschädigt: Zeile %2%3 ist keine Zeile eines Mitschnitts und "
                          "wurde übersprungen. Gezeigt wird, was gelesen werden konnte.")
        .arg(file, grouped(first), others);
}

void RecordingViewer::inspect(LineView *list, int index)
{
    if (index < 0 || index >= list->count())
        return;
    // Non-modal and its own, as the window's: it keeps its copy of the bytes.
    auto *inspector = new LineInspector(list->lineBytes(index), list->lineTime(index), list->accessibleName(), index, this);
    if (const std::optional<RecordingReader::Burst> burst = burstOf(list, index))
        inspector->showBurst(burst->bytes, burst->msecsSinceEpoch);
    inspector->show();
}

std::optional<RecordingReader::Burst> RecordingViewer::burstOf(LineView *list, int index) const
{
    const std::vector<RecordingReader::Place> &places = list == commands_ ? commandPlaces_ : answerPlaces_;
    if (list->isMarker(index) || std::size_t(index / placeEvery) >= places.size())
        return std::nullopt;
    // Counts the list's lines from the noted place on, as they were appended, to the wanted one.
    class Finder : public RecordingReader::Lines {
    public:
        Finder(bool answers, int linesOn) : answers_(answers), left_(linesOn) {}
        void shown(const RecordingReader::Place &place, qint64, std::string_view commandLine,
                   std::optional<std::string_view> answer) override
        {
            if (answers_ && !answer)
                return;
            if (left_-- == 0) {
                const std::string_view line = answers_ ? *answer : commandLine;
                text = QByteArray(line.data(), qsizetype(line.size()));
                burstAt = place.burstBefore;
            }
        }
        void marker(const RecordingReader::Place &, qint64, const QString &) override { --left_; }
        bool wantsMore() const override { return left_ >= 0; }
        QByteArray text;
        qint64 burstAt = -1;

    private:
        bool answers_;
        int left_;
    };
    RecordingReader reader(path_);
    if (!reader.open())
        return std::nullopt;
    reader.startAt(places[std::size_t(index / placeEvery)]);
    Finder finder(list == answers_, index % placeEvery);
    reader.readFor(1000, finder);
    // A file changed since it was read shows no burst rather than another line's.
    if (finder.burstAt < 0 || finder.text != list->lineBytes(index))
        return std::nullopt;
    return RecordingReader::burstAt(path_, finder.burstAt);
}
