// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/parameterdialog.h"

#include "unit/parameters/parameterdescriptions.h"
#include "unit/parameters/parametermeaning.h"
#include "unit/parameters/parametersession.h"
#include "unit/parameters/setfileio.h"
#include "widgets/controlname.h"
#include "widgets/displaylines.h"
#include "widgets/helpwindow.h"
#include "widgets/screenfitter.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QShortcut>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {
constexpr int parameters = 7;
// Room for the table's seven rows and the report; a smaller free area takes what it has.
constexpr QSize designedSize(900, 640);
const QString noAnswerText = QStringLiteral("keine Antwort");
const QString filter = QStringLiteral("Parametersätze (*.rixset *.txt);;Alle Dateien (*)");

// The file column takes only hexadecimal digits as they are typed, and a value only when
// it has all four; a shorter one is not taken, and `refused` hears of it so it can be said.
// Tab and Shift+Tab in a cell take its value and leave the table, as they do outside a cell.
class HexDelegate : public QStyledItemDelegate {
public:
    HexDelegate(QObject *parent, std::function<void(int row, const QString &text)> refused)
        : QStyledItemDelegate(parent)
        , refused_(std::move(refused))
    {
    }
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &) const override
    {
        auto *edit = new QLineEdit(parent);
        edit->setObjectName(QStringLiteral("valueEditor"));
        edit->setAccessibleDescription(edit->objectName());
        edit->setMaxLength(4);
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9A-Fa-f]{0,4}")), edit));
        return edit;
    }
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override
    {
        const QString text = static_cast<QLineEdit *>(editor)->text();
        if (isParameterValue(text))
            model->setData(index, text.toUpper());
        else if (!text.isEmpty())
            refused_(index.row(), text);
    }

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        auto *editor = qobject_cast<QWidget *>(object);
        if (editor && event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
                QWidget *view = editor->parentWidget() ? editor->parentWidget()->parentWidget() : nullptr;
                emit commitData(editor);
                emit closeEditor(editor, QAbstractItemDelegate::NoHint);
                if (view) {
                    QKeyEvent leave(QEvent::KeyPress, key->key(), key->modifiers());
                    QCoreApplication::sendEvent(view, &leave);
                }
                return true;
            }
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    std::function<void(int, const QString &)> refused_;
};

QString valueText(const std::optional<QString> &value)
{
    return value.value_or(QString());
}

// A parameter's caption in the window's words, without the blanks that line up the window's
// label: in a cell they would only take the room of what the value means.
QString tableCaption(int n)
{
    QStringList lines = displayLines(parameterCaption(n)).split(QLatin1Char('\n'));
    for (QString &line : lines)
        line = line.simplified();
    return lines.join(QLatin1Char('\n'));
}
} // namespace

