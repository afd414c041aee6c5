// The clear-down and the wait for its confirmation: how each kind of
// connection ends (its record file, the failure lists, the journal and
// call-succeeded requests, the files the file tick then writes) and what
// one call leaves behind for the next.

#include "tests/engine/elements/SendReceiveRig.h"

#include "engine/CallFailurePolicy.h"
#include "engine/TelegramNumbering.h"
#include "platform/CodePages.h"
#include "support/NumberLists.h"
#include "tests/fakes/TestFiles.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace korvane;
using namespace korvane::test;

namespace {

const QString kClearDown = QStringLiteral("Отбой");
const QString kWaitClear = QStringLiteral("Ожидание подтверждения отбоя");

QByteArray ReadFile(const QString& path)
{
    return korvane::test::ReadFileBytes(path);
}

// A channel idling in a waiting step; the test runs the clear-down step
// itself, so that it sees the requests before the file tick carries them out.
class ClearDownRig {
public:
    ClearDownRig() : r({Landing("Покой"), {"Шаг", kClearDown, {}}})
    {
        TTxChannelDriver& d = r.Driver();
        d.TransmJrnFile = r.rig.dir.filePath("TRANSM.JRN");
        d.ReceiveJrnFile = r.rig.dir.filePath("RECEIVE.JRN");
        r.Advance(50);
        element = d.ElementAt(d.IndexOfElement(kClearDown));
    }
    TTxChannelDriver& Driver() { return r.Driver(); }
    QString Out(const QString& name) { return QDir(Driver().TransmDir).filePath(name); }
    QString In(const QString& name) { return QDir(Driver().ReceiveDir).filePath(name); }

    // The connection's text, Length characters, in the receive buffers.
    void Store(int length, bool fromLine)
    {
        for (int i = 0; i < length; ++i) {
            const std::uint8_t c = std::uint8_t('A' + i % 26);
            fromLine ? Driver().PutLineByte(c) : Driver().PutRxByte(c);
        }
    }
    // An automatic transmission of TEL00003.TLG to 2345 with Length characters recorded.
    void Transmission(int length)
    {
        TTxChannelDriver& d = Driver();
        d.ConnectionKind = 2;
        d.Number = "2345";
        d.TlgPath = Out("TEL00003.TLG");
        d.ConnectionFile = Out("TEL00003.PTC");
        d.ConnectionStart = d.Environment().Time->now();
        d.TxJrnStart = d.ConnectionStart;
        d.TxJrnNumber = d.Number;
        d.TxJrnTelegram = "TEL00003.TLG";
        Store(length, false);
    }
    void StartClearDown()
    {
        EngineLock lock(Driver().Mutex());
        element->Step = &r.rig.set->Protocols[0][0].Elements[1];
        element->Start();
    }
    // The file ticks carry out what the clear-down asked for; it then finishes.
    void FinishClearDown()
    {
        for (int t = 0; t < 3000 && !element->Done; t += 10) {
            r.Advance(10);
            EngineLock lock(Driver().Mutex());
            element->DoIt();
        }
        ASSERT_TRUE(element->Done);
        EXPECT_EQ(element->Step->Name, "Далее");
    }
    // Every one of Bits is requested.
    bool Requested(std::uint32_t bits) { return (Driver().Events.load() & bits) == bits; }
    // None of Bits is requested.
    bool NoneRequested(std::uint32_t bits) { return (Driver().Events.load() & bits) == 0; }
    // The retry entry of Number, or null.
    TUnsucNumObject* RetryEntry(const QString& number)
    {
        const int i = UnsuccNumbers->IndexOf(number);
        return i < 0 ? nullptr : UnsuccNumbers->ObjectAs<TUnsucNumObject>(i);
    }

