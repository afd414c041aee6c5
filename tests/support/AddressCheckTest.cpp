#include "support/AddressCheck.h"

#include "tests/fakes/FakeMessageBox.h"

#include <gtest/gtest.h>

using namespace korvane;

namespace {

// '|' and six spaces: a mark written right after it stands at position 8.
const QString P = QStringLiteral("|      ");

struct LineCase {
    QString line;
    HeaderErrorCode expected;
    QString after; // the line as it comes back; empty: unchanged
};

void PrintTo(const LineCase& c, std::ostream* os)
{
    *os << '"' << c.line.toStdString() << '"';
}

class ParseHeaderLineTest : public testing::TestWithParam<LineCase> {};

TEST_P(ParseHeaderLineTest, GivesCodeAndTurnsBlockedMarksIntoSendMarks)
{
    const LineCase& c = GetParam();
    QString line = c.line;
    EXPECT_EQ(ParseHeaderLine(line), c.expected);
    EXPECT_EQ(line, c.after.isEmpty() ? c.line : c.after);
}

using E = HeaderErrorCode;

INSTANTIATE_TEST_SUITE_P(
    MarkPositionAndLineStart, ParseHeaderLineTest,
    testing::Values(LineCase {P + "#1234567", E::Correct, {}},
                    LineCase {"|     #1234567", E::TooFewSpaces, {}},
                    LineCase {"       #1234567", E::Correct, {}},
                    LineCase {"x      #1234567", E::StrayCharacters, {}},
                    LineCase {"#1234567", E::StrayCharacters, {}},
                    LineCase {P, E::NoNumber, {}},
                    LineCase {P + "1234567", E::NoNumber, {}},
                    LineCase {P + "#", E::NoNumber, {}},
                    LineCase {P + "#123/*", E::NoNumber, {}}));

INSTANTIATE_TEST_SUITE_P(
    ItemsJoinedBySlash, ParseHeaderLineTest,
    testing::Values(LineCase {P + "#123/#456", E::Correct, {}},
                    LineCase {P + "#123 #456", E::StrayCharacters, {}},
                    LineCase {P + "#123/", E::NoNumberAfterSlash, {}},
                    LineCase {P + "#123/ ", E::NoNumberAfterSlash, {}},
                    LineCase {P + "#123/x5", E::NoNumberAfterSlash, {}},
                    LineCase {P + "#123 /#456", E::BadNumber, {}},
                    LineCase {P + "#/#456", E::NoNumber, {}},
                    LineCase {P + "#123   ", E::Correct, {}},
                    LineCase {P + "#12a", E::BadNumber, {}},
                    LineCase {P + "#2147483647", E::Correct, {}},
                    LineCase {P + "#2147483648", E::BadNumber, {}},
                    LineCase {P + "#12-34.5?", E::Correct, {}}));

INSTANTIATE_TEST_SUITE_P(
    Answerbacks, ParseHeaderLineTest,
    testing::Values(LineCase {P + "#123(ABC)", E::Correct, {}},
                    LineCase {P + "#123()", E::Correct, {}},
                    LineCase {P + "#123(ABC", E::NoClosingParenthesis, {}},
                    LineCase {P + "#123(AB)C", E::StrayCharacters, {}},
                    LineCase {P + "#123(" + QString(20, u'A') + ")", E::Correct, {}},
                    LineCase {P + "#123(" + QString(21, u'A') + ")", E::AnswerbackTooLong, {}},
                    LineCase {P + "#123(AB!)", E::AnswerbackBadCharacter, {}},
                    LineCase {P + "#123(ТЕЛЕКС)", E::Correct, {}},
                    LineCase {P + "#123(ЁЖ)", E::AnswerbackBadCharacter, {}},
                    LineCase {P + "#123(ОБЪЕКТ)", E::AnswerbackBadCharacter, {}},
                    LineCase {P + "#123(AB)/#456(CD)", E::Correct, {}},
                    LineCase {P + "#123(AB)/", E::NoNumberAfterSlash, {}}));

// An answerback may hold blanks and '/': the item runs on to its ')'.
INSTANTIATE_TEST_SUITE_P(
    AnswerbackWithBlanksOrSlash, ParseHeaderLineTest,
    testing::Values(LineCase {P + "#123(12345 AB)", E::Correct, {}},
                    LineCase {P + "#123(12345  AB CD) ", E::Correct, {}},
                    LineCase {P + "#123(12345 AB)/#456(7 X)", E::Correct, {}},
                    LineCase {P + "#123(A/B)", E::Correct, {}},
                    LineCase {P + "#123(A/B)/~456", E::Correct, P + "#123(A/B)/#456"},
                    LineCase {P + "#123(12345 AB) #456", E::StrayCharacters, {}},
                    LineCase {P + "#123(12345 AB", E::NoClosingParenthesis, {}},
                    LineCase {P + "#123(AB CD)E", E::StrayCharacters, {}}));

INSTANTIATE_TEST_SUITE_P(
    DoneAndBlockedNumbers, ParseHeaderLineTest,
    testing::Values(LineCase {P + "~123", E::Correct, P + "#123"},
                    LineCase {P + "~1/~2(AB)/*3", E::Correct, P + "#1/#2(AB)/*3"},
                    LineCase {P + "*123", E::NoNumberToSend, {}},
                    LineCase {P + "*123/*456", E::NoNumberToSend, {}},
                    LineCase {P + "*123/#456", E::Correct, {}},
                    LineCase {P + "#456/*123", E::Correct, {}},
                    LineCase {P + "*12a", E::NoNumberToSend, {}},
                    LineCase {P + "~12a", E::BadNumber, P + "#12a"},
                    // A blocked mark counts as a send mark also where the
                    // line's marks are found: the line fixed on one save
                    // checks the same on the next.
                    LineCase {"|       ~1/*~", E::Correct, "|       #1/*~"},
                    LineCase {"|       #1/*~", E::Correct, {}},
                    LineCase {P + "#1/*2/~", E::NoNumber, P + "#1/*2/#"},
                    LineCase {P + "#1/~", E::NoNumber, P + "#1/#"}));

struct NumberCase {
    QString number;
    HeaderErrorCode expected;
};

void PrintTo(const NumberCase& c, std::ostream* os)
{
    *os << '"' << c.number.toStdString() << '"';
}

class CheckHeaderNumberTest : public testing::TestWithParam<NumberCase> {};

TEST_P(CheckHeaderNumberTest, Code)
{
    EXPECT_EQ(CheckHeaderNumber(GetParam().number), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Groups, CheckHeaderNumberTest,
    testing::Values(NumberCase {"12-34.5", E::Correct}, NumberCase {"1+2+3", E::Correct},
                    NumberCase {"12a", E::BadNumber}, NumberCase {"12-3a", E::BadNumber},
                    NumberCase {"-12", E::NoNumber}, NumberCase {".5", E::NoNumber},
                    NumberCase {"", E::NoNumber}, NumberCase {"12-", E::Correct},
                    NumberCase {"12--3", E::Correct}, NumberCase {"1?2", E::Correct},
                    NumberCase {"?12", E::Correct}, NumberCase {"?", E::NoNumber},
                    NumberCase {"1??2", E::BadNumber}, NumberCase {"12 ", E::BadNumber}, NumberCase {" 12", E::Correct},
                    NumberCase {"4294967296", E::BadNumber}, NumberCase {"$1F", E::Correct}));

TEST(AnswerbackCharSet, HoldsExactlyTheTelegraphCharacters)
{
    EXPECT_EQ(AnswerbackCharSet.size(), 144u);
    int allowed = 0;
    for (char16_t u = 0; u < 0x500; ++u)
        allowed += IsAnswerbackChar(QChar(u)) ? 1 : 0;
    EXPECT_EQ(allowed, 144);
    for (const char16_t c : {u' ', u'"', u'#', u'$', u'\'', u'(', u')', u'*', u'+', u',', u'-', u'.',
                             u'/', u'0', u'9', u':', u'<', u'=', u'?', u'A', u'Z', u'^', u'_', u'a',
                             u'z', u'|', u'А', u'Я', u'Щ', u'Ь', u'а', u'я', u'щ', u'ь'})
        EXPECT_TRUE(IsAnswerbackChar(QChar(c))) << char(c);
    for (const char16_t c : {u'\0', u'\t', u'\r', u'!', u'%', u'&', u';', u'>', u'@', u'[', u'\\',
                             u']', u'`', u'{', u'}', u'~', u'Ъ', u'ъ', u'Ё', u'ё', u'№'})
        EXPECT_FALSE(IsAnswerbackChar(QChar(c))) << int(c);
}

// A telegram: the address block, then the text.
QStringList telegram(std::initializer_list<QString> lines)
{
    return QStringList(lines);
}

TEST(CheckHeader, ErrPosIsTheEndOfTheLastLineExaminedCountingTwoPerBreak)
{
    QStringList lines = telegram({P + "#1234567", P + "#7654321", P + "#1111111", "TEXT #12a"});
    ASSERT_EQ(lines[0].size(), 15);
    int errPos = -1;
    EXPECT_EQ(CheckHeader(lines, errPos, false), E::Correct);
    EXPECT_EQ(errPos, 49);
}

TEST(CheckHeader, StopsAtTheFirstFaultyLine)
{
    QStringList lines = telegram({P + "~1", P + "#12a", P + "~3", "TEXT"});
    const QStringList before = lines;
    int errPos = -1;
    EXPECT_EQ(CheckHeader(lines, errPos, true), E::BadNumber);
    EXPECT_EQ(errPos, lines[0].size() + lines[1].size() + 2);
    EXPECT_EQ(lines[0], P + "#1");  // correct line before the fault: fixed
    EXPECT_EQ(lines[1], before[1]); // the faulty line itself: untouched
    EXPECT_EQ(lines[2], before[2]); // after the fault: not examined
}

TEST(CheckHeader, FixRewritesBlockedMarksOnlyWhenAsked)
{
    const QStringList original = telegram({P + "~1/*2", P + "*3/~4(AB C)", "body ~5"});
    QStringList unfixed = original;
    int errPos = 0;
    EXPECT_EQ(CheckHeader(unfixed, errPos, false), E::Correct);
    EXPECT_EQ(unfixed, original);

    QStringList fixed = original;
    EXPECT_EQ(CheckHeader(fixed, errPos, true), E::Correct);
    EXPECT_EQ(fixed, telegram({P + "#1/*2", P + "*3/#4(AB C)", "body ~5"}));
}

TEST(CheckHeader, LinesOfDoneNumbersOnlyPass)
{
    QStringList lines = telegram({P + "*1", P + "*2/*3", "TEXT"});
    int errPos = 0;
    EXPECT_EQ(CheckHeader(lines, errPos, true), E::Correct);
    EXPECT_EQ(errPos, lines[0].size() + lines[1].size() + 2);
}

TEST(CheckHeader, TextWithoutAddressLine)
{
    struct Case {
        QStringList lines;
        HeaderErrorCode expected;
    };
    const Case cases[] = {
        {{"TEXT", P + "#1"}, E::NoHeader},
        {{"", P + "#1"}, E::NoHeader},
        {{" " + P + "#1"}, E::NoHeader},
        {{}, E::Correct},
    };
    for (const Case& c : cases) {
        QStringList lines = c.lines;
        int errPos = -1;
        EXPECT_EQ(CheckHeader(lines, errPos, true), c.expected) << c.lines.join('\n').toStdString();
        EXPECT_EQ(errPos, 0);
        EXPECT_EQ(lines, c.lines);
    }
}

TEST(CheckHeader, AnEmptyLineEndsTheBlock)
{
    QStringList lines = telegram({P + "#1", "", P + "#12a"});
    int errPos = -1;
    EXPECT_EQ(CheckHeader(lines, errPos, false), E::Correct);
    EXPECT_EQ(errPos, lines[0].size());
}

TEST(ShowHeaderError, ShowsTheCodesMessageInAnErrorBoxWithOk)
{
    const QString name = QStringLiteral("TEL00012.TLG");
    const std::pair<int, QString> cases[] = {
        {1, "Файл TEL00012.TLG не содержит номеров для передачи"},
        {2, "В файле TEL00012.TLG неверное значение номера абонента"},
        {3, "В файле TEL00012.TLG недостаточно пробелов перед номером абонента"},
        {4, "В файле TEL00012.TLG неверный или отсутствующий заголовок"},
        {5, "В файле TEL00012.TLG посторонние символы в заголовке"},
        {6, "В файле TEL00012.TLG отсутствует номер в заголовке"},
        {7, "В файле TEL00012.TLG после '(' отсутствует ')' в заголовке"},
        {8, "В файле TEL00012.TLG автоответ превышает допустимую длину"},
        {9, "В файле TEL00012.TLG нетелеграфные символы в автоответе"},
        {10, "В файле TEL00012.TLG после '/' отсутствует номер в заголовке"},
        {11, "Ошибка в заголовке файла TEL00012.TLG"},
        {-1, "Ошибка в заголовке файла TEL00012.TLG"},
    };
    for (const auto& [code, text] : cases) {
        test::FakeMessageBox box;
        ShowHeaderError(static_cast<HeaderErrorCode>(code), name, box);
        ASSERT_EQ(box.shown.size(), 1) << code;
        EXPECT_EQ(box.shown[0].text, text);
        EXPECT_EQ(box.shown[0].caption, QStringLiteral("Ошибка"));
        EXPECT_EQ(box.shown[0].icon, MessageIcon::Error);
        EXPECT_EQ(box.shown[0].buttons, MessageButtons::Ok);
    }
}

TEST(ShowHeaderError, NothingForACorrectHeader)
{
    test::FakeMessageBox box;
    ShowHeaderError(E::Correct, QStringLiteral("TEL00001.TLG"), box);
    EXPECT_TRUE(box.shown.isEmpty());
}

TEST(ShowHeaderError, NameIsCutTo79Characters)
{
    const QString longName = QString(79, u'N') + QStringLiteral("TAIL");
    test::FakeMessageBox box;
    ShowHeaderError(E::NoNumber, longName, box);
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_EQ(box.shown[0].text,
              QStringLiteral("В файле ") + QString(79, u'N') + QStringLiteral(" отсутствует номер в заголовке"));
}

} // namespace
