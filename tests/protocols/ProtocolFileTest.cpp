#include "protocols/DefaultProtocols.h"
#include "protocols/LittleEndian.h"
#include "protocols/ProtocolFile.h"

#include "tests/fakes/FakeMessageBox.h"
#include "tests/protocols/ProtocolFileBytes.h"

#include <QBuffer>

#include <functional>

#include <gtest/gtest.h>

using namespace korvane;
using korvane::test::ProtocolFileBytes;

namespace {

QString s(const char16_t* t) { return QString::fromUtf16(t); }

constexpr qsizetype kChannelBlock = TChannelOptions::kSize + TPortTable::kSize;

std::unique_ptr<TProtocolSet> defaultSet()
{
    test::FakeMessageBox box;
    int err = 0;
    return BuildDefaultProtocolSet(err, box);
}

QByteArray write(TProtocolSet& set)
{
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    WriteProtocolSet(buf, set);
    return bytes;
}

struct ReadResult {
    std::unique_ptr<TProtocolSet> set;
    int err = -1;
    bool failed = false;
    QStringList messages;
};

ReadResult read(const QByteArray& bytes)
{
    ReadResult r;
    QByteArray copy = bytes;
    QBuffer buf(&copy);
    buf.open(QIODevice::ReadOnly);
    test::FakeMessageBox box;
    try {
        ReadProtocolSet(buf, r.set, r.err, box);
    } catch (const std::exception&) {
        r.failed = true;
    }
    r.messages = box.texts();
    for (const auto& b : box.shown) {
        EXPECT_EQ(b.icon, MessageIcon::Error);
        EXPECT_EQ(b.buttons, MessageButtons::Ok);
    }
    return r;
}

// Offset of channel c's port table (1-based) in a file of that size.
qsizetype portTableOffset(qsizetype fileSize, int channel)
{
    return fileSize - (8 - channel + 1) * kChannelBlock + TChannelOptions::kSize;
}

// A file whose kind 1 holds one protocol with one step, given its value items.
QByteArray oneStepFile(const QString& cls, int valueCount, const std::function<void(ProtocolFileBytes&)>& values)
{
    ProtocolFileBytes f;
    f.i32(1).str("P").flag('N').i32(1).str(s(u"Шаг")).str(cls).flag('N');
    if (valueCount >= 0)
        f.i32(valueCount);
    values(f);
    f.emptyKinds().channels();
    return f.bytes();
}

} // namespace

TEST(ProtocolFile, DefaultFileBeginsWithTheKnownBytes)
{
    auto set = defaultSet();
    const QByteArray bytes = write(*set);
    const QByteArray head = test::defaultFileHead();
    ASSERT_EQ(head.size(), 90);
    EXPECT_EQ(bytes.left(90).toHex(' '), head.toHex(' '));
}

TEST(ProtocolFile, DefaultSetReadsBackEqualAndRewritesIdentically)
{
    auto set = defaultSet();
    const auto tablesBefore = set->PortTables;
    const QByteArray first = write(*set);
    ReadResult r = read(first);
    ASSERT_FALSE(r.failed);
    EXPECT_EQ(r.err, 0);
    EXPECT_TRUE(r.messages.isEmpty());
    EXPECT_EQ(r.set->Protocols.size(), set->Protocols.size());
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(r.set->Protocols[size_t(k)].size(), set->Protocols[size_t(k)].size());
    EXPECT_EQ(r.set->Channels, set->Channels);
    EXPECT_EQ(r.set->PortTables, tablesBefore);
    // The steps point into the new set's own registry.
    const TElementRec& step = r.set->Protocols[0].front().Elements.front();
    EXPECT_EQ(step.ClassDef, r.set->Registry->find(step.ClassDef->Name));
    EXPECT_EQ(step.Params.front().Def, &step.ClassDef->Params.front());

    r.set->PortTables = set->PortTables; // as the first save left them
    EXPECT_TRUE(sameContents(*r.set, *set));
    r.set->PortTables = tablesBefore;
    EXPECT_EQ(write(*r.set), first);
}

