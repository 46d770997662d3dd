// SPDX-License-Identifier: GPL-3.0-or-later
// "Speichern unter …" on a list: the target is looked at before anyone is asked whether to
// replace it, and a file that is there is replaced only after "Ja".
#include "support/filelines.h"
#include "widgets/linelist.h"
#include "widgets/lineviewfilemenu.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

// A list whose "Speichern unter …" saves to `path`, with the boxes recorded instead of shown.
struct SavingList {
    explicit SavingList(const QString &path)
    {
        view.addLine("SRF0F011", 0);
        view.fileMenu()->setSaveFileAsker([path](QWidget *, const QString &, const QString &, const QString &) { return path; });
        view.fileMenu()->setWarningBox([this](QWidget *, const QString &, const QString &text) { warnings << text; });
        view.fileMenu()->setReplaceAsker([this](QWidget *, const QString &, const QString &question) {
            questions << question;
            return replace;
        });
    }
    LineList view;
    QStringList warnings;
    QStringList questions;
    bool replace = false;
};

} // namespace

TEST(LineViewSaveAs, AFifoIsRefusedWithoutAskingWhetherToReplaceIt)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

    SavingList list(fifo);
    list.replace = true;
    list.view.fileMenu()->saveAs();

    EXPECT_TRUE(list.questions.isEmpty()) << list.questions.join(QLatin1Char('|')).toStdString();
    ASSERT_EQ(list.warnings.size(), 1);
    EXPECT_EQ(list.warnings[0],
              QStringLiteral("Die Datei „%1“ konnte nicht gespeichert werden: Das Ziel ist eine Pipe (FIFO), keine "
                             "gewöhnliche Datei. Gespeichert wird nur in eine gewöhnliche Datei oder unter einem "
                             "neuen Namen; das Ziel bleibt unverändert.")
                  .arg(QDir::toNativeSeparators(fifo)));
}

TEST(LineViewSaveAs, AFileThatIsThereIsReplacedOnlyAfterYesAndANewNameIsNotAskedAbout)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("liste.txt"));
    ASSERT_NO_FATAL_FAILURE(writeFile(path, "alter Inhalt\n"));

    SavingList list(path);
    list.view.fileMenu()->saveAs();
    EXPECT_EQ(list.questions,
              QStringList{QStringLiteral("Die Datei „liste.txt“ existiert bereits.\nSoll sie überschrieben werden?")});
    EXPECT_EQ(contentOf(path), QByteArray("alter Inhalt\n")) << "replaced after „Nein“";
    EXPECT_TRUE(list.warnings.isEmpty());

    list.replace = true;
    list.view.fileMenu()->saveAs();
    EXPECT_EQ(list.questions.size(), 2);
    EXPECT_TRUE(contentOf(path).endsWith("\tSRF0F011\n")) << contentOf(path).toStdString();
    EXPECT_TRUE(list.warnings.isEmpty()) << list.warnings.join(QLatin1Char('\n')).toStdString();

    const QString fresh = dir.filePath(QStringLiteral("neu.txt"));
    SavingList another(fresh);
    another.view.fileMenu()->saveAs();
    EXPECT_TRUE(another.questions.isEmpty());
    EXPECT_TRUE(contentOf(fresh).endsWith("\tSRF0F011\n")) << contentOf(fresh).toStdString();
}
