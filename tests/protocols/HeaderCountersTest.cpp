#include "protocols/HeaderCounters.h"

#include <gtest/gtest.h>

using namespace korvane;

namespace {

QString s(const char16_t* t) { return QString::fromUtf16(t); }

TTlgCounters counters(quint16 full, quint16 cks, quint8 day, quint8 month)
{
    TTlgCounters c;
    c.FullNumber = full;
    c.CKSNumber = cks;
    c.Day = day;
    c.Month = month;
    c.setFNumberMode(u'Д');
    c.setCKSNumberMode(u'Д');
    return c;
}

} // namespace

TEST(HeaderKeywords, FindHeaderKeyword)
{
    struct Case {
        const char16_t* name;
        int k;
    };
    const Case cases[] = {
        {u"НОМЕР-М0", 1},     {u"НОМЕРЦКС-Д0", 2}, {u"ДАТА0/0", 3},   {u"СЛОВ", 4},
        {u"ВРЕМЯ", 5},        {u"#АБОНЕНТА", 6},   {u"ИМЯФАЙЛА", 7},  {u"ПРОЧЕЕ", 0},
        {u"СЛОВНОМЕР-", 0},   {u" ВРЕМЯ", 0},      {u"время", 0},     {u"", 0},
        {u"ДАТАСЛОВ", 3},     {u"ВРЕМЯДАТА", 0}, // "ДАТА" comes first in the table
    };
    for (const Case& c : cases)
        EXPECT_EQ(FindHeaderKeyword(s(c.name)), c.k) << QString::fromUtf16(c.name).toStdString();
}

TEST(HeaderCounters, ToTextWritesTheCountersIntoTheGroups)
{
    struct Case {
        const char16_t* in;
        const char16_t* out;
        bool valid;
    };
    const Case cases[] = {
        {u"{НОМЕР-М0}{НОМЕРЦКС-Д0}", u"{НОМЕР-М5}{НОМЕРЦКС-Д2}", true},
        {u"А/{НОМЕР-М123}Б", u"А/{НОМЕР-М5}Б", true},
        {u"{НОМЕР-д}", u"{НОМЕР-д5}", true}, // any mode character in this direction
        {u"{ДАТА0/0} {ДАТА}", u"{ДАТА9/12} {ДАТА9/12}", true},
        {u"{СЛОВ} {ВРЕМЯ} {#АБОНЕНТА} {ИМЯФАЙЛА}", u"{СЛОВ} {ВРЕМЯ} {#АБОНЕНТА} {ИМЯФАЙЛА}", true},
        {u"no groups at all", u"no groups at all", true},
        {u"", u"", true},
        {u"X{НОМЕР-}Y{ВРЕМЯ}", u"X{НОМЕР-}Y{ВРЕМЯ}", false},
        {u"{ВРЕМЯ}{ВРЕМЯ1}{СЛОВ}", u"{ВРЕМЯ}{ВРЕМЯ1}{СЛОВ}", false},
        {u"{НОМЕР-М0}{ПРОЧЕЕ} tail", u"{НОМЕР-М5}{ПРОЧЕЕ} tail", false},
        {u"A}B{", u"A}B{", false},
        {u"{НОМЕР-М0} {СЛОВ", u"{НОМЕР-М5} {СЛОВ", false},
    };
    for (const Case& c : cases) {
        TTlgCounters k = counters(5, 2, 9, 12);
        const TTlgCounters before = k;
        QString header = s(c.in);
        EXPECT_EQ(ParseHeaderCounters(k, header, true), c.valid) << QString::fromUtf16(c.in).toStdString();
        EXPECT_EQ(header, s(c.out));
        EXPECT_EQ(k, before); // writing text never changes the counters
    }
}