TEST(ProtocolFile, PortTableLagsOneSaveBehind)
{
    auto set = defaultSet();
    set->Channels[0].AdapterType = 3;
    set->Channels[0].PortAddr = 0x3F8;
    set->Channels[6].AdapterType = 9; // no table entry: nothing is stored
    set->Channels[6].PortAddr = 0x1234;

    const QByteArray first = write(*set);
    const qsizetype at = portTableOffset(first.size(), 1);
    EXPECT_EQ(first.mid(at, 20), QByteArray(20, '\0'));
    EXPECT_EQ(set->PortTables[0].Entries[3].PortAddr, 0x3F8);
    EXPECT_EQ(set->PortTables[0].Entries[0].PortAddr, 0);
    EXPECT_EQ(set->PortTables[6], TPortTable{});

    const QByteArray second = write(*set);
    // entry 3 = bytes 12..15: the unused word, then the port address
    EXPECT_EQ(second.mid(at, 20).toHex(), QByteArray("000000000000000000000000" "0000f803" "00000000"));
    EXPECT_EQ(second.mid(portTableOffset(second.size(), 7), 20), QByteArray(20, '\0'));
}

TEST(ProtocolFile, SlackBytesAndReservedBytesTravelWithTheRecord)
{
    auto set = defaultSet();
    TChannelOptions& o = set->Channels[1];
    o.AnswerBack.setText("ABCDEFGHIJKLMNOPQRST");
    o.AnswerBack.setText("XY"); // leaves C..T behind the length
    o.TlgHeader.bytes[100] = 0x5A;
    o.Sounds[4].WavFile.bytes[255] = 0x77;
    o.Counters.Reserved5 = 0x11;
    o.Counters.Reserved9 = {0x22, 0x33, 0x44};
    o.Counters.FullNumber = 0xBEEF;
    ReadResult r = read(write(*set));
    ASSERT_FALSE(r.failed);
    EXPECT_EQ(r.set->Channels[1], o);
    EXPECT_EQ(r.set->Channels[1].AnswerBack.text(), "XY");
    EXPECT_EQ(r.set->Channels[1].AnswerBack.bytes[3], 'C');
}

TEST(ProtocolFile, FlagsAreWrittenYOrNAndAnyOtherByteReadsAsZero)
{
    ProtocolFileBytes f;
    f.i32(3);
    f.str("P1").flag('X').i32(1).str("S1").str(s(u"Отбой")).flag('Y');
    f.str("P2").flag('Y').i32(1).str("S2").str(s(u"Отбой")).flag('y');
    f.str("P3").flag('N').i32(0);
    f.emptyKinds().channels();
    ReadResult r = read(f.bytes());
    ASSERT_FALSE(r.failed) << r.messages.join("|").toStdString();
    const auto& list = r.set->Protocols[0];
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].Name, "P1");
    EXPECT_EQ(list[0].Flag, 0);
    EXPECT_EQ(list[0].Elements[0].Flag, 1);
    EXPECT_EQ(list[1].Flag, 1);
    EXPECT_EQ(list[1].Elements[0].Flag, 0);
    EXPECT_TRUE(list[2].Elements.empty());

    QByteArray expected = f.bytes();
    expected[4 + 3] = 'N';                        // 'X' of P1
    expected[expected.indexOf("S2") + 2 + 1 + 5] = 'N'; // 'y' of S2, after its class name
    EXPECT_EQ(write(*r.set), expected);
}

TEST(ProtocolFile, TextsLongerThan255AreCut)
{
    auto set = defaultSet();
    TElementRec* step = nullptr;
    for (TElementRec& e : set->Protocols[0].front().Elements)
        if (e.Name == s(u"Передача преамбулы"))
            step = &e;
    ASSERT_NE(step, nullptr);
    step->Params[2].Value = QString(300, u'Щ');
    set->Protocols[1].front().Elements.front().Params[0].Value = QString(100, u'7');
    set->Protocols[2].front().Name = QString(260, u'Н');
    ReadResult r = read(write(*set));
    ASSERT_FALSE(r.failed);
    const TElementRec* back = r.set->Protocols[0].front().findStep(s(u"Передача преамбулы"));
    EXPECT_EQ(back->Params[2].Value, QString(255, u'Щ'));
    EXPECT_EQ(back->Params[2].Value2, QString(255, u'Щ'));
    EXPECT_EQ(back->Params[2].Value3, QString(255, u'Щ'));
    EXPECT_EQ(r.set->Protocols[1].front().Elements.front().Params[0].Value, QString(100, u'7'));
    EXPECT_EQ(r.set->Protocols[2].front().Name, QString(255, u'Н'));
}

