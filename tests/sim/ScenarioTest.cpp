// Scenario texts: what they set, what they refuse, and the built-in ones.
#include "SimRig.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace korvane;

namespace {

TEST(SimScenario, ReadsEveryStatement)
{
    const auto s = sim::Scenario::parse(QStringLiteral("# a comment\n"
                                                       "line 100\r\n"
                                                       "dcd-delay 25\n"
                                                       "seize busy\n"
                                                       "selection pulse 81\n"
                                                       "timing busy 210\n"
                                                       "timing clear 400\n"
                                                       "\n"
                                                       "station 2345 <_2345  XYZ\n"
                                                       "  reply OCC\n"
                                                       "station 777\n"
                                                       "call-in 1500\n"
                                                       "answerback-delay 300\n"
                                                       "do wait 200\n"
                                                       "do send  <_HELLO @\n"
                                                       "do wru\n"
                                                       "do answerback\n"
                                                       "do break 100\n"
                                                       "do mend\n"
                                                       "do silent\n"
                                                       "do clear\n"));
    ASSERT_TRUE(s);
    EXPECT_EQ(s->frame, (serial::LineSettings{100, 5, 0, 1}));
    EXPECT_EQ(s->dcdDelayMs, 25);
    EXPECT_EQ(s->exchange.seize, sim::ExchangeConfig::Seize::Busy);
    EXPECT_FALSE(s->exchange.keyboard);
    EXPECT_EQ(s->exchange.pulsePrefix, QStringLiteral("81"));
    EXPECT_EQ(s->exchange.busyMs, 210);
    EXPECT_EQ(s->exchange.clearMs, 400);
    ASSERT_EQ(s->stations.size(), 2u);
    EXPECT_EQ(s->stations[0].answerBack, QStringLiteral("<_2345  XYZ"));
    EXPECT_EQ(s->stations[0].reply, QStringLiteral("OCC"));
    const sim::StationConfig& b = s->stations[1];
    EXPECT_EQ(b.number, QStringLiteral("777"));
    EXPECT_TRUE(b.answerBack.isEmpty());
    EXPECT_EQ(b.callInMs, 1500);
    EXPECT_EQ(b.answerBackDelayMs, 300);
    using K = sim::StationAction::Kind;
    ASSERT_EQ(b.script.size(), 8u);
    const K kinds[] = {K::Wait, K::Send, K::Wru, K::AnswerBack, K::Break, K::Mend, K::Silent, K::Clear};
    for (std::size_t i = 0; i < b.script.size(); ++i)
        EXPECT_EQ(b.script[i].kind, kinds[i]) << i;
    EXPECT_EQ(b.script[0].ms, 200);
    EXPECT_EQ(b.script[1].text, QStringLiteral(" <_HELLO @")); // the text as written after "send "
    EXPECT_EQ(b.script[4].ms, 100);
}

TEST(SimScenario, RefusesWhatItCannotRunAndSaysWhere)
{
    struct Case {
        const char* text;
        const char* where;
    };
    const Case cases[] = {
        {"seize maybe\n", "line 1"},
        {"station 2345\nreply\n", "line 2"},
        {"do wru\n", "line 1"},                 // no station yet
        {"station 12a\n", "line 1"},
        {"station 1\ndo wait soon\n", "line 2"},
        {"station 1\ndo dance\n", "line 2"},
        {"\n\nline 0\n", "line 3"},
        {"selection pulse\n", "line 1"},
        {"timing dawn 5\n", "line 1"},
        {"frobnicate\n", "line 1"},
        // Numbers beyond what their statement can hold, never cut to fit.
        {"line 4294967346\n", "line 1"},
        {"station 1\nreply OCC 4294967297\n", "line 2"},
        {"station 1\nreply OCC 2147483648\n", "line 2"},
        {"dcd-delay 9223372036854775\n", "line 1"},
        {"timing busy 2147483648\n", "line 1"},
        {"station 1\ncall-in 9223372036854775\n", "line 2"},
        {"station 1\nanswerback-delay 2147483648\n", "line 2"},
        {"station 1\ndo wait 9223372036854775\n", "line 2"},
        {"station 1\ndo break 2147483648\n", "line 2"},
    };
    for (const Case& c : cases) {
        QString error;
        const auto s = sim::Scenario::parse(QString::fromLatin1(c.text), &error);
        EXPECT_FALSE(s) << c.text;
        EXPECT_TRUE(error.startsWith(QString::fromLatin1(c.where) + QLatin1Char(':'))) << c.text << " " << error.toStdString();
    }
}

TEST(SimScenario, TakesTheLargestNumbersItCanHold)
{
    const auto s = sim::Scenario::parse(QStringLiteral("dcd-delay 2147483647\n"
                                                       "timing guard 2147483647\n"
                                                       "station 1\n"
                                                       "reply OCC 2147483647\n"
                                                       "call-in 2147483647\n"
                                                       "do wait 2147483647\n"));
    ASSERT_TRUE(s);
    EXPECT_EQ(s->dcdDelayMs, 2147483647);
    EXPECT_EQ(s->exchange.guardMs, 2147483647);
    ASSERT_EQ(s->stations.size(), 1u);
    EXPECT_EQ(s->stations[0].replyCalls, 2147483647);
    EXPECT_EQ(s->stations[0].callInMs, 2147483647);
    ASSERT_EQ(s->stations[0].script.size(), 1u);
    EXPECT_EQ(s->stations[0].script[0].ms, 2147483647);
}

TEST(SimScenario, EveryBuiltInParsesAndAFileCanStandInForOne)
{
    const QStringList names = sim::Scenario::builtInNames();
    for (const char* wanted : {"answer", "keyboard", "occ", "nc", "der", "abs", "na", "np", "busy", "no-invitation", "wrong-answerback",
                               "silent", "break", "callin"})
        EXPECT_TRUE(names.contains(QString::fromLatin1(wanted))) << wanted;
    for (const QString& name : names) {
        QString error;
        const auto s = sim::Scenario::load(name, &error);
        EXPECT_TRUE(s) << name.toStdString() << ": " << error.toStdString();
        if (s) {
            EXPECT_EQ(s->name, name);
        }
    }

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("line.txt"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("seize none\nstation 1 <_ONE\n");
    f.close();
    QString error;
    const auto fromFile = sim::Scenario::load(path, &error);
    ASSERT_TRUE(fromFile) << error.toStdString();
    EXPECT_EQ(fromFile->exchange.seize, sim::ExchangeConfig::Seize::None);

    EXPECT_FALSE(sim::Scenario::load(dir.filePath(QStringLiteral("missing.txt")), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("missing.txt")));
}

} // namespace
