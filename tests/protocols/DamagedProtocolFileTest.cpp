// Damaged protocol files: truncations inside every kind of item and a few
// thousand seeded mutations of the default file go through the reader (and a sample through
// the store). A damaged file either reads as a consistent set that survives
// a save and a new read unchanged, or fails with at most the reader's own
// message; the store then keeps the damaged file aside and goes on with the
// defaults.

#include "platform/CodePages.h"
#include "protocols/DefaultProtocols.h"
#include "protocols/LittleEndian.h"
#include "protocols/ProtocolFile.h"
#include "protocols/TxProtoc.h"

#include "tests/fakes/FakeClock.h"
#include "tests/fakes/FakeMessageBox.h"
#include "tests/fakes/TestFiles.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

using namespace korvane;

namespace {

QString s(const char16_t* t) { return QString::fromUtf16(t); }

constexpr qsizetype kChannelBlock = TChannelOptions::kSize + TPortTable::kSize;
constexpr qsizetype kChannelArea = 8 * kChannelBlock;

std::unique_ptr<TProtocolSet> defaultSet()
{
    test::FakeMessageBox box;
    int err = 0;
    return BuildDefaultProtocolSet(err, box);
}

// The file bytes of Set, with Set's port tables left as they were before
// the save (the writer moves each record's port address into them).
QByteArray bytesOf(TProtocolSet& set)
{
    const auto tables = set.PortTables;
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    WriteProtocolSet(buf, set);
    set.PortTables = tables;
    return bytes;
}

// The default set with each protocol cut down to every eighth step and the
// steps of classes without parameters: the same structure in a file whose
// protocol lists read several times faster.
const QByteArray& thinnedDefaultBytes()
{
    static const QByteArray bytes = [] {
        auto set = defaultSet();
        for (auto& list : set->Protocols)
            for (TProtocolRec& p : list) {
                std::vector<TElementRec> kept;
                for (size_t i = 0; i < p.Elements.size(); ++i)
                    if (i % 8 == 0 || p.Elements[i].ClassDef->Params.empty())
                        kept.push_back(p.Elements[i]);
                p.Elements = std::move(kept);
            }
        return bytesOf(*set);
    }();
    return bytes;
}

const QByteArray& defaultBytes()
{
    static const QByteArray bytes = [] {
        auto set = defaultSet();
        return bytesOf(*set);
    }();
    return bytes;
}

struct ReadOutcome {
    std::unique_ptr<TProtocolSet> set;
    int err = -1;
    bool failed = false;
    test::FakeMessageBox box;
};

void readInto(const QByteArray& bytes, ReadOutcome& out)
{
    QByteArray copy = bytes;
    QBuffer buf(&copy);
    buf.open(QIODevice::ReadOnly);
    try {
        ReadProtocolSet(buf, out.set, out.err, out.box);
    } catch (const std::exception&) {
        out.failed = true;
    }
}

// Where the items of a well-formed file lie: offsets of the i32 counts, of
// the length bytes of the texts, and of the flag bytes; and where the
// channel blocks begin.
struct FileMap {
    std::vector<qsizetype> counts;
    std::vector<qsizetype> lengths;
    std::vector<qsizetype> flags;
    qsizetype channelsAt = 0;
};

FileMap mapOf(const QByteArray& bytes)
{
    int err = 0;
    const auto registry = BuildClassRegistry(err);
    FileMap map;
    qsizetype at = 0;
    auto count = [&] {
        map.counts.push_back(at);
        qint32 n = 0;
        std::memcpy(&n, bytes.constData() + at, 4); // little-endian host
        at += 4;
        return n;
    };
    auto text = [&] {
        map.lengths.push_back(at);
        const qsizetype len = quint8(bytes[at]);
        const QByteArray b = bytes.mid(at + 1, len);
        at += 1 + len;
        return codepage::fromCp1251(b);
    };
    auto flag = [&] { map.flags.push_back(at++); };
    for (int kind = 0; kind < 4; ++kind) {
        for (qint32 p = count(); p > 0; --p) {
            text();
            flag();
            for (qint32 e = count(); e > 0; --e) {
                text();
                const TElementClassDef* cls = registry->find(text());
                flag();
                if (cls == nullptr)
                    ADD_FAILURE() << "the map met an unknown class at " << at;
                if (cls && !cls->Params.empty()) {
                    for (qint32 v = count(); v > 0; --v) {
                        text();
                        text();
                        text();
                        at += 16;
                    }
                }
            }
        }
    }
    map.channelsAt = at;
    return map;
}

bool hasNaN(const TProtocolSet& set)
{
    for (const auto& list : set.Protocols)
        for (const TProtocolRec& p : list)
            for (const TElementRec& e : p.Elements)
                for (const TParamValue& v : e.Params)
                    if (std::isnan(v.Min) || std::isnan(v.Max))
                        return true;
    return false;
}

// What a read of the file shows: nothing, one unknown-class box or one
// unknown-parameter box, each an error box with OK.
::testing::AssertionResult onlyReaderMessages(const test::FakeMessageBox& box)
{
    if (box.shown.size() > 1)
        return ::testing::AssertionFailure() << box.shown.size() << " boxes: "
                                             << box.texts().join(" | ").toStdString();
    for (const auto& b : box.shown) {
        const bool unknownClass = b.text.startsWith(s(u"Ошибка: "))
            && b.text.endsWith(s(u" Задан отсутствующий класс элемента"));
        const bool unknownParam = b.text.startsWith(QChar(3) + s(u"Задан отсутствующий параметр элемента "));
        if (!(unknownClass || unknownParam) || b.icon != MessageIcon::Error || b.buttons != MessageButtons::Ok)
            return ::testing::AssertionFailure() << "unexpected box: " << b.text.toStdString();
    }
    return ::testing::AssertionSuccess();
}

// A set read without failure: every step bound to the set's own registry,
// its values one per definition in the definitions' order, the records in
// range; written and read again it comes back the same, and writes the same
// bytes.
::testing::AssertionResult consistentAndStable(TProtocolSet& set)
{
    for (const auto& list : set.Protocols)
        for (const TProtocolRec& p : list)
            for (const TElementRec& e : p.Elements) {
                if (!e.ClassDef || e.ClassDef != set.Registry->find(e.ClassDef->Name))
                    return ::testing::AssertionFailure() << "a step without its class: " << e.Name.toStdString();
                if (e.Flag > 1)
                    return ::testing::AssertionFailure() << "flag " << int(e.Flag);
                if (!e.Params.empty() && e.Params.size() != e.ClassDef->Params.size())
                    return ::testing::AssertionFailure() << "values do not match the definitions";
                for (size_t i = 0; i < e.Params.size(); ++i)
                    if (e.Params[i].Def != &e.ClassDef->Params[i])
                        return ::testing::AssertionFailure() << "value " << i << " bound elsewhere";
            }
    for (const TChannelOptions& o : set.Channels) {
        if (o.AdapterType >= kAdapterTypeCount || o.StationType >= kStationTypeCount)
            return ::testing::AssertionFailure() << "record out of range";
        if (o.AnswerBack.bytes[0] > 20 || o.TlgHeader.bytes[0] > 100 || o.TransmDir.bytes[0] > 79)
            return ::testing::AssertionFailure() << "a length above its field";
    }

    const QByteArray written = bytesOf(set);
    ReadOutcome again;
    readInto(written, again);
    if (again.failed || again.err != 0 || !again.box.shown.isEmpty())
        return ::testing::AssertionFailure() << "a written set does not read back";
    if (bytesOf(*again.set) != written)
        return ::testing::AssertionFailure() << "the set read back writes other bytes";
    // The file holds each value once more as Value2; the writer repeats
    // Value there, so a set read back has Value2 = Value3 = Value.
    for (auto& list : set.Protocols)
        for (TProtocolRec& p : list)
            for (TElementRec& e : p.Elements)
                for (TParamValue& v : e.Params)
                    v.Value2 = v.Value3 = v.Value;
    if (!hasNaN(set) && !sameContents(*again.set, set))
        return ::testing::AssertionFailure() << "the set read back differs";
    return ::testing::AssertionSuccess();
}

// One seeded change of a well-formed file.
struct Mutation {
    std::string what;
    QByteArray bytes;
};

enum class Damage {
    Flip,        // bits of one byte flipped, mostly in the protocol lists
    ManyFlips,   // several bytes set to anything, anywhere
    Flag,        // a flag byte set to anything
    Length,      // a text's length byte set to 0, 255 or anything
    Count,       // a count set to 0, 1, -1, the extremes, large or random
    CountNear,   // a count off by up to two
    Insert,      // one to eight bytes inserted
    Delete,      // one to eight bytes deleted
};

class Mutator {
public:
    Mutator(const QByteArray& base, std::uint32_t seed)
        : m_base(base)
        , m_map(mapOf(base))
        , m_rng(seed)
    {
    }