TEST(ProtocolFile, ParameterBlocksOnlyForClassesWithParameters)
{
    int err = 0;
    test::FakeMessageBox box;
    auto set = std::make_unique<TProtocolSet>();
    set->Registry = BuildClassRegistry(err);
    TProtocolRec p = NewProtocol("P", {});
    p.Elements.push_back(*NewElement(*set->Registry, box, "A", s(u"Передача ЗАО"), {}));
    p.Elements.push_back(*NewElement(*set->Registry, box, "B", s(u"Пауза"), {})); // no values
    set->Protocols[2].push_back(std::move(p));
    set->Protocols[2].push_back(NewProtocol("Second", {}));

    const QByteArray bytes = write(*set);
    ProtocolFileBytes expected;
    expected.i32(0).i32(0).i32(2);
    expected.str("P").flag('N').i32(2);
    expected.str("A").str(s(u"Передача ЗАО")).flag('N');          // no block at all
    expected.str("B").str(s(u"Пауза")).flag('N').i32(0);         // an empty block
    expected.str("Second").flag('N').i32(0);
    expected.i32(0);
    EXPECT_EQ(bytes.left(expected.bytes().size()), expected.bytes());
    EXPECT_EQ(bytes.size(), expected.bytes().size() + 8 * kChannelBlock);

    ReadResult r = read(bytes);
    ASSERT_FALSE(r.failed);
    EXPECT_TRUE(r.set->Protocols[0].empty());
    ASSERT_EQ(r.set->Protocols[2].size(), 2u);
    EXPECT_EQ(r.set->Protocols[2][1].Name, "Second");
    EXPECT_TRUE(r.set->Protocols[2][0].Elements[1].Params.empty());
}

TEST(ProtocolFile, ValuesAreBoundByNameAndPutInDefinitionOrder)
{
    // "Ожидание подтверждения отбоя": Ожидание, Длительность, *Успех, *Неудача.
    const QByteArray bytes = oneStepFile(s(u"Ожидание подтверждения отбоя"), 4, [](ProtocolFileBytes& f) {
        f.value(s(u"Конец"), s(u"*Неудача"));
        f.value("300", s(u"Длительность"), 300, 1500);
        f.value(s(u"Начало"), s(u"*Успех"));
        f.value("10", s(u"Ожидание"), 3, 120);
    });
    ReadResult r = read(bytes);
    ASSERT_FALSE(r.failed) << r.messages.join("|").toStdString();
    const TElementRec& e = r.set->Protocols[0].front().Elements.front();
    ASSERT_EQ(e.Params.size(), 4u);
    const QStringList values = {e.Params[0].Value, e.Params[1].Value, e.Params[2].Value, e.Params[3].Value};
    EXPECT_EQ(values, QStringList({"10", "300", s(u"Начало"), s(u"Конец")}));
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(e.Params[i].Def, &e.ClassDef->Params[i]);
    EXPECT_EQ(e.Params[0].Min, 3);
    EXPECT_EQ(e.Params[0].Max, 120);
}

TEST(ProtocolFile, UnreadableFilesRaiseAfterTheirMessage)
{
    const QString pause = s(u"Пауза");
    struct Case {
        const char* what;
        QByteArray bytes;
        QStringList messages;
    };
    const QString unknownParam = QChar(3) + s(u"Задан отсутствующий параметр элемента ");
    const Case cases[] = {
        {"unknown class", oneStepFile("Pause", -1, [](ProtocolFileBytes&) {}),
         {s(u"Ошибка: Шаг Pause Задан отсутствующий класс элемента")}},
        {"unknown parameter",
         oneStepFile(pause, 1, [](ProtocolFileBytes& f) { f.value("100", s(u"Длина"), 0, 5000); }),
         {unknownParam + "100" + s(u"Длина")}},
        {"parameter case differs",
         oneStepFile(pause, 1, [](ProtocolFileBytes& f) { f.value("100", s(u"длительность"), 0, 5000); }),
         {unknownParam + "100" + s(u"длительность")}},
        {"a value missing",
         oneStepFile(s(u"Прием данных"), 1, [](ProtocolFileBytes& f) { f.value(s(u"Отбой"), s(u"*Отбой")); }),
         {unknownParam + s(u"Автоответчик")}},
        {"a value twice",
         oneStepFile(s(u"Прием данных"), 2,
                     [](ProtocolFileBytes& f) {
                         f.value(s(u"Отбой"), s(u"*Отбой"));
                         f.value("X", s(u"*Отбой"));
                     }),
         {unknownParam + "X" + s(u"*Отбой")}},
        {"negative protocol count", ProtocolFileBytes().i32(-1).emptyKinds().channels().bytes(), {}},
        {"negative step count", ProtocolFileBytes().i32(1).str("P").flag('N').i32(-5).emptyKinds().channels().bytes(), {}},
        {"negative value count", oneStepFile(pause, -2, [](ProtocolFileBytes&) {}), {}},
        {"empty", QByteArray(), {}},
        {"count without data", ProtocolFileBytes().i32(1000).bytes(), {}},
        {"cut inside a text", ProtocolFileBytes().i32(1).raw("\x0A" "abc").bytes(), {}},
        {"cut inside the records", ProtocolFileBytes().emptyKinds(4).channels().bytes().chopped(1), {}},
    };
    for (const Case& c : cases) {
        ReadResult r = read(c.bytes);
        EXPECT_TRUE(r.failed) << c.what;
        EXPECT_EQ(r.messages, c.messages) << c.what;
    }
    // A failing list also sets Err.
    EXPECT_EQ(read(cases[0].bytes).err, 1);
}

