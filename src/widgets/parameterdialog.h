// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// „Parametersatz …“: the unit's parameters F0–F6 in a table with their captions as the window
// shows them, the unit's values and their meaning, the values of a file (or typed), and a mark
// where the two differ. The dialog only shows and asks: reading and writing are the window's
// (window/commands/parameterset.*), which it asks with readAsked and writeAsked. Its controls
// are not handed out: tests and automation tools find them by their object names.

#include "unit/parameters/parameterset.h"
#include "unit/parameters/writereport.h"

#include <QDialog>

#include <QPointer>

#include <array>
#include <functional>
#include <optional>
#include <vector>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;
class ScreenFitter;

class ParameterDialog : public QDialog {
    Q_OBJECT
public:
    // The table's columns.
    enum Column { Caption, Unit, Meaning, File, Differs, ColumnCount };

    explicit ParameterDialog(QWidget *parent = nullptr);

    // Whether the window is connected, and the line that says to which unit or that it is not.
    void setConnection(bool connected, const QString &text);
    bool isConnected() const { return connected_; }

    // The unit's values as last read; a value that is not known is empty.
    const ParameterSet &unitSet() const { return unit_; }
    void setUnitValue(int n, const std::optional<QString> &value);
    // Fn gave no answer: its row says „keine Antwort“, and `why` in its tool tip.
    void setNoAnswer(int n, const QString &why);
    // Forgets every value of the unit, and says which connection the next ones come from (the
    // window's count of opened ports), so that values from an earlier one can be told apart.
    void clearUnitValues(unsigned connection);
    unsigned unitConnection() const { return unitConnection_; }
    // The file's values, or typed into the table.
    const ParameterSet &fileSet() const { return file_; }
    void setFileValue(int n, const std::optional<QString> &value);
    bool includeLineSettings() const;

    // A read or write on the line: only „Abbrechen“ acts meanwhile; the bar counts `steps`.
    void startRun(const QString &what, int steps);
    void setStep(int done, const QString &text);
    // Whether „Abbrechen“ was pressed since the run started.
    bool cancelAsked() const { return cancelAsked_; }
    // The run is over; `report` stays shown and can be copied. A run that stopped early
    // says where in the bar (`stoppedAt`, "Abgebrochen nach F2"), which keeps its value.
    void endRun(const QString &report, const QString &stoppedAt = QString());
    bool isRunning() const { return running_; }
    QString report() const;
    // The keyboard goes where editing starts: the table, at the file value of its current row.
    void focusFileValues();

    // Asks before a write, listing every change in words; true to write.
    bool confirmWrite(const std::vector<PlannedWrite> &plan);
    // What the report says of F0 or F6 not written and after a new rate.
    static ReportNotes reportNotes();

    // „Datei öffnen …“ and „Speichern unter …“ without their file dialogs: the set file at
    // `path` is loaded (a bad line is named, nothing is loaded) or written complete or not at all.
    // What they say is the line under the bar; the last run's report stays.
    void openFile(const QString &path);
    void saveFile(const QString &path);

    // The file dialogs and the question, replaceable so that tests never open a modal window.
    using PathAsker = std::function<QString(QWidget *parent)>;
    using Question = std::function<bool(QWidget *parent, const QString &text)>;
    void setOpenPathAsker(PathAsker asker) { askOpenPath_ = std::move(asker); }
    void setSavePathAsker(PathAsker asker) { askSavePath_ = std::move(asker); }
    void setQuestion(Question question) { ask_ = std::move(question); }
    // The header of a saved file: where the set was read, by which program.
    void setHeaderSource(std::function<SetHeader()> source) { header_ = std::move(source); }

    // Opens within the free area of its screen, at any scale.
    void setVisible(bool visible) override;

signals:
    void readAsked();
    void writeAsked();

protected:
    void reject() override;
    void closeEvent(QCloseEvent *event) override;

private:
    void showRow(int n);
    void fileCellEdited(int row, int column);
    void updateButtons();
    void askOpen();
    void askSave();

    QLabel *connection_;
    QTableWidget *table_;
    QPushButton *readButton_;
    QPushButton *openButton_;
    QPushButton *saveButton_;
    QPushButton *writeButton_;
    QCheckBox *lineSettings_;
    QProgressBar *progress_;
    QLabel *step_;
    QPushButton *cancelButton_;
    QPlainTextEdit *report_;
    QPushButton *copyButton_;
    QPushButton *closeButton_;

    ParameterSet unit_;
    std::array<QString, 7> noAnswer_;   // why a parameter is marked „keine Antwort“
    unsigned unitConnection_ = 0;
    ParameterSet file_;
    bool connected_ = false;
    bool running_ = false;
    bool cancelAsked_ = false;
    bool filling_ = false;   // the table is being filled, not edited
    PathAsker askOpenPath_;
    PathAsker askSavePath_;
    Question ask_;
    std::function<SetHeader()> header_;
    ScreenFitter *fitter_;
    QPointer<QWidget> focusBeforeRun_;
};
