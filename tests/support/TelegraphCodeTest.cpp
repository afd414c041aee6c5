#include "support/TelegraphCode.h"

#include <gtest/gtest.h>

#include <atomic>
#include <initializer_list>
#include <thread>
#include <vector>

using namespace korvane;

namespace {

QByteArray codesOf(std::initializer_list<int> list)
{
    QByteArray out;
    for (int c : list)
        out.append(static_cast<char>(c));
    return out;
}

std::vector<int> asInts(const QByteArray& codes)
{
    std::vector<int> out;
    for (char c : codes)
        out.push_back(static_cast<unsigned char>(c));
    return out;
}

QByteArray encode(const QString& text, TelegraphRegister& reg)
{
    QByteArray codes;
    EncodeTelegraph(text, codes, reg);
    return codes;
}

QString decode(const QByteArray& codes, TelegraphRegister& reg, bool showShifts = false)
{
    QString text;
    DecodeTelegraph(codes, text, reg, showShifts);
    return text;
}

// Codes 1..30 without 27, in order, as each register shows them.
const QString kLatinColumn = QStringLiteral("E\nA SIU\rDRJNFCKTZLWHYPQOBGMXV");
const QString kRussianColumn = QStringLiteral("Е\nА СИУ\rДРЙНФЦКТЗЛВХЫПЯОБГМЬЖ");
const QString kFiguresColumn = QStringLiteral("3\n- '87\r@ЧЮ,Э:(5+)2Щ6019?Ш./=");

QByteArray allNonShiftCodes()
{
    QByteArray codes;
    for (int c = 1; c <= 30; ++c)
        if (c != 27)
            codes.append(static_cast<char>(c));
    return codes;
}

// Figures code 10 is process-wide: every test that switches it puts it back.
class FigsEntry10 : public ::testing::Test {
protected:
    void SetUp() override { saved_ = figsCodeTableEntry10(); }
    void TearDown() override { setFigsCodeTableEntry10(saved_); }

private:
    QChar saved_;
};

} // namespace

// --- decoding ---------------------------------------------------------------

TEST(DecodeTelegraph, EveryCodeInEveryRegister)
{
    struct Case {
        TelegraphRegister reg;
        QString expected;
    };
    const Case cases[] = {
        {LatinRegister, kLatinColumn},
        {RussianRegister, kRussianColumn},
        {FiguresRegister, kFiguresColumn},
        {NoRegister, kFiguresColumn}, // no register in force reads figures
        {5, kFiguresColumn},
    };
    for (const Case& c : cases) {
        TelegraphRegister reg = c.reg;
        EXPECT_EQ(decode(allNonShiftCodes(), reg), c.expected) << int(c.reg);
        EXPECT_EQ(reg, c.reg) << "non-shift codes must not change the register";
    }
}

TEST(DecodeTelegraph, ShiftsChangeRegisterAndShowMarksOnlyWhenAsked)
{
    struct Case {
        QByteArray codes;
        TelegraphRegister regIn;
        bool showShifts;
        QString text;
        TelegraphRegister regOut;
    };
    const Case cases[] = {
        {codesOf({31, 3}), RussianRegister, false, QStringLiteral("A"), LatinRegister},
        {codesOf({31, 3}), RussianRegister, true, QStringLiteral("$A"), LatinRegister},
        {codesOf({0}), LatinRegister, false, QString(), RussianRegister},
        {codesOf({27}), LatinRegister, false, QString(), FiguresRegister},
        {codesOf({31}), FiguresRegister, false, QString(), LatinRegister},
        {codesOf({0, 27, 31}), NoRegister, true, QStringLiteral("*^$"), LatinRegister},
        {codesOf({3, 0, 3, 27, 3, 31, 3}), LatinRegister, false, QStringLiteral("AА-A"), LatinRegister},
        {codesOf({3, 0, 3, 27, 3, 31, 3}), LatinRegister, true, QStringLiteral("A*А^-$A"), LatinRegister},
        {codesOf({27, 9}), LatinRegister, false, QStringLiteral("@"), FiguresRegister},
        {codesOf({8, 8, 2}), RussianRegister, true, QStringLiteral("\r\r\n"), RussianRegister},
        // The bell as EncodeTelegraph sends it shows as 'Ю'.
        {codesOf({31, 27, 11}), RussianRegister, false, QStringLiteral("Ю"), FiguresRegister},
        {codesOf({31, 27, 11}), RussianRegister, true, QStringLiteral("$^Ю"), FiguresRegister},
    };
    for (const Case& c : cases) {
        TelegraphRegister reg = c.regIn;
        EXPECT_EQ(decode(c.codes, reg, c.showShifts), c.text) << c.text.toStdString();
        EXPECT_EQ(reg, c.regOut) << c.text.toStdString();
    }
}

