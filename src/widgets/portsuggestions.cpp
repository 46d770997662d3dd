// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/portsuggestions.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QFocusEvent>
#include <QFuture>
#include <QFutureWatcher>
#include <QHelpEvent>
#include <QLineEdit>
#include <QPromise>
#include <QStandardItemModel>
#include <QStyle>
#include <QToolTip>
#include <algorithm>
#include <memory>
#include <thread>

namespace {
// ttyS2 before ttyS10: runs of digits compare by their value, everything else as text.
bool comesBefore(const QString &a, const QString &b)
{
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a.at(i).isDigit() && b.at(j).isDigit()) {
            qsizetype endA = i, endB = j;
            while (endA < a.size() && a.at(endA).isDigit())
                ++endA;
            while (endB < b.size() && b.at(endB).isDigit())
                ++endB;
            const qulonglong x = a.mid(i, endA - i).toULongLong();
            const qulonglong y = b.mid(j, endB - j).toULongLong();
            if (x != y)
                return x < y;
            i = endA;
            j = endB;
            continue;
        }
        if (a.at(i) != b.at(j))
            return a.at(i) < b.at(j);
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}
} // namespace

QString portEntryText(const FoundPort &port)
{
    QString about = port.description;
    if (!port.manufacturer.isEmpty() && port.manufacturer != port.description)
        about += about.isEmpty() ? port.manufacturer : QStringLiteral(" (") + port.manufacturer + QLatin1Char(')');
    return about.isEmpty() ? port.name : port.name + QStringLiteral(" – ") + about;
}

QString portBoxToolTip(const QString &hint, const QList<FoundPort> &ports)
{
    QString tip = hint.isEmpty() ? QString() : hint + QStringLiteral("\n\n");
    if (ports.isEmpty())
        return tip + QStringLiteral("Keine seriellen Schnittstellen gefunden");
    tip += QStringLiteral("Gefundene Schnittstellen:");
    for (const FoundPort &port : ports)
        tip += QLatin1Char('\n') + portEntryText(port);
    return tip;
}

PortSuggestions::PortSuggestions(QComboBox *box, PortSource source, int maxAgeMs)
    : QObject(box)
    , box_(box)
    , source_(std::move(source))
    , maxAgeMs_(maxAgeMs)
    , hint_(box->toolTip())
    , model_(new QStandardItemModel(this))
    , completer_(new QCompleter(model_, this))
{
    completer_->setCompletionRole(nameRole);
    completer_->setCaseSensitivity(Qt::CaseInsensitive);
    // "ttyUSB" or "USB" finds /dev/ttyUSB0 as well as "/dev/tty" does.
    completer_->setFilterMode(Qt::MatchContains);
    completer_->setCompletionMode(QCompleter::PopupCompletion);
    // On the line edit, not through QComboBox::setCompleter: the combo box would look each
    // picked suggestion up among its own entries and change its current entry.
    box_->lineEdit()->setCompleter(completer_);

    box_->installEventFilter(this);
    connect(box_->lineEdit(), &QLineEdit::textEdited, this, [this] {
        if (!lastRead_.isValid() || lastRead_.elapsed() >= maxAgeMs_)
            refresh();
        // What is typed while an answer is out is matched against that answer when it comes.
        if (reading_)
            typedSinceAsked_ = true;
    });
}

void PortSuggestions::refresh()
{
    if (reading_)
        return;
    reading_ = true;
    auto promise = std::make_shared<QPromise<QList<FoundPort>>>();
    promise->start();
    // The answer comes back through a watcher that the box owns: gone with the box, it takes
    // nothing after that, and the worker's promise then reports to nobody.
    auto *watcher = new QFutureWatcher<QList<FoundPort>>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher] {
        const QList<FoundPort> ports = watcher->future().resultCount() > 0 ? watcher->result() : QList<FoundPort>();
        watcher->deleteLater();
        take(ports);
    });
    watcher->setFuture(promise->future());
    // A thread of its own, not Qt's pool: the program ends without waiting for the system's
    // answer (the pool would hold the end until the reading is over).
    std::thread([promise, source = source_] {
        QList<FoundPort> ports;
        try {
            ports = source();
        } catch (...) {
            // No list this time; the next focus or tool tip asks again.
        }
        promise->addResult(std::move(ports));
        promise->finish();
    }).detach();
}

void PortSuggestions::take(QList<FoundPort> ports)
{
    reading_ = false;
    lastRead_.start();
    std::stable_sort(ports.begin(), ports.end(),
                     [](const FoundPort &a, const FoundPort &b) { return comesBefore(a.name, b.name); });
    box_->setToolTip(portBoxToolTip(hint_, ports));
    if (tipAt_) {
        QToolTip::showText(*tipAt_, box_->toolTip(), box_, QRect(), box_->toolTipDuration());
        tipAt_.reset();
    }

    // Rebuilding the model while the popup is open would drop the user's place in it.
    if (ports != shown_) {
        shown_ = std::move(ports);
        model_->clear();
        QAbstractItemView *popup = completer_->popup();
        const QFontMetrics metrics = popup->fontMetrics();
        int widest = 0;
        for (const FoundPort &port : std::as_const(shown_)) {
            auto *item = new QStandardItem(portEntryText(port));
            item->setData(port.name, nameRole);
            item->setEditable(false);
            model_->appendRow(item);
            widest = std::max(widest, metrics.horizontalAdvance(item->text()));
        }
        // The popup is as wide as the box unless told otherwise, which cuts off the descriptions.
        const int margins = 2 * popup->frameWidth() + popup->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 16;
        popup->setMinimumWidth(widest + margins);
        // What was typed while the answer was out is matched against the new list.
        if (typedSinceAsked_ && box_->hasFocus() && !box_->currentText().isEmpty())
            completer_->complete();
    }
    typedSinceAsked_ = false;
}

bool PortSuggestions::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != box_)
        return false;
    // Focus back from the suggestions' own popup is no new visit to the box.
    if (event->type() == QEvent::FocusIn && static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason) {
        refresh();
    } else if (event->type() == QEvent::ToolTip) {
        // A tool tip asked for on the box's line edit reaches the box too. It is shown when
        // the fresh list is in, a few tens of milliseconds after the usual hover delay.
        tipAt_ = static_cast<QHelpEvent *>(event)->globalPos();
        refresh();
        event->accept();
        return true;
    }
    return false;
}
