// Interval algebra, Tab tables and the host string.
#include <gtest/gtest.h>

#include <stdexcept>

#include "assert1.h"
#include "host/diagnostics.h"
#include "interval.h"
#include "strclass.h"
#include "tab.h"

namespace {

TEST(Interval, ForeverNeverAndMembership)
{
    Interval forever = FOREVER, never = NEVER;
    EXPECT_FALSE(forever.Empty());
    EXPECT_TRUE(never.Empty());
    EXPECT_TRUE(forever.InInterval(0));
    EXPECT_TRUE(forever.InInterval(TIME_NegInfinity));
    EXPECT_TRUE(forever.InInterval(TIME_PosInfinity));
    // The empty interval contains no time, not even the time its ends sit at.
    EXPECT_FALSE(never.InInterval(TIME_NegInfinity));
    EXPECT_FALSE(never.InInterval(0));
    Interval i(10, 20);
    EXPECT_TRUE(i.InInterval(10));
    EXPECT_TRUE(i.InInterval(20));
    EXPECT_FALSE(i.InInterval(21));
    EXPECT_EQ(i.Start(), 10);
    EXPECT_EQ(i.End(), 20);
    EXPECT_EQ(Interval(20, 10), i) << "ends given in reverse order are sorted";
    i.SetInfinite();
    EXPECT_EQ(i, forever);
    i.SetEmpty();
    EXPECT_EQ(i, never);
    EXPECT_TRUE(Interval().Empty()) << "a default interval is empty";
}

TEST(Interval, Intersection)
{
    Interval a(0, 100);
    a &= Interval(50, 200);
    EXPECT_EQ(a, Interval(50, 100));
    a &= FOREVER;
    EXPECT_EQ(a, Interval(50, 100));
    Interval disjoint(0, 10);
    disjoint &= Interval(11, 20);
    EXPECT_TRUE(disjoint.Empty());
    Interval touching(0, 10);
    touching &= Interval(10, 20);
    EXPECT_EQ(touching, Interval(10, 10));
    Interval b = FOREVER;
    b &= NEVER;
    EXPECT_TRUE(b.Empty());
    Interval c = NEVER;
    c &= FOREVER;
    EXPECT_TRUE(c.Empty()) << "nothing widens an empty interval by intersection";
    EXPECT_TRUE(Interval(TIME_NegInfinity, 5).InInterval(Interval(0, 5)));
    EXPECT_FALSE(Interval(0, 5).InInterval(Interval(0, 6)));
}

struct TabFault : std::runtime_error {
    int index, count;
    TabFault(int i, int c) : std::runtime_error("tab index"), index(i), count(c) { }
};

[[noreturn]] void ThrowTabFault(int index, int count) { throw TabFault(index, count); }

class TabTest : public ::testing::Test {
protected:
    void SetUp() override { previous = host::SetTabIndexHandler(ThrowTabFault); }
    void TearDown() override { host::SetTabIndexHandler(previous); }
    host::TabIndexHandler previous = nullptr;
};

TEST_F(TabTest, CountInsertAppendDelete)
{
    Tab<int> t;
    EXPECT_EQ(t.Count(), 0);
    int v[] = {1, 2, 3};
    t.Append(3, v);
    int w[] = {9, 8};
    t.Insert(1, 2, w);
    ASSERT_EQ(t.Count(), 5);
    EXPECT_EQ(t[0], 1);
    EXPECT_EQ(t[1], 9);
    EXPECT_EQ(t[2], 8);
    EXPECT_EQ(t[3], 2);
    EXPECT_EQ(t[4], 3);
    EXPECT_EQ(t.Delete(1, 3), 2);
    EXPECT_EQ(t[0], 1);
    EXPECT_EQ(t[1], 3);
    EXPECT_EQ(t.Delete(1, 10), 1) << "a delete past the end is clipped";
    t.SetCount(4);
    t[3] = 7;
    EXPECT_EQ(t[0], 1) << "SetCount keeps the entries below";
    t.ZeroCount();
    EXPECT_EQ(t.Count(), 0);
    t.SetCount(2, FALSE);
    EXPECT_EQ(t.Count(), 2);
    Tab<int> copy = t;
    copy[0] = 5;
    t[0] = 6;
    EXPECT_EQ(copy[0], 5) << "copies are independent";
}

TEST_F(TabTest, IndexOutsideTheTableIsReportedNotUsed)
{
    Tab<float> t;
    t.SetCount(3);
    try {
        (void)t[3];
        FAIL() << "index 3 of 3 entries went through";
    } catch (const TabFault& f) {
        EXPECT_EQ(f.index, 3);
        EXPECT_EQ(f.count, 3);
    }
    EXPECT_THROW((void)t[-1], TabFault);
    EXPECT_THROW((void)t.Addr(7), TabFault);
    Tab<int> empty;
    EXPECT_THROW((void)empty[0], TabFault);
    EXPECT_THROW(empty.Insert(2, 1, nullptr), TabFault);
}

TEST(Diagnostics, AFalseAssertionIsRecordedAndTheCodeCarriesOn)
{
    const int before = host::AssertionCount();
    int reached = 0;
    DbgAssert(1 + 1 == 2);
    EXPECT_EQ(host::AssertionCount(), before) << "a true expression reports nothing";
    DbgAssert(reached == 1);
    ++reached;
    EXPECT_EQ(reached, 1) << "the code after it runs";
    EXPECT_EQ(host::AssertionCount(), before + 1);
    EXPECT_NE(std::string(host::LastAssertion()).find("reached == 1"), std::string::npos)
        << host::LastAssertion();
}

// Entries so large that 4096 of them need exactly one more byte than size_t counts (2^20
// bytes each in a 32-bit program, 2^52 in a 64-bit one): the size must not wrap around to
// an empty block that the table then writes 4096 entries into.
struct WrappingEntry {
    char bytes[(size_t)1 << (sizeof(size_t) * 8 - 12)];
};

TEST(TabDeathTest, ACountWhoseBytesWrapAroundIsOutOfMemory)
{
    EXPECT_DEATH(
        {
            Tab<WrappingEntry> t;
            t.SetCount(4096);
        },
        "out of memory for a table of 4096 entries");
    EXPECT_DEATH(
        {
            Tab<WrappingEntry> t;
            t.Append(4096, nullptr);
        },
        "out of memory for a table of 4096 entries");
}

TEST(MStr, FormattingTakesWideStringsAndCopiesAreIndependent)
{
    MSTR s;
    EXPECT_EQ(s.printf(L"%s %d", L"Map", 3), 5);
    EXPECT_STREQ(s.data(), L"Map 3");
    MSTR t = s;
    t += L" (x)";
    EXPECT_STREQ(s.data(), L"Map 3");
    EXPECT_STREQ(t.data(), L"Map 3 (x)");
    EXPECT_TRUE(t == L"Map 3 (x)");
    EXPECT_EQ(t.Length(), 9);
    EXPECT_EQ(t.first(L'('), 6);
    EXPECT_STREQ(t.Substr(4, 100).data(), L"3 (x)");
    s = s.data() + 4; // from the string's own tail
    EXPECT_STREQ(s.data(), L"3");
    MSTR big;
    big.printf(L"%0500d", 1);
    EXPECT_EQ(big.Length(), 500);
}

TEST(MStr, Utf8RoundTrip)
{
    MSTR s(L"Grün \u00e9t\u00e9 \u4e2d");
    MSTR back(s.ToUTF8());
    EXPECT_TRUE(back == s);
    EXPECT_STREQ(MSTR("abc").data(), L"abc");
}

} // namespace
