#include "protocols/ChannelOptions.h"
#include "protocols/DriverModes.h"
#include "protocols/LittleEndian.h"
#include "support/TelegraphCode.h"

#include <gtest/gtest.h>

using namespace korvane;

namespace {

quint32 u32At(const QByteArray& b, qsizetype at)
{
    return quint32(quint8(b[at])) | quint32(quint8(b[at + 1])) << 8 | quint32(quint8(b[at + 2])) << 16
        | quint32(quint8(b[at + 3])) << 24;
}

quint16 u16At(const QByteArray& b, qsizetype at)
{
    return quint16(quint8(b[at]) | quint8(b[at + 1]) << 8);
}

} // namespace

TEST(ChannelOptionsLayout, FieldsSitAtTheirFileOffsets)
{
    TChannelOptions o;
    o.AdapterType = 0x01020304;
    o.StationType = 2;
    o.LineType = 1;
    o.AnswerBack.setText("AB");
    o.TlgHeader.setText(QStringLiteral("Ж"));
    o.PortAddr = 0x2F8;
    o.Modes = 0x813;
    o.CtxModes = 0x1F;
    o.ReceiveCommonFile.setText("R");
    o.TransmDir.setText("T");
    o.Sounds[0].Enabled = 1;
    o.Sounds[9].Loop = 1;
    o.Sounds[9].WavFile.setText("w");
    o.Counters.Day = 31;
    o.Counters.Month = 12;
    o.Counters.FullNumber = 0xABCD;
    o.Counters.setFNumberMode(u'М');
    o.Counters.CKSNumber = 0x1234;
    o.Counters.setCKSNumberMode(u'Д');

    const QByteArray b = o.toBytes();
    ASSERT_EQ(b.size(), 5776);
    EXPECT_EQ(b.left(4).toHex(), "04030201");
    EXPECT_EQ(u32At(b, 4), 2u);
    EXPECT_EQ(u32At(b, 8), 1u);
    EXPECT_EQ(b.mid(12, 3), QByteArray("\x02" "AB"));
    EXPECT_EQ(b.mid(33, 2), QByteArray("\x01\xC6"));
    EXPECT_EQ(u16At(b, 134), 0x2F8);
    EXPECT_EQ(u32At(b, 136), 0x813u);
    EXPECT_EQ(u32At(b, 140), 0x1Fu);
    EXPECT_EQ(b.mid(144, 2), QByteArray("\x01R"));
    EXPECT_EQ(b.mid(544, 2), QByteArray("\x01T"));
    EXPECT_EQ(b[624], 1);
    EXPECT_EQ(b[624 + 9 * 514 + 1], 1);
    EXPECT_EQ(b.mid(624 + 9 * 514 + 258, 2), QByteArray("\x01w"));
    EXPECT_EQ(b.mid(5764).toHex(), QByteArray("1f0c" "cdab" "cc" "00" "3412" "c4" "000000"));

    EXPECT_EQ(TChannelOptions::fromBytes(b), o);
    EXPECT_THROW(TChannelOptions::fromBytes(b.chopped(1)), ReadPastEndError);
}

TEST(ShortStringField, AssigningKeepsTheSlackAndCutsToCapacity)
{
    ShortString<5> f;
    f.setText("abcde");
    f.setText("x");
    EXPECT_EQ(f.text(), "x");
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(f.bytes.data()), 6), QByteArray("\x01xbcde"));
    f.setText("0123456789");
    EXPECT_EQ(f.text(), "01234");
    f.bytes[0] = 200; // a length beyond the field reads as the whole field
    EXPECT_EQ(f.text(), "01234");
    f.clampLength();
    EXPECT_EQ(f.bytes[0], 5);
}

