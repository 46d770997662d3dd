// A line lost at the awkward moments: a key held, a click waiting for a burst, an answer in
// a command's pause. The program stays, writes nothing after the loss, and shows what it read.
#include "support/fakes.h"
#include "support/harness.h"
#include "support/userinput.h"
#include "window/app/application.h"
#include "window/app/dispatch.h"
#include "window/receive/polling.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

#include <functional>

namespace {

const QString kLostCom1 = QStringLiteral("Die Verbindung zu COM1 ist unterbrochen (Fehler 1002).");
const QString kWaitingForCom1 = QString::fromUtf8("Warte auf COM1 \u2026");

template <typename Program>
void expectDisconnectedSet(Program &h)
{
    EXPECT_TRUE(h.w.cmdEIN()->isEnabled());
    EXPECT_FALSE(h.w.cmdAUS()->isEnabled());
    for (QWidget *b : {h.w.cmdF0(), h.w.cmdTR1(), h.w.cmdTR2(), h.w.cmdSendentx(), h.w.cmdVersion()})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    EXPECT_TRUE(h.w.cbCOM()->isEnabled());
    EXPECT_FALSE(h.receiver.isPolling());
    EXPECT_FALSE(h.channel.isOpen());
}

// Acts on the program's real modal boxes from inside their own event loops, one action per
// box in the order they open. A box still open after 5 s is closed, so no test hangs on one.
class BoxDriver : public QObject {
public:
    using Action = std::function<void(QMessageBox &)>;
    explicit BoxDriver(std::vector<Action> actions) : actions_(std::move(actions))
    {
        connect(&timer_, &QTimer::timeout, this, [this] { step(); });
        timer_.start(5);
        QTimer::singleShot(5000, this, [] {
            if (QWidget *stuck = QApplication::activeModalWidget())
                stuck->close();
        });
    }
    std::vector<QString> texts;

private:
    void step()
    {
        if (current_)
            return;   // the box acted on has not gone yet
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->windowHandle() || !box->windowHandle()->isExposed())
            return;
        texts.push_back(box->text());
        current_ = box;
        connect(box, &QDialog::finished, this, [this] { current_ = nullptr; });
        if (texts.size() <= actions_.size() && actions_[texts.size() - 1])
            actions_[texts.size() - 1](*box);
    }

    std::vector<Action> actions_;
    QTimer timer_;
    QPointer<QMessageBox> current_;
};

QPushButton *buttonOf(QMessageBox &box, const QString &text)
{
    for (QAbstractButton *b : box.buttons())
        if (b->text() == text)
            return qobject_cast<QPushButton *>(b);
    return nullptr;
}

// The whole program with its real boxes: only the port, the pause and the end are stand-ins.
struct ProgramWithRealBoxes {
    ProgramWithRealBoxes()
    {
        app.prepare();
        w.show();
        [[maybe_unused]] const bool exposed = QTest::qWaitForWindowExposed(&w);
    }
    void press(QWidget *c) { userinput::press(w, c); }
    void release(QWidget *c) { userinput::release(w, c); }
    void click(QWidget *c) { userinput::click(w, c); }
    void tick() { dispatchReceive(app.program(), tmr1_Timer); }

    Timeline timeline;
    FakeSerialChannel channel{timeline};
    RecordingPause pause{timeline};
    RecordingProgramEnd end{timeline};
    Application app{Seams{&channel, &pause, nullptr, &end}};
    MainWindow &w = app.window();
    Receiver &receiver = app.receiver();
};

