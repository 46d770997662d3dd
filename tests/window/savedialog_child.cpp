// SPDX-License-Identifier: GPL-3.0-or-later
// Started by the test "StoresNothing" with HOME set to an empty folder: the program's own
// start-up, then "Speichern unter …" on the answers list through Qt's real file dialog, once
// cancelled and once saved as antworten.txt into the folder named by the first argument.
// Exit code 0 when the save wrote its file, 2 when it did not, 3 when a dialog did not come,
// 4 when the dialog had no name box.
#include "support/harness.h"
#include "widgets/lineviewfilemenu.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>

#include <cstdlib>
#include <functional>

namespace {
// Answers the next file dialog as soon as it is up; the program runs it modally, in its own
// event loop, so the answer comes from a timer.
void whenTheDialogIsUp(const std::function<void(QFileDialog *)> &answer)
{
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, answer] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        answer(dialog);
    });
    poll->start(10);
}
} // namespace

int main(int argc, char **argv)
{
    QApplication qtApp(argc, argv);
    if (argc < 2)
        return 64;
    const QString saved = QFile::decodeName(argv[1]) + QStringLiteral("/antworten.txt");
    // A dialog that never comes (or a box that nobody answers) must not hold the test.
    QTimer::singleShot(20'000, [] { std::_Exit(3); });

    Harness h;
    h.w.lbrx()->addLine("SRF0F011");
    whenTheDialogIsUp([](QFileDialog *dialog) { dialog->reject(); });
    h.w.lbrx()->fileMenu()->saveAs();
    whenTheDialogIsUp([&saved](QFileDialog *dialog) {
        // Typed into its name box, as a user does (selectFile() leaves a focused box alone).
        auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        if (!name)
            std::_Exit(4);
        name->setText(saved);
        QMetaObject::invokeMethod(dialog, "accept"); // as its "Speichern" button does
    });
    h.w.lbrx()->fileMenu()->saveAs();
    return QFile::exists(saved) ? 0 : 2;
}