TEST(DriverModesLayout, FieldsSitAtTheirFileOffsets)
{
    TDriverModes m;
    m.ModeDriver = 0x31;
    m.ScanPeriod = 30;
    m.MsgDelay = -2;
    m.ExitConfirmation = 1;
    m.PreciseTimer = 1;
    m.CopyCntr = 2;
    m.BeginTime = 0.5;
    m.EndTime = 0.75;
    m.LeftMargin = 7;
    m.InitPrnStr.setText("\x1B@");
    m.BadCallsText[0][0].setText("OCC");
    m.BadCallsText[9][5].setText("Z");
    m.BadCallsPolicy[0][0] = 3;
    m.BadCallsPolicy[8][4] = 0x7FFFFFFF;

    const QByteArray b = m.toBytes();
    ASSERT_EQ(b.size(), 2168);
    EXPECT_EQ(u32At(b, 0), 0x31u);
    EXPECT_EQ(u32At(b, 4), 30u);
    EXPECT_EQ(qint32(u32At(b, 8)), -2);
    EXPECT_EQ(b[12], 1);
    EXPECT_EQ(b[17], 1);
    EXPECT_EQ(u32At(b, 20), 2u);
    EXPECT_EQ(b.mid(24, 8).toHex(), "000000000000e03f");
    EXPECT_EQ(b.mid(32, 8).toHex(), "000000000000e83f");
    EXPECT_EQ(u32At(b, 40), 7u);
    EXPECT_EQ(b.mid(44, 3), QByteArray("\x02\x1B@"));
    EXPECT_EQ(b.mid(125, 4), QByteArray("\x03OCC"));
    EXPECT_EQ(b.mid(125 + 9 * 186 + 5 * 31, 2), QByteArray("\x01Z"));
    EXPECT_EQ(u32At(b, 1988), 3u);
    EXPECT_EQ(u32At(b, 1988 + 8 * 20 + 4 * 4), 0x7FFFFFFFu);
    EXPECT_EQ(TDriverModes::fromBytes(b), m);
}

TEST(DriverModes, ApplyMakesTheRecordCurrentAndSetsFiguresCodeTen)
{
    TDriverModes m;
    m.ScanPeriod = 45;
    m.ModeDriver = DriverMode::FigsTenIsFour;
    ApplyDriverModes(m);
    EXPECT_EQ(GlobalModes, m);
    EXPECT_EQ(figsCodeTableEntry10(), u'4');

    m.ModeDriver = DriverMode::ShowShiftMarks | DriverMode::BlockSpentNumbers;
    m.ScanPeriod = 30;
    ApplyDriverModes(m);
    EXPECT_EQ(GlobalModes.ScanPeriod, 30);
    EXPECT_EQ(figsCodeTableEntry10(), u'Ч');

    ApplyDriverModes(TDriverModes{});
    EXPECT_EQ(GlobalModes, TDriverModes{});
}

TEST(ChannelOptionsLayout, EachPathFieldSitsAtItsOwnOffset)
{
    struct PathField {
        const char* name;
        ShortString<79> TChannelOptions::*field;
        qsizetype offset;
    };
    const PathField fields[] = {
        {"ReceiveCommonFile", &TChannelOptions::ReceiveCommonFile, 144},
        {"TransmCommonFile", &TChannelOptions::TransmCommonFile, 224},
        {"ReceiveJrnFile", &TChannelOptions::ReceiveJrnFile, 304},
        {"TransmJrnFile", &TChannelOptions::TransmJrnFile, 384},
        {"ReceiveDir", &TChannelOptions::ReceiveDir, 464},
        {"TransmDir", &TChannelOptions::TransmDir, 544},
    };
    TChannelOptions o;
    for (std::size_t i = 0; i < std::size(fields); ++i) // a full field, its own letter
        (o.*fields[i].field).setText(QString(79, QChar(u'A' + int(i))));
    const QByteArray b = o.toBytes();
    const QByteArray blank = TChannelOptions().toBytes();
    for (std::size_t i = 0; i < std::size(fields); ++i) {
        SCOPED_TRACE(fields[i].name);
        const qsizetype at = fields[i].offset;
        EXPECT_EQ(quint8(b[at]), 79);
        EXPECT_EQ(b.mid(at + 1, 79), QByteArray(79, char('A' + int(i))));
        TChannelOptions one; // only this field set: nothing else of the path block changes
        (one.*fields[i].field).setText(QStringLiteral("C:\\MAIL2\\X"));
        const QByteArray ob = one.toBytes();
        for (qsizetype k = 144; k < 624; ++k)
            if (k < at || k >= at + 11) {
                EXPECT_EQ(ob[k], blank[k]) << "byte " << k;
            }
        EXPECT_EQ(ob.mid(at, 11), QByteArray("\x0A" "C:\\MAIL2\\X"));
        EXPECT_EQ((TChannelOptions::fromBytes(ob).*fields[i].field).text(), QStringLiteral("C:\\MAIL2\\X"));
    }
}

