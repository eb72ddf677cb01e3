// The user's stock list and the browse list.
#include <gtest/gtest.h>

#include "base/DataPaths.h"
#include "data/UserStockList.h"
#include "tests/support/TempDataRoot.h"
#include "tests/tables/TableTestSupport.h"

TEST(UserStockList, SaveLoadRoundTripAndEditing)
{
    TempDirectory dir("usr");
    const std::string path = dir.Path() + "usrstock.dat";
    UserStockList list;
    EXPECT_EQ(list.Add(0x600000, 1700000000), 1);
    EXPECT_EQ(list.Add(0x01000001, 1700000100), 1);
    EXPECT_EQ(list.Add(0x1A0001, -5), 1);
    EXPECT_EQ(list.Add(0x600000, 1700000200), 1); // present: only its time changes
    ASSERT_EQ(list.GetCount(), 3);
    EXPECT_EQ(list.GetEntries()[0], UserStockList::Entry(0x600000, 1700000200));
    ASSERT_EQ(list.Save(path.c_str()), 1);
    EXPECT_EQ(ReadTestFile(path), "6291456;1700000200\n16777217;1700000100\n1703937;-5\n");

    UserStockList reloaded;
    ASSERT_EQ(reloaded.Load(path.c_str()), 1);
    EXPECT_EQ(reloaded.GetEntries(), list.GetEntries());

    EXPECT_EQ(reloaded.Swap(0, 2), 1);
    EXPECT_EQ(reloaded.GetEntries()[0].first, 0x1A0001);
    EXPECT_EQ(reloaded.Swap(0, 3), 0);
    EXPECT_EQ(reloaded.Swap(-1, 0), 0);
    EXPECT_EQ(reloaded.Remove(0x01000001), 1);
    EXPECT_EQ(reloaded.Remove(0x01000001), 0);
    EXPECT_EQ(reloaded.GetCount(), 2);
    EXPECT_EQ(reloaded.Load(nullptr), 0);
    EXPECT_EQ(reloaded.Save(nullptr), 0);
}

TEST(UserStockList, ReaderToleratesLineEndsAndMissingFiles)
{
    TempDirectory dir("usr");
    const std::string path = dir.Path() + "usrstock.dat";
    ASSERT_TRUE(
        WriteTestFile(path, "16777217;5\r\n6291456;6\n\n1703937\n" + std::string(300, '7') + ";1\n42;7"));
    UserStockList list;
    ASSERT_EQ(list.Load(path.c_str()), 1);
    ASSERT_EQ(list.GetCount(), 5);
    EXPECT_EQ(list.GetEntries()[0], UserStockList::Entry(16777217, 5));
    EXPECT_EQ(list.GetEntries()[1], UserStockList::Entry(6291456, 6));
    EXPECT_EQ(list.GetEntries()[2], UserStockList::Entry(1703937, 0));
    EXPECT_EQ(list.GetEntries()[4], UserStockList::Entry(42, 7));

    // An editor's UTF-8 mark before the first line: the first stock stays, and is saved again.
    ASSERT_TRUE(WriteTestFile(path, "\xEF\xBB\xBF" "16777217;5\r\n6291456;6\r\n"));
    UserStockList marked;
    ASSERT_EQ(marked.Load(path.c_str()), 1);
    ASSERT_EQ(marked.GetCount(), 2);
    EXPECT_EQ(marked.GetEntries()[0], UserStockList::Entry(16777217, 5));
    ASSERT_EQ(marked.Save(path.c_str()), 1);
    UserStockList saved;
    ASSERT_EQ(saved.Load(path.c_str()), 1);
    EXPECT_EQ(saved.GetEntries(), marked.GetEntries());

    UserStockList untouched;
    untouched.Add(1, 2);
    EXPECT_EQ(untouched.Load((dir.Path() + "missing.dat").c_str()), 1);
    EXPECT_EQ(untouched.GetCount(), 1);
}

