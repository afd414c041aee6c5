#include "platform/CodePages.h"
#include "platform/IniFile.h"
#include "protocols/DefaultProtocols.h"
#include "protocols/ProtocolFile.h"
#include "protocols/TxProtoc.h"
#include "support/LogFile.h"

#include "tests/fakes/FakeClock.h"
#include "tests/fakes/FakeMessageBox.h"
#include "tests/fakes/FileSizeLimit.h"
#include "tests/fakes/TestFiles.h"
#include "tests/protocols/ProtocolFileBytes.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>


using namespace korvane;
using korvane::test::FileSizeLimit;
using korvane::test::ProtocolFileBytes;

namespace {

QString s(const char16_t* t) { return QString::fromUtf16(t); }

QByteArray defaultFileBytes()
{
    test::FakeMessageBox box;
    int err = 0;
    auto set = BuildDefaultProtocolSet(err, box);
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    WriteProtocolSet(buf, *set);
    return bytes;
}

class ProtocolStoreTest : public ::testing::Test {
protected:
    ProtocolStoreTest()
        : store(box, clock)
    {
        store.SetProName(dir.filePath("KORVANE2.PRO"));
        store.SetIniName(dir.filePath("KORVANE2.INI"));
    }

    QString pro() const { return store.ProName(); }

    void put(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    static QByteArray contents(const QString& path)
    {
        return korvane::test::ReadFileBytes(path);
    }

    QString withPath(const char16_t* text) const { return s(text) + u'\r' + pro(); }

    void expectDefaultCounters(const TProtocolSet& set) const
    {
        for (const TChannelOptions& o : set.Channels) {
            EXPECT_EQ(o.Counters.Day, 15);
            EXPECT_EQ(o.Counters.Month, 1);
            EXPECT_EQ(o.Counters.FullNumber, 1);
            EXPECT_EQ(o.Counters.CKSNumber, 1);
            EXPECT_EQ(o.Counters.fNumberMode(), u'М');
            EXPECT_EQ(o.Counters.cksNumberMode(), u'Д');
        }
    }

    // The set holds the default protocols and channel records (counters aside).
    static void expectDefaultSet(const TProtocolSet& set)
    {
        test::FakeMessageBox quiet;
        int err = 0;
        auto d = BuildDefaultProtocolSet(err, quiet);
        for (int c = 0; c < 8; ++c)
            d->Channels[size_t(c)].Counters = set.Channels[size_t(c)].Counters;
        d->PortTables = set.PortTables;
        EXPECT_TRUE(sameContents(set, *d));
    }

    QTemporaryDir dir;
    test::FakeMessageBox box;
    test::FakeClock clock; // 15 January
    TProtocol store;
};

} // namespace

TEST(ProtocolStorePaths, ChannelSectionsAndProgramPaths)
{
    EXPECT_EQ(ChannelSectionName(1), "CHANNEL #1");
    EXPECT_EQ(ChannelSectionName(5), "CHANNEL #5");
    SetAppPaths("/opt/korvane");
    EXPECT_EQ(AppDir, "/opt/korvane/");
    EXPECT_EQ(DBPath, "/opt/korvane/KorvaneDB");
    SetAppPaths("/opt/korvane/");
    EXPECT_EQ(AppDir, "/opt/korvane/");
}

TEST_F(ProtocolStoreTest, FirstStartCreatesTheFileWithTheDefaultsSilently)
{
    EXPECT_EQ(store.Set(), nullptr);
    store.Reload();
    ASSERT_NE(store.Set(), nullptr);
    EXPECT_TRUE(box.shown.isEmpty()) << box.texts().join("|").toStdString();
    EXPECT_EQ(contents(pro()), defaultFileBytes());
    expectDefaultSet(*store.Set());
    expectDefaultCounters(*store.Set());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"KORVANE2.PRO"}));

    // Reloading replaces the set by a new one read from the file.
    store.Reload();
    ASSERT_NE(store.Set(), nullptr);
    expectDefaultSet(*store.Set());
    EXPECT_TRUE(box.shown.isEmpty());
}

