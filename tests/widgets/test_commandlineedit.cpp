// SPDX-License-Identifier: GPL-3.0-or-later
// The command line's history (Up and Down walk the commands sent in this session), and what
// a pasted text becomes.
#include "widgets/commandlineedit.h"

#include <QTest>

#include <gtest/gtest.h>

#include <string>

namespace {

// What the line holds after each step: "sent:X" tells it X went out, "type:X" sets the line as
// typing would, "up" and "down" press the keys.
struct Walk {
    const char *name;
    std::vector<const char *> steps;
    const char *shown;
};

const Walk walks[] = {
    {"nothing sent: Up leaves the line", {"type:$RS", "up"}, "$RS"},
    {"Up shows the newest", {"sent:$RSV", "sent:$RSRF0", "up"}, "$RSRF0"},
    {"Up twice the one before", {"sent:$RSV", "sent:$RSRF0", "up", "up"}, "$RSV"},
    {"the oldest stays at the top", {"sent:$RSV", "sent:$RSRF0", "up", "up", "up"}, "$RSV"},
    {"Down walks back", {"sent:$RSV", "sent:$RSRF0", "up", "up", "down"}, "$RSRF0"},
    {"Down past the newest gives back the typed text",
     {"sent:$RSV", "type:$RSRF", "up", "up", "down"}, "$RSRF"},
    {"Down without Up changes nothing", {"sent:$RSV", "type:$RS", "down"}, "$RS"},
    {"the same twice in a row is kept once", {"sent:$RSV", "sent:$RSV", "sent:$RSQ", "up", "up"}, "$RSV"},
    {"the same again later is kept again",
     {"sent:$RSV", "sent:$RSQ", "sent:$RSV", "up", "up", "up"}, "$RSV"},
    {"an empty line is not kept", {"sent:$RSV", "sent:", "up"}, "$RSV"},
    {"a send ends the walk: Up starts at the newest again",
     {"sent:$RSV", "sent:$RSQ", "up", "up", "sent:$RSE1", "up"}, "$RSE1"},
};

} // namespace

TEST(CommandLineHistory, UpAndDownWalkTheSentCommandsAsTheTableSays)
{
    for (const Walk &walk : walks) {
        CommandLineEdit line;
        for (const char *step : walk.steps) {
            const QString s = QString::fromLatin1(step);
            if (s.startsWith(QLatin1String("sent:")))
                line.rememberSent(s.mid(5));
            else if (s.startsWith(QLatin1String("type:")))
                line.setText(s.mid(5));
            else
                QTest::keyClick(&line, s == QLatin1String("up") ? Qt::Key_Up : Qt::Key_Down);
        }
        EXPECT_EQ(line.text(), QString::fromLatin1(walk.shown)) << walk.name;
    }
}

TEST(CommandLineHistory, KeepsTheNewestThousand)
{
    CommandLineEdit line;
    for (int i = 0; i < CommandLineEdit::sentKept + 5; ++i)
        line.rememberSent(QStringLiteral("$RS%1").arg(i));
    ASSERT_EQ(line.sentCommands().size(), 1000);
    EXPECT_EQ(line.sentCommands().first(), QStringLiteral("$RS5"));
    EXPECT_EQ(line.sentCommands().last(), QStringLiteral("$RS1004"));
}

TEST(CommandLinePasteCleaning, ALineBreakIsOneBlankWhereverItStands)
{
    struct Row {
        const char *pasted;
        const char *text;
        const char *notice;
    };
    const Row rows[] = {
        {"\r\n$RSV", " $RSV", "Durch Leerzeichen ersetzt: 1 Zeilenumbruch"},
        {"\n\r$RSV", "  $RSV", "Durch Leerzeichen ersetzt: 2 Zeilenumbrüche"},
        {"$RSV\r\n", "$RSV ", "Durch Leerzeichen ersetzt: 1 Zeilenumbruch"},
    };
    for (const Row &row : rows) {
        const PastedText cleaned = cleanPastedText(QString::fromUtf8(row.pasted));
        EXPECT_EQ(cleaned.text, QString::fromUtf8(row.text)) << testing::PrintToString(std::string(row.pasted));
        EXPECT_EQ(pasteNotice(cleaned, 0, 1024), QString::fromUtf8(row.notice)) << testing::PrintToString(std::string(row.pasted));
    }
}