    Mutation next(std::initializer_list<Damage> kinds)
    {
        const Damage kind = kinds.begin()[pick(kinds.size())];
        QByteArray b = m_base;
        switch (kind) {
        case Damage::Flip: {
            const qsizetype at = position();
            b[at] = char(b[at] ^ char(1 + pick(255)));
            return {"flip at " + std::to_string(at), b};
        }
        case Damage::ManyFlips: {
            std::string what = "bytes set at";
            for (int n = 2 + int(pick(6)); n > 0; --n) {
                const qsizetype at = qsizetype(pick(size_t(b.size())));
                b[at] = char(pick(256));
                what += " " + std::to_string(at);
            }
            return {what, b};
        }
        case Damage::Flag: {
            const qsizetype at = any(m_map.flags);
            b[at] = char(pick(256));
            return {"flag at " + std::to_string(at), b};
        }
        case Damage::Length: {
            const qsizetype at = any(m_map.lengths);
            const int v = std::array{0, 255, int(pick(256))}[pick(3)];
            b[at] = char(v);
            return {"length " + std::to_string(v) + " at " + std::to_string(at), b};
        }
        case Damage::Count: {
            const qsizetype at = any(m_map.counts);
            const qint32 values[] = {0, 1, -1, std::numeric_limits<qint32>::min(),
                                     std::numeric_limits<qint32>::max(), 0x10000, 1000, qint32(m_rng())};
            const qint32 v = values[pick(std::size(values))];
            std::memcpy(b.data() + at, &v, 4);
            return {"count " + std::to_string(v) + " at " + std::to_string(at), b};
        }
        case Damage::CountNear: {
            const qsizetype at = any(m_map.counts);
            qint32 v = 0;
            std::memcpy(&v, b.constData() + at, 4);
            v += qint32(pick(5)) - 2;
            std::memcpy(b.data() + at, &v, 4);
            return {"count " + std::to_string(v) + " at " + std::to_string(at), b};
        }
        case Damage::Insert: {
            const qsizetype at = position();
            QByteArray extra;
            for (int n = 1 + int(pick(8)); n > 0; --n)
                extra.append(char(pick(256)));
            b.insert(at, extra);
            return {"insert " + std::to_string(extra.size()) + " at " + std::to_string(at), b};
        }
        case Damage::Delete: {
            const qsizetype at = position();
            const qsizetype n = 1 + qsizetype(pick(8));
            b.remove(at, n);
            return {"delete " + std::to_string(n) + " at " + std::to_string(at), b};
        }
        }
        return {"none", b};
    }

private:
    size_t pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(m_rng); }
    qsizetype any(const std::vector<qsizetype>& offsets) { return offsets[pick(offsets.size())]; }
    // Four times in five inside the protocol lists, else in the records.
    qsizetype position()
    {
        if (pick(5) != 0)
            return qsizetype(pick(size_t(m_map.channelsAt)));
        return m_map.channelsAt + qsizetype(pick(size_t(kChannelArea)));
    }

