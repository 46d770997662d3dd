// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/findbar.h"

#include "widgets/controlpictures.h"
#include "widgets/lineview.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QShortcut>
#include <QToolButton>

namespace {
enum Scope { Both, Upper, Lower };

QString grouped(qint64 n)
{
    return QLocale(QLocale::German, QLocale::Germany).toString(n);
}
} // namespace

FindBar::FindBar(LineView *upper, LineView *lower, QWidget *parent)
    : QFrame(parent)
    , upper_(upper)
    , lower_(lower)
    , text_(new QLineEdit(this))
    , previous_(new QToolButton(this))
    , next_(new QToolButton(this))
    , exactCase_(new QCheckBox(QStringLiteral("Groß/klein"), this))
    , hex_(new QCheckBox(QStringLiteral("Hex"), this))
    , scope_(new QComboBox(this))
    , status_(new QLabel(this))
    , close_(new QToolButton(this))
{
    setObjectName(QStringLiteral("findBar"));
    setAccessibleName(QStringLiteral("Suchen"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);

    text_->setObjectName(QStringLiteral("findText"));
    text_->setPlaceholderText(QStringLiteral("Suchen …"));
    text_->setAccessibleName(QStringLiteral("Suchtext"));
    text_->installEventFilter(this);
    previous_->setArrowType(Qt::UpArrow);
    previous_->setToolTip(QStringLiteral("Vorheriger Treffer (Umschalt+Eingabe, Umschalt+F3)"));
    previous_->setAccessibleName(QStringLiteral("Vorheriger Treffer"));
    next_->setArrowType(Qt::DownArrow);
    next_->setToolTip(QStringLiteral("Nächster Treffer (Eingabe, F3)"));
    next_->setAccessibleName(QStringLiteral("Nächster Treffer"));
    exactCase_->setToolTip(QStringLiteral("Groß- und Kleinschreibung beachten"));
    hex_->setToolTip(QStringLiteral("Bytes in Hex suchen, z. B. 1B 5B"));
    scope_->addItems({QStringLiteral("beide Listen"), QStringLiteral("Befehle"), QStringLiteral("Antworten")});
    scope_->setToolTip(QStringLiteral("Wo gesucht wird: „Gesendete Befehle“, „Antworten“ oder beide"));
    scope_->setAccessibleName(QStringLiteral("Suchen in"));
    status_->setObjectName(QStringLiteral("findStatus"));
    // What the bar says takes the room the controls leave, and a second line where one is
    // too short (why nothing is found, with a wide font): a text wider than its room would
    // run under the close button.
    status_->setWordWrap(true);
    close_->setObjectName(QStringLiteral("findClose"));
    close_->setText(QStringLiteral("✕"));
    close_->setAutoRaise(true);
    close_->setToolTip(QStringLiteral("Suche schließen (Esc)"));
    close_->setAccessibleName(QStringLiteral("Suche schließen"));
    for (QWidget *w : std::initializer_list<QWidget *>{previous_, next_, close_})
        w->setFocusPolicy(Qt::NoFocus);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(4, 2, 4, 2);
    row->setSpacing(4);
    // Room for a telegram's worth of text; the rest goes to what the bar says.
    text_->setFixedWidth(text_->fontMetrics().averageCharWidth() * 18);
    row->addWidget(text_);
    row->addWidget(previous_);
    row->addWidget(next_);
    row->addWidget(exactCase_);
    row->addWidget(hex_);
    row->addWidget(scope_);
    row->addWidget(status_, 1);
    row->addWidget(close_);

    connect(text_, &QLineEdit::textChanged, this, &FindBar::restart);
    connect(exactCase_, &QCheckBox::toggled, this, &FindBar::restart);
    connect(hex_, &QCheckBox::toggled, this, [this](bool hex) {
        exactCase_->setEnabled(!hex);
        restart();
    });
    connect(scope_, &QComboBox::currentIndexChanged, this, &FindBar::restart);
    connect(previous_, &QToolButton::clicked, this, &FindBar::findPrevious);
    connect(next_, &QToolButton::clicked, this, &FindBar::findNext);
    connect(close_, &QToolButton::clicked, this, [this] {
        hide();
        search_.setPattern({});
        if (from_)
            from_->setFocus();
    });
    // While the bar is shown, F3 steps from anywhere in the window; Esc closes it from inside.
    new QShortcut(QKeySequence(Qt::Key_F3), this, this, &FindBar::findNext, Qt::WindowShortcut);
    new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), this, this, &FindBar::findPrevious, Qt::WindowShortcut);
    new QShortcut(QKeySequence(Qt::Key_Escape), this, close_, &QToolButton::click, Qt::WidgetWithChildrenShortcut);

    connect(&search_, &LineSearch::found, this, &FindBar::showHit);
    connect(&search_, &LineSearch::notFound, this, [this] {
        hit_ = {};
        none_ = true;
        showStatus();
    });
    connect(&search_, &LineSearch::progressed, this, &FindBar::showStatus);
    // Cleared lists: the hit shown and every place the search had reached are gone; the
    // search starts over on what the lists hold now.
    for (LineView *list : {upper_, lower_})
        connect(list, &LineView::cleared, this, [this] {
            hit_ = {};
            restart();
        });
    restart();
}