// A damaged file lists neither a stock for every line that is no number nor
// a stock twice: the second line of a stock would stay behind when the user
// removes it.
TEST(UserStockList, LinesThatAreNoNumberAndRepeatedStocksAreSkipped)
{
    TempDirectory dir("usr");
    const std::string path = dir.Path() + "usrstock.dat";
    ASSERT_TRUE(WriteTestFile(path,
        "6291456;5\n"
        "garbage\n"
        ";7\n"
        "-\n"
        "\x01\xFF\xFE;3\n"
        "12abc;4\n"
        "6291456;9\n" // listed already: the first line stays
        " 16777217 ;8\r\n"
        "-12;1\n"
        "0\n"));
    UserStockList list;
    ASSERT_EQ(list.Load(path.c_str()), 1);
    const std::vector<UserStockList::Entry> expected
        = { { 6291456, 5 }, { 16777217, 8 }, { -12, 1 }, { 0, 0 } };
    EXPECT_EQ(list.GetEntries(), expected);
    EXPECT_EQ(list.Remove(6291456), 1);
    EXPECT_EQ(list.Remove(6291456), 0) << "removed means gone";
}

TEST(UserStockList, AFailedSaveReportsFailureAndKeepsTheOldFile)
{
    TempDirectory dir("usr");
    UserStockList list;
    list.Add(0x600000, 1);
    EXPECT_EQ(list.Save((dir.Path() + "no\\such\\dir\\usrstock.dat").c_str()), 0);

    // The target is a directory: it cannot be replaced, and nothing else changes.
    const std::string blocked = dir.Path() + "blocked.dat";
    ASSERT_TRUE(::CreateDirectoryA(blocked.c_str(), nullptr));
    EXPECT_EQ(list.Save(blocked.c_str()), 0);
    EXPECT_EQ(::GetFileAttributesA(blocked.c_str()) & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);
}

TEST(UserStockList, SingletonLoadsAndSavesTheDataDirectoryFile)
{
    TempDataRoot root(false);
    UserStockList::ReleaseInstance();
    const std::string path = DataPaths::Instance()->GetUserStockFile();
    ASSERT_TRUE(WriteTestFile(path, "6291456;9\n"));
    UserStockList* list = UserStockList::Instance();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(UserStockList::Instance(), list);
    ASSERT_EQ(list->GetCount(), 1);
    list->Add(0x01000001, 10);
    UserStockList::ReleaseInstance();
    EXPECT_EQ(ReadTestFile(path), "6291456;9\n16777217;10\n");
}

TEST(StockPagingList, StepsWrapAndTheCursorSurvivesRefills)
{
    StockPagingList list;
    EXPECT_EQ(list.Next(), -1); // empty
    for (int32_t id : { 11, 22, 33 })
        list.Add(id);
    EXPECT_EQ(list.GetCursor(), 0);
    EXPECT_EQ(list.Select(33), 2);
    EXPECT_EQ(list.Next(), 11); // wraps from the last to the first
    EXPECT_EQ(list.Previous(), 33);
    EXPECT_EQ(list.Previous(), 22);

    EXPECT_EQ(list.Select(99), -1); // not in the list: disabled
    EXPECT_EQ(list.Next(), -1);
    EXPECT_EQ(list.Previous(), -1);
    EXPECT_EQ(list.Select(11), -1);
    list.SetCursor(0);
    EXPECT_EQ(list.Select(22), 1);

    // A smaller refill leaves the cursor past the end; stepping stays inside.
    EXPECT_EQ(list.Select(33), 2);
    list.Clear();
    EXPECT_EQ(list.GetCursor(), 2);
    list.Add(44);
    list.Add(55);
    list.SetCursor(7);
    EXPECT_EQ(list.Previous(), 55);
    list.SetCursor(7);
    EXPECT_EQ(list.Next(), 44);
    list.Clear();
    list.Add(66);
    EXPECT_EQ(list.Previous(), 66);
    EXPECT_EQ(list.Next(), 66);
}
