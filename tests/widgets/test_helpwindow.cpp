// SPDX-License-Identifier: GPL-3.0-or-later
// The Handbuch in the program's own help window: where it is found, F1 in each dialog opening
// that dialog's section (also from a modal dialog, which blocks every other window), links
// leading to their headings, pictures within the page, one window for the whole program.
// The Handbuch shown is the real one, found as the program finds it (from a build: the
// source tree's), so a renamed heading or a broken link fails here.
#include "support/controls.h"
#include "widgets/handbookbrowser.h"
#include "widgets/handbookfile.h"
#include "widgets/helpwindow.h"
#include "widgets/lineinspector.h"
#include "widgets/parameterdialog.h"
#include "widgets/unitsearchdialog.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QWindow>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

using testsupport::control;

namespace {

HelpWindow *helpWindowOf(const QWidget &main)
{
    const QList<HelpWindow *> found = main.findChildren<HelpWindow *>();
    return found.size() == 1 ? found.front() : nullptr;
}

// The heading whose anchor is at the top of the browser's view; empty when the top line is
// no heading.
QString headingAtTop(const HandbookBrowser &browser)
{
    const QTextBlock block = browser.cursorForPosition(QPoint(4, 4)).block();
    if (block.blockFormat().headingLevel() == 0)
        return QString();
    return block.begin().fragment().charFormat().anchorNames().value(0);
}

// Every fragment of the document, for the links and pictures in it.
void forEachFragment(const QTextDocument &document, const std::function<void(const QTextFragment &)> &visit)
{
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            visit(it.fragment());
}

// A click through the window, as a user's, at `at` in `widget`.
void clickAt(QWidget &widget, QPoint at)
{
    QTest::mouseClick(widget.window()->windowHandle(), Qt::LeftButton, {}, widget.mapTo(widget.window(), at));
}

// Clicks the first link in view that leads to another heading than the one at the top;
// returns that link's anchor, or empty.
QString clickALinkInView(HandbookBrowser &browser)
{
    const QString top = headingAtTop(browser);
    QString clicked;
    forEachFragment(*browser.document(), [&](const QTextFragment &fragment) {
        const QString href = fragment.charFormat().anchorHref();
        if (!clicked.isEmpty() || !href.startsWith(QLatin1Char('#')) || href.mid(1) == top)
            return;
        QTextCursor cursor(browser.document());
        cursor.setPosition(fragment.position() + fragment.length() / 2);
        const QPoint at = browser.cursorRect(cursor).center();
        if (!browser.viewport()->rect().contains(at))
            return;
        clickAt(*browser.viewport(), at);
        clicked = href.mid(1);
    });
    return clicked;
}

} // namespace

TEST(HandbookFile, TheInstalledHandbuchBesideTheProgramComesFirst)
{
    QTemporaryDir prefix;
    ASSERT_TRUE(QDir(prefix.path()).mkpath(QStringLiteral("usr/bin")));
    ASSERT_TRUE(QDir(prefix.path()).mkpath(QStringLiteral("usr/share/doc/rix-term")));
    QFile installed(prefix.filePath(QStringLiteral("usr/share/doc/rix-term/handbuch.md")));
    ASSERT_TRUE(installed.open(QIODevice::WriteOnly));
    installed.write("# Handbuch\n");
    installed.close();

    EXPECT_EQ(handbookFile(prefix.filePath(QStringLiteral("usr/bin"))), installed.fileName());
}

TEST(HandbookFile, RunFromItsBuildTheProgramFindsTheSourceTreesHandbuch)
{
    QTemporaryDir prefix;
    ASSERT_TRUE(QDir(prefix.path()).mkpath(QStringLiteral("bin")));
    const QFileInfo found(handbookFile(prefix.filePath(QStringLiteral("bin"))));
    EXPECT_TRUE(found.isFile()) << found.filePath().toStdString();
    EXPECT_EQ(found.fileName(), QStringLiteral("handbuch.md"));
    EXPECT_EQ(found.dir().dirName(), QStringLiteral("docs"));
    EXPECT_TRUE(QFileInfo(found.dir().filePath(QStringLiteral("manual.md"))).isFile());
}

TEST(HelpWindow, AHandbuchThatIsNotThereIsNamed)
{
    HelpWindow help;
    help.open(QStringLiteral("/nicht/da/handbuch.md"), QString());
    EXPECT_TRUE(control<HandbookBrowser>(help, "handbook")->toPlainText().contains(QStringLiteral("/nicht/da/handbuch.md")));
}

TEST(HeadingAnchor, AsGitHubMakesThemSoOneLinkWorksInBothPlaces)
{
    const std::pair<const char *, const char *> rows[] = {
        {"Der Mitschnitt", "der-mitschnitt"},
        {"rix-sim: ohne Einheit ausprobieren", "rix-sim-ohne-einheit-ausprobieren"},
        {"Rückgabewerte", "rückgabewerte"},
        {"Einheiten finden: find", "einheiten-finden-find"},
        {"F0–F6 und „Übernehmen“ …", "f0f6-und-übernehmen-"},
        {"snake_case, Strg+F", "snake_case-strgf"},
    };
    for (const auto &[heading, anchor] : rows)
        EXPECT_EQ(headingAnchor(QString::fromUtf8(heading)), QString::fromUtf8(anchor)) << heading;
}

