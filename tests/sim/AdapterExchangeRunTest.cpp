// Whole TARVELOX-01 channels against the simulated intelligent adapter on
// virtual time: what the adapter was sent and answered (its transcript,
// compared line for line, bytes in hexadecimal), the window's lines and
// boxes, the files and journal lines of the fetched telegrams.

#include "tests/sim/AdapterRig.h"

#include "engine/elements/AdapterExchange.h"
#include "support/OemText.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

using namespace korvane;
using namespace korvane::test;
using Fault = sim::IntelligentAdapter::Fault;

namespace {

const QString kSettings = QStringLiteral(
    "> settings 1B 08 02 17 13 01 0A 10 04 1F 03 19 0E 1B 1B 1B 1B 1B 1B 1B 53 07 44 3C 14 46 78 00 00 0A 0A 03");

// The exchange up to the status poll, with the adapter's program running.
QStringList Opening(const QString& time = QStringLiteral("<02 00>,<05 00>,<09 00>"))
{
    return {"command mode",
            "> ATDATE,<1A 00>,<0C 00>,<0A 00>.",
            "> ATTIME," + time + ".",
            "> ATTEST.",
            "< 02 01 00 00 07 00",
            "> ATLOAD,<20 00>,<A0 2E>.",
            kSettings,
            "> ATLODO,<01 00>,<00 00>.",
            "> ATTLXS."};
}

sim::IntelligentAdapter::StoredTelegram Telegram(int number, QDateTime at, QByteArray codes)
{
    return {static_cast<std::uint8_t>(number), std::move(at), std::move(codes)};
}

// Codes "$ABC": ends in the Latin register.
const QByteArray kFirstCodes("\x1F\x03\x19\x0E", 4);
// Codes without a shift of their own: "12 3" on a fresh line (figures).
const QByteArray kSecondCodes("\x17\x13\x04\x01", 4);

class AdapterRun : public ::testing::Test {
protected:
    QByteArray Oem(const QString& s) { return AnsiToOem(s); }

