// Seeded random address lines through the address-line check: lines built
// from the grammar get the code the grammar gives them, and lines of random
// or damaged text keep the properties every result must have.

#include "support/AddressCheck.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace korvane;

namespace {

using E = HeaderErrorCode;

const QString P = QStringLiteral("|      ");

class LineMaker {
public:
    explicit LineMaker(std::uint32_t seed) : m_rng(seed) {}

    size_t pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(m_rng); }
    bool chance(int percent) { return int(pick(100)) < percent; }

    QChar from(QStringView chars) { return chars[qsizetype(pick(size_t(chars.size())))]; }

    // A valid number: groups of one to nine digits joined by '+', '-' or
    // '.' (a separator may be doubled or end the number), and perhaps one
    // '?' anywhere.
    QString number()
    {
        QString n;
        for (int g = 1 + int(pick(3)); g > 0; --g) {
            if (!n.isEmpty()) {
                n += from(u"+-.");
                if (chance(10))
                    n += from(u"+-.");
            }
            for (int d = 1 + int(pick(9)); d > 0; --d)
                n += QChar(u'0' + int(pick(10)));
        }
        if (chance(10))
            n += from(u"+-.");
        if (chance(20))
            n.insert(qsizetype(pick(size_t(n.size()) + 1)), u'?');
        return n;
    }

    // An answerback of up to 20 characters of the set, without ')'.
    QString answerback()
    {
        static const QString allowed = [] {
            QString s = QString::fromUtf16(AnswerbackCharSet.data(), qsizetype(AnswerbackCharSet.size()));
            s.remove(u')');
            return s;
        }();
        QString a;
        for (int n = int(pick(21)); n > 0; --n)
            a += from(allowed);
        return a;
    }

    struct Built {
        QString line;
        QString fixed;         // with the blocked marks turned into send marks
        HeaderErrorCode code;  // what the grammar gives
    };

    // An address line by the grammar: '|', at least six characters without
    // a mark, items joined by '/', perhaps trailing spaces.
    Built validLine()
    {
        Built b;
        b.line = u'|';
        for (int n = 6 + int(pick(5)); n > 0; --n)
            b.line += chance(80) ? QChar(u' ') : from(u"ABZ019 .,-абв");
        b.fixed = b.line;
        bool sends = false;
        for (int i = 1 + int(pick(4)); i > 0; --i) {
            const QChar mark = from(u"#*~");
            sends = sends || mark != u'*';
            QString rest = number();
            if (chance(30))
                rest += u'(' + answerback() + u')';
            b.line += mark + rest;
            b.fixed += (mark == u'~' ? QChar(u'#') : mark) + rest;
            if (i > 1) {
                b.line += u'/';
                b.fixed += u'/';
            }
        }
        if (chance(20)) {
            const QString spaces(1 + qsizetype(pick(3)), u' ');
            b.line += spaces;
            b.fixed += spaces;
        }
        b.code = sends ? E::Correct : E::NoNumberToSend;
        return b;
    }

    // Text over the characters the check cares about and some it does not.
    QString randomText(qsizetype maxLength)
    {
        static const QString alphabet = QStringLiteral("||##**~~//(())  0123456789+-.?AZaz$!&Ъъя\t") + QChar(0);
        QString s;
        for (qsizetype n = qsizetype(pick(size_t(maxLength) + 1)); n > 0; --n)
            s += from(alphabet);
        return s;
    }

    // A valid line with one to three characters changed, inserted or removed.
    QString damaged(const QString& line)
    {
        QString s = line;
        for (int n = 1 + int(pick(3)); n > 0; --n) {
            const qsizetype at = qsizetype(pick(size_t(s.size())));
            switch (pick(3)) {
            case 0:
                s[at] = from(u"|#*~/() 0+-.?A$!\t");
                break;
            case 1:
                s.insert(at, from(u"|#*~/() 0+-.?A$!\t"));
                break;
            default:
                if (s.size() > 1)
                    s.remove(at, 1);
            }
        }
        return s;
    }

private:
    std::mt19937 m_rng;
};

