// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/harness.h"
#include "support/waiting.h"
#include "widgets/portsuggestions.h"
#include "window/app/application.h"
#include "window/app/fontconfiguration.h"
#include "window/app/imageformats.h"
#include "window/app/startup.h"
#include "window/commands/parametertexts.h"

#include <QCompleter>
#include <QHelpEvent>
#include <QImage>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <mutex>
#include <sstream>

TEST(HeightRule, TheInnerAreaIs5280TwipsAtEveryResolution)
{
    EXPECT_EQ(innerHeightPixels(96), 352);
    EXPECT_EQ(innerHeightPixels(120), 440);
    EXPECT_EQ(innerHeightPixels(144), 528);
}

TEST(StartUp, SettingsStartAtTheirBuiltInValuesWhateverTheBoxesShow)
{
    Harness h;
    h.w.cbCOM()->setEditText("COM7");
    h.w.cbbaud()->setEditText("4800");
    h.w.cbAdr()->setCurrentIndex(0);
    EXPECT_EQ(h.state.PortName, "COM1");
    EXPECT_EQ(h.state.BaudText, "19200");
    EXPECT_EQ(h.state.AddressDigit, "S");
    EXPECT_EQ(h.state.ButtonCommandFlag, 0);
    EXPECT_TRUE(h.state.IndicatorLevel.dcd);
    EXPECT_TRUE(h.state.IndicatorLevel.ri);
    EXPECT_TRUE(h.state.IndicatorLevel.dsr);
    EXPECT_TRUE(h.state.IndicatorLevel.cts);
}

TEST(StartUp, ComboBoxesHoldTheirListsAndStartTexts)
{
    Harness h;
    ASSERT_EQ(h.w.cbCOM()->count(), 10);
    for (int n = 1; n <= 10; ++n)
        EXPECT_EQ(h.w.cbCOM()->itemText(n - 1), QStringLiteral("COM%1").arg(n));
    EXPECT_EQ(h.w.cbCOM()->currentText(), "COM1");
    EXPECT_EQ(h.w.cbCOM()->currentIndex(), -1);

    ASSERT_EQ(h.w.cbbaud()->count(), 2);
    EXPECT_EQ(h.w.cbbaud()->itemText(0), "4800");
    EXPECT_EQ(h.w.cbbaud()->itemText(1), "19200");
    EXPECT_EQ(h.w.cbbaud()->currentText(), "19200");
    EXPECT_EQ(h.w.cbbaud()->currentIndex(), -1);

    const QString addresses = "FEDCBA0987654321S";
    ASSERT_EQ(h.w.cbAdr()->count(), 17);
    for (int i = 0; i < 17; ++i)
        EXPECT_EQ(h.w.cbAdr()->itemText(i), addresses.mid(i, 1));
    EXPECT_EQ(h.w.cbAdr()->currentIndex(), 16);
    EXPECT_EQ(h.w.cbAdr()->currentText(), "S");
    EXPECT_FALSE(h.w.cbAdr()->isEditable());
}

TEST(StartUp, ParameterCaptionsAreByteExact)
{
    Harness h;
    const std::array<CaptionLabel *, 7> labels = {h.w.lblF0(), h.w.lblF1(), h.w.lblF2(), h.w.lblF3(),
                                                  h.w.lblF4(), h.w.lblF5(), h.w.lblF6()};
    // Written out whole, blanks and all: the blanks set where each value stands, so a
    // count taken from the code would follow any change instead of catching it.
    const std::array<const char *, 7> captions = {
        "RIX-Adresse                                      (F011)\r1. Stelle (0 ... F)",
        "Min. AW-Tonl\u00e4nge aller T\u00f6ne             (0A00)\r1. u. 2. Stelle [N*5ms] ",
        "max. AW-Tonl\u00e4nge aller T\u00f6ne             (1212)\r1.,2. Stelle u. ab 2.Stelle [N*5ms] ",
        "Vorlaufzeit                                           (0E28)\r3.,4. Stelle  [N*5ms] ",
        "Tonl\u00e4nge Rufgeber                             (0E0E)\r1.,2. St. 1. Ton, 3.,4 St. ab 2.Ton [N*5ms]",
        "Tonl\u00e4nge Einton-Auswerter                 (64C8)\r3.,4 Stelle min. L\u00e4nge Ruf I, II [N*5ms]",
        "Baudrate u. FMS-Leitstellenquittung    (1010)\r1.St. 0=4800(RIX)/1=VK7000, 2.St.Q=(1/0)",
    };
    // Guards the literals above against an editor that trims or folds blanks.
    const std::array<int, 7> lengths = {75, 71, 83, 83, 96, 89, 86};
    for (std::size_t n = 0; n < 7; ++n) {
        const QString caption = labels[n]->caption();
        // Compared as UTF-8 so that a failure prints the two texts readably.
        EXPECT_EQ(caption.toStdString(), std::string(captions[n])) << "lblF" << n;
        EXPECT_EQ(caption.size(), lengths[n]) << "lblF" << n;
        // Each German letter must be a single Windows-1252 byte.
        EXPECT_EQ(QString::fromLatin1(caption.toLatin1()), caption) << "lblF" << n;
        // Shown as two lines.
        EXPECT_EQ(labels[n]->text().count(QLatin1Char('\n')), 1) << "lblF" << n;
    }
}

