// SPDX-License-Identifier: GPL-3.0-or-later
// The port box's suggestions, from a made-up list of the system's serial ports.
#include "support/harness.h"
#include "support/waiting.h"
#include "widgets/portsuggestions.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QHelpEvent>
#include <QLineEdit>
#include <QComboBox>
#include <QThreadPool>
#include <QToolTip>
#include <atomic>
#include <chrono>
#include <thread>
#include <memory>
#include <gtest/gtest.h>

namespace {
// Read on a worker thread, one reading at a time; what it reads outlives a test that ends
// while a reading is still out.
struct FakeSystem {
    struct Ports {
        QList<FoundPort> list;
        std::atomic<int> reads{0};
    };
    std::shared_ptr<Ports> ports = std::make_shared<Ports>();
    PortSource source() const
    {
        return [ports = ports] {
            ++ports->reads;
            return ports->list;
        };
    }
};

QStringList entriesOf(const QComboBox *box)
{
    QStringList entries;
    for (int i = 0; i < box->count(); ++i)
        entries << box->itemText(i);
    return entries;
}

void askForToolTip(QWidget *widget)
{
    const QPoint inside = widget->rect().center();
    QHelpEvent ask(QEvent::ToolTip, inside, widget->mapToGlobal(inside));
    QApplication::sendEvent(widget, &ask);
}

const FoundPort usbAdapter{"/dev/ttyUSB0", "USB-Serial Controller", "Prolific"};
} // namespace

TEST(PortSuggestions, TypingOffersTheSystemsPortsByNameAndDescribedAndOnlyAPickChangesTheBox)
{
    FakeSystem system;
    Harness h;
    h.showWindow();
    system.ports->list = {usbAdapter, {"/dev/ttyS10", "", ""}, {"/dev/ttyS2", "16550A", ""}};
    auto *suggestions = new PortSuggestions(h.w.cbCOM(), system.source());
    const QStringList entries = entriesOf(h.w.cbCOM());
    QLineEdit *edit = h.w.cbCOM()->lineEdit();

    // Typed at once, before the system has answered: the suggestions come with the answer.
    h.w.cbCOM()->setFocus(Qt::MouseFocusReason);
    edit->selectAll();
    QTest::keyClicks(edit, "tty");
    QCompleter *completer = suggestions->completer();
    ASSERT_TRUE(testsupport::waitUntil([&] { return completer->popup()->isVisible(); }));
    const QAbstractItemModel *offered = completer->completionModel();
    ASSERT_EQ(offered->rowCount(), 3);
    const QStringList names = {"/dev/ttyS2", "/dev/ttyS10", "/dev/ttyUSB0"};
    const QStringList shown = {"/dev/ttyS2 – 16550A", "/dev/ttyS10",
                               "/dev/ttyUSB0 – USB-Serial Controller (Prolific)"};
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(offered->index(row, 0).data(PortSuggestions::nameRole).toString(), names[row]);
        EXPECT_EQ(offered->index(row, 0).data(Qt::DisplayRole).toString(), shown[row]);
    }
    // Offering chooses nothing.
    EXPECT_EQ(h.w.cbCOM()->currentText(), "tty");
    EXPECT_EQ(h.w.cbCOM()->currentIndex(), -1);

    QTest::keyClicks(edit, "U");
    ASSERT_EQ(offered->rowCount(), 1);
    completer->popup()->setCurrentIndex(offered->index(0, 0));
    QTest::keyClick(completer->popup(), Qt::Key_Return);
    EXPECT_FALSE(completer->popup()->isVisible());
    EXPECT_EQ(h.w.cbCOM()->currentText(), "/dev/ttyUSB0");
    EXPECT_EQ(h.w.cbCOM()->currentIndex(), -1);
    EXPECT_EQ(entriesOf(h.w.cbCOM()), entries);
    // One reading for the whole visit: at the focus, none for the keys or the popup's closing.
    EXPECT_EQ(system.ports->reads, 1);
}