ParameterDialog::ParameterDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("parameterDialog"));
    setWindowTitle(QStringLiteral("Parametersatz"));
    // Only this dialog takes input while it is open: the window's buttons cannot put a
    // command between the dialog's.
    setWindowModality(Qt::ApplicationModal);

    connection_ = named(new QLabel(this), "connection");
    table_ = named(new QTableWidget(parameters, ColumnCount, this), "values");
    table_->setHorizontalHeaderLabels({QStringLiteral("Parameter"), QStringLiteral("Einheit"), QStringLiteral("Bedeutung"),
                                       QStringLiteral("Datei"), QString()});
    table_->verticalHeader()->hide();
    table_->setItemDelegateForColumn(File, new HexDelegate(table_, [this](int row, const QString &text) {
        step_->setText(QStringLiteral("F%1: „%2“ hat nur %3 Ziffer(n), ein Wert hat vier (0–9, A–F). Nicht übernommen.")
                           .arg(row)
                           .arg(text)
                           .arg(text.size()));
    }));
    table_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                            | QAbstractItemView::AnyKeyPressed);
    // Tab leaves the table for the buttons; the arrow keys move between its cells.
    table_->setTabKeyNavigation(false);
    table_->setWordWrap(true);
    filling_ = true;
    for (int n = 0; n < parameters; ++n) {
        for (int c = 0; c < ColumnCount; ++c) {
            auto *item = new QTableWidgetItem;
            if (c != File)
                item->setFlags(item->flags() & ~Qt::ItemIsEditable);
            table_->setItem(n, c, item);
        }
        table_->item(n, Caption)->setText(tableCaption(n));
        showRow(n);
    }
    filling_ = false;
    // The values and the mark take what they need; what a value means takes the rest.
    for (const Column c : {Caption, Unit, File, Differs})
        table_->horizontalHeader()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setSectionResizeMode(Meaning, QHeaderView::Stretch);
    table_->resizeRowsToContents();
    // Typing goes into the file's F0 first: the only column that takes input.
    table_->setCurrentCell(0, File);
    connect(table_, &QTableWidget::cellChanged, this, &ParameterDialog::fileCellEdited);

    // The mnemonics differ from each other: L, D, U, S, A, B, K, C.
    readButton_ = named(new QPushButton(QStringLiteral("Von der Einheit &lesen"), this), "readButton");
    openButton_ = named(new QPushButton(QStringLiteral("&Datei öffnen …"), this), "openButton");
    saveButton_ = named(new QPushButton(QStringLiteral("Speichern &unter …"), this), "saveButton");
    writeButton_ = named(new QPushButton(QStringLiteral("Geänderte &schreiben"), this), "writeButton");
    lineSettings_ = named(new QCheckBox(QStringLiteral("auch &Adresse und Baudrate (F0, F6)"), this), "lineSettings");
    progress_ = named(new QProgressBar(this), "progress");
    step_ = named(new QLabel(this), "step");
    step_->setWordWrap(true);
    cancelButton_ = named(new QPushButton(QStringLiteral("A&bbrechen"), this), "cancelButton");
    report_ = named(new QPlainTextEdit(this), "report");
    report_->setReadOnly(true);
    report_->setTabChangesFocus(true);
    copyButton_ = named(new QPushButton(QStringLiteral("Bericht &kopieren"), this), "copyButton");
    closeButton_ = named(new QPushButton(QStringLiteral("S&chließen"), this), "closeButton");
    // No button is the default: Enter takes a cell's value and presses nothing.
    for (QPushButton *b : {readButton_, openButton_, saveButton_, writeButton_, cancelButton_, copyButton_, closeButton_})
        b->setAutoDefault(false);

    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(readButton_);
    fileRow->addWidget(openButton_);
    fileRow->addWidget(saveButton_);
    fileRow->addStretch();
    auto *writeRow = new QHBoxLayout;
    writeRow->addWidget(writeButton_);
    writeRow->addWidget(lineSettings_);
    writeRow->addStretch();
    auto *runRow = new QHBoxLayout;
    runRow->addWidget(progress_, 1);
    runRow->addWidget(cancelButton_);
    auto *endRow = new QHBoxLayout;
    endRow->addWidget(copyButton_);
    endRow->addStretch();
    endRow->addWidget(closeButton_);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(connection_);
    layout->addWidget(table_, 3);
    layout->addLayout(fileRow);
    layout->addLayout(writeRow);
    layout->addLayout(runRow);
    layout->addWidget(step_);
    layout->addWidget(report_, 1);
    layout->addLayout(endRow);
    // Tab goes as the eye reads: the table, then the rows of buttons from the top.
    QWidget *order[] = {table_, readButton_, openButton_, saveButton_, writeButton_, lineSettings_,
                        cancelButton_, report_, copyButton_, closeButton_};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    fitter_ = new ScreenFitter(this, designedSize);
    // F1: this dialog's section of the Handbuch, also during a run (it sends nothing).
    new QShortcut(QKeySequence::HelpContents, this, this, [this] { showHandbook(this, HandbookSection::ParameterSet); });

    connect(readButton_, &QPushButton::clicked, this, &ParameterDialog::readAsked);
    connect(writeButton_, &QPushButton::clicked, this, &ParameterDialog::writeAsked);
    connect(openButton_, &QPushButton::clicked, this, &ParameterDialog::askOpen);
    connect(saveButton_, &QPushButton::clicked, this, &ParameterDialog::askSave);
    connect(cancelButton_, &QPushButton::clicked, this, [this] {
        cancelAsked_ = true;
        cancelButton_->setEnabled(false);
        step_->setText(step_->text() + QStringLiteral(" – wird abgebrochen, sobald der Parameter fertig ist"));
    });
    connect(copyButton_, &QPushButton::clicked, this,
            [this] { QApplication::clipboard()->setText(report_->toPlainText()); });
    connect(closeButton_, &QPushButton::clicked, this, &ParameterDialog::reject);

    askOpenPath_ = [](QWidget *parent) {
        return QFileDialog::getOpenFileName(parent, QStringLiteral("Parametersatz öffnen"), QString(), filter);
    };
    askSavePath_ = [](QWidget *parent) {
        return QFileDialog::getSaveFileName(parent, QStringLiteral("Parametersatz speichern"), QString(), filter);
    };
    ask_ = [](QWidget *parent, const QString &text) {
        return QMessageBox::question(parent, QStringLiteral("Parametersatz"), text, QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No)
               == QMessageBox::Yes;
    };
    updateButtons();
}

