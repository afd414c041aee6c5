#include "support/NumberLists.h"

#include <gtest/gtest.h>

using namespace korvane;

namespace {

// An attached object that reports its destruction.
class TrackedObject : public NumberListObject {
public:
    TrackedObject(int id, std::vector<int>& destroyed) : id(id), m_destroyed(destroyed) {}
    ~TrackedObject() override { m_destroyed.push_back(id); }
    int id;

private:
    std::vector<int>& m_destroyed;
};

class NumberListTest : public testing::Test {
protected:
    std::unique_ptr<TrackedObject> obj(int id) { return std::make_unique<TrackedObject>(id, destroyed); }
    std::vector<int> destroyed;
};

TEST_F(NumberListTest, KeepsOrderAndDuplicatesAndFindsTheFirstIgnoringCase)
{
    NumberList list;
    EXPECT_EQ(list.Add("734512", obj(1)), 0);
    EXPECT_EQ(list.Add("tlx-Ab", obj(2)), 1);
    EXPECT_EQ(list.Add("TLX-AB", obj(3)), 2);
    EXPECT_EQ(list.Add("100", obj(4)), 3);

    EXPECT_EQ(list.Count(), 4);
    EXPECT_EQ(list.Number(2), "TLX-AB");
    EXPECT_EQ(list.IndexOf("TLX-ab"), 1);
    EXPECT_EQ(list.IndexOf("100"), 3);
    EXPECT_EQ(list.IndexOf("10"), -1);
    EXPECT_EQ(list.ObjectAs<TrackedObject>(2)->id, 3);
}

TEST_F(NumberListTest, AnEntrysObjectLivesExactlyAsLongAsTheEntry)
{
    {
        NumberList list;
        list.Add("1", obj(1));
        list.Add("2", obj(2));
        list.Add("3", obj(3));
        list.Delete(1);
        EXPECT_EQ(destroyed, std::vector<int>({2}));
        EXPECT_EQ(list.Number(1), "3");
        EXPECT_EQ(list.ObjectAs<TrackedObject>(1)->id, 3);
        list.Clear();
        EXPECT_EQ(destroyed, std::vector<int>({2, 1, 3}));
        EXPECT_TRUE(list.IsEmpty());
        list.Add("4", obj(4));
    }
    EXPECT_EQ(destroyed, std::vector<int>({2, 1, 3, 4}));
}

TEST_F(NumberListTest, HoldsAtMost32767Entries)
{
    NumberList list;
    for (int i = 0; i < NumberList::MaxCount; ++i)
        ASSERT_EQ(list.Add(QString::number(i), nullptr), i);
    EXPECT_EQ(list.Add("full", obj(7)), -1);
    EXPECT_EQ(list.Count(), 32767);
    EXPECT_EQ(list.IndexOf("full"), -1);
    EXPECT_EQ(destroyed, std::vector<int>({7}));
    list.Delete(0);
    EXPECT_EQ(list.Add("room", nullptr), 32766);
}

class NumberListsTest : public NumberListTest {
protected:
    ScopedNumberLists lists;
};

TEST_F(NumberListsTest, ScopedListsPublishTheGlobalsForTheirLifetime)
{
    ASSERT_NE(UnsuccNumbers, nullptr);
    ASSERT_NE(BadNumbers, nullptr);
    EXPECT_NE(UnsuccNumbers, BadNumbers);
    EXPECT_TRUE(UnsuccNumbers->IsEmpty());
    EXPECT_TRUE(BadNumbers->IsEmpty());
}

TEST(ScopedNumberLists, GlobalsAreNullAndObjectsFreedAfterwards)
{
    std::vector<int> destroyed;
    {
        ScopedNumberLists lists;
        UnsuccNumbers->Add("1", std::make_unique<TrackedObject>(1, destroyed));
        BadNumbers->Add("2", std::make_unique<TrackedObject>(2, destroyed));
    }
    EXPECT_EQ(UnsuccNumbers, nullptr);
    EXPECT_EQ(BadNumbers, nullptr);
    EXPECT_EQ(destroyed.size(), 2u);
    ScopedNumberLists next;
    EXPECT_TRUE(UnsuccNumbers->IsEmpty());
}

TEST_F(NumberListsTest, RemovingANumberOnNeitherListChangesNothing)
{
    UnsuccNumbers->Add("111", obj(1));
    BadNumbers->Add("222", obj(2));
    RemoveNumberFromLists("333");
    EXPECT_EQ(UnsuccNumbers->Count(), 1);
    EXPECT_EQ(BadNumbers->Count(), 1);
    EXPECT_TRUE(destroyed.empty());
    EXPECT_FALSE(ListsBusy);
}

TEST_F(NumberListsTest, RemovingANumberOnBothListsRemovesItFromBoth)
{
    UnsuccNumbers->Add("111", obj(1));
    UnsuccNumbers->Add("AB-5", obj(2));
    BadNumbers->Add("ab-5", obj(3));
    BadNumbers->Add("222", obj(4));
    RemoveNumberFromLists("Ab-5");
    ASSERT_EQ(UnsuccNumbers->Count(), 1);
    ASSERT_EQ(BadNumbers->Count(), 1);
    EXPECT_EQ(UnsuccNumbers->Number(0), "111");
    EXPECT_EQ(BadNumbers->Number(0), "222");
    EXPECT_EQ(destroyed, std::vector<int>({2, 3}));
    EXPECT_FALSE(ListsBusy);
}

TEST_F(NumberListsTest, RemovesAtMostOneEntryFromEachList)
{
    UnsuccNumbers->Add("5", obj(1));
    UnsuccNumbers->Add("5", obj(2));
    BadNumbers->Add("5", obj(3));
    RemoveNumberFromLists("5");
    ASSERT_EQ(UnsuccNumbers->Count(), 1);
    EXPECT_EQ(UnsuccNumbers->ObjectAs<TrackedObject>(0)->id, 2);
    EXPECT_TRUE(BadNumbers->IsEmpty());
}

TEST(RemoveNumberFromLists, WithoutListsDoesNothingAndFreesTheFlag)
{
    ASSERT_EQ(UnsuccNumbers, nullptr);
    RemoveNumberFromLists("5");
    EXPECT_FALSE(ListsBusy);
}

TEST(ListsBusyLock, HoldsTheFlagForItsLifetime)
{
    EXPECT_FALSE(ListsBusy);
    {
        const ListsBusyLock lock;
        EXPECT_TRUE(ListsBusy);
    }
    EXPECT_FALSE(ListsBusy);
}

} // namespace