TEST(ProtocolFile, RecordsOutOfRangeAreSwitchedOff)
{
    TChannelOptions o = DefaultChannelOptions();
    o.AdapterType = 3;
    o.StationType = 2;
    const QByteArray good = o.toBytes();
    struct Case {
        quint32 adapter, station, expectedAdapter, expectedStation;
    };
    const Case cases[] = {
        {3, 2, 3, 2}, {4, 3, 4, 3}, {5, 1, 0, 1}, {0xFFFFFFFF, 1, 0, 1}, {2, 4, 0, 0}, {1, 77, 0, 0},
    };
    for (const Case& c : cases) {
        TChannelOptions bad = o;
        bad.AdapterType = c.adapter;
        bad.StationType = c.station;
        ProtocolFileBytes f;
        f.emptyKinds(4).channels(bad);
        ReadResult r = read(f.bytes());
        ASSERT_FALSE(r.failed);
        for (const TChannelOptions& ch : r.set->Channels) {
            EXPECT_EQ(ch.AdapterType, c.expectedAdapter) << c.adapter;
            EXPECT_EQ(ch.StationType, c.expectedStation) << c.station;
        }
        EXPECT_EQ(r.set->protocolOfChannel(1), nullptr); // the lists are empty
    }
}

TEST(ProtocolFile, LengthBytesAboveCapacityAreClampedInRecords)
{
    QByteArray rec = DefaultChannelOptions().toBytes();
    rec[12] = char(200);  // AnswerBack, capacity 20
    rec[544] = char(255); // TransmDir, capacity 79
    TChannelOptions o = TChannelOptions::fromBytes(rec);
    EXPECT_EQ(o.AnswerBack.bytes[0], 20);
    EXPECT_EQ(o.AnswerBack.text().size(), 20);
    EXPECT_EQ(o.TransmDir.bytes[0], 79);
    EXPECT_EQ(o.TransmDir.text().left(15), "C:\\MAIL2\\OUTGO1");
}

namespace {

// A device that takes nothing.
class RefusingDevice final : public QIODevice {
protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64) override { return -1; }
};

} // namespace

TEST(ProtocolFile, AFailingWriteRaises)
{
    auto set = defaultSet();
    RefusingDevice dev;
    dev.open(QIODevice::WriteOnly);
    EXPECT_THROW(WriteProtocolSet(dev, *set), ProtocolFileError);
}

TEST(ProtocolModel, ProtocolOfChannelAndStepNavigation)
{
    auto set = defaultSet();
    set->Channels[2].StationType = 3;
    EXPECT_EQ(set->protocolOfChannel(3), &set->Protocols[3].front());
    EXPECT_EQ(set->protocolOfChannel(1), &set->Protocols[0].front());
    EXPECT_EQ(set->protocolOfChannel(0), nullptr);
    EXPECT_EQ(set->protocolOfChannel(9), nullptr);
    set->Channels[4].StationType = 4;
    EXPECT_EQ(set->protocolOfChannel(5), nullptr);
    set->Protocols[1].clear();
    set->Channels[5].StationType = 1;
    EXPECT_EQ(set->protocolOfChannel(6), nullptr);

    const TProtocolRec& p = set->Protocols[0].front();
    EXPECT_EQ(p.stepAfter(&p.Elements[0]), &p.Elements[1]);
    EXPECT_EQ(p.stepAfter(&p.Elements.back()), nullptr);
    EXPECT_EQ(p.stepAfter(nullptr), nullptr);
}