TEST(PortSuggestions, TheListIsReadAtFocusAtTheToolTipAndAtTypingWhenOlderThanItsAge)
{
    FakeSystem system;
    FakeSystem everyKey;
    Harness h;
    h.showWindow();
    const QString hint = h.w.cbCOM()->toolTip();
    auto *suggestions = new PortSuggestions(h.w.cbCOM(), system.source(), 60'000);
    EXPECT_EQ(system.ports->reads, 0);   // not at start-up

    h.w.cbCOM()->setFocus(Qt::MouseFocusReason);
    ASSERT_TRUE(h.w.cbCOM()->hasFocus());
    ASSERT_TRUE(testsupport::waitUntil([&] { return !suggestions->isReading(); }));
    EXPECT_EQ(system.ports->reads, 1);
    QTest::keyClicks(h.w.cbCOM()->lineEdit(), "/dev");
    EXPECT_FALSE(suggestions->isReading());   // just read

    // Asked on the line edit, where the mouse rests, the tip is the box's, shown with the answer.
    askForToolTip(h.w.cbCOM()->lineEdit());
    ASSERT_TRUE(testsupport::waitUntil([&] { return QToolTip::isVisible(); }));
    EXPECT_EQ(system.ports->reads, 2);
    EXPECT_EQ(QToolTip::text(), hint + "\n\nKeine seriellen Schnittstellen gefunden");

    system.ports->list = {usbAdapter, {"/dev/ttyACM0", "", "Arduino"}};
    askForToolTip(h.w.cbCOM());
    ASSERT_TRUE(testsupport::waitUntil([&] { return !suggestions->isReading(); }));
    EXPECT_EQ(system.ports->reads, 3);
    EXPECT_EQ(QToolTip::text(), hint + "\n\nGefundene Schnittstellen:\n/dev/ttyACM0 – Arduino\n"
                                       "/dev/ttyUSB0 – USB-Serial Controller (Prolific)");
    EXPECT_EQ(h.w.cbCOM()->toolTip(), QToolTip::text());
    QToolTip::hideText();

    // With no age to wait for, every key that finds no reading under way asks again.
    Harness fresh;
    auto *eager = new PortSuggestions(fresh.w.cbCOM(), everyKey.source(), 0);
    for (const char *key : {"/", "d"}) {
        QTest::keyClicks(fresh.w.cbCOM()->lineEdit(), key);
        ASSERT_TRUE(testsupport::waitUntil([&] { return !eager->isReading(); }));
    }
    EXPECT_EQ(everyKey.ports->reads, 2);
}

TEST(PortSuggestions, ABoxDestroyedWhileAReadingIsOutDropsTheAnswerAndTheEndDoesNotWaitForIt)
{
    struct Slow {
        std::atomic<int> started{0};
        std::atomic<int> finished{0};
    };
    auto slow = std::make_shared<Slow>();
    const PortSource slowSource = [slow] {
        ++slow->started;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        ++slow->finished;
        return QList<FoundPort>{usbAdapter};
    };

    auto *box = new QComboBox;
    box->setEditable(true);
    box->setToolTip(QStringLiteral("Hinweis"));
    auto *suggestions = new PortSuggestions(box, slowSource);
    suggestions->refresh();
    ASSERT_TRUE(suggestions->isReading());
    ASSERT_TRUE(testsupport::waitUntil([&] { return slow->started == 1; }));

    // Destroying the box does not wait for the reading.
    const auto before = testsupport::Clock::now();
    delete box;
    EXPECT_LT(testsupport::millisecondsBetween(before, testsupport::Clock::now()), 100.0);
    // Qt's own end waits for its thread pool; a reading out must not hold it.
    EXPECT_TRUE(QThreadPool::globalInstance()->waitForDone(50));

    // The answer arrives with nobody to take it: no crash, no assertion.
    testsupport::runEventsFor(std::chrono::milliseconds(400));
    EXPECT_EQ(slow->finished, 1);
}
