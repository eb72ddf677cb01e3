// The shared handle owner: one free per handle, moves that hand over, and an
// empty value that is not null for handles such as sockets.
#include <gtest/gtest.h>
#include <utility>
#include <vector>

#include "base/HandleOwner.h"

namespace {

std::vector<int> g_freed;

struct CountedTraits
{
    static void Free(int h) { g_freed.push_back(h); }
    // Like INVALID_SOCKET: 0 is a handle like any other.
    static int Empty() { return -1; }
};
typedef CHandleOwner<int, CountedTraits> CCounted;

} // namespace

TEST(HandleOwner, FreesEachHandleOnceAndKeepsTheOneAttachedAgain)
{
    g_freed.clear();
    {
        CCounted owner;
        EXPECT_TRUE(owner.IsNull());
        EXPECT_EQ(owner.Get(), -1);
        owner.Attach(0);
        EXPECT_FALSE(owner.IsNull());
        owner.Attach(0); // the handle it holds: kept, not freed
        EXPECT_TRUE(g_freed.empty());
        owner.Attach(7);
        EXPECT_EQ(g_freed, std::vector<int>({ 0 }));

        CCounted moved(std::move(owner));
        EXPECT_TRUE(owner.IsNull());
        EXPECT_EQ(moved.Get(), 7);
        CCounted other(3);
        other = std::move(moved);
        EXPECT_EQ(g_freed, std::vector<int>({ 0, 3 }));
        EXPECT_EQ(other.Detach(), 7);
        EXPECT_TRUE(other.IsNull());
        other.Attach(9);
    }
    // Detached handles are the caller's; the empty value is never freed.
    EXPECT_EQ(g_freed, std::vector<int>({ 0, 3, 9 }));
}

TEST(HandleOwner, KernelHandleClosesOnReset)
{
    CKernelHandle event(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    ASSERT_FALSE(event.IsNull());
    const HANDLE raw = event;
    DWORD flags = 0;
    EXPECT_TRUE(::GetHandleInformation(raw, &flags));
    event.Reset();
    EXPECT_TRUE(event.IsNull());
    EXPECT_FALSE(::GetHandleInformation(raw, &flags));
    EXPECT_EQ(OwnedFileHandle(INVALID_HANDLE_VALUE), nullptr);
}