TEST(DecodeTelegraph, IgnoresTheTopThreeBits)
{
    QByteArray high;
    for (int c = 0; c < 32; ++c)
        high.append(static_cast<char>(c | 0xE0));
    QByteArray low;
    for (int c = 0; c < 32; ++c)
        low.append(static_cast<char>(c));
    for (TelegraphRegister start : {RussianRegister, LatinRegister, FiguresRegister, NoRegister}) {
        TelegraphRegister a = start;
        TelegraphRegister b = start;
        EXPECT_EQ(decode(high, a, true), decode(low, b, true));
        EXPECT_EQ(a, b);
    }
    TelegraphRegister reg = LatinRegister;
    EXPECT_EQ(decode(codesOf({67}), reg), QStringLiteral("A"));
}

TEST(DecodeTelegraph, EmptiesTheTextFirst)
{
    QString text = QStringLiteral("old");
    TelegraphRegister reg = LatinRegister;
    DecodeTelegraph(codesOf({3}), text, reg, false);
    EXPECT_EQ(text, QStringLiteral("A"));
    DecodeTelegraph(QByteArray(), text, reg, false);
    EXPECT_TRUE(text.isEmpty());
}

// --- encoding ---------------------------------------------------------------

TEST(EncodeTelegraph, CasesWithShifts)
{
    struct Case {
        QString text;
        TelegraphRegister regIn;
        std::vector<int> codes;
        TelegraphRegister regOut;
    };
    const Case cases[] = {
        {QStringLiteral("AБ"), LatinRegister, {3, 0, 25}, RussianRegister},
        {QStringLiteral("A1"), LatinRegister, {3, 27, 23}, FiguresRegister},
        {QStringLiteral("1A"), FiguresRegister, {23, 31, 3}, LatinRegister},
        {QStringLiteral("1Б"), FiguresRegister, {23, 0, 25}, RussianRegister},
        {QStringLiteral("A"), NoRegister, {31, 3}, LatinRegister},
        {QStringLiteral("Б"), NoRegister, {0, 25}, RussianRegister},
        {QStringLiteral("7"), NoRegister, {27, 7}, FiguresRegister},
        {QStringLiteral("@A"), LatinRegister, {27, 9, 31, 3}, LatinRegister},
        {QStringLiteral("@"), FiguresRegister, {27, 9}, FiguresRegister},
        {QStringLiteral("\\"), RussianRegister, {31, 27, 11}, FiguresRegister},
        {QStringLiteral("\\Ю"), RussianRegister, {31, 27, 11, 11}, FiguresRegister},
        {QStringLiteral("A[B"), LatinRegister, {3, 25}, LatinRegister},
        {QStringLiteral("ЧШЩЭЮ"), RussianRegister, {27, 10, 26, 20, 13, 11}, FiguresRegister},
        {QStringLiteral("ЯЧ"), LatinRegister, {0, 23, 27, 10}, FiguresRegister},
        {QStringLiteral("#"), RussianRegister, {31, 12}, LatinRegister},
        {QStringLiteral("\"'"), LatinRegister, {27, 5, 5}, FiguresRegister},
        {QStringLiteral("`"), LatinRegister, {27, 5}, FiguresRegister},
        {QStringLiteral("-.,:?()+=/"), FiguresRegister, {3, 28, 12, 14, 25, 15, 18, 17, 30, 29}, FiguresRegister},
    };
    for (const Case& c : cases) {
        TelegraphRegister reg = c.regIn;
        EXPECT_EQ(asInts(encode(c.text, reg)), c.codes) << c.text.toStdString();
        EXPECT_EQ(reg, c.regOut) << c.text.toStdString();
    }
}

TEST(EncodeTelegraph, MarksAndRegisterFreeCharactersCauseNoShift)
{
    struct Case {
        QString text;
        std::vector<int> codes;
    };
    const Case cases[] = {
        {QStringLiteral(" <<_"), {4, 8, 8, 2}},
        {QStringLiteral("\r\n"), {8, 2}},
        {QStringLiteral("!%&;>"), {4, 4, 4, 4, 4}}, // no sign of their own: spaces
    };
    for (const Case& c : cases) {
        for (TelegraphRegister start : {RussianRegister, LatinRegister, FiguresRegister, NoRegister}) {
            TelegraphRegister reg = start;
            EXPECT_EQ(asInts(encode(c.text, reg)), c.codes) << c.text.toStdString();
            EXPECT_EQ(reg, start) << c.text.toStdString();
        }
    }
}