TEST_F(ProtocolStoreTest, SaveThenLoadGivesTheSameSetWithTheIniCounters)
{
    store.CreateDefault();
    TProtocolSet& set = *store.Set();
    set.Channels[4].AdapterType = 3;
    set.Channels[4].AnswerBack.setText("^<_111$ TEST");
    set.Channels[4].Counters.FullNumber = 999; // the INI's value wins
    TParamValue& pause = set.Protocols[0].front().Elements[2].Params[4];
    pause.Value = "12.50";
    pause.Value2 = pause.Value3 = "12.50"; // as they read back: the file holds one value
    store.Save();
    EXPECT_TRUE(box.shown.isEmpty());

    IniFile ini(store.IniName());
    ini.WriteInteger("CHANNEL #5", "TlgCntDay", 3);
    ini.WriteInteger("CHANNEL #5", "TlgCntMonth", 4);
    ini.WriteInteger("CHANNEL #5", "TlgCntFullNumber", 57);
    ini.WriteInteger("CHANNEL #5", "TlgCntCKSNumber", 8);
    ini.WriteString("CHANNEL #5", "TlgFNumberMode", s(u"Г"));
    ini.WriteString("CHANNEL #5", "TlgCKSNumberMode", s(u"Кв"));

    std::unique_ptr<TProtocolSet> copy;
    ASSERT_TRUE(store.LoadFrom(copy));
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy.get(), store.Set());
    EXPECT_EQ(copy->Channels[4].AnswerBack.text(), "^<_111$ TEST");
    EXPECT_EQ(copy->Protocols[0].front().Elements[2].Params[4].Value, "12.50");
    const TTlgCounters& c = copy->Channels[4].Counters;
    EXPECT_EQ(c.Day, 3);
    EXPECT_EQ(c.Month, 4);
    EXPECT_EQ(c.FullNumber, 57);
    EXPECT_EQ(c.CKSNumber, 8);
    EXPECT_EQ(c.fNumberMode(), u'Г');
    EXPECT_EQ(c.cksNumberMode(), u'К');
    EXPECT_EQ(copy->Channels[0].Counters.FullNumber, 1);
    for (int i = 0; i < 8; ++i)
        copy->Channels[size_t(i)].Counters = set.Channels[size_t(i)].Counters;
    copy->PortTables = set.PortTables;
    EXPECT_TRUE(sameContents(*copy, set));
}

TEST_F(ProtocolStoreTest, IniCounterValuesThatDoNotFitTakeTheDefaults)
{
    put(store.IniName(), codepage::toCp1251(u"[CHANNEL #2]\r\nTlgCntDay=300\r\nTlgCntMonth=-1\r\n"
                                            u"TlgCntFullNumber=65536\r\nTlgCntCKSNumber=$FFFF\r\n"
                                            u"TlgFNumberMode=\r\nTlgCKSNumberMode= М \r\n"));
    store.Load();
    ASSERT_NE(store.Set(), nullptr);
    const TTlgCounters& c = store.Set()->Channels[1].Counters;
    EXPECT_EQ(c.Day, 15);
    EXPECT_EQ(c.Month, 1);
    EXPECT_EQ(c.FullNumber, 1);
    EXPECT_EQ(c.CKSNumber, 65535);
    EXPECT_EQ(c.fNumberMode(), u'М');
    EXPECT_EQ(c.cksNumberMode(), u'М');
}

