#include "engine/ChannelKeyRing.h"

#include <QString>

#include <gtest/gtest.h>

#include <thread>

using namespace korvane;

namespace {

QString TakeAll(ChannelKeyRing& ring)
{
    QString out;
    while (const auto key = ring.Take())
        out.append(*key);
    return out;
}

QString Letters(int count)
{
    QString s;
    for (int i = 0; i < count; ++i)
        s.append(QChar(u'A' + i % 26));
    return s;
}

} // namespace

TEST(ChannelKeyRing, KeysComeOutInTheOrderTheyWentIn)
{
    ChannelKeyRing ring;
    EXPECT_TRUE(ring.IsEmpty());
    EXPECT_FALSE(ring.Take().has_value());
    ASSERT_TRUE(ring.Put(u"ПРИВЕТ"));
    ASSERT_TRUE(ring.Put(QChar(u'1')));
    EXPECT_EQ(ring.Count(), 7);
    EXPECT_EQ(TakeAll(ring), QStringLiteral("ПРИВЕТ1"));
    EXPECT_TRUE(ring.IsEmpty());
}

TEST(ChannelKeyRing, BothPositionsWrapToTheStartAtTheEnd)
{
    ChannelKeyRing ring;
    // Walk both positions to the last slot.
    for (int i = 0; i < ChannelKeyRing::Size - 1; ++i) {
        ASSERT_TRUE(ring.Put(QChar(u'x')));
        ASSERT_TRUE(ring.Take().has_value());
    }
    EXPECT_EQ(ring.WritePosition(), 31);
    EXPECT_EQ(ring.ReadPosition(), 31);

    ASSERT_TRUE(ring.Put(u"\r\nZ"));
    // The carriage return takes the last slot, the line feed the first.
    EXPECT_EQ(ring.WritePosition(), 2);
    EXPECT_EQ(ring.Take(), QChar(u'\r'));
    EXPECT_EQ(ring.ReadPosition(), 0);
    EXPECT_EQ(ring.Take(), QChar(u'\n'));
    EXPECT_EQ(ring.Take(), QChar(u'Z'));
    EXPECT_EQ(ring.ReadPosition(), 2);
    EXPECT_TRUE(ring.IsEmpty());
}

TEST(ChannelKeyRing, AFullRingRefusesKeysAndKeepsTheWaitingOnes)
{
    ChannelKeyRing ring;
    const QString waiting = Letters(ChannelKeyRing::Size - 1);
    ASSERT_TRUE(ring.Put(waiting));
    EXPECT_EQ(ring.Free(), 0);
    EXPECT_FALSE(ring.Put(QChar(u'!')));
    EXPECT_EQ(TakeAll(ring), waiting);

    // Once the driver has taken one, one more fits.
    ASSERT_TRUE(ring.Put(waiting));
    ASSERT_TRUE(ring.Take().has_value());
    EXPECT_TRUE(ring.Put(QChar(u'!')));
    EXPECT_FALSE(ring.Put(QChar(u'?')));
    EXPECT_EQ(TakeAll(ring), waiting.mid(1) + u'!');
}

TEST(ChannelKeyRing, KeysThatDoNotAllFitAreAllRefused)
{
    ChannelKeyRing ring;
    ASSERT_TRUE(ring.Put(Letters(29)));
    EXPECT_FALSE(ring.Put(u"123"));
    EXPECT_EQ(ring.Count(), 29);
    EXPECT_TRUE(ring.Put(u"12"));
    EXPECT_EQ(TakeAll(ring), Letters(29) + QStringLiteral("12"));
}

TEST(ChannelKeyRing, ClearDropsWaitingKeysAndRewindsBothPositions)
{
    ChannelKeyRing ring;
    ASSERT_TRUE(ring.Put(u"ABCDE"));
    ASSERT_TRUE(ring.Take().has_value());
    ring.Clear();
    EXPECT_TRUE(ring.IsEmpty());
    EXPECT_EQ(ring.ReadPosition(), 0);
    EXPECT_EQ(ring.WritePosition(), 0);
    ASSERT_TRUE(ring.Put(QChar(u'Q')));
    EXPECT_EQ(TakeAll(ring), QStringLiteral("Q"));
}

TEST(ChannelKeyRing, AReaderOnAnotherThreadGetsEveryKeyOnceInOrder)
{
    ChannelKeyRing ring;
    constexpr int total = 5000;
    QString received;
    std::thread reader([&] {
        while (received.size() < total) {
            if (const auto key = ring.Take())
                received.append(*key);
            else
                std::this_thread::yield();
        }
    });
    QString sent;
    for (int i = 0; i < total; ++i) {
        const QChar key(u'0' + i % 10);
        while (!ring.Put(key))
            std::this_thread::yield();
        sent.append(key);
    }
    reader.join();
    EXPECT_EQ(received, sent);
}