TEST(EncodeTelegraph, ShiftMarksSendTheirCodeAndSetTheRegister)
{
    struct Case {
        QString text;
        std::vector<int> codes;
        TelegraphRegister regOut;
    };
    const Case cases[] = {
        {QStringLiteral("*"), {0}, RussianRegister},
        {QStringLiteral("$"), {31}, LatinRegister},
        {QStringLiteral("^"), {27}, FiguresRegister},
        // A stated shift is sent even when already in force; the letters
        // after it need no second one.
        {QStringLiteral("$AB"), {31, 3, 25}, LatinRegister},
        {QStringLiteral("^1*Б"), {27, 23, 0, 25}, RussianRegister},
    };
    for (const Case& c : cases) {
        TelegraphRegister reg = LatinRegister;
        EXPECT_EQ(asInts(encode(c.text, reg)), c.codes) << c.text.toStdString();
        EXPECT_EQ(reg, c.regOut) << c.text.toStdString();
    }
}

TEST(EncodeTelegraph, SubstitutedLetters)
{
    struct Case {
        QString text;
        QString sentAs;
    };
    const Case cases[] = {
        {QStringLiteral("ъ"), QStringLiteral("Ь")}, {QStringLiteral("Ъ"), QStringLiteral("Ь")},
        {QStringLiteral("ё"), QStringLiteral("Е")}, {QStringLiteral("Ё"), QStringLiteral("Е")},
        {QStringLiteral("Є"), QStringLiteral("Е")}, {QStringLiteral("є"), QStringLiteral("Е")},
        {QStringLiteral("Ґ"), QStringLiteral("Г")}, {QStringLiteral("ґ"), QStringLiteral("Г")},
        {QStringLiteral("І"), QStringLiteral("I")}, {QStringLiteral("і"), QStringLiteral("I")},
        {QStringLiteral("Ї"), QStringLiteral("I")}, {QStringLiteral("ї"), QStringLiteral("I")},
        {QStringLiteral("№"), QStringLiteral("N")},
        {QStringLiteral("a"), QStringLiteral("A")}, {QStringLiteral("z"), QStringLiteral("Z")},
        {QStringLiteral("я"), QStringLiteral("Я")}, {QStringLiteral("ч"), QStringLiteral("Ч")},
    };
    for (const Case& c : cases) {
        TelegraphRegister a = NoRegister;
        TelegraphRegister b = NoRegister;
        EXPECT_EQ(asInts(encode(c.text, a)), asInts(encode(c.sentAs, b))) << c.text.toStdString();
        EXPECT_EQ(a, b) << c.text.toStdString();
    }
    // 'І' is a Latin letter on the line, whatever the register around it.
    TelegraphRegister reg = RussianRegister;
    EXPECT_EQ(asInts(encode(QStringLiteral("І"), reg)), (std::vector<int>{31, 6}));
}

TEST(EncodeTelegraph, CharactersWithoutSignAppendNothing)
{
    const QString noSign = QStringLiteral("\t\x01\x1F[]{|}~\x7F€«Ў§");
    for (const QChar c : noSign) {
        TelegraphRegister reg = LatinRegister;
        EXPECT_TRUE(encode(QString(c), reg).isEmpty()) << int(c.unicode());
        EXPECT_EQ(reg, LatinRegister);
    }
}

TEST(EncodeTelegraph, DecodingTheCodesGivesTheTextBack)
{
    // '4' is left out: it comes back as figures code 10 shows (see below).
    const QString text = QStringLiteral(
        "ABCDEFGHIJKLMNOPQRSTUVWXYZ 012356789 АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЫЬЭЮЯ -'(),./:=?+\r\n");
    for (TelegraphRegister start : {RussianRegister, LatinRegister, FiguresRegister, NoRegister}) {
        TelegraphRegister encReg = start;
        const QByteArray codes = encode(text, encReg);
        TelegraphRegister decReg = start;
        EXPECT_EQ(decode(codes, decReg), text);
        EXPECT_EQ(decReg, encReg);
    }
}

TEST(EncodeTelegraph, FromNoRegisterEveryLetterOrFigureStartsWithAShift)
{
    for (const QChar c : QStringLiteral("AzБя09Ч-?#\"")) {
        TelegraphRegister reg = NoRegister;
        const QByteArray codes = encode(QString(c), reg);
        ASSERT_EQ(codes.size(), 2) << int(c.unicode());
        EXPECT_EQ(static_cast<int>(codes[0]), static_cast<int>(reg)) << int(c.unicode());
        EXPECT_NE(reg, NoRegister);
    }
}

