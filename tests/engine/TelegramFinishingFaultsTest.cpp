// The outgoing telegrams when the disk refuses: a done mark that cannot be
// saved, a .TRS that cannot be appended to, a .TLG that cannot be deleted or
// renamed, a telegram deleted while it is being called, and the pair that a
// rename by link and unlink leaves behind when it is cut. Every failure
// keeps the telegram in one state, is logged once and is tried again.

#include "tests/engine/FileWorkRig.h"

#include "engine/OutgoingTelegrams.h"
#include "support/OemText.h"

#include <QDir>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace korvane;
using namespace korvane::test;

namespace {

class TelegramFinishingFaults : public ::testing::Test {
protected:
    TelegramFinishingFaults()
    {
        f.rig.modes.Set([](TDriverModes& m) { m.ScanPeriod = 30; });
        // Steps on files whose name ends in Refused fail while it is set.
        f.diskStep = [this](const char* step, const QString& path) {
            return refused.isEmpty() || !(path.endsWith(refused) && (refusedStep.isEmpty() || refusedStep == step));
        };
    }
    TTxChannelDriver& d() { return f.Driver(); }
    void Put(const QString& name, const QString& text) { FileWorkRig::Write(f.Out(name), AnsiToOem(text)); }
    QString Get(const QString& name) { return OemToAnsi(FileWorkRig::Read(f.Out(name))); }
    bool Exists(const QString& name) { return QFile::exists(f.Out(name)); }
    void Scan()
    {
        d().Events.clear(DriverEvent::DestinationChosen);
        d().Events.raise(DriverEvent::ScanOutgoing);
        f.Tick();
    }
    void Succeed()
    {
        d().Events.clear(DriverEvent::DestinationChosen);
        d().Events.raise(DriverEvent::CallSucceeded);
        f.Tick();
    }
    bool Chosen() { return d().Events.has(DriverEvent::DestinationChosen); }
    QStringList Files() { return QDir(f.rig.dir.filePath("out1")).entryList(QDir::Files | QDir::Hidden); }