    QByteArray m_base;
    FileMap m_map;
    std::mt19937 m_rng;
};

struct SweepCount {
    int readable = 0;
    int unreadable = 0;
};

// Reads Rounds mutations of the thinned default file: each either reads as
// a consistent, stable set without a message, or fails with at most the
// reader's own message (and Err = 1 when it showed one).
SweepCount sweep(std::uint32_t seed, std::initializer_list<Damage> kinds, int rounds)
{
    Mutator mutator(thinnedDefaultBytes(), seed);
    SweepCount n;
    for (int i = 0; i < rounds && !::testing::Test::HasFailure(); ++i) {
        const Mutation m = mutator.next(kinds);
        ReadOutcome r;
        readInto(m.bytes, r);
        EXPECT_TRUE(onlyReaderMessages(r.box)) << m.what;
        if (r.failed) {
            ++n.unreadable;
            if (!r.box.shown.isEmpty()) {
                EXPECT_EQ(r.err, 1) << m.what;
            }
            continue;
        }
        ++n.readable;
        EXPECT_EQ(r.err, 0) << m.what;
        EXPECT_TRUE(r.box.shown.isEmpty()) << m.what;
        EXPECT_NE(r.set, nullptr) << m.what;
        if (r.set) {
            EXPECT_TRUE(consistentAndStable(*r.set)) << m.what;
        }
    }
    return n;
}

} // namespace