// TR1 held, the adapter pulled, the box up; the user lets go of the mouse over the window
// (the box holds the mouse, so the window never sees it), then closes the box.
void holdTR1AndLoseTheLine(ProgramWithRealBoxes &h, const BoxDriver::Action &closeTheBox,
                           std::vector<BoxDriver::Action> later = {})
{
    userinput::connect(h.w, QStringLiteral("COM1"), QStringLiteral("19200"), QStringLiteral("S"));
    h.press(h.w.cmdTR1());
    ASSERT_EQ(h.channel.written(), "$RSE1");
    h.channel.hangUp();
    std::vector<BoxDriver::Action> actions{[&h, closeTheBox](QMessageBox &box) {
        h.release(h.w.cmdTR1());
        closeTheBox(box);
    }};
    actions.insert(actions.end(), later.begin(), later.end());
    BoxDriver driver(actions);
    h.tick();   // the poll finds the line gone
    ASSERT_EQ(driver.texts.size(), 1 + later.size());
    EXPECT_EQ(driver.texts[0], kLostCom1);
    if (!later.empty()) {
        EXPECT_EQ(driver.texts[1], kWaitingForCom1);
    }
    EXPECT_EQ(h.end.ends, 0) << "no fatal report";
    EXPECT_EQ(h.channel.written(), "$RSE1") << "nothing written after the loss";
}

} // namespace

// --- a key held when the line goes ------------------------------------------------------

TEST(LostLine, AHeldKeyIsDroppedWhateverClosesTheBox)
{
    const std::vector<std::pair<const char *, BoxDriver::Action>> closings = {
        {"OK clicked", [](QMessageBox &box) {
             QPushButton *ok = buttonOf(box, QStringLiteral("OK"));
             ASSERT_NE(ok, nullptr);
             QTest::mouseClick(box.windowHandle(), Qt::LeftButton, {}, ok->mapTo(&box, ok->rect().center()));
         }},
        {"Escape", [](QMessageBox &box) { QTest::keyClick(&box, Qt::Key_Escape); }},
        {"Return on OK", [](QMessageBox &box) { QTest::keyClick(&box, Qt::Key_Return); }},
    };
    for (const auto &[how, close] : closings) {
        SCOPED_TRACE(how);
        ProgramWithRealBoxes h;
        holdTR1AndLoseTheLine(h, close);
        expectDisconnectedSet(h);
        // The user's next clicks are their own: neither swallowed nor taken for the key's release.
        userinput::connect(h.w, QStringLiteral("COM1"), QStringLiteral("19200"), QStringLiteral("S"));
        h.click(h.w.cmdF1());
        h.release(h.w.cmdTR1());
        EXPECT_EQ(h.channel.written(), "$RSE1$RSRF1");
        EXPECT_EQ(h.end.ends, 0);
    }
}

TEST(LostLine, AfterWaitingAndConnectingAgainTheUnitGetsOnlyWhatTheUserDoesNext)
{
    ProgramWithRealBoxes h;
    // "Warten und neu verbinden" chosen from the keyboard; the port is back at the first try.
    holdTR1AndLoseTheLine(
        h,
        [](QMessageBox &box) {
            QPushButton *wait = buttonOf(box, QStringLiteral("Warten und neu verbinden"));
            ASSERT_NE(wait, nullptr);
            wait->setFocus();
            QTest::keyClick(wait, Qt::Key_Space);
        },
        {nullptr});
    ASSERT_TRUE(h.channel.isOpen());
    EXPECT_TRUE(h.receiver.isPolling());
    EXPECT_FALSE(h.w.cmdEIN()->isEnabled());
    h.release(h.w.cmdTR1());
    h.click(h.w.cmdF1());
    EXPECT_EQ(h.channel.written(), "$RSE1$RSRF1") << "no \"$RSEA\" from the key held before the loss";
}

// --- a click waiting for a burst when the line goes ---------------------------------------