    FileWorkRig f;
    QString refused;     // a file name ending
    QString refusedStep; // empty: every step on it
};

TEST_F(TelegramFinishingFaults, ADoneMarkThatCannotBeSavedIsKeptAndItsNumberNotCalledAgain)
{
    Put("TEL00001.TLG", "|#51234\r\n|#51235\r\nТЕКСТ\r\n");
    Scan();
    ASSERT_TRUE(Chosen());
    refused = "TEL00001.TLG";
    Succeed();
    EXPECT_EQ(Get("TEL00001.TLG"), "|#51234\r\n|#51235\r\nТЕКСТ\r\n");
    EXPECT_EQ(d().Alarm, 1);
    // Scans while the disk refuses: the done number is never chosen again.
    for (int i = 0; i < 5; ++i) {
        Scan();
        if (Chosen()) {
            EXPECT_EQ(d().Number, "51235");
        }
        f.rig.Advance(1000);
    }
    EXPECT_EQ(f.LogWith("Ошибка записи файла " + f.Out("TEL00001.TLG")).size(), 1);
    refused.clear();
    f.rig.Advance(1100);
    EXPECT_EQ(Get("TEL00001.TLG").left(18), "|*51234\r\n|#51235\r\n");
    bool chosen = Chosen();
    for (int i = 0; i < 3 && !chosen; ++i) {
        Scan();
        chosen = Chosen();
    }
    ASSERT_TRUE(chosen);
    EXPECT_EQ(d().Number, "51235");
}

TEST_F(TelegramFinishingFaults, ADoneMarkWaitingForItsJournalLineIsNotWrittenAheadOfItByABlockedNumber)
{
    Put("TEL00002.TLG", "|#51234\r\n|#X\r\nТЕКСТ\r\n");
    Scan();
    ASSERT_TRUE(Chosen());
    d().ConnectionKind = 2;
    d().ConnectionStart = f.rig.clock.now();
    d().ConnectionFile = f.Out("TEL00002.PTC");
    d().TxJrnNumber = d().Number;
    refused = "tx1.jrn"; // the journal line of the call's success waits
    d().PlaceChunk(QStringLiteral("TEXT"));
    d().Events.raise(DriverEvent::WriteTxJournal);
    Succeed();
    d().ResetCounters();
    Scan(); // the next line's '#' is blocked at once
    EXPECT_EQ(Get("TEL00002.TLG"), "|#51234\r\n|~X\r\nТЕКСТ\r\n") << "done before its journal line";
    EXPECT_FALSE(Exists("TEL00002.LER")) << "finished before its done mark";
    refused.clear();
    f.rig.Advance(1100);
    for (int i = 0; i < 2; ++i)
        Scan();
    EXPECT_EQ(Get("TEL00002.LER"), "|*51234\r\n|~X\r\nТЕКСТ\r\n");
    EXPECT_TRUE(f.LogWith("удален во время передачи").isEmpty());
    EXPECT_EQ(FileWorkRig::Read(f.rig.dir.filePath("tx1.jrn")).count("\r\n"), 1);
}

TEST_F(TelegramFinishingFaults, AFailedFinishingKeepsTheTelegramAndIsTriedAgainOnce)
{
    struct Case {
        const char* name;
        const char* refused;     // the file whose step fails
        const char* refusedStep; // the step ("" every step)
        bool trsBefore;          // a .TRS of that name exists already
        const char* failureLine; // logged once while it fails
    };
    const Case cases[] = {
        {"append to the .TRS", ".TRS", "append", true, "Ошибка записи файла"},
        {"delete after the append", ".TLG", "remove", true, "Ошибка записи файла"},
        {"rename to .TRS", ".TLG", "rename", false, "Не могу переименовать файл"},
    };
    int n = 10;
    for (const Case& c : cases) {
        const QString name = QStringLiteral("TEL%1").arg(++n, 5, 10, QLatin1Char('0'));
        if (c.trsBefore)
            Put(name + ".TRS", "|*1\r\nПРЕЖНЯЯ\r\n");
        Put(name + ".TLG", "|*51234\r\nНОВАЯ\r\n");
        refused = name + c.refused;
        refusedStep = c.refusedStep;
        for (int i = 0; i < 4; ++i) {
            Scan();
            Scan(); // the second drops the current file, the next lists the folder afresh
        }
        EXPECT_TRUE(Exists(name + ".TLG")) << c.name;
        EXPECT_FALSE(Exists(name + ".ERR")) << c.name;
        EXPECT_EQ(f.LogWith(QString::fromUtf8(c.failureLine)).filter(name).size(), 1) << c.name;
        EXPECT_EQ(f.LogWith("обработан полностью").filter(name).size(), 1) << c.name;
        refused.clear();
        f.rig.Advance(1100); // the pending work's next try
        Scan();
        Scan();
        EXPECT_FALSE(Exists(name + ".TLG")) << c.name;
        EXPECT_EQ(Get(name + ".TRS"), QString::fromUtf8(c.trsBefore ? "|*1\r\nПРЕЖНЯЯ\r\n|*51234\r\nНОВАЯ\r\n"
                                                                     : "|*51234\r\nНОВАЯ\r\n"))
            << c.name;
    }
    EXPECT_TRUE(Files().filter(".kvnew").isEmpty());
}

TEST_F(TelegramFinishingFaults, ATelegramSentAgainByteForByteIsAppendedToItsTrsAgain)
{
    // Sent once; the operator activates it again and it is sent again.
    Put("TEL00006.TRS", "|*51234\r\nТЕКСТ\r\n");
    Put("TEL00006.TLG", "|#51234\r\nТЕКСТ\r\n");
    Scan();
    ASSERT_TRUE(Chosen());
    Succeed();
    for (int i = 0; i < 3; ++i)
        Scan();
    EXPECT_FALSE(Exists("TEL00006.TLG"));
    EXPECT_EQ(Get("TEL00006.TRS"), "|*51234\r\nТЕКСТ\r\n|*51234\r\nТЕКСТ\r\n");
}

TEST_F(TelegramFinishingFaults, AnOutcomeWhoseRenameFailsIsLoggedOnceWithTheFailure)
{
    struct Case {
        const char* text;
        const char* extension;
        const char* outcomeLine; // logged once while the rename fails
    };
    const Case cases[] = {
        {"ТЕКСТ БЕЗ АДРЕСА\r\n", ".ERR", "содержит некорректный заголовок"},
        {"|~51234\r\nТЕКСТ\r\n", ".LER", "содержит только \"неэффективные\" номера"},
    };
    int n = 20;
    for (const Case& c : cases) {
        const QString name = QStringLiteral("TEL%1").arg(++n, 5, 10, QLatin1Char('0'));
        Put(name + ".TLG", QString::fromUtf8(c.text));
        refused = name + ".TLG";
        refusedStep = "rename";
        for (int i = 0; i < 4; ++i)
            Scan();
        EXPECT_TRUE(Exists(name + ".TLG")) << c.text;
        const QString outcome = QStringLiteral("Файл \"%1\" %2").arg(f.Out(name + ".TLG"), QString::fromUtf8(c.outcomeLine));
        EXPECT_EQ(f.LogWith(outcome).size(), 1) << c.text;
        EXPECT_EQ(f.LogWith("Не могу переименовать файл").filter(name).size(), 1) << c.text;
        refused.clear();
        Scan();
        EXPECT_FALSE(Exists(name + ".TLG")) << c.text;
        EXPECT_EQ(Get(name + QString::fromUtf8(c.extension)), QString::fromUtf8(c.text));
        EXPECT_EQ(f.LogWith(outcome).size(), 1) << c.text;
        EXPECT_EQ(f.LogWith("переименован в").filter(name).size(), 1) << c.text;
    }
}

TEST_F(TelegramFinishingFaults, ARenameCutBetweenLinkAndUnlinkIsFinishedNotAppendedToItself)
{
    Put("TEL00005.TLG", "|*51234\r\nТЕКСТ\r\n");
    ASSERT_EQ(::link(QFile::encodeName(f.Out("TEL00005.TLG")).constData(),
                     QFile::encodeName(f.Out("TEL00005.TRS")).constData()),
              0);
    Scan();
    EXPECT_FALSE(Exists("TEL00005.TLG"));
    EXPECT_EQ(Get("TEL00005.TRS"), "|*51234\r\nТЕКСТ\r\n");
}

TEST_F(TelegramFinishingFaults, ATelegramDeletedWhileBeingCalledStaysDeleted)
{
    Put("TEL00007.TLG", "|#51234\r\n|#51235\r\nТЕКСТ\r\n");
    Scan();
    ASSERT_TRUE(Chosen());
    ASSERT_TRUE(QFile::remove(f.Out("TEL00007.TLG"))); // the operator deletes it during the call
    Succeed();
    EXPECT_FALSE(Chosen()) << "its other numbers are not called";
    EXPECT_FALSE(Exists("TEL00007.TLG"));
    for (int i = 0; i < 3; ++i)
        Scan();
    EXPECT_FALSE(Chosen());
    EXPECT_TRUE(Files().isEmpty()) << Files().join(' ').toStdString();
    EXPECT_EQ(f.LogWith("удален во время передачи").size(), 1);
}

} // namespace