void FindBar::open(LineView *from)
{
    if (from) {
        from_ = from;
        scope_->setCurrentIndex(from == upper_ ? Upper : Lower);
    } else if (QWidget *focus = window()->focusWidget(); focus == upper_ || focus == lower_) {
        from_ = static_cast<LineView *>(focus);
    }
    // Given at the first opening, not at start: its icon brings in the icon theme and the
    // image plugins, about 10 ms of a start-up that most sessions never spend on finding.
    text_->setClearButtonEnabled(true);
    // A line copied from a list holds the control bytes' pictures. The font that has them is
    // asked for here too: matching it and its fallbacks costs the start-up about 3 ms.
    if (!text_->font().families().contains(QLatin1String(controlpictures::fontFamily)))
        text_->setFont(controlpictures::withPictures(text_->font()));
    const bool wasHidden = isHidden();
    show();
    raise();
    text_->setFocus(Qt::ShortcutFocusReason);
    text_->selectAll();
    if (wasHidden)
        restart();
}

void FindBar::findNext()
{
    go(true);
}

void FindBar::findPrevious()
{
    go(false);
}

LineSearch::Hit FindBar::startingPoint() const
{
    const std::vector<LineView *> &lists = search_.lists();
    for (std::size_t k = 0; k < lists.size(); ++k)
        if (lists[k] == from_ && from_->currentLine() >= 0)
            return {int(k), from_->currentLine()};
    return {};
}

void FindBar::restart()
{
    std::vector<LineView *> lists;
    const int scope = scope_->currentIndex();
    if (scope != Lower)
        lists.push_back(upper_);
    if (scope != Upper)
        lists.push_back(lower_);
    // A new text goes on from the hit shown, if its list is still searched, or from where the
    // user was; that line included.
    LineSearch::Hit from;
    if (hit_.isValid()) {
        LineView *hitList = search_.lists()[std::size_t(hit_.list)];
        for (std::size_t k = 0; k < lists.size(); ++k)
            if (lists[k] == hitList)
                from = {int(k), hit_.line};
    }
    search_.setLists(lists);
    if (!from.isValid())
        from = startingPoint();
    hit_ = {};
    wrapped_ = false;
    none_ = false;
    if (isHidden()) {
        search_.setPattern({});
        return;
    }
    search_.setPattern(hex_->isChecked() ? LinePattern::fromHex(text_->text())
                                         : LinePattern::fromText(text_->text(), exactCase_->isChecked()));
    forward_ = true;
    search_.step(from, true, true);
    showStatus();
}

void FindBar::go(bool forward)
{
    if (isHidden())
        return;
    forward_ = forward;
    wrapped_ = false;
    none_ = false;
    const LineSearch::Hit from = hit_.isValid() ? hit_ : startingPoint();
    search_.step(from, forward, !hit_.isValid());
    showStatus();
}

void FindBar::showHit(LineSearch::Hit hit, bool wrapped)
{
    hit_ = hit;
    wrapped_ = wrapped;
    none_ = false;
    search_.lists()[std::size_t(hit.list)]->setCurrentLine(hit.line);
    showStatus();
}

void FindBar::showStatus()
{
    // The search's own pattern: made once per text, not again at every slice of the count.
    const QString typed = text_->text();
    const LinePattern &pattern = search_.pattern();
    QString text;
    if (typed.isEmpty()) {
        text.clear();
    } else if (!pattern.problem().isEmpty()) {
        text = pattern.problem();
    } else if (!pattern.notice().isEmpty()) {
        text = pattern.notice();
    } else if (!pattern.isValid()) {
        text.clear();
    } else if (!search_.isCounted()) {
        text = hit_.isValid() || none_ ? QStringLiteral("Zähle … %1 Treffer bisher").arg(grouped(search_.counted()))
                                       : QStringLiteral("Suche …");
    } else if (const qint64 total = search_.counted(); total == 0 || none_ || !hit_.isValid()) {
        text = total == 0 ? QStringLiteral("Kein Treffer")
                          : QStringLiteral("%1 Treffer").arg(grouped(total));
    } else {
        text = QStringLiteral("Treffer %1 von %2").arg(grouped(search_.ordinal(hit_)), grouped(total));
        if (wrapped_)
            text += forward_ ? QStringLiteral(" – vom Anfang") : QStringLiteral(" – vom Ende");
    }
    status_->setText(text);
    if (!pattern.notice().isEmpty() && pattern.problem().isEmpty())
        status_->setToolTip(QStringLiteral("Die Listen zeigen, was die Anzeige vom Empfang übrig lässt: sie lässt jedes "
                                           "CR und LF aus, außer als erstes Byte eines Empfangs. Im Mitschnitt "
                                           "stehen sie ganz."));
    else
        status_->setToolTip(wrapped_ ? (forward_ ? QStringLiteral("Ende erreicht, weiter vom Anfang")
                                                 : QStringLiteral("Anfang erreicht, weiter vom Ende"))
                                     : QString());
}

bool FindBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == text_ && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            go(!(key->modifiers() & Qt::ShiftModifier));
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}