TEST(LostLine, AClickWaitingForABurstDoesNothingWhenTheLineGoesMeanwhile)
{
    // Every button that writes, so that none of them is taken for one that does not: a write
    // after the loss would end in the fatal report ("Fehler 1003").
    const char *writers[] = {"cmdF0", "cmdF1", "cmdF2", "cmdF3", "cmdF4", "cmdF5", "cmdF6", "cmdVersion",
                             "cmdTR1", "cmdTR2", "cmd5Ton", "cmdFMS", "cmdSendentx", "cmdAUS", "cmdEnde"};
    for (const char *name : writers) {
        for (const bool waitForThePort : {false, true}) {
            SCOPED_TRACE(std::string(name) + (waitForThePort ? ", waiting and connecting again" : ", OK"));
            Harness h;
            h.connectWith("COM1", "19200", "S");
            h.w.ed1()->setText("$RSV");   // something for "Senden" to send
            h.box.waitForThePort = waitForThePort;
            h.box.waitTries = 1;
            h.channel.receiveWithoutGap("partial");
            dispatchReceive(h.p, tmr1_Timer);
            ASSERT_TRUE(h.receiver.isOpen());
            // The line goes while the click waits for the burst's quiet time.
            QTimer::singleShot(0, [&] { h.channel.hangUp(); });
            auto *button = h.w.findChild<QWidget *>(name);
            ASSERT_NE(button, nullptr);
            h.click(button);

            EXPECT_TRUE(h.channel.writes.empty()) << "the click's command is not sent after the loss";
            ASSERT_GE(h.box.texts.size(), 1u);
            EXPECT_EQ(h.box.texts[0], kLostCom1);
            EXPECT_EQ(h.end.ends, 0) << "no fatal report";
            ASSERT_EQ(h.w.lbrx()->count(), 1);
            EXPECT_EQ(h.w.lbrx()->lineBytes(0), "partial");
            if (waitForThePort) {
                ASSERT_EQ(h.box.texts.size(), 2u);
                EXPECT_EQ(h.box.texts[1], kWaitingForCom1);
                EXPECT_TRUE(h.channel.isOpen());
            } else {
                EXPECT_EQ(h.box.texts.size(), 1u);
                expectDisconnectedSet(h);
            }
        }
    }
}

// --- an answer in a command's pause when the line goes --------------------------------------

TEST(LostLine, AnAnswerReadInThePauseIsShownWithItsCommand)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    h.pause.during = [&](int) {
        h.channel.receive("SRF0F011\r\n");
        h.channel.hangUp();
    };
    h.press(h.w.cmdF0());
    h.pause.during = nullptr;
    h.tick();   // the first poll after the pause finds the line gone
    h.release(h.w.cmdF0());   // dropped by the box

    ASSERT_EQ(h.w.lbrx()->count(), 1);
    EXPECT_EQ(h.w.lbrx()->lineBytes(0), "F011");
    ASSERT_EQ(h.w.lb2()->count(), 1);
    EXPECT_EQ(h.w.lb2()->lineBytes(0), "$RSRF0");
    ASSERT_EQ(h.box.texts.size(), 1u);
    EXPECT_EQ(h.box.texts[0], kLostCom1);
    EXPECT_EQ(h.channel.written(), "$RSRF0");
    EXPECT_EQ(h.end.ends, 0);
    expectDisconnectedSet(h);
    EXPECT_FALSE(h.w.cmdschreiben()->isEnabled()) << "the release the box dropped did nothing";
}

TEST(LostLine, AClickBehindThePauseThatFindsTheLineGoneShowsTheAnswerFirst)
{
    // The release of F0 waited behind F0's pause, in which the unit answered and the line
    // went: the release reads the answer, finds the loss there, and still does its own part.
    Harness h;
    h.connectWith("COM1", "4800", "S");
    h.pause.during = [&](int) {
        h.channel.receive("$RSRF0SRF0F011\r\n");
        h.channel.hangUp();
    };
    h.click(h.w.cmdF0());

    ASSERT_EQ(h.w.lbrx()->count(), 1);
    EXPECT_EQ(h.w.lbrx()->lineBytes(0), "F011");
    ASSERT_EQ(h.w.lb2()->count(), 1);
    EXPECT_EQ(h.w.lb2()->lineBytes(0), "$RSRF0");
    ASSERT_EQ(h.box.texts.size(), 1u);
    EXPECT_EQ(h.box.texts[0], kLostCom1);
    EXPECT_EQ(h.channel.written(), "$RSRF0");
    EXPECT_EQ(h.end.ends, 0);
    expectDisconnectedSet(h);
    EXPECT_TRUE(h.w.cmdschreiben()->isEnabled()) << "the release needs no line";
}