// The properties of one ParseHeaderLine call on Line, whatever the line.
::testing::AssertionResult wellBehaved(const QString& line)
{
    QString out = line;
    const HeaderErrorCode code = ParseHeaderLine(out);
    const int c = int(code);
    auto fail = [&] {
        return ::testing::AssertionFailure() << "\"" << line.toStdString() << "\" gave " << c << " and \""
                                             << out.toStdString() << "\": ";
    };
    if (c < 0 || c > 10 || code == E::NoHeader)
        return fail() << "no such result of a line";
    // The line comes back as it was, but for blocked marks made send marks.
    if (out.size() != line.size())
        return fail() << "length changed";
    for (qsizetype i = 0; i < line.size(); ++i)
        if (out[i] != line[i] && !(line[i] == u'~' && out[i] == u'#'))
            return fail() << "character " << i << " changed";

    // The first mark of any kind, and the later of the first done mark and
    // the first send or blocked mark (the two are one kind to the check).
    auto firstOf = [&line](QStringView marks) {
        qsizetype found = -1;
        for (qsizetype i = 0; i < line.size() && found < 0; ++i)
            if (marks.contains(line[i]))
                found = i;
        return found;
    };
    const qsizetype first = firstOf(u"#*~");
    const qsizetype last = std::max(firstOf(u"*"), firstOf(u"#~"));
    // The rules before any item is looked at; the line stays as it is.
    E early = E::Correct;
    if (first < 0 || last == line.size() - 1)
        early = E::NoNumber;
    else if (!line.startsWith(u'|') && !line.startsWith(u' '))
        early = E::StrayCharacters;
    else if (first < 7)
        early = E::TooFewSpaces;
    if (early != E::Correct) {
        if (code != early)
            return fail() << "expected " << int(early);
        if (out != line)
            return fail() << "changed before any item";
        return ::testing::AssertionSuccess();
    }
    // The text before the first mark is not examined beyond its first
    // character.
    QString otherPrefix = line;
    for (qsizetype i = 1; i < first; ++i)
        otherPrefix[i] = otherPrefix[i] == u'x' ? u'y' : u'x';
    QString otherOut = otherPrefix;
    if (ParseHeaderLine(otherOut) != code)
        return fail() << "depends on the text before the first mark";
    // Blocked marks only where items begin (a done number is not examined,
    // so a '~' inside one stays as it is).
    bool tildesBeginItems = true;
    for (qsizetype i = 0; i < line.size(); ++i)
        if (line[i] == u'~' && i != first && line[i - 1] != u'/')
            tildesBeginItems = false;
    if (code == E::Correct && tildesBeginItems && out.contains(u'~'))
        return fail() << "a blocked mark left in a correct line";
    // Whatever the line, its fixed copy checks as it did and stays as it is:
    // the check that fixed a line passes it on the next save.
    QString again = out;
    if (ParseHeaderLine(again) != code || again != out)
        return fail() << "the fixed line does not check the same";
    // Whether a number is blocked or to be sent does not change the result
    // (an answerback may hold '#' but not '~': lines with one are left out).
    if (line.contains(u'('))
        return ::testing::AssertionSuccess();
    QString swapped = line;
    for (qsizetype i = 0; i < swapped.size(); ++i)
        if (swapped[i] == u'~' || swapped[i] == u'#')
            swapped[i] = swapped[i] == u'~' ? u'#' : u'~';
    if (ParseHeaderLine(swapped) != code)
        return fail() << "blocked and send marks check differently";
    if (code == E::Correct) {
        // Spaces may follow the last item.
        QString spaced = line + QStringLiteral("  ");
        if (ParseHeaderLine(spaced) != E::Correct)
            return fail() << "trailing spaces not accepted";
    }
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(RandomAddressLines, LinesBuiltByTheGrammarCheckAsTheGrammarSays)
{
    LineMaker make(103u);
    for (int i = 0; i < 3000 && !HasFailure(); ++i) {
        const LineMaker::Built b = make.validLine();
        QString line = b.line;
        EXPECT_EQ(ParseHeaderLine(line), b.code) << '"' << b.line.toStdString() << '"';
        EXPECT_EQ(line, b.fixed);
        EXPECT_TRUE(wellBehaved(b.line));
    }
}

TEST(RandomAddressLines, DamagedAndRandomLinesKeepTheRulesOfEveryResult)
{
    LineMaker make(1103u);
    for (int i = 0; i < 3000 && !HasFailure(); ++i) {
        EXPECT_TRUE(wellBehaved(make.damaged(make.validLine().line)));
        EXPECT_TRUE(wellBehaved(make.randomText(40)));
        EXPECT_TRUE(wellBehaved(P + make.randomText(30)));
    }
}

TEST(RandomAddressLines, NumbersOfDigitsAndSeparators)
{
    // Over digits, separators and '?': the first '?' is dropped; a number
    // that is then empty or begins with a separator has none; another '?'
    // spoils its group; else every group of up to nine digits is valid.
    LineMaker make(3u);
    for (int i = 0; i < 3000 && !HasFailure(); ++i) {
        QString s;
        for (int n = int(make.pick(14)); n > 0; --n)
            s += make.from(u"0123456789+-.?");
        // no group longer than nine digits
        for (qsizetype at = 9; at < s.size(); at += 10)
            s[at] = u'.';
        QString rest = s;
        const qsizetype q = rest.indexOf(u'?');
        if (q >= 0)
            rest.remove(q, 1);
        E expected = E::Correct;
        if (rest.isEmpty() || rest[0] == u'+' || rest[0] == u'-' || rest[0] == u'.')
            expected = E::NoNumber;
        else if (rest.contains(u'?'))
            expected = E::BadNumber;
        EXPECT_EQ(CheckHeaderNumber(s), expected) << '"' << s.toStdString() << '"';
    }
}

TEST(RandomAddressLines, CheckHeaderStaysInsideTheTextAndFixesOnlyCorrectLines)
{
    LineMaker make(77u);
    for (int i = 0; i < 1500 && !HasFailure(); ++i) {
        QStringList lines;
        for (int n = int(make.pick(5)); n > 0; --n) {
            switch (make.pick(4)) {
            case 0: lines << make.validLine().line; break;
            case 1: lines << make.damaged(make.validLine().line); break;
            case 2: lines << make.randomText(20); break;
            default: lines << QString(); break;
            }
        }
        const std::string text = lines.join(u'\n').toStdString();
        qsizetype textLength = 0;
        for (const QString& l : lines)
            textLength += l.size();
        if (!lines.isEmpty())
            textLength += 2 * (lines.size() - 1);

        QStringList unfixed = lines;
        int errPos = -1;
        const HeaderErrorCode code = CheckHeader(unfixed, errPos, false);
        EXPECT_EQ(unfixed, lines) << text;
        EXPECT_GE(errPos, 0) << text;
        EXPECT_LE(errPos, textLength) << text;
        const bool startsWithAddress = !lines.isEmpty() && lines[0].startsWith(u'|');
        EXPECT_EQ(code == E::NoHeader, !lines.isEmpty() && !startsWithAddress) << text;
        if (code == E::NoHeader) {
            EXPECT_EQ(errPos, 0) << text;
        }
        EXPECT_NE(code, E::NoNumberToSend) << text;

        QStringList fixed = lines;
        int fixedPos = -1;
        EXPECT_EQ(CheckHeader(fixed, fixedPos, true), code) << text;
        EXPECT_EQ(fixedPos, errPos) << text;
        ASSERT_EQ(fixed.size(), lines.size());
        for (qsizetype k = 0; k < lines.size(); ++k) {
            if (fixed[k] == lines[k])
                continue;
            // Only a line that checks correct is rewritten, as the check
            // gives it back.
            QString copy = lines[k];
            EXPECT_EQ(ParseHeaderLine(copy), E::Correct) << text;
            EXPECT_EQ(fixed[k], copy) << text;
        }
    }
}