TEST(StartUp, ParameterButtonsCarryTheirReadCommandsAsToolTips)
{
    Harness h;
    const std::array<QPushButton *, 7> buttons = {h.w.cmdF0(), h.w.cmdF1(), h.w.cmdF2(), h.w.cmdF3(),
                                                  h.w.cmdF4(), h.w.cmdF5(), h.w.cmdF6()};
    for (int n = 0; n < 7; ++n)
        EXPECT_EQ(buttons[std::size_t(n)]->toolTip(), QStringLiteral("$RSRF%1").arg(n));
}

TEST(StartUp, WindowStartsDisconnectedWithEveryControlNamed)
{
    Harness h;
    EXPECT_TRUE(h.w.cmdEIN()->isEnabled());
    EXPECT_FALSE(h.w.cmdAUS()->isEnabled());
    for (QWidget *c : {(QWidget *)h.w.cmdSendentx(), (QWidget *)h.w.cmdVersion(), (QWidget *)h.w.cmdF0(),
                       (QWidget *)h.w.cmdF6(), (QWidget *)h.w.cmdTR1(), (QWidget *)h.w.cmdTR2(),
                       (QWidget *)h.w.cmdFMS(), (QWidget *)h.w.cmd5Ton()})
        EXPECT_FALSE(c->isEnabled()) << c->objectName().toStdString();
    EXPECT_TRUE(h.w.cbAdr()->isEnabled());
    EXPECT_TRUE(h.w.cbCOM()->isEnabled());
    EXPECT_TRUE(h.w.cbbaud()->isEnabled());
    EXPECT_FALSE(h.conversation.isPolling());
    EXPECT_EQ(h.conversation.pollTimer().interval(), 50);
    EXPECT_EQ(h.conversation.pollTimer().timerType(), Qt::PreciseTimer);

    const QStringList names = {
        "frm1", "fr2", "fr3", "fr4", "ed1", "cmdSendentx", "tb1", "cbCOM", "cbbaud", "fr1", "lb2", "lbrx",
        "cmdF0", "lblF0", "lblF1", "cmdF1", "lblF2", "lblF3", "lblF4", "lblF6", "cmdF2", "cmdF3", "cmdF4",
        "cmdF5", "cmdF6", "lblF5", "cmdVersion", "lbl1", "cbAdr", "lblAdr", "cmdschreiben", "cmdTR1", "cmdTR2",
        "cmd5Ton", "cmdFMS", "lbl2", "lblRX1", "lblrx9", "lblrx8", "lblrx6", "lbl3", "cmdEIN", "cmdAUS", "cmdEnde"};
    ASSERT_EQ(names.size() + 1, 45);   // and tmr1
    for (const QString &name : names) {
        QWidget *c = name == "frm1" ? &h.w : h.w.findChild<QWidget *>(name);
        ASSERT_NE(c, nullptr) << name.toStdString();
        EXPECT_EQ(c->accessibleDescription(), name);
        if (qobject_cast<QPushButton *>(c)) {
            EXPECT_FALSE(c->accessibleName().isEmpty()) << name.toStdString();
            EXPECT_EQ(c->focusPolicy(), Qt::NoFocus) << name.toStdString();
        }
    }
    for (QWidget *lamp : {h.w.lblRX1(), h.w.lblrx9(), h.w.lblrx6(), h.w.lblrx8()})
        EXPECT_FALSE(lamp->accessibleName().isEmpty());
    // A label's name would hide its text; the lists' items carry their own.
    for (QWidget *read : {(QWidget *)h.w.lbl1(), (QWidget *)h.w.lblF0()})
        EXPECT_TRUE(read->accessibleName().isEmpty());
    EXPECT_EQ(h.w.lb2()->accessibleName(), "Gesendete Befehle");
    EXPECT_EQ(h.w.lbrx()->accessibleName(), "Antworten");
    EXPECT_EQ(h.conversation.pollTimer().objectName(), "tmr1");
}

TEST(StartUp, AFailingStartIsReportedOnStandardErrorWithNonZeroExit)
{
    std::ostringstream err;
    EXPECT_EQ(startOrReport([] { throw std::runtime_error("no display"); }, err), 1);
    EXPECT_NE(err.str().find("no display"), std::string::npos);
    std::ostringstream quiet;
    EXPECT_EQ(startOrReport([] {}, quiet), 0);
    EXPECT_TRUE(quiet.str().empty());
}

