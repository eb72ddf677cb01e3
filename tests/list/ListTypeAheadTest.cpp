// Type-ahead search over an injected clock.
#include "skin/ListTypeAhead.h"
#include <gtest/gtest.h>
#include <vector>

namespace {

DWORD g_now = 0;
DWORD WINAPI FakeClock()
{
    return g_now;
}

const std::vector<std::string> kNames = { "Apple", "banana", "abacus", "Cherry", "ABC", "apricot" };

bool StartsWith(int row, const std::string& prefix)
{
    const std::string& name = kNames[row];
    if (name.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (::toupper(static_cast<unsigned char>(name[i])) != ::toupper(static_cast<unsigned char>(prefix[i])))
            return false;
    }
    return true;
}

int Type(CListTypeAhead& search, char letter, int current, DWORD at)
{
    g_now = at;
    return search.OnKey(letter, current, static_cast<int>(kNames.size()), StartsWith);
}

}

TEST(ListTypeAhead, LettersWithinThePauseBuildAPrefix)
{
    CListTypeAhead search(FakeClock);
    // The first letter searches from the top; "B" within 800 ms looks for
    // "AB" (ignoring case) from the row after the current one.
    EXPECT_EQ(0, Type(search, 'A', 3, 10000));
    EXPECT_EQ(2, Type(search, 'B', 0, 10300));
    EXPECT_EQ("AB", search.Text());
    // The first letter again adds nothing, and the current row already starts
    // with "AB": the selection stays.
    EXPECT_EQ(-1, Type(search, 'A', 2, 10600));
    EXPECT_EQ(4, Type(search, 'C', 2, 10900));
    EXPECT_EQ("ABC", search.Text());
    // After a pause, "A" from the last row wraps to the top.
    EXPECT_EQ(0, Type(search, 'A', 5, 12000));
}

TEST(ListTypeAhead, PauseAndRepeatedLetters)
{
    CListTypeAhead search(FakeClock);
    EXPECT_EQ(0, Type(search, 'A', -1, 5000));
    // After a pause the same letter moves to the next row starting with it.
    EXPECT_EQ(2, Type(search, 'A', 0, 5800));
    // Repeating the first letter quickly keeps cycling (the text stays "A").
    EXPECT_EQ(4, Type(search, 'A', 2, 5900));
    EXPECT_EQ(5, Type(search, 'A', 4, 6000));
    EXPECT_EQ(0, Type(search, 'A', 5, 6100));
    EXPECT_EQ("A", search.Text());
    // After a pause another letter starts again from the top.
    EXPECT_EQ(3, Type(search, 'C', 0, 9000));
    // Nothing matches: no selection.
    EXPECT_EQ(-1, Type(search, 'Z', 3, 12000));
}

TEST(ListTypeAhead, FirstKeyAndCounterWrap)
{
    CListTypeAhead search(FakeClock);
    // A clock that starts near zero does not make the first key a continuation.
    EXPECT_EQ(1, Type(search, 'B', -1, 100));
    // 799 ms across the wrap of the tick counter is still within the pause.
    CListTypeAhead wrapped(FakeClock);
    EXPECT_EQ(0, Type(wrapped, 'A', -1, 0xFFFFFF00u));
    EXPECT_EQ(2, Type(wrapped, 'B', 0, 0xFFFFFF00u + 799));
    EXPECT_EQ("AB", wrapped.Text());
}
