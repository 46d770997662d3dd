// SPDX-License-Identifier: GPL-3.0-or-later
// A unit's JSON is a rendering of its result: every field from the values, changes and
// states the command found, none from the German text it printed, so rewording that text
// changes no JSON.

#include "param/unitreport.h"
#include "unit/parameters/writereport.h"

#include <gtest/gtest.h>

#include <csignal>

namespace {

using State = PlannedWrite::State;

PlannedWrite planned(int n, const char *unit, const char *file, State state, bool leftOut = false, bool newRate = false)
{
    PlannedWrite p;
    p.n = n;
    p.unitValue = QString::fromLatin1(unit);
    p.fileValue = QString::fromLatin1(file);
    p.state = state;
    p.leftOut = leftOut;
    p.newRate = newRate;
    return p;
}

// A write to /dev/ttyUSB1 stopped by Ctrl-C, with every state a parameter can end in.
UnitResult stoppedWrite()
{
    UnitResult result;
    result.command = ParamOptions::Command::Write;
    result.port = QStringLiteral("/dev/ttyUSB1");
    result.exitCode = 2;
    result.signal = SIGINT;
    PlannedWrite notTaken = planned(2, "1212", "1313", State::NotTaken);
    notTaken.readBack = QStringLiteral("1212");
    result.plan = {planned(1, "0A00", "0A10", State::Confirmed), notTaken, planned(3, "0E28", "0E3C", State::Unknown),
                   planned(6, "1010", "0010", State::Unknown, false, true), planned(4, "0E0E", "0E10", State::NotWritten),
                   planned(0, "F011", "5011", State::NotWritten, true)};
    for (const PlannedWrite &p : result.plan)
        result.changes.push_back({p.n, p.unitValue, p.fileValue});
    result.reportShown = true;
    result.messages = QStringList{QStringLiteral("rix-param: SIGINT (Strg+C) empfangen.")};
    return result;
}

const QByteArray stoppedWriteJson =
    "{\"changes\":[{\"file\":\"0A10\",\"parameter\":\"F1\",\"unit\":\"0A00\"},{\"file\":\"1313\",\"parameter\":\"F2\",\"unit\":\"1212\"},"
    "{\"file\":\"0E3C\",\"parameter\":\"F3\",\"unit\":\"0E28\"},{\"file\":\"0010\",\"parameter\":\"F6\",\"unit\":\"1010\"},"
    "{\"file\":\"0E10\",\"parameter\":\"F4\",\"unit\":\"0E0E\"},{\"file\":\"5011\",\"parameter\":\"F0\",\"unit\":\"F011\"}],"
    "\"exit\":2,\"messages\":[\"rix-param: SIGINT (Strg+C) empfangen.\"],\"port\":\"/dev/ttyUSB1\","
    "\"report\":[{\"file\":\"0A10\",\"parameter\":\"F1\",\"state\":\"geschrieben und bestätigt\",\"unit\":\"0A00\"},"
    "{\"file\":\"1313\",\"parameter\":\"F2\",\"state\":\"geschrieben, nicht übernommen (zurückgelesen 1212)\",\"unit\":\"1212\"},"
    "{\"file\":\"0E3C\",\"parameter\":\"F3\",\"state\":\"geschrieben, nicht bestätigt (Zustand unbekannt)\",\"unit\":\"0E28\"},"
    "{\"file\":\"0010\",\"parameter\":\"F6\",\"state\":\"geschrieben, nicht bestätigt (Zustand unbekannt): neue Baudrate, nicht "
    "zurückgelesen\",\"unit\":\"1010\"},"
    "{\"file\":\"0E10\",\"parameter\":\"F4\",\"state\":\"nicht geschrieben\",\"unit\":\"0E0E\"},"
    "{\"file\":\"5011\",\"parameter\":\"F0\",\"state\":\"nicht geschrieben (nur mit --include-line-settings)\",\"unit\":\"F011\"}],"
    "\"signal\":\"SIGINT (Strg+C)\"}";

} // namespace