TEST(EncodeTelegraph, OneCharacterAtATimeHandsTheRegisterOver)
{
    const QString text = QStringLiteral("ЗК 12 ABC@ Ё№ \\ТЛГ 4Ч<<_");
    for (TelegraphRegister start : {RussianRegister, LatinRegister, FiguresRegister, NoRegister}) {
        TelegraphRegister whole = start;
        const QByteArray all = encode(text, whole);

        TelegraphRegister reg = start;
        QByteArray piece;
        QByteArray joined;
        for (const QChar c : text) {
            EncodeTelegraph(QStringView(&c, 1), piece, reg);
            joined += piece;
        }
        EXPECT_EQ(asInts(joined), asInts(all));
        EXPECT_EQ(reg, whole);

        TelegraphRegister wholeDec = start;
        const QString decodedAll = decode(all, wholeDec, true);
        TelegraphRegister decReg = start;
        QString out;
        QString one;
        for (const char code : all) {
            DecodeTelegraph(QByteArrayView(&code, 1), one, decReg, true);
            out += one;
        }
        EXPECT_EQ(out, decodedAll);
        EXPECT_EQ(decReg, wholeDec);
    }
}

TEST(EncodeTelegraph, ReusesTheCallersBuffers)
{
    QByteArray codes;
    QString text;
    TelegraphRegister reg = NoRegister;
    EncodeTelegraph(QStringLiteral("\\"), codes, reg);
    DecodeTelegraph(codes, text, reg, true);
    const char* codesData = codes.constData();
    const QChar* textData = text.constData();
    for (const QChar c : QStringLiteral("AБ1\\@ ")) {
        EncodeTelegraph(QStringView(&c, 1), codes, reg);
        EXPECT_EQ(codes.constData(), codesData);
        DecodeTelegraph(codes, text, reg, true);
        EXPECT_EQ(text.constData(), textData);
    }
}

// --- figures code 10 --------------------------------------------------------

TEST_F(FigsEntry10, StartsAsCheAndSwitchesBothWays)
{
    // The process starts with 'Ч'; tests that switch it restore it.
    EXPECT_EQ(figsCodeTableEntry10(), QChar(u'Ч'));
    struct Case {
        QChar entry;
        TelegraphRegister reg;
        QString shown;
    };
    const Case cases[] = {
        {QChar(u'4'), FiguresRegister, QStringLiteral("4")},
        {QChar(u'4'), NoRegister, QStringLiteral("4")},
        {QChar(u'Ч'), FiguresRegister, QStringLiteral("Ч")},
        {QChar(u'Ч'), NoRegister, QStringLiteral("Ч")},
        // Letters registers are not affected.
        {QChar(u'4'), LatinRegister, QStringLiteral("R")},
        {QChar(u'4'), RussianRegister, QStringLiteral("Р")},
    };
    for (const Case& c : cases) {
        setFigsCodeTableEntry10(c.entry);
        EXPECT_EQ(figsCodeTableEntry10(), c.entry);
        TelegraphRegister reg = c.reg;
        EXPECT_EQ(decode(codesOf({10}), reg), c.shown);
    }
}

TEST_F(FigsEntry10, FourAndCheAreBothSentAsFiguresTen)
{
    for (const QChar entry : {QChar(u'4'), QChar(u'Ч')}) {
        setFigsCodeTableEntry10(entry);
        for (const QChar c : {QChar(u'4'), QChar(u'Ч'), QChar(u'ч')}) {
            TelegraphRegister reg = RussianRegister;
            EXPECT_EQ(asInts(encode(QString(c), reg)), (std::vector<int>{27, 10}));
            EXPECT_EQ(reg, FiguresRegister);
        }
    }
}

TEST_F(FigsEntry10, SwitchingWhileAnotherThreadDecodes)
{
    std::atomic<bool> stop{false};
    std::thread switcher([&stop] {
        for (int i = 0; !stop.load(); ++i)
            setFigsCodeTableEntry10(i % 2 ? QChar(u'4') : QChar(u'Ч'));
    });
    const QByteArray codes(64, static_cast<char>(10));
    QString text;
    bool onlyTheTwo = true;
    for (int i = 0; i < 2000; ++i) {
        TelegraphRegister reg = FiguresRegister;
        DecodeTelegraph(codes, text, reg, false);
        for (const QChar c : text)
            onlyTheTwo = onlyTheTwo && (c == u'4' || c == u'Ч');
    }
    stop = true;
    switcher.join();
    EXPECT_TRUE(onlyTheTwo);
}

// --- marks ------------------------------------------------------------------

TEST(StripTextMarks, RemovesShiftAndLineMarksOnly)
{
    struct Case {
        QString in;
        QString out;
    };
    const Case cases[] = {
        {QStringLiteral("$ABC^123<_"), QStringLiteral("ABC123")},
        {QStringLiteral("*ЗК <<_ @&\\"), QStringLiteral("ЗК  @&\\")},
        {QStringLiteral("$*^<_"), QString()},
        {QString(), QString()},
    };
    for (const Case& c : cases) {
        QString r = QStringLiteral("stale");
        StripTextMarks(c.in, r);
        EXPECT_EQ(r, c.out) << c.in.toStdString();
    }
}