TEST(HeaderCounters, ReadingReturnsTheValuesAndLeavesTheBareGroups)
{
    struct Case {
        const char16_t* in;
        const char16_t* out;
        bool valid;
        quint16 full, cks;
        quint8 day, month;
        char16_t fMode, cksMode;
    };
    const Case cases[] = {
        {u"{НОМЕР-М5}", u"{НОМЕР-М}", true, 5, 2, 9, 12, u'М', u'Д'},
        {u"{НОМЕР-Г77}{НОМЕРЦКС-К3}", u"{НОМЕР-Г}{НОМЕРЦКС-К}", true, 77, 3, 9, 12, u'Г', u'К'},
        {u"{НОМЕР-М$10}", u"{НОМЕР-М}", true, 16, 2, 9, 12, u'М', u'Д'},
        {u"{НОМЕР-М65537}", u"{НОМЕР-М}", true, 1, 2, 9, 12, u'М', u'Д'}, // modulo 65536
        {u"{НОМЕР-М 7}", u"{НОМЕР-М}", true, 7, 2, 9, 12, u'М', u'Д'},
        {u"{ДАТА31/12}", u"{ДАТА}", true, 5, 2, 31, 12, u'Д', u'Д'},
        {u"{ДАТА0/2}", u"{ДАТА}", true, 5, 2, 0, 2, u'Д', u'Д'},
        {u"{ДАТА28/2} {ВРЕМЯ}", u"{ДАТА} {ВРЕМЯ}", true, 5, 2, 28, 2, u'Д', u'Д'},
        // failures: no counter changes; the template from the failing group on stays
        {u"{ДАТА29/2}", u"{ДАТА29/2}", false, 5, 2, 9, 12, u'Д', u'Д'},
        {u"{ДАТА5/0}", u"{ДАТА5/0}", false, 5, 2, 9, 12, u'Д', u'Д'},
        {u"{ДАТА5/13}", u"{ДАТА5/13}", false, 5, 2, 9, 12, u'Д', u'Д'},
        {u"{ДАТА5}", u"{ДАТА5}", false, 5, 2, 9, 12, u'Д', u'Д'},
        {u"{ДАТА-1/3}", u"{ДАТА-1/3}", false, 5, 2, 9, 12, u'Д', u'Д'},
        {u"{НОМЕР-Х5}", u"{НОМЕР-Х5}", false, 5, 2, 9, 12, u'Д', u'Д'},
        {u"{НОМЕР-М}", u"{НОМЕР-М}", false, 5, 2, 9, 12, u'Д', u'Д'},
        {u"{НОМЕР-Мx}", u"{НОМЕР-Мx}", false, 5, 2, 9, 12, u'Д', u'Д'},
        // only the first 9 digits count: 123456789 modulo 65536
        {u"{НОМЕР-М1234567890}", u"{НОМЕР-М}", true, 52501, 2, 9, 12, u'М', u'Д'},
        // the mode of a group read before a failure is kept
        {u"{НОМЕР-Г8}{ВРЕМЯ1}", u"{НОМЕР-Г}{ВРЕМЯ1}", false, 5, 2, 9, 12, u'Г', u'Д'},
        {u"A}B{", u"A}B{", false, 5, 2, 9, 12, u'Д', u'Д'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.in).toStdString());
        TTlgCounters k = counters(5, 2, 9, 12);
        QString header = s(c.in);
        EXPECT_EQ(ParseHeaderCounters(k, header, false), c.valid);
        EXPECT_EQ(header, s(c.out));
        EXPECT_EQ(k.FullNumber, c.full);
        EXPECT_EQ(k.CKSNumber, c.cks);
        EXPECT_EQ(k.Day, c.day);
        EXPECT_EQ(k.Month, c.month);
        EXPECT_EQ(k.fNumberMode(), QChar(c.fMode));
        EXPECT_EQ(k.cksNumberMode(), QChar(c.cksMode));
    }
}

TEST(HeaderCounters, TheDefaultHeaderKeepsItsTailWhenReadingFails)
{
    // The second group carries a lower-case mode letter.
    const QString tail = s(u"{НОМЕРЦКС-д0} {СЛОВ} {ДАТА0/0} {ВРЕМЯ}=<_<_");
    TTlgCounters k = counters(5, 2, 9, 12);
    QString header = s(u"ГОРОДОК 65432/{НОМЕР-М0}") + tail;
    EXPECT_FALSE(ParseHeaderCounters(k, header, false));
    EXPECT_EQ(header, s(u"ГОРОДОК 65432/{НОМЕР-М}") + tail);
    EXPECT_EQ(k.FullNumber, 5); // the group's 0 is not taken
    EXPECT_EQ(k.fNumberMode(), u'М');

    // Saving the text form and reading it back round-trips the counters.
    TTlgCounters from = counters(41, 7, 3, 4);
    QString text = s(u"{НОМЕР-М0}{НОМЕРЦКС-К0} {ДАТА0/0}");
    ASSERT_TRUE(ParseHeaderCounters(from, text, true));
    EXPECT_EQ(text, s(u"{НОМЕР-М41}{НОМЕРЦКС-К7} {ДАТА3/4}"));
    TTlgCounters to = counters(0, 0, 0, 0);
    ASSERT_TRUE(ParseHeaderCounters(to, text, false));
    EXPECT_EQ(text, s(u"{НОМЕР-М}{НОМЕРЦКС-К} {ДАТА}"));
    EXPECT_EQ(to.FullNumber, 41);
    EXPECT_EQ(to.CKSNumber, 7);
    EXPECT_EQ(to.Day, 3);
    EXPECT_EQ(to.Month, 4);
    EXPECT_EQ(to.cksNumberMode(), u'К');
}

TEST(HeaderCounters, TheResultIsCutTo100Characters)
{
    TTlgCounters k = counters(65535, 65535, 31, 12);
    QString header = QString(90, u'Ж') + s(u"{НОМЕР-М0}{ДАТА0/0}");
    EXPECT_TRUE(ParseHeaderCounters(k, header, true));
    EXPECT_EQ(header.size(), 100);
    EXPECT_EQ(header, QString(90, u'Ж') + s(u"{НОМЕР-М65"));
}

TEST(DaysInMonth, TwelveMonthsFebruaryAlways28)
{
    EXPECT_EQ(DaysInMonth, (std::array<int, 12>{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}));
}