TEST(UnitReport, AWritesObjectHoldsEveryChangeAndEachParametersState)
{
    EXPECT_EQ(unitReportJson(stoppedWrite()), stoppedWriteJson);

    UnitResult done = stoppedWrite();
    done.reportShown = false;   // a write that went through prints no report
    done.signal = 0;
    const QByteArray json = unitReportJson(done);
    EXPECT_TRUE(json.contains("\"report\":[]")) << json.toStdString();
    EXPECT_TRUE(json.contains("\"signal\":null")) << json.toStdString();
}

TEST(UnitReport, RewordingTheReportChangesNoJson)
{
    // The report's own templates reworded: its text changes, the JSON of the same result does not.
    const UnitResult result = stoppedWrite();
    const ReportNotes reworded{QStringLiteral("ausgelassen"), QStringLiteral("Neu verbinden.")};
    EXPECT_NE(writeReport(result.plan, reworded), writeReport(result.plan));
    EXPECT_TRUE(writeReport(result.plan, reworded).contains(QStringLiteral("  F0: F011 → 5011  ausgelassen\n")));
    EXPECT_EQ(unitReportJson(result), stoppedWriteJson);
}

TEST(UnitReport, AReadsValuesAndAddressOnlyWhenItWentThrough)
{
    UnitResult read;
    read.command = ParamOptions::Command::Read;
    read.port = QStringLiteral("/dev/ttyUSB0");
    ParameterSet set;
    const char *values[] = {"5011", "0A00", "1212", "0E28", "0E0E", "64C8", "1010"};
    for (std::size_t n = 0; n < 7; ++n)
        set.value[n] = QString::fromLatin1(values[n]);
    read.values = set;
    EXPECT_EQ(unitReportJson(read),
              QByteArray("{\"address\":\"5\",\"exit\":0,\"messages\":[],\"port\":\"/dev/ttyUSB0\",\"signal\":null,"
                         "\"values\":{\"F0\":\"5011\",\"F1\":\"0A00\",\"F2\":\"1212\",\"F3\":\"0E28\",\"F4\":\"0E0E\","
                         "\"F5\":\"64C8\",\"F6\":\"1010\"}}"));

    read.exitCode = 2;   // its file could not be saved
    EXPECT_EQ(unitReportJson(read), QByteArray("{\"address\":null,\"exit\":2,\"messages\":[],\"port\":\"/dev/ttyUSB0\","
                                               "\"signal\":null,\"values\":{}}"));
    read.exitCode = 0;
    read.values.reset();   // a unit that never answered
    EXPECT_EQ(unitReportJson(read), QByteArray("{\"address\":null,\"exit\":0,\"messages\":[],\"port\":\"/dev/ttyUSB0\","
                                               "\"signal\":null,\"values\":{}}"));
}

TEST(UnitReport, ADiffHasItsChangesAndNoReportAndTheArrayHasOneUnitALine)
{
    UnitResult diff;
    diff.command = ParamOptions::Command::Diff;
    diff.port = QStringLiteral("/dev/ttyUSB2");
    diff.exitCode = 1;
    diff.changes = {{3, QStringLiteral("0E28"), QStringLiteral("0E3C")}};
    const QString one = QStringLiteral("{\"changes\":[{\"file\":\"0E3C\",\"parameter\":\"F3\",\"unit\":\"0E28\"}],\"exit\":1,"
                                       "\"messages\":[],\"port\":\"/dev/ttyUSB2\",\"signal\":null}");
    EXPECT_EQ(QString::fromUtf8(unitReportJson(diff)), one);
    EXPECT_EQ(unitReportsJson({diff, diff}), QStringLiteral("[\n  ") + one + QStringLiteral(",\n  ") + one + QStringLiteral("\n]\n"));
}