struct DialogSection {
    const char *name;
    std::function<std::unique_ptr<QWidget>(QWidget *parent)> make;
    const char *anchor;
};

class F1InADialog : public testing::TestWithParam<DialogSection> {};

TEST_P(F1InADialog, OpensItsSectionInAHelpWindowThatStaysUsable)
{
    QWidget main;
    main.resize(400, 300);
    main.show();
    std::unique_ptr<QWidget> dialog = GetParam().make(&main);
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));

    QTest::keyClick(dialog->windowHandle(), Qt::Key_F1);

    HelpWindow *help = helpWindowOf(main);
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(help));
    auto *browser = control<HandbookBrowser>(*help, "handbook");
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(browser->source().fragment(), QLatin1String(GetParam().anchor));
    EXPECT_EQ(headingAtTop(*browser), QLatin1String(GetParam().anchor));
    // A modal dialog blocks every window but its own: the help window is the dialog's, and a
    // click in it, through the window, is taken.
    if (dialog->windowModality() != Qt::NonModal) {
        EXPECT_EQ(help->parentWidget(), dialog.get());
    }
    auto *contents = control<QPushButton>(*help, "contentsButton");
    clickAt(*contents, contents->rect().center());
    EXPECT_TRUE(QTest::qWaitFor([&] { return browser->verticalScrollBar()->value() == 0; }, 2000))
        << "the click on „Inhalt“ was not taken";
    EXPECT_TRUE(browser->source().fragment().isEmpty());
    dialog.reset();
}

INSTANTIATE_TEST_SUITE_P(
    EachDialog, F1InADialog,
    testing::Values(
        DialogSection{"ParameterSet", [](QWidget *parent) { return std::make_unique<ParameterDialog>(parent); },
                      "der-parametersatz"},
        DialogSection{"UnitSearch", [](QWidget *parent) { return std::make_unique<UnitSearchDialog>(parent); },
                      "einheit-suchen"},
        DialogSection{"LineInspector",
                      [](QWidget *parent) {
                          auto inspector = std::make_unique<LineInspector>("\x1b[1mA", 0, QStringLiteral("Antworten"), 0, parent);
                          inspector->setAttribute(Qt::WA_DeleteOnClose, false);
                          return inspector;
                      },
                      "suchen-und-zeile-untersuchen"}),
    [](const testing::TestParamInfo<DialogSection> &info) { return std::string(info.param.name); });

TEST(HelpWindow, OneWindowServesTheProgramAndKeepsItsPlaceWhenItChangesOwner)
{
    QWidget main;
    main.show();
    ParameterDialog dialog(&main);

    showHandbook(&main, HandbookSection::Start);
    HelpWindow *help = helpWindowOf(main);
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->parentWidget(), &main);
    help->setGeometry(40, 50, 610, 470);

    dialog.show();
    showHandbook(&dialog, HandbookSection::ParameterSet);
    EXPECT_EQ(helpWindowOf(main), help);
    EXPECT_EQ(help->parentWidget(), &dialog);
    EXPECT_EQ(help->geometry(), QRect(40, 50, 610, 470));
    EXPECT_TRUE(help->isVisible());

    dialog.hide();
    showHandbook(&main, HandbookSection::Start);
    EXPECT_EQ(helpWindowOf(main), help);
    EXPECT_EQ(help->parentWidget(), &main);
    EXPECT_EQ(help->geometry(), QRect(40, 50, 610, 470));
}

TEST(HelpWindow, ALinkLeadsToItsHeading)
{
    QWidget main;
    main.show();
    showHandbook(&main, HandbookSection::Start);
    HelpWindow *help = helpWindowOf(main);
    ASSERT_NE(help, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(help));
    auto *browser = control<HandbookBrowser>(*help, "handbook");
    EXPECT_EQ(browser->verticalScrollBar()->value(), 0);

    const QString link = clickALinkInView(*browser);
    ASSERT_FALSE(link.isEmpty()) << "no link in view at the beginning";
    EXPECT_TRUE(QTest::qWaitFor([&] { return browser->source().fragment() == link; }, 2000))
        << "the click on #" << link.toStdString() << " was not taken";
    EXPECT_EQ(headingAtTop(*browser), link);
}

