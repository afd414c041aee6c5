#include "engine/ServiceSignals.h"

#include "platform/CodePages.h"

#include <gtest/gtest.h>

using namespace korvane;
using namespace Qt::Literals::StringLiterals;

namespace {

// The receive buffer holds CP1251 bytes.
QByteArray rx(const QString& text)
{
    return codepage::toCp1251(text);
}

} // namespace

TEST(ClassifyServiceSignal, TheFirstSignalInTestOrderDecides)
{
    struct Case {
        QString received;
        FailureCode code;
    };
    const Case cases[] = {
        {u"<_OCC<_"_s, FailureCodes::Occ},
        {u"123 NC"_s, FailureCodes::Nc},
        {u"DER"_s, FailureCodes::Der},
        {u"--ABS--"_s, FailureCodes::Abs},
        {u"CI"_s, FailureCodes::Ci},
        {u"NA"_s, FailureCodes::Na},
        {u"NP"_s, FailureCodes::Np},
        {u"OCC NP"_s, FailureCodes::Occ},
        {u"NP OCC"_s, FailureCodes::Occ},
        {u"NCOCC"_s, FailureCodes::Occ},
        {u"ABSCI"_s, FailureCodes::Abs},
        {u"CINA"_s, FailureCodes::Ci},
        {u"DERNC"_s, FailureCodes::Nc},
        {u""_s, FailureCodes::Dis},
        {u"12345 ABC<_GA"_s, FailureCodes::Dis},
        {u"occ nc"_s, FailureCodes::Dis},
        {u"N C O C C"_s, FailureCodes::Dis},
        {u"ОСС НС"_s, FailureCodes::Dis}, // Cyrillic look-alikes are no signals
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ClassifyServiceSignal(rx(c.received)), c.code) << c.received.toStdString();
        EXPECT_EQ(ClassifyServiceSignalText(c.received), c.code) << c.received.toStdString();
    }
}

TEST(CheckAnswerBack, FindsTheExpectedAnswerbackInTheReceivedText)
{
    struct Case {
        const char* name;
        QString received;
        QString expected;
        bool use4;
        bool matched;
        QString stepLine;
    };
    const Case cases[] = {
        {"found after a line end", u"\r\n12345 ABC\r\n"_s, u"12345 ABC"_s, false, true,
         u"=== Проверка автоответа ['12345 ABC' in '<_12345 ABC<_', 3, (Cntr=13)]"_s},
        {"not there", u"54321 XYZ"_s, u"12345 ABC"_s, false, false,
         u"=== Проверка автоответа ['12345 ABC' in '54321 XYZ', 0, (Cntr=9)]"_s},
        {"empty expected answerback never matches", u"12345 ABC"_s, u""_s, false, false,
         u"=== Проверка автоответа ['' in '12345 ABC', 0, (Cntr=9)]"_s},
        {"line ends as marks", u"X\r\nAB"_s, u"<_AB"_s, false, true,
         u"=== Проверка автоответа ['<_AB' in 'X<_AB', 2, (Cntr=5)]"_s},
        {"letter case counts", u"12345 abc"_s, u"12345 ABC"_s, false, false,
         u"=== Проверка автоответа ['12345 ABC' in '12345 abc', 0, (Cntr=9)]"_s},
        {"received figures ten read as 4", u"12Ч45 МИР"_s, u"12345 МИР"_s, false, false,
         u"=== Проверка автоответа ['12345 МИР' in '12445 МИР', 0, (Cntr=9)]"_s},
        {"received Ч matches an expected 4", u"1Ч2 МИР"_s, u"142 МИР"_s, false, true,
         u"=== Проверка автоответа ['142 МИР' in '142 МИР', 1, (Cntr=7)]"_s},
        {"expected Ч matches a received Ч", u"1Ч2 МИР"_s, u"1Ч2 МИР"_s, false, true,
         u"=== Проверка автоответа ['1Ч2 МИР' in '142 МИР', 1, (Cntr=7)]"_s},
        {"expected Ч matches a received 4", u"142 МИР"_s, u"1Ч2 МИР"_s, false, true,
         u"=== Проверка автоответа ['1Ч2 МИР' in '142 МИР', 1, (Cntr=7)]"_s},
        {"with 4 in use Ч stays a letter", u"1Ч2 МИР"_s, u"142 МИР"_s, true, false,
         u"=== Проверка автоответа ['142 МИР' in '1Ч2 МИР', 0, (Cntr=7)]"_s},
        {"with 4 in use Ч matches only Ч", u"1Ч2 МИР"_s, u"1Ч2 МИР"_s, true, true,
         u"=== Проверка автоответа ['1Ч2 МИР' in '1Ч2 МИР', 1, (Cntr=7)]"_s},
        {"received text with format signs is logged as received", u"%1 %2"_s, u"%2"_s, false, true,
         u"=== Проверка автоответа ['%2' in '%1 %2', 4, (Cntr=5)]"_s},
    };
    for (const Case& c : cases) {
        const AnswerBackCheck bytes = CheckAnswerBack(rx(c.received), c.expected, true, c.use4);
        EXPECT_EQ(bytes.Matched, c.matched) << c.name;
        EXPECT_EQ(bytes.StepLine, c.stepLine) << c.name;
        const AnswerBackCheck text = CheckAnswerBackText(c.received, c.expected, true, c.use4);
        EXPECT_EQ(text.Matched, c.matched) << c.name;
        EXPECT_EQ(text.StepLine, c.stepLine) << c.name;
    }
}

TEST(CheckAnswerBack, WithoutTheChannelOptionEveryAnswerbackPassesUnlogged)
{
    for (const QString& expected : {u"12345 ABC"_s, QString()}) {
        const AnswerBackCheck r = CheckAnswerBack(rx(u"WRONG"_s), expected, false, false);
        EXPECT_TRUE(r.Matched);
        EXPECT_TRUE(r.StepLine.isEmpty());
        EXPECT_TRUE(CheckAnswerBackText(u"WRONG", expected, false, true).Matched);
    }
}