    AdapterRig f;
};

TEST_F(AdapterRun, TwoStoredTelegramsAreFiledEachInItsOwnFileAndDeletedOnlyOnceWritten)
{
    f.adapter->setProgramPresent(true);
    f.adapter->storeTelegram(Telegram(1, QDateTime(QDate(2026, 12, 9), QTime(23, 59, 58)), kFirstCodes));
    f.adapter->storeTelegram(Telegram(2, QDateTime(QDate(2026, 12, 10), QTime(8, 15, 30)), kSecondCodes));
    f.Start();

    // At the moment each ATDELT reaches the adapter (which then deletes the
    // telegram), its file and journal line are already on disk.
    int deletes = 0;
    QStringList atDelete;
    for (int ms = 0; ms < 20000 && !f.Driver().AdapterRestarted; ++ms) {
        f.rig.Advance(1);
        const int now = int(f.adapter->transcript().count("> ATDELT."));
        if (now != deletes) {
            deletes = now;
            atDelete << QStringLiteral("%1 %2 %3")
                            .arg(f.Received().join(','))
                            .arg(AdapterRig::Read(f.rig.dir.filePath("rx1.jrn")).count("\r\n"))
                            .arg(f.adapter->stored().size());
        }
    }
    ASSERT_TRUE(f.RunToEnd());
    EXPECT_EQ(atDelete, QStringList({"TLG00001.REC 1 1", "TLG00001.REC,TLG00002.REC 2 0"}));

    QStringList expected = Opening();
    expected << "< 00 00 02 00 E2 FF 01"
             << "> ATHTEL."
             << "< 01 1A 0C 09 00 3A 3B 17 00 04 00"
             << "> ATGETT."
             << "< 01 1A 0C 09 00 3A 3B 17 00 04 00 1F 03 19 0E"
             << "> ATDELT."
             << "< 4F 4B"
             << "> ATHTEL."
             << "< 02 1A 0C 0A 00 1E 0F 08 00 04 00"
             << "> ATGETT."
             << "< 02 1A 0C 0A 00 1E 0F 08 00 04 00 17 13 04 01"
             << "> ATDELT."
             << "< 4F 4B"
             << "line mode";
    EXPECT_EQ(f.adapter->transcript(), expected);
    EXPECT_TRUE(f.adapter->stored().empty());

    EXPECT_EQ(f.WindowText(),
              QStringList({"line Версия программы 2.1", "line Объем памяти: 131072 байт",
                           "line Состояние внутренней программы: РАБОТАЕТ",
                           "line Состояние телеграфного канала: ОЖИДАНИЕ", "line Объем свободной памяти: 131042 байт",
                           "line Количество телеграмм в памяти: 2",
                           "line Телеграмма №1 от 09/12/26 23:59:58 Размер: 4 символа",
                           "line Телеграмма №2 от 10/12/26 08:15:30 Размер: 4 символа", "clear"}));

    // Each file: its note, the time it was fetched (the clock was set at
    // 09:05:02, a second before), its text decoded from a
    // fresh register (the second telegram's codes carry no shift of their own).
    const QByteArray stars = "\r\n\r\n****\r\n\r\n";
    EXPECT_EQ(AdapterRig::Read(f.In("TLG00001.REC")),
              stars + Oem("/TARVELOX/ №1 09/12/26 23:59:58 0004-0004\r\n10-дек-26 09:05:03\r\nABC"));
    EXPECT_EQ(AdapterRig::Read(f.In("TLG00002.REC")),
              stars + Oem("/TARVELOX/ №2 10/12/26 08:15:30 0004-0004\r\n10-дек-26 09:05:03\r\n12 3"));

    const QList<QByteArray> journal = AdapterRig::Read(f.rig.dir.filePath("rx1.jrn")).split('\n');
    ASSERT_EQ(journal.size(), 3);
    EXPECT_TRUE(journal[0].startsWith(Oem("/TARVELOX/ №1 09/12/26 23:59:58 0004-0004 "))) << journal[0].constData();
    EXPECT_TRUE(journal[0].contains("[TLG00001.REC]")) << journal[0].constData();
    EXPECT_TRUE(journal[1].startsWith(Oem("/TARVELOX/ №2 10/12/26 08:15:30 0004-0004 "))) << journal[1].constData();
    QCoreApplication::processEvents();
    EXPECT_EQ(f.notices, QStringList({"1/1", "1/1"}));

    // The exchange ended, the port left command mode, the protocol began again once.
    EXPECT_TRUE(f.ProtocolRunsAgain());
    EXPECT_EQ(f.Driver().ConnectionKind, 0);
    EXPECT_TRUE(f.line->breakOn());
}

TEST_F(AdapterRun, AnAdapterWithoutItsProgramIsLoadedFourTimesThenTheLoadErrorEnds)
{
    f.adapter->setRefusesProgram(true);
    f.WriteProgram(2000);
    f.Start();
    ASSERT_TRUE(f.RunToEnd());

    const QStringList t = f.adapter->transcript();
    EXPECT_EQ(t.count("> ATTEST."), 5); // the fifth still finds no program: no fifth load
    EXPECT_EQ(t.count("> ATLOAD,<D0 07>,<00 40>,<98 E0>."), 4);
    EXPECT_EQ(t.count("> program of 2000 bytes: refused"), 4);
    // One try: the test without program, the load command, the whole body
    // (960 + 960 + 80 bytes, nothing after the file's end), then the clock again.
    const qsizetype load = t.indexOf("> ATLOAD,<D0 07>,<00 40>,<98 E0>.");
    ASSERT_GE(load, 2);
    EXPECT_EQ(t.mid(load - 2, 6), QStringList({"> ATTEST.", "< 02 01 00 00 03 00",
                                              "> ATLOAD,<D0 07>,<00 40>,<98 E0>.",
                                              "> program of 2000 bytes: refused",
                                              "> ATDATE,<1A 00>,<0C 00>,<0A 00>.", t[load + 3]}));
    EXPECT_TRUE(t[load + 3].startsWith("> ATTIME,"));
    EXPECT_EQ(f.adapter->program(), sim::IntelligentAdapter::MakeProgramFile(2000).mid(6));
    EXPECT_EQ(t.last(2), QStringList({"< 02 01 00 00 03 00", "line mode"}));
    EXPECT_EQ(f.view.BoxTexts(), QStringList({"Ошибка загрузки программы в TARVELOX-01"}));
    EXPECT_TRUE(f.ProtocolRunsAgain()); // the protocol starts anyway
}

TEST_F(AdapterRun, AProgramThatTakesIsFollowedByTheSettingsWithTheProgramRunning)
{
    f.WriteProgram(1920); // two whole blocks
    f.Start();
    ASSERT_TRUE(f.RunToEnd());
    const QStringList t = f.adapter->transcript();
    EXPECT_EQ(f.adapter->programLoads(), 1);
    EXPECT_EQ(f.adapter->program(), sim::IntelligentAdapter::MakeProgramFile(1920).mid(6));
    const qsizetype started = t.indexOf("> program of 1920 bytes: started");
    ASSERT_GT(started, 0);
    EXPECT_EQ(t.mid(started + 3, 3), QStringList({"> ATTEST.", "< 02 01 00 00 07 00", "> ATLOAD,<20 00>,<A0 2E>."}));
    EXPECT_TRUE(f.view.BoxTexts().isEmpty());
}

// A port that sends nothing more (the adapter's cable pulled amid the load)
// never drains: the exchange ends as after a silent adapter, never hangs.
TEST_F(AdapterRun, APortThatSendsNothingMoreEndsTheExchangeWithTheTimeOut)
{
    f.WriteProgram(2000);
    f.Start();
    while (!f.adapter->transcript().contains("> ATLOAD,<D0 07>,<00 40>,<98 E0>."))
        f.rig.Advance(1);
    f.line->setUnplugged(true);
    ASSERT_TRUE(f.RunToEnd());
    EXPECT_EQ(f.view.BoxTexts(), QStringList({"Тайм-аут при работе с TARVELOX-01"}));
    EXPECT_TRUE(f.ProtocolRunsAgain());
}

TEST_F(AdapterRun, AMissingProgramFileEndsWithTheLoadErrorWithoutALoad)
{
    f.Start();
    ASSERT_TRUE(f.RunToEnd());
    EXPECT_EQ(f.adapter->programLoads(), 0);
    EXPECT_EQ(f.adapter->transcript().last(3), QStringList({"> ATTEST.", "< 02 01 00 00 03 00", "line mode"}));
    EXPECT_EQ(f.view.BoxTexts(), QStringList({"Ошибка загрузки программы в TARVELOX-01"}));
}

// A reply that does not come whole ends the exchange with the time-out box,
// and the protocol starts anyway.
struct FaultCase {
    const char* command;
    Fault fault;
    QStringList tail; // the transcript's end
};

class AdapterFaults : public AdapterRun, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(AdapterFaults, EndWithTheTimeOut)
{
    const FaultCase& c = GetParam();
    f.adapter->setProgramPresent(true);
    f.adapter->injectFault(c.command, c.fault);
    f.Start();
    ASSERT_TRUE(f.RunToEnd());
    EXPECT_EQ(f.adapter->transcript().last(c.tail.size()), c.tail);
    EXPECT_EQ(f.view.BoxTexts(), QStringList({"Тайм-аут при работе с TARVELOX-01"}));
    EXPECT_TRUE(f.ProtocolRunsAgain());
    EXPECT_TRUE(f.Driver().AdapterExchangeDone);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, AdapterFaults,
    ::testing::Values(FaultCase{"ATTEST", Fault::NoReply, {"> ATTEST.", "< (no reply)", "line mode"}},
                      FaultCase{"ATTLXS", Fault::ShortReply, {"> ATTLXS.", "< 00 00 00 (short)", "line mode"}}));

TEST_F(AdapterRun, NoReplyToTheTestEndsBeforeAnySettings)
{
    f.adapter->setProgramPresent(true);
    f.adapter->injectFault("ATTEST", Fault::NoReply);
    f.Start();
    ASSERT_TRUE(f.RunToEnd());
    EXPECT_EQ(f.adapter->transcript().filter("ATLOAD").size(), 0);
    EXPECT_TRUE(f.adapter->settingsBlock().isEmpty());
}

TEST_F(AdapterRun, ABusyLineIsWaitedForAndThenTheTelegramFetched)
{
    f.adapter->setProgramPresent(true);
    f.adapter->setLineState(3, 2);
    f.adapter->storeTelegram(Telegram(7, QDateTime(QDate(2026, 12, 10), QTime(9, 0)), kFirstCodes));
    f.Start();
    ASSERT_TRUE(f.RunToEnd());
    const QStringList t = f.adapter->transcript();
    EXPECT_EQ(t.count("> ATTLXS."), 3);
    EXPECT_EQ(t.count("< 03 00 01 00 F1 FF 01"), 2);
    EXPECT_EQ(t.count("< 00 00 01 00 F1 FF 01"), 1);
    EXPECT_EQ(f.WindowText().count("line Ожидание завершения приема"), 2);
    EXPECT_EQ(f.Received(), QStringList({"TLG00001.REC"}));
    EXPECT_TRUE(f.view.BoxTexts().isEmpty());
}

TEST_F(AdapterRun, AReplySplitAcrossReadsIsTakenWhole)
{
    f.adapter->setProgramPresent(true);
    f.adapter->injectFault("ATGETT", Fault::SplitReply);
    f.adapter->storeTelegram(Telegram(1, QDateTime(QDate(2026, 12, 10), QTime(9, 0)), kFirstCodes));
    f.Start();
    ASSERT_TRUE(f.RunToEnd());
    EXPECT_TRUE(AdapterRig::Read(f.In("TLG00001.REC")).endsWith("\r\nABC"));
    EXPECT_TRUE(f.view.BoxTexts().isEmpty());
}

// Long telegrams take longer than the reply time-out to arrive, and their
// replies together are larger than a receive buffer: each is fetched whole
// and each file holds its own text only.
TEST_F(AdapterRun, LongStoredTelegramsAreFetchedWholeEachIntoItsOwnFile)
{
    const QDateTime at(QDate(2026, 12, 10), QTime(9, 0));
    QByteArray codes(1, '\x1F');
    QByteArray text;
    for (int i = 1; i < 1000; ++i) {
        codes += i % 2 ? '\x03' : '\x04';
        text += i % 2 ? 'A' : ' ';
    }
    f.adapter->setProgramPresent(true);
    f.adapter->storeTelegram(Telegram(1, at, codes));
    f.adapter->storeTelegram(Telegram(2, at, QByteArray(4000, '\x03'))); // figures '-'
    f.adapter->storeTelegram(Telegram(3, at, QByteArray(4000, '\x19'))); // figures '?'
    f.Start();
    ASSERT_TRUE(f.RunToEnd());
    EXPECT_TRUE(f.view.BoxTexts().isEmpty());
    ASSERT_EQ(f.Received(), QStringList({"TLG00001.REC", "TLG00002.REC", "TLG00003.REC"}));
    const QByteArray first = AdapterRig::Read(f.In("TLG00001.REC"));
    EXPECT_TRUE(first.startsWith("\r\n\r\n****\r\n\r\n" + Oem("/TARVELOX/ №1 10/12/26 09:00:00 1000-1000\r\n")));
    EXPECT_TRUE(first.endsWith("\r\n" + text));
    EXPECT_TRUE(AdapterRig::Read(f.In("TLG00002.REC")).endsWith("\r\n" + QByteArray(4000, '-')));
    EXPECT_TRUE(AdapterRig::Read(f.In("TLG00003.REC")).endsWith("\r\n" + QByteArray(4000, '?')));
    EXPECT_EQ(f.adapter->stored().size(), 0u);
}

// The protocol restarted amid the exchange (its head puts the port into
// line mode): the exchange starts again from the beginning and completes.
TEST_F(AdapterRun, AProtocolRestartAmidTheExchangeBeginsItAgain)
{
    f.adapter->setProgramPresent(true);
    f.adapter->storeTelegram(Telegram(1, QDateTime(QDate(2026, 12, 10), QTime(9, 0)), kFirstCodes));
    f.Start();
    while (!f.adapter->transcript().contains("> ATLODO,<01 00>,<00 00>."))
        f.rig.Advance(10);
    f.Driver().RestartProtocol(); // its head puts the port into line mode
    ASSERT_TRUE(f.RunToEnd());
    const QStringList t = f.adapter->transcript();
    const qsizetype again = t.indexOf("line mode");
    ASSERT_GT(again, 0);
    EXPECT_EQ(t.mid(again, 3), QStringList({"line mode", "command mode", "> ATDATE,<1A 00>,<0C 00>,<0A 00>."}));
    EXPECT_EQ(t.count("> ATDELT."), 1);
    EXPECT_EQ(f.Received(), QStringList({"TLG00001.REC"}));
    EXPECT_TRUE(f.view.BoxTexts().isEmpty());
}

// The clock's words reach the adapter byte for byte, their zero bytes included.
TEST_F(AdapterRun, TheTimeGoesOutWithItsZeroBytes)
{
    f.adapter->setProgramPresent(true);
    f.Start();
    ASSERT_TRUE(f.RunToEnd());
    EXPECT_TRUE(f.adapter->received().contains(
        QByteArray::fromHex("41 54 54 49 4D 45 2C 02 00 2C 05 00 2C 09 00 2E")));
    EXPECT_EQ(f.adapter->settingsBlock().size(), 32);
    EXPECT_EQ(f.adapter->modes(), 1u);
}

} // namespace