TEST(HelpWindow, InhaltGoesToTheBeginningAndZurueckBackToTheSection)
{
    QWidget main;
    main.show();
    showHandbook(&main, HandbookSection::UnitSearch);
    HelpWindow *help = helpWindowOf(main);
    ASSERT_NE(help, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(help));
    ASSERT_TRUE(QTest::qWaitForWindowActive(help));
    auto *browser = control<HandbookBrowser>(*help, "handbook");
    const int atSection = browser->verticalScrollBar()->value();
    ASSERT_GT(atSection, 0);

    // A mnemonic presses its button as a short animation, which ends on a timer.
    QTest::keyClick(help->windowHandle(), Qt::Key_I, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return browser->verticalScrollBar()->value() == 0; }, 2000));
    EXPECT_TRUE(browser->source().fragment().isEmpty());
    ASSERT_TRUE(control<QPushButton>(*help, "backButton")->isEnabled());

    QTest::keyClick(help->windowHandle(), Qt::Key_Z, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return browser->source().fragment() == QStringLiteral("einheit-suchen"); }, 2000));
    EXPECT_EQ(browser->verticalScrollBar()->value(), atSection);
}

TEST(HelpWindow, F1InsideLeavesItAsItIsAndEscClosesIt)
{
    QWidget main;
    main.show();
    showHandbook(&main, HandbookSection::ParameterSet);
    HelpWindow *help = helpWindowOf(main);
    ASSERT_NE(help, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(help));
    auto *browser = control<HandbookBrowser>(*help, "handbook");
    const int scrolled = browser->verticalScrollBar()->value();

    QTest::keyClick(help->windowHandle(), Qt::Key_F1);
    EXPECT_EQ(main.findChildren<HelpWindow *>().size(), 1);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(browser->verticalScrollBar()->value(), scrolled);

    QTest::keyClick(help->windowHandle(), Qt::Key_Escape);
    EXPECT_FALSE(help->isVisible());
}

TEST(HelpWindow, EveryLinkOfTheHandbuchLeadsToAHeadingAndEveryPictureIsThere)
{
    HelpWindow help;
    help.open(handbookFile(QCoreApplication::applicationDirPath()), QString());
    const QTextDocument &document = *control<HandbookBrowser>(help, "handbook")->document();
    QStringList anchors;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() > 0)
            anchors << block.begin().fragment().charFormat().anchorNames();
    }
    QStringList links;
    QStringList pictures;
    forEachFragment(document, [&](const QTextFragment &fragment) {
        const QTextCharFormat format = fragment.charFormat();
        if (format.anchorHref().startsWith(QLatin1Char('#')))
            links << format.anchorHref().mid(1);
        if (format.isImageFormat())
            pictures << format.toImageFormat().name();
    });
    EXPECT_GE(links.size(), 20);
    for (const QString &link : std::as_const(links))
        EXPECT_TRUE(anchors.contains(link)) << "the link #" << link.toStdString() << " leads to no heading";
    EXPECT_EQ(anchors.removeDuplicates(), 0) << "two headings with one anchor";
    ASSERT_FALSE(pictures.isEmpty());
    const QDir folder = QFileInfo(handbookFile(QCoreApplication::applicationDirPath())).dir();
    for (const QString &picture : std::as_const(pictures))
        EXPECT_FALSE(QImage(folder.filePath(picture)).isNull()) << picture.toStdString();
}

TEST(HelpWindow, APictureWiderThanThePageIsShownAtThePagesWidth)
{
    HelpWindow help;
    help.resize(520, 600);
    help.open(handbookFile(QCoreApplication::applicationDirPath()), QString());
    help.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&help));
    auto *browser = control<HandbookBrowser>(help, "handbook");
    const QDir folder = QFileInfo(handbookFile(QCoreApplication::applicationDirPath())).dir();

    // The size a picture is drawn at: the one the document has for it, in the screen's units.
    const auto checkPictures = [&](bool narrow) {
        int smaller = 0;
        int seen = 0;
        forEachFragment(*browser->document(), [&](const QTextFragment &fragment) {
            if (!fragment.charFormat().isImageFormat())
                return;
            const QString name = fragment.charFormat().toImageFormat().name();
            const QImage natural(folder.filePath(name));
            ASSERT_FALSE(natural.isNull()) << name.toStdString();
            const QImage shown = browser->document()->resource(QTextDocument::ImageResource, QUrl(name)).value<QImage>();
            ASSERT_FALSE(shown.isNull()) << name.toStdString();
            const QSizeF size = QSizeF(shown.size()) / shown.devicePixelRatio();
            ++seen;
            EXPECT_LE(size.width(), browser->viewport()->width()) << name.toStdString();
            EXPECT_NEAR(size.height() / size.width(), double(natural.height()) / natural.width(), 0.01) << name.toStdString();
            if (natural.width() > browser->viewport()->width()) {
                ++smaller;
                EXPECT_GT(size.width(), browser->viewport()->width() * 0.9) << "as wide as the page: " << name.toStdString();
            } else {
                EXPECT_EQ(size.toSize(), natural.size()) << name.toStdString();
            }
        });
        EXPECT_GT(seen, 0);
        if (narrow) {
            EXPECT_GT(smaller, 0) << "no picture was wider than the narrow page";
        }
    };
    checkPictures(true);
    help.resize(1400, 600);
    ASSERT_TRUE(QTest::qWaitFor([&] { return browser->viewport()->width() > 1100; }, 2000));
    checkPictures(false);
}