void ParameterDialog::setConnection(bool connected, const QString &text)
{
    connected_ = connected;
    connection_->setText(text);
    updateButtons();
}

void ParameterDialog::setUnitValue(int n, const std::optional<QString> &value)
{
    unit_.value[std::size_t(n)] = value;
    noAnswer_[std::size_t(n)].clear();
    showRow(n);
    updateButtons();
}

void ParameterDialog::setNoAnswer(int n, const QString &why)
{
    setUnitValue(n, std::nullopt);
    noAnswer_[std::size_t(n)] = why;
    showRow(n);
}

void ParameterDialog::clearUnitValues(unsigned connection)
{
    unitConnection_ = connection;
    for (std::size_t n = 0; n < unit_.value.size(); ++n)
        setUnitValue(int(n), std::nullopt);
}

void ParameterDialog::setFileValue(int n, const std::optional<QString> &value)
{
    file_.value[std::size_t(n)] = value ? std::optional<QString>(value->toUpper()) : std::nullopt;
    showRow(n);
    updateButtons();
}

bool ParameterDialog::includeLineSettings() const
{
    return lineSettings_->isChecked();
}

void ParameterDialog::showRow(int n)
{
    const bool wasFilling = filling_;
    filling_ = true;
    const auto &unit = unit_.value[std::size_t(n)];
    const auto &file = file_.value[std::size_t(n)];
    const QString &silence = noAnswer_[std::size_t(n)];
    table_->item(n, Unit)->setText(silence.isEmpty() ? valueText(unit) : noAnswerText);
    table_->item(n, Unit)->setToolTip(silence);
    table_->item(n, Meaning)->setText(unit ? describeParameter(n, *unit).join(QLatin1Char('\n')) : QString());
    table_->item(n, File)->setText(valueText(file));
    table_->item(n, File)->setToolTip(file ? describeParameter(n, *file).join(QLatin1Char('\n')) : QString());
    const bool differs = unit && file && *unit != *file;
    table_->item(n, Differs)->setText(differs ? QStringLiteral("≠") : QString());
    table_->item(n, Differs)->setToolTip(differs ? QStringLiteral("Einheit und Datei weichen ab") : QString());
    filling_ = wasFilling;
    table_->resizeRowToContents(n);
}

void ParameterDialog::fileCellEdited(int row, int column)
{
    if (filling_ || column != File)
        return;
    const QString text = table_->item(row, File)->text();
    setFileValue(row, isParameterValue(text) ? std::optional<QString>(text) : std::nullopt);
    // What was said of a value not taken is over once one is.
    step_->clear();
}

void ParameterDialog::updateButtons()
{
    const bool idle = !running_;
    const bool unitKnown = std::all_of(unit_.value.begin(), unit_.value.end(), [](const auto &v) { return v.has_value(); });
    const bool anyFile = std::any_of(file_.value.begin(), file_.value.end(), [](const auto &v) { return v.has_value(); });
    readButton_->setEnabled(idle && connected_);
    // Nothing is written blind: only over a line, and only against values read from the unit.
    writeButton_->setEnabled(idle && connected_ && unitKnown && anyFile);
    lineSettings_->setEnabled(idle && connected_);
    openButton_->setEnabled(idle);
    saveButton_->setEnabled(idle && anyFile);
    closeButton_->setEnabled(idle);
    cancelButton_->setEnabled(running_ && !cancelAsked_);
    table_->setEditTriggers(idle ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                                       | QAbstractItemView::AnyKeyPressed
                                 : QAbstractItemView::NoEditTriggers);
}

void ParameterDialog::startRun(const QString &what, int steps)
{
    running_ = true;
    cancelAsked_ = false;
    // The button that started the run is turned off meanwhile, and Qt moves the focus on.
    focusBeforeRun_ = focusWidget();
    progress_->setRange(0, steps);
    progress_->setValue(0);
    progress_->resetFormat();
    step_->setText(what);
    report_->clear();
    updateButtons();
}

void ParameterDialog::setStep(int done, const QString &text)
{
    progress_->setValue(done);
    step_->setText(text);
}

void ParameterDialog::endRun(const QString &report, const QString &stoppedAt)
{
    running_ = false;
    step_->clear();
    // A bar left at its last value would look as if the run were still going on.
    if (!stoppedAt.isEmpty())
        progress_->setFormat(stoppedAt);
    report_->setPlainText(report);
    updateButtons();
    // The keyboard is where it was before the run, not wherever the turned-off buttons sent it.
    if (focusBeforeRun_ && focusBeforeRun_->isEnabled())
        focusBeforeRun_->setFocus(Qt::OtherFocusReason);
    focusBeforeRun_ = nullptr;
}