TEST(DamagedProtocolFile, TheMapOfTheDefaultFileEndsWhereTheRecordsBegin)
{
    for (const QByteArray* bytes : {&defaultBytes(), &thinnedDefaultBytes()}) {
        const FileMap map = mapOf(*bytes);
        EXPECT_EQ(map.channelsAt + kChannelArea, bytes->size());
        EXPECT_EQ(map.counts.front(), 0);
        EXPECT_EQ(map.lengths.front(), 4);
        EXPECT_EQ(map.flags.front(), 15);
    }
    EXPECT_LT(thinnedDefaultBytes().size(), defaultBytes().size());
}

// A cut inside an item fails at the same check wherever it falls, so the
// sweep takes every length through the first steps of the file and, for the
// rest, the first two bytes of every sixth item and the edges of every block.
TEST(DamagedProtocolFile, EveryTruncationFailsWithoutAMessage)
{
    const QByteArray& whole = defaultBytes();
    const FileMap map = mapOf(whole);
    std::vector<qsizetype> lengths;
    for (qsizetype n = 0; n < 400; ++n)
        lengths.push_back(n);
    std::vector<qsizetype> items;
    items.insert(items.end(), map.counts.begin(), map.counts.end());
    items.insert(items.end(), map.lengths.begin(), map.lengths.end());
    items.insert(items.end(), map.flags.begin(), map.flags.end());
    std::sort(items.begin(), items.end());
    for (size_t i = 0; i < items.size(); i += 6) { // every sixth item, of every kind
        lengths.push_back(items[i]);
        lengths.push_back(items[i] + 1);
    }
    for (int c = 0; c < 8; ++c) {
        const qsizetype block = map.channelsAt + c * kChannelBlock;
        for (qsizetype n : {block, block + 1, block + TChannelOptions::kSize - 1, block + TChannelOptions::kSize,
                            block + TChannelOptions::kSize + 1, block + kChannelBlock - 1})
            lengths.push_back(n);
    }
    for (const qsizetype n : lengths) {
        ReadOutcome r;
        readInto(whole.left(n), r);
        EXPECT_TRUE(r.failed) << "length " << n;
        if (n < map.channelsAt) { // a protocol list failed
            EXPECT_EQ(r.err, 1) << "length " << n;
        }
        EXPECT_TRUE(r.box.shown.isEmpty()) << "length " << n << ": " << r.box.texts().join("|").toStdString();
        if (::testing::Test::HasFailure())
            break;
    }
    ReadOutcome full;
    readInto(whole, full);
    EXPECT_FALSE(full.failed);
}

TEST(DamagedProtocolFile, FlippedBytesReadConsistentlyOrFailWithTheReadersOwnMessage)
{
    const SweepCount n = sweep(20240611u, {Damage::Flip, Damage::ManyFlips, Damage::Flag}, 600);
    EXPECT_GT(n.readable, 0);
    EXPECT_GT(n.unreadable, 0);
}

TEST(DamagedProtocolFile, TextLengthsAtTheirLimitsReadConsistentlyOrFailWithTheReadersOwnMessage)
{
    const SweepCount n = sweep(611u, {Damage::Length}, 1500);
    EXPECT_GT(n.unreadable, 0);
}

TEST(DamagedProtocolFile, WrongCountsReadConsistentlyOrFailWithTheReadersOwnMessage)
{
    const SweepCount n = sweep(4242u, {Damage::Count, Damage::CountNear}, 1200);
    EXPECT_GT(n.unreadable, 0);
}

TEST(DamagedProtocolFile, InsertedOrDeletedBytesReadConsistentlyOrFailWithTheReadersOwnMessage)
{
    const SweepCount n = sweep(1337u, {Damage::Insert, Damage::Delete}, 1200);
    EXPECT_GT(n.readable, 0);
    EXPECT_GT(n.unreadable, 0);
}