    SendReceiveRig r;
    TTxElementPro* element = nullptr;
};

class ClearDown : public ::testing::Test, public ClearDownRig {};

// --- a reception ---

TEST(ClearDownKinds, AReceptionGoesToItsRecordFileByTheAnswerbackRequestsItHad)
{
    struct Case {
        const char* what;
        std::uint32_t wruCount;
        bool commonFile;
        QString file;
    };
    const Case cases[] = {
        {"one WRU", 1, false, "TLG00007.RE"},
        {"two WRU", 2, false, "TLG00007.REC"},
        {"the common receive file", 1, true, "COMMON.REC"},
    };
    for (const Case& c : cases) {
        ClearDownRig f;
        TTxChannelDriver& d = f.Driver();
        d.ReceiveCommonFile = f.In("COMMON.REC");
        if (c.commonFile)
            d.Modes |= ChannelMode::CommonRec;
        d.Numbering().TlgRecNo = 7;
        d.StartRecFile();
        f.Store(200, true);
        d.WruCount = c.wruCount;
        d.Events.raise(DriverEvent::RxJournalWritten); // the previous reception's line
        f.StartClearDown();
        EXPECT_TRUE(f.NoneRequested(DriverEvent::RxJournalWritten)) << c.what;
        EXPECT_TRUE(f.Requested(DriverEvent::WriteChunk | DriverEvent::WriteRxJournal)) << c.what;
        EXPECT_TRUE(f.NoneRequested(DriverEvent::WriteTxJournal | DriverEvent::CallSucceeded)) << c.what;
        EXPECT_EQ(d.RxJrnFile, c.file) << c.what;
        EXPECT_EQ(d.PendingStepLine, QStringLiteral("+++++ Завершение приема [ = %1, AAB: %2]").arg(c.file).arg(c.wruCount));
        f.FinishClearDown();
        const QByteArray record = ReadFile(f.In(c.file));
        EXPECT_TRUE(record.endsWith(QByteArray("ABCDEFGHIJKLMNOPQRSTUVWXYZ").repeated(8).left(200))) << c.what;
        EXPECT_TRUE(ReadFile(d.ReceiveJrnFile).contains(c.file.toLatin1())) << c.what;
        EXPECT_EQ(d.Numbering().TlgRecNo, 8) << c.what;
        EXPECT_EQ(d.ConnectionKind, 0) << c.what;
        EXPECT_EQ(d.WruTwice, 0) << "reset once the records are written";
    }
}

TEST_F(ClearDown, AReceptionOfFiveCharactersIsNoiseAndGivesItsNumberBack)
{
    TTxChannelDriver& d = Driver();
    d.Numbering().TlgRecNo = 7;
    d.StartRecFile();
    d.FileWork(); // the reception's number has been saved: 8
    ASSERT_EQ(d.LoadTlgRecNo(), 8);
    Store(5, true);
    StartClearDown();
    EXPECT_TRUE(NoneRequested(DriverEvent::WriteChunk | DriverEvent::WriteRxJournal));
    FinishClearDown();
    r.Advance(100); // a file tick
    EXPECT_EQ(d.Numbering().TlgRecNo, 7);
    EXPECT_EQ(d.LoadTlgRecNo(), 7) << "the number given back is the one a restart continues with";
    EXPECT_FALSE(QFile::exists(In("TLG00007.REC")));
    EXPECT_FALSE(QFile::exists(In("TLG00007.RE")));
    EXPECT_FALSE(QFile::exists(d.ReceiveJrnFile));
}

TEST_F(ClearDown, ALongReceptionEndingInAShortPartIsNoNoise)
{
    TTxChannelDriver& d = Driver();
    d.Numbering().TlgRecNo = 7;
    d.StartRecFile();
    Store(ReceiveBuffers::BufferSize + 3, true); // one full buffer went to the file already
    d.WruCount = 2;
    StartClearDown();
    FinishClearDown();
    EXPECT_EQ(d.Numbering().TlgRecNo, 8) << "its number is not given to the next reception";
    EXPECT_TRUE(QFile::exists(In("TLG00007.REC")));
    EXPECT_FALSE(QFile::exists(In("TLG00007.RE")));
    EXPECT_TRUE(ReadFile(d.ReceiveJrnFile).contains("TLG00007.REC"));
}

// --- an automatic transmission ---

TEST_F(ClearDown, ACompleteTransmissionSucceedsKeepsItsRecordAndAsksForTheNumberToBeMarkedDone)
{
    TTxChannelDriver& d = Driver();
    RegisterCallFailure(GlobalModes, "2345", FailureCodes::Occ); // an earlier try failed
    Transmission(100);
    d.TxDone = 1;
    d.Events.raise(DriverEvent::TxJournalWritten); // the previous call's line
    StartClearDown();
    EXPECT_TRUE(Requested(DriverEvent::CallSucceeded | DriverEvent::WriteChunk | DriverEvent::WriteTxJournal));
    EXPECT_TRUE(NoneRequested(DriverEvent::TxJournalWritten));
    EXPECT_EQ(RetryEntry("2345"), nullptr);
    EXPECT_EQ(d.TxJrnRecordFile, "TEL00003.PTC");
    EXPECT_EQ(d.PendingStepLine, QStringLiteral("+++++ Завершение автоматической передачи [2345 - TEL00003.PTC = Успешно]"));
    FinishClearDown();
    EXPECT_EQ(ReadFile(Out("TEL00003.PTC")).right(100), QByteArray("ABCDEFGHIJKLMNOPQRSTUVWXYZ").repeated(4).left(100));
    EXPECT_TRUE(codepage::fromCp866(ReadFile(d.TransmJrnFile)).contains(FailureCodeTexts[0].toString()));
    EXPECT_FALSE(d.TxDone);
}

TEST(ClearDownKinds, AFailedTransmissionIsRetriedAndRecordedUnderItsFailure)
{
    struct Case {
        const char* what;
        FailureCode result;
        std::uint8_t txDone;
        std::uint32_t modes;
        FailureCode recorded;
        QString recordFile; // empty: nothing written
    };
    const Case cases[] = {
        {"busy", FailureCodes::Occ, 0, 0, FailureCodes::Occ, "TEL00003.PT"},
        {"busy after the text went out", FailureCodes::Occ, 1, 0, FailureCodes::Occ, "TEL00003.PT"},
        {"busy, unfinished records dropped", FailureCodes::Occ, 0, ChannelMode::BadCalls, FailureCodes::Occ, ""},
        {"busy, common transmission file", FailureCodes::Occ, 0, ChannelMode::CommonTrm, FailureCodes::Occ,
         "COMMON.PTC"},
        {"no result but the text unsent", FailureCodes::Success, 0, 0, FailureCodes::Unk, "TEL00003.PT"},
    };
    for (const Case& c : cases) {
        ClearDownRig f;
        TTxChannelDriver& d = f.Driver();
        d.TransmCommonFile = f.Out("COMMON.PTC");
        d.Modes |= c.modes;
        f.Transmission(100);
        if (c.modes & ChannelMode::CommonTrm)
            d.ConnectionFile = d.TransmCommonFile;
        d.ResultCode = c.result;
        d.TxDone = c.txDone;
        f.StartClearDown();
        EXPECT_TRUE(f.NoneRequested(DriverEvent::CallSucceeded)) << c.what;
        EXPECT_TRUE(f.Requested(DriverEvent::WriteTxJournal)) << c.what;
        EXPECT_EQ(f.Requested(DriverEvent::WriteChunk), !c.recordFile.isEmpty()) << c.what;
        const TUnsucNumObject* entry = f.RetryEntry("2345");
        ASSERT_NE(entry, nullptr) << c.what;
        EXPECT_EQ(entry->Reason, c.recorded) << c.what;
        EXPECT_EQ(d.TxJrnResult, FailureCodeTexts[c.recorded].toString()) << c.what;
        f.FinishClearDown();
        if (!c.recordFile.isEmpty())
            EXPECT_TRUE(ReadFile(f.Out(c.recordFile)).endsWith("UV")) << c.what;
        else
            EXPECT_FALSE(QFile::exists(f.Out("TEL00003.PT"))) << c.what;
        EXPECT_FALSE(QFile::exists(f.Out("TEL00003.PTC"))) << c.what;
        EXPECT_TRUE(codepage::fromCp866(ReadFile(d.TransmJrnFile)).contains(FailureCodeTexts[c.recorded].toString()))
            << c.what;
    }
}

// --- a dialog ---

TEST(ClearDownKinds, ADialogKeepsItsRecordNameOnlyWhenTheOperatorClearedIt)
{
    for (const std::uint8_t txDone : {1, 0}) {
        ClearDownRig f;
        TTxChannelDriver& d = f.Driver();
        d.ConnectionKind = 3;
        d.Number = "2345";
        d.ConnectionFile = f.Out("DLG00004.PTC");
        d.TxDone = txDone;
        f.Store(50, false);
        f.StartClearDown();
        const QString file = txDone ? "DLG00004.PTC" : "DLG00004.PT";
        EXPECT_EQ(d.TxJrnRecordFile, file);
        EXPECT_EQ(d.PendingStepLine,
                  QStringLiteral("+++++ Завершение соединения в \"Диалоге\" [2345 - %1 = Успешно]").arg(file));
        EXPECT_TRUE(f.NoneRequested(DriverEvent::CallSucceeded));
        f.FinishClearDown();
        EXPECT_TRUE(QFile::exists(f.Out(file)));
    }
}

// --- what one call leaves for the next ---

TEST_F(ClearDown, EveryClearDownResetsTheCallAndPutsTheLineToMinus)
{
    TTxChannelDriver& d = Driver();
    {
        EngineLock lock(d.Mutex());
        // A call cut off while it was sending: text queued behind a '&'
        // pause and behind the hold after a WRU, an own answerback under way.
        d.TxPauseActive = true;
        d.WruHoldMs = 200;
        d.AnswerBackSending = true;
        for (QChar c : QStringLiteral("QUEUED TEXT"))
            d.Tx.Put(c);
        d.TxIdle = false;
        d.LineRegister = FiguresRegister;
        d.ResultCode = FailureCodes::Occ;
        d.WruCount = 3;
        d.PartnerAbCapture = true;
        d.DialPos = 5;
        d.DialFinished = 1; // a dialling that ended, never taken up by a wait
        d.AbTriesLeft = 2;
        d.RxEnabled = true;
        d.ExpectedAnswerBack = "2345 XYZ";
    }
    r.line->takeReceived();
    StartClearDown();
    EXPECT_TRUE(element->Done) << "nothing to write: finished at once";
    EXPECT_EQ(element->State, ChannelStates::Clearing);
    EXPECT_TRUE(r.line->breakOn()) << "the line at '-'";
    EXPECT_EQ(d.OutputPolarity, 0);
    EXPECT_TRUE(d.Tx.IsEmpty());
    EXPECT_EQ(d.Tx.Count(), 0);
    EXPECT_FALSE(d.TxPauseActive);
    EXPECT_EQ(d.WruHoldMs, 0);
    EXPECT_FALSE(d.AnswerBackSending);
    EXPECT_TRUE(d.TxIdle);
    EXPECT_EQ(d.LineRegister, NoRegister);
    EXPECT_EQ(d.ResultCode, FailureCodes::Success);
    EXPECT_EQ(d.WruCount, 0u);
    EXPECT_FALSE(d.PartnerAbCapture);
    EXPECT_EQ(d.DialFinished, 0) << "the next call's wait does not take it for its own dialling";
    EXPECT_EQ(d.DialPos, 1);
    EXPECT_EQ(d.AbTriesLeft, 0);
    EXPECT_FALSE(d.RxEnabled);
    EXPECT_TRUE(d.ExpectedAnswerBack.isEmpty());
    EXPECT_TRUE(NoneRequested(DriverEvent::WriteChunk | DriverEvent::WriteTxJournal | DriverEvent::WriteRxJournal));
    // The next call's text goes out at once and alone.
    d.Port->SetBreak(false); // the next call seizes the line
    d.SendString("A");
    r.Advance(500);
    EXPECT_EQ(r.line->takeReceived(), Codes({31, 3}));
    EXPECT_FALSE(d.PartnerAbCapture) << "no own answerback was under way";
}

// A reception that came before the chosen destination could be called
// leaves that destination its expected answerback.
TEST_F(ClearDown, TheNextDestinationChosenDuringACallKeepsItsExpectedAnswerback)
{
    TTxChannelDriver& d = Driver();
    {
        EngineLock lock(d.Mutex());
        d.ConnectionKind = 1;
        d.Number = "2345";
        d.ExpectedAnswerBack = "2345 XYZ";
        d.Events.raise(DriverEvent::DestinationChosen);
    }
    StartClearDown();
    EXPECT_EQ(d.ExpectedAnswerBack, QStringLiteral("2345 XYZ"));
    EXPECT_TRUE(d.Events.has(DriverEvent::DestinationChosen));
}

// --- the confirmation ---

TEST(WaitDisConnect, TheInputAtMinusForTheDurationConfirmsWithinTheWait)
{
    SendReceiveRig r({{"Шаг", kWaitClear, {"3", "300", "Успех", "Неудача"}}});
    r.Advance(50);
    EXPECT_EQ(r.Driver().DisconnectWaitTime, 3000);
    EXPECT_FALSE(r.Driver().RxEnabled);
    EXPECT_EQ(r.Driver().CurrentElement->State, ChannelStates::WaitClearConfirm);
    r.Advance(500);
    r.Clear();
    r.Advance(200);
    r.line->setRing(true); // a '+' in between starts the count again
    r.Advance(100);
    r.Clear();
    EXPECT_NEAR(r.RunWhileAt("Шаг"), 325, 30);
    EXPECT_EQ(r.StepName(), "Успех");
}

TEST(WaitDisConnect, NoConfirmationOrABrokenLineFails)
{
    {
        SendReceiveRig r({{"Шаг", kWaitClear, {"3", "300", "Успех", "Неудача"}}});
        r.Advance(50);
        EXPECT_NEAR(r.RunWhileAt("Шаг"), 3025, 30);
        EXPECT_EQ(r.StepName(), "Неудача");
    }
    {
        SendReceiveRig r({{"Шаг", kWaitClear, {"3", "300", "Успех", "Неудача"}}});
        r.Advance(50);
        r.line->setDsr(true); // line current out of limits for the line-break time
        EXPECT_NEAR(r.RunWhileAt("Шаг"), 325, 30);
        EXPECT_EQ(r.StepName(), "Неудача");
    }
}

} // namespace