TEST(DriverModesLayout, EachFlagByteSitsAtItsOwnOffset)
{
    struct Flag {
        const char* name;
        std::uint8_t TDriverModes::*field;
        qsizetype offset;
    };
    const Flag flags[] = {
        {"ExitConfirmation", &TDriverModes::ExitConfirmation, 12},
        {"ShowDialogMode", &TDriverModes::ShowDialogMode, 13},
        {"TlxLogMode", &TDriverModes::TlxLogMode, 14},
        {"SoundCardMode", &TDriverModes::SoundCardMode, 15},
        {"DOSPrintMode", &TDriverModes::DOSPrintMode, 16},
        {"PreciseTimer", &TDriverModes::PreciseTimer, 17},
    };
    for (const Flag& f : flags) {
        SCOPED_TRACE(f.name);
        TDriverModes m;
        m.*f.field = 1;
        const QByteArray b = m.toBytes();
        for (qsizetype k = 12; k < 20; ++k) // the flag bytes and the two reserved ones
            EXPECT_EQ(int(b[k]), k == f.offset ? 1 : 0) << "byte " << k;
        EXPECT_EQ(TDriverModes::fromBytes(b).*f.field, 1);
    }
}

// Each cell holds its own text and value, so a grid written or read with
// its two indices swapped cannot pass.
TEST(DriverModesLayout, TheBadCallsGridsSitCellByCell)
{
    TDriverModes m;
    for (int c = 0; c < TDriverModes::kBadCallsTextColumns; ++c)
        for (int r = 0; r < TDriverModes::kBadCallsTextRows; ++r)
            m.BadCallsText[std::size_t(c)][std::size_t(r)].setText(QStringLiteral("c%1r%2").arg(c).arg(r));
    for (int c = 1; c <= TDriverModes::kBadCallsCategories; ++c)
        for (int r = 1; r <= TDriverModes::kBadCallsValues; ++r)
            m.BadCallsPolicy[std::size_t(c - 1)][std::size_t(r - 1)] = 1000 * c + r;

    const QByteArray b = m.toBytes();
    for (int c = 0; c < TDriverModes::kBadCallsTextColumns; ++c)
        for (int r = 0; r < TDriverModes::kBadCallsTextRows; ++r) {
            const QByteArray text = QStringLiteral("c%1r%2").arg(c).arg(r).toLatin1();
            EXPECT_EQ(b.mid(125 + c * 186 + r * 31, 5), char(text.size()) + text) << "text cell " << c << "," << r;
        }
    EXPECT_EQ(b.mid(1985, 3), QByteArray(3, '\0')) << "the reserved bytes";
    for (int c = 1; c <= TDriverModes::kBadCallsCategories; ++c)
        for (int r = 1; r <= TDriverModes::kBadCallsValues; ++r)
            EXPECT_EQ(u32At(b, 1988 + (c - 1) * 20 + (r - 1) * 4), quint32(1000 * c + r))
                << "policy cell " << c << "," << r;

    const TDriverModes back = TDriverModes::fromBytes(b);
    EXPECT_EQ(back.BadCallsText[3][5].text(), QStringLiteral("c3r5"));
    EXPECT_EQ(back.BadCallsText[5][3].text(), QStringLiteral("c5r3"));
    EXPECT_EQ(back.BadCallsPolicy[1][3], 2004);
    EXPECT_EQ(back.BadCallsPolicy[3][1], 4002);
}