TEST(DamagedProtocolFile, RandomRecordsReadClampedAndWriteBackTheSameBytes)
{
    // Offsets and capacities of the short strings that can hold a length
    // above their capacity (the 255-character ones cannot).
    struct Field {
        qsizetype at;
        quint8 capacity;
    };
    const Field fields[] = {{12, 20}, {33, 100}, {144, 79}, {224, 79}, {304, 79}, {384, 79}, {464, 79}, {544, 79}};
    std::mt19937 rng(7u);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int i = 0; i < 300; ++i) {
        QByteArray raw(TChannelOptions::kSize + 3, '\0');
        for (char& c : raw)
            c = char(byte(rng));
        const TChannelOptions o = TChannelOptions::fromBytes(raw);

        QByteArray expected = raw.left(TChannelOptions::kSize);
        for (const Field& f : fields)
            expected[f.at] = char(std::min<int>(quint8(expected[f.at]), f.capacity));
        EXPECT_EQ(o.toBytes(), expected) << "record " << i;
        EXPECT_EQ(o.AnswerBack.text().size(), std::min<int>(quint8(raw[12]), 20));
        EXPECT_EQ(TChannelOptions::fromBytes(o.toBytes()), o);

        LittleEndianReader tableReader(QByteArrayView(raw).first(TPortTable::kSize));
        const TPortTable t = TPortTable::readFrom(tableReader);
        QByteArray tableBytes;
        LittleEndianWriter w(tableBytes);
        t.writeTo(w);
        EXPECT_EQ(tableBytes, raw.left(TPortTable::kSize));
        if (::testing::Test::HasFailure())
            break;
    }
    // A record one byte short is not taken at all.
    EXPECT_THROW(TChannelOptions::fromBytes(QByteArray(TChannelOptions::kSize - 1, 'A')), ReadPastEndError);
    LittleEndianReader shortTable(QByteArrayView("0123456789012345678", TPortTable::kSize - 1));
    EXPECT_THROW(TPortTable::readFrom(shortTable), ReadPastEndError);
}

namespace {

class DamagedProtocolStore : public ::testing::Test {
protected:
    DamagedProtocolStore()
        : store(box, clock)
    {
        store.SetProName(dir.filePath("KORVANE2.PRO"));
        store.SetIniName(dir.filePath("KORVANE2.INI"));
    }

    void put(const QByteArray& bytes)
    {
        QDir(dir.path()).removeRecursively();
        QDir().mkpath(dir.path());
        QFile f(store.ProName());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }

    static QByteArray contents(const QString& path)
    {
        return korvane::test::ReadFileBytes(path);
    }

    // One damaged file through LoadFrom: a readable one is taken as it
    // reads and left alone; an unreadable one gives the reader's message (if
    // any) and the store's, is kept aside whole, and the defaults take its
    // place in the file and in the set.
    void load(const Mutation& m)
    {
        SCOPED_TRACE(m.what);
        put(m.bytes);
        box.shown.clear();
        ReadOutcome direct;
        readInto(m.bytes, direct);

        std::unique_ptr<TProtocolSet> set;
        ASSERT_TRUE(store.LoadFrom(set));
        ASSERT_NE(set, nullptr);
        if (!direct.failed) {
            EXPECT_TRUE(box.shown.isEmpty()) << box.texts().join("|").toStdString();
            EXPECT_EQ(contents(store.ProName()), m.bytes);
            for (int c = 0; c < 8; ++c)
                direct.set->Channels[size_t(c)].Counters = set->Channels[size_t(c)].Counters;
            EXPECT_TRUE(sameContents(*set, *direct.set));
            return;
        }
        QStringList expected = direct.box.texts();
        expected << s(u"Ошибка чтения из файла протоколов ") + u'\r' + store.ProName();
        EXPECT_EQ(box.texts(), expected);
        EXPECT_EQ(contents(store.ProName() + ".BAD"), m.bytes);
        EXPECT_EQ(contents(store.ProName()), defaultBytes());
        auto defaults = defaultSet();
        for (int c = 0; c < 8; ++c)
            defaults->Channels[size_t(c)].Counters = set->Channels[size_t(c)].Counters;
        defaults->PortTables = set->PortTables;
        EXPECT_TRUE(sameContents(*set, *defaults));
    }

    QTemporaryDir dir;
    test::FakeMessageBox box;
    test::FakeClock clock;
    TProtocol store;
};

} // namespace

TEST_F(DamagedProtocolStore, TruncatedFilesAreKeptAsideAndReplacedByTheDefaults)
{
    const QByteArray& whole = defaultBytes();
    const qsizetype channelsAt = mapOf(whole).channelsAt;
    for (const qsizetype n : {qsizetype(0), qsizetype(1), qsizetype(4), qsizetype(5), qsizetype(90),
                              channelsAt / 2, channelsAt - 1, channelsAt, channelsAt + 1,
                              channelsAt + kChannelBlock, whole.size() - 1}) {
        load({"length " + std::to_string(n), whole.left(n)});
        if (HasFailure())
            break;
    }
}

TEST_F(DamagedProtocolStore, MutatedFilesAreTakenAsTheyReadOrReplacedByTheDefaults)
{
    Mutator mutator(thinnedDefaultBytes(), 99u);
    for (int i = 0; i < 150 && !HasFailure(); ++i)
        load(mutator.next({Damage::Flip, Damage::ManyFlips, Damage::Length, Damage::Count, Damage::Insert,
                           Damage::Delete}));
}