TEST(StartUp, TheProgramShowsItsFilledWindowAtTheDesignedHeight)
{
    Application app;
    app.start();
    MainWindow &w = app.window();
    EXPECT_TRUE(w.isVisible());
    // 5280 twips inside the frame: 352 pixels at 96 dots per inch.
    EXPECT_EQ(w.height(), 352);
    // On a desktop screen the layout is shown whole, at its designed size, without scrolling.
    EXPECT_EQ(w.size(), QSize(1002, 352));
    EXPECT_EQ(w.layoutArea()->size(), QSize(1002, 352));
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
    EXPECT_FALSE(w.scroller()->horizontalScrollBar()->isVisible());
    EXPECT_FALSE(w.scroller()->verticalScrollBar()->isVisible());
    EXPECT_EQ(w.scroller()->viewport()->size(), QSize(1002, 352));
    EXPECT_EQ(w.cbbaud()->currentText(), "19200");
    EXPECT_EQ(w.lblF6()->caption().size(), 86);
    EXPECT_FALSE(app.conversation().isPolling());
    w.close();
}

TEST(StartUp, ThePortBoxSuggestsTheSystemsPortsAndListsThemInItsToolTip)
{
    Application app;
    app.start();
    QComboBox *box = app.window().cbCOM();
    const QString hint = box->toolTip();
    ASSERT_NE(box->completer(), nullptr);
    EXPECT_EQ(box->completer()->completionRole(), PortSuggestions::nameRole);
    QHelpEvent ask(QEvent::ToolTip, QPoint(2, 2), box->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(box, &ask);
    ASSERT_TRUE(testsupport::waitUntil([&] { return box->toolTip() != hint; }));
    const QString tip = box->toolTip();
    EXPECT_TRUE(tip.startsWith(hint + "\n\n")) << tip.toStdString();
    EXPECT_TRUE(tip.contains("Gefundene Schnittstellen:\n") || tip.endsWith("Keine seriellen Schnittstellen gefunden"))
        << tip.toStdString();
}

// The font configuration is read beside Qt's start only where that cannot race with Qt: while
// it connects to the display, Qt takes a launcher's start-up token out of the environment,
// which fontconfig reads meanwhile.
TEST(StartUp, TheFontConfigurationIsReadBesideQtOnlyWithoutAStartUpToken)
{
    const char *tokens[] = {"DESKTOP_STARTUP_ID", "XDG_ACTIVATION_TOKEN"};
    QByteArray saved[2];
    for (int i = 0; i < 2; ++i) {
        saved[i] = qgetenv(tokens[i]);
        qunsetenv(tokens[i]);
    }
    const struct {
        const char *token;
        bool inBackground;
    } rows[] = {{nullptr, true}, {"DESKTOP_STARTUP_ID", false}, {"XDG_ACTIVATION_TOKEN", false}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.token ? row.token : "no token");
        if (row.token)
            qputenv(row.token, "rix-term-test");
        StartUpThread fonts = readFontConfigurationInBackground();
        EXPECT_EQ(fonts.started(), row.inBackground);
        fonts.wait();
        EXPECT_EQ(fonts.started(), row.inBackground);
        if (row.token)
            qunsetenv(row.token);
    }
    for (int i = 0; i < 2; ++i)
        if (!saved[i].isNull())
            qputenv(tokens[i], saved[i]);
}

namespace {
// Qt may warn from the loading thread as well as from this one.
std::mutex warningsMutex;
std::vector<QString> *warningsSeen = nullptr;
void keepWarning(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    const std::lock_guard<std::mutex> lock(warningsMutex);
    if (type != QtDebugMsg && type != QtInfoMsg && warningsSeen)
        warningsSeen->push_back(text);
}
} // namespace

// The plugins load beside a first image read on the main thread, as the window's first paint
// reads the style's arrow: the image comes whole, and Qt says nothing of objects in the wrong
// thread.
TEST(StartUp, ImageFormatsLoadedInBackgroundLeaveTheFirstImageWhole)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pfeil.png"));
    QImage drawn(7, 4, QImage::Format_ARGB32);
    drawn.fill(QColor(200, 30, 40, 160));
    ASSERT_TRUE(drawn.save(path, "PNG"));
    std::vector<QString> warnings;
    warningsSeen = &warnings;
    const QtMessageHandler before = qInstallMessageHandler(keepWarning);
    QImage read;
    {
        const StartUpThread formats = loadImageFormatsInBackground();
        read = QImage(path);   // by its name alone: every plugin is asked, as for the arrow
    }
    qInstallMessageHandler(before);
    warningsSeen = nullptr;
    EXPECT_EQ(read.size(), QSize(7, 4));
    EXPECT_EQ(read.pixel(6, 3), drawn.pixel(6, 3));
    EXPECT_TRUE(warnings.empty()) << warnings.front().toStdString();
}