TEST_F(ProtocolStoreTest, AnUnreadableFileIsKeptAsideAndReplacedByTheDefaults)
{
    const QString readError = s(u"Ошибка чтения из файла протоколов ");
    const QString pause = s(u"Пауза");
    struct Case {
        const char* what;
        QByteArray bytes;
        QStringList readerMessages;
    };
    const Case cases[] = {
        {"unknown class",
         ProtocolFileBytes().i32(1).str("P").flag('N').i32(1).str("S").str("Nope").flag('N')
             .emptyKinds().channels().bytes(),
         {s(u"Ошибка: S Nope Задан отсутствующий класс элемента")}},
        {"unknown parameter",
         ProtocolFileBytes().i32(1).str("P").flag('N').i32(1).str("S").str(pause).flag('N').i32(1)
             .value("5", "X").emptyKinds().channels().bytes(),
         {QChar(3) + s(u"Задан отсутствующий параметр элемента ") + "5X"}},
        {"truncated", defaultFileBytes().chopped(100), {}},
        {"zero bytes", QByteArray(), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(dir.path()).removeRecursively();
        QDir().mkpath(dir.path());
        box.shown.clear();
        put(pro(), c.bytes);

        std::unique_ptr<TProtocolSet> set;
        ASSERT_TRUE(store.LoadFrom(set));
        QStringList expected = c.readerMessages;
        expected << readError + u'\r' + pro();
        EXPECT_EQ(box.texts(), expected);
        EXPECT_EQ(contents(pro() + ".BAD"), c.bytes);
        EXPECT_TRUE(QFile::exists(pro() + ".BAD"));
        EXPECT_EQ(contents(pro()), defaultFileBytes());
        ASSERT_NE(set, nullptr);
        expectDefaultSet(*set);
        expectDefaultCounters(*set);
    }
}

TEST_F(ProtocolStoreTest, AnEarlierKeptFileIsNeverOverwritten)
{
    put(pro() + ".BAD", "first");
    put(pro() + ".BAD2", "second");
    put(pro(), "garbage");
    store.Load();
    EXPECT_EQ(contents(pro() + ".BAD"), "first");
    EXPECT_EQ(contents(pro() + ".BAD2"), "second");
    EXPECT_EQ(contents(pro() + ".BAD3"), "garbage");
    EXPECT_EQ(contents(pro()), defaultFileBytes());
}

TEST_F(ProtocolStoreTest, AReadOnlyFileIsLoadedAndNeverReplaced)
{
    store.CreateDefault();
    store.Set()->Channels[0].AnswerBack.setText("MINE");
    store.Save();
    const QByteArray saved = contents(pro());
    ASSERT_TRUE(QFile::setPermissions(pro(), QFile::ReadOwner | QFile::ReadUser | QFile::ReadGroup));

    store.Reload();
    ASSERT_NE(store.Set(), nullptr);
    EXPECT_TRUE(box.shown.isEmpty()) << box.texts().join("|").toStdString();
    EXPECT_EQ(store.Set()->Channels[0].AnswerBack.text(), "MINE");

    store.Set()->Channels[0].AnswerBack.setText("CHANGED");
    store.Save();
    EXPECT_EQ(box.texts(), QStringList({withPath(u"Невозможно открыть и сохранить файл протоколов ")}));
    EXPECT_EQ(contents(pro()), saved);
    QFile::setPermissions(pro(), QFile::ReadOwner | QFile::WriteOwner);
}

TEST_F(ProtocolStoreTest, AFileThatCanNeitherBeOpenedNorCreatedLeavesTheSetAsItWas)
{
    store.SetProName(dir.filePath("missing/KORVANE2.PRO"));
    std::unique_ptr<TProtocolSet> set;
    EXPECT_FALSE(store.LoadFrom(set));
    EXPECT_EQ(set, nullptr);
    EXPECT_EQ(box.texts(), QStringList({withPath(u"Невозможно создать файл протоколов:")}));

    store.CreateDefault();
    TProtocolSet* before = store.Set();
    box.shown.clear();
    store.Load();
    EXPECT_EQ(store.Set(), before);
    EXPECT_EQ(box.shown.size(), 1);

    box.shown.clear();
    store.Save();
    EXPECT_EQ(box.texts(), QStringList({withPath(u"Невозможно открыть и сохранить файл протоколов ")}));
    EXPECT_FALSE(QDir(dir.filePath("missing")).exists());
}

TEST_F(ProtocolStoreTest, TheDefaultFileBeginsWithTheKnownBytesAndReadsBackEqual)
{
    store.CreateDefault();
    store.Save();
    const QByteArray bytes = contents(pro());
    EXPECT_EQ(bytes.left(90).toHex(' '), test::defaultFileHead().toHex(' '));

    std::unique_ptr<TProtocolSet> back;
    ASSERT_TRUE(store.LoadFrom(back));
    EXPECT_TRUE(box.shown.isEmpty()) << box.texts().join("|").toStdString();
    expectDefaultSet(*back);
}

TEST_F(ProtocolStoreTest, ASaveThatFailsWhileWritingLeavesTheOldFileWhole)
{
    test::FakeMessageBox quiet;
    int err = 0;
    std::unique_ptr<TProtocolSet> set = BuildDefaultProtocolSet(err, quiet);
    set->Channels[0].AnswerBack.setText("OLD");
    ASSERT_TRUE(store.SaveTo(set));
    const QByteArray old = contents(pro());

    set->Channels[0].AnswerBack.setText("NEW");
    bool saved = true;
    {
        FileSizeLimit limit(4096); // far less than a protocol file
        ASSERT_TRUE(limit.active());
        saved = store.SaveTo(set);
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(box.texts(), QStringList({withPath(u"Ошибка записи в файл протоколов ")}));
    EXPECT_EQ(contents(pro()), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"KORVANE2.PRO"}));
}

TEST_F(ProtocolStoreTest, SavingReplacesTheFileWholeAndLeavesNothingBehind)
{
    put(pro(), QByteArray(50000, 'x'));
    store.CreateDefault();
    store.Save();
    EXPECT_TRUE(box.shown.isEmpty());
    EXPECT_EQ(contents(pro()), defaultFileBytes());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"KORVANE2.PRO"}));

    std::unique_ptr<TProtocolSet> none;
    EXPECT_FALSE(store.SaveTo(none));
    EXPECT_EQ(contents(pro()), defaultFileBytes());
}

TEST_F(ProtocolStoreTest, AChannelRecordOutOfRangeIsSwitchedOffAndLogged)
{
    QTemporaryDir logDir;
    TLogFile log(logDir.path(), clock);
    LogFile = &log;
    TChannelOptions bad = DefaultChannelOptions();
    bad.AdapterType = 7;
    bad.StationType = 1;
    put(pro(), ProtocolFileBytes().emptyKinds(4).channels(bad).bytes());
    store.Load();
    LogFile = nullptr;

    ASSERT_NE(store.Set(), nullptr);
    EXPECT_TRUE(box.shown.isEmpty());
    EXPECT_EQ(store.Set()->Channels[2].AdapterType, 0u);
    EXPECT_EQ(store.Set()->Channels[2].StationType, 1u);
    const QString text = codepage::fromCp1251(contents(log.FileNameFor(clock.today())));
    EXPECT_TRUE(text.contains(s(u"Канал 3: недопустимый тип адаптера (7)"))) << text.toStdString();
    EXPECT_TRUE(text.contains(s(u"Канал 8:")));
}