QString ParameterDialog::report() const
{
    return report_->toPlainText();
}

ReportNotes ParameterDialog::reportNotes()
{
    ReportNotes notes;
    notes.leftOut = QStringLiteral("nicht geschrieben (nur mit „auch Adresse und Baudrate (F0, F6)“)");
    notes.newRate = QStringLiteral("Die Einheit arbeitet jetzt mit der Baudrate, die F6 nennt: im Fenster „Trennen“, "
                                   "diese Baudrate wählen, „Verbinden“ und den Parametersatz neu lesen.");
    return notes;
}

bool ParameterDialog::confirmWrite(const std::vector<PlannedWrite> &plan)
{
    QString text = QStringLiteral("Diese Werte in die Einheit schreiben?\n\n");
    QStringList leftOut;
    bool lineSetting = false;
    for (const PlannedWrite &p : plan) {
        if (p.leftOut) {
            leftOut << QStringLiteral("F%1").arg(p.n);
            continue;
        }
        text += changeText(p.n, p.unitValue, p.fileValue);
        lineSetting = lineSetting || isLineSetting(p.n);
    }
    if (lineSetting)
        text += QStringLiteral("\nF0 und F6 werden zuletzt geschrieben. Danach erreicht das Fenster die Einheit nur mit "
                               "der neuen Adresse und Baudrate: im Fenster „Trennen“, beide neu wählen und „Verbinden“.\n");
    if (!leftOut.isEmpty())
        text += QStringLiteral("\nNicht geschrieben (nur mit „auch Adresse und Baudrate (F0, F6)“): %1\n")
                    .arg(leftOut.join(QStringLiteral(", ")));
    return ask_(this, text);
}

// What a file's load or save says goes under the bar, where a run says its step: the report
// of the last run stays as it was until the next run.
void ParameterDialog::openFile(const QString &path)
{
    auto loaded = loadSetFile(path);
    if (const auto *reason = std::get_if<QString>(&loaded)) {
        step_->setText(*reason + QStringLiteral("\nNichts geladen."));
        return;
    }
    const ParameterSet set = std::get<ParameterSet>(std::move(loaded));
    if (std::none_of(set.value.begin(), set.value.end(), [](const auto &v) { return v.has_value(); })) {
        step_->setText(QStringLiteral("%1: enthält keine Zeile Fn=XXXX.\nNichts geladen.").arg(path));
        return;
    }
    for (int n = 0; n < parameters; ++n)
        setFileValue(n, set.value[std::size_t(n)]);
    step_->setText(QStringLiteral("Geladen: %1").arg(path));
}

void ParameterDialog::saveFile(const QString &path)
{
    const SetHeader header = header_ ? header_() : SetHeader{};
    const QString failed = saveSetFile(path, printParameterSet(file_, header));
    // A failure's text already says that nothing was saved.
    step_->setText(failed.isEmpty() ? QStringLiteral("Parametersatz in %1 gespeichert.").arg(path) : failed);
}

void ParameterDialog::askOpen()
{
    const QString path = askOpenPath_(this);
    if (!path.isEmpty())
        openFile(path);
}

void ParameterDialog::askSave()
{
    const QString path = askSavePath_(this);
    if (!path.isEmpty())
        saveFile(path);
}

void ParameterDialog::focusFileValues()
{
    table_->setCurrentCell(std::max(0, table_->currentRow()), File);
    table_->setFocus(Qt::OtherFocusReason);
}

void ParameterDialog::setVisible(bool visible)
{
    if (visible && !isVisible()) {
        // Sized before Qt places it, so that it is placed with the size it has.
        fitter_->fit();
        // Each opening starts at F0's file value, as the Handbuch's round by keyboard counts.
        table_->setCurrentCell(0, File);
        table_->setFocus(Qt::OtherFocusReason);
    }
    QDialog::setVisible(visible);
}

void ParameterDialog::reject()
{
    // Closing while the line is busy stops as „Abbrechen“ does; the dialog stays for the report.
    if (running_) {
        if (cancelButton_->isEnabled())
            cancelButton_->click();
        return;
    }
    QDialog::reject();
}

void ParameterDialog::closeEvent(QCloseEvent *event)
{
    if (running_) {
        event->ignore();
        reject();
        return;
    }
    QDialog::closeEvent(event);
}
