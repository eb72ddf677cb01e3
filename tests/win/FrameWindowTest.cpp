// The frame: client layout, accelerators, the UI update map on pop-up menus,
// and the end of the message loop when the frame goes.
#include <windows.h>
#include <gtest/gtest.h>
#include <vector>
#include "tests/win/WinTestResources.h"
#include "win/FrameWindowImpl.h"
#include "win/Menu.h"
#include "win/UpdateUI.h"

namespace {

class CClient : public CWindowImpl<CClient>
{
public:
    BEGIN_MSG_MAP(CClient)
    END_MSG_MAP()
};

class CTestFrame : public CFrameWindowImpl<CTestFrame>, public CUpdateUI
{
public:
    std::vector<WORD> commands;
    bool destroySeen = false;

    BEGIN_MSG_MAP(CTestFrame)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        COMMAND_RANGE_HANDLER(4000, 5000, OnCommand)
        CHAIN_MSG_MAP(CUpdateUI)
        CHAIN_MSG_MAP(CFrameWindowImpl<CTestFrame>)
    END_MSG_MAP()

    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled)
    {
        destroySeen = true;
        handled = FALSE; // the frame ends the loop
        return 0;
    }
    LRESULT OnCommand(WORD, WORD id, HWND, BOOL&)
    {
        commands.push_back(id);
        return 0;
    }
};

} // namespace

TEST(FrameWindow, ClientFollowsTheFrameAndAcceleratorsSendCommands)
{
    CTestFrame frame;
    ASSERT_TRUE(frame.Create(nullptr, CRect(0, 0, 400, 300), "frame", WS_OVERLAPPEDWINDOW));
    CClient client;
    ASSERT_TRUE(client.Create(frame, CRect(0, 0, 10, 10)));
    frame.m_hWndClient = client;
    frame.SetWindowPos(nullptr, 0, 0, 500, 350, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    EXPECT_EQ(client.GetClientRect().Size(), frame.GetClientRect().Size());

    ASSERT_TRUE(frame.LoadAccelerators(IDR_TEST_ACCELERATORS));
    MSG key = { frame, WM_KEYDOWN, VK_F10, 0, 0, { 0, 0 } };
    EXPECT_TRUE(frame.TranslateAccelerator(&key));
    key.wParam = 'A';
    EXPECT_FALSE(frame.TranslateAccelerator(&key));
    EXPECT_EQ(frame.commands, std::vector<WORD> { 4033 });

    frame.DestroyWindow();
    EXPECT_TRUE(frame.destroySeen);
    MSG quit = {};
    ASSERT_TRUE(::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 1u);
}

TEST(FrameWindow, UpdateMapChecksPopupItemsAsTheyOpen)
{
    CTestFrame frame;
    ASSERT_TRUE(frame.Create(nullptr, CRect(0, 0, 200, 100), "frame", WS_POPUP));
    CMenu menu;
    ASSERT_TRUE(menu.CreatePopup());
    menu.AppendItem(MF_STRING, 4013, "不复权");
    menu.AppendItem(MF_STRING, 4012, "前复权");
    menu.AppendItem(MF_STRING, 4011, "后复权");
    menu.AppendItem(MF_STRING, 4100, "5分钟图");

    frame.UISetCheck(4013, true);
    frame.UISetCheck(4012, false);
    frame.UIEnable(4100, false);
    frame.SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(static_cast<HMENU>(menu)), 0);
    EXPECT_TRUE(::GetMenuState(menu, 4013, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_FALSE(::GetMenuState(menu, 4012, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_TRUE(::GetMenuState(menu, 4100, MF_BYCOMMAND) & MF_GRAYED);

    // Moving the check: the next opening shows the new state.
    frame.UISetCheck(4013, false);
    frame.UISetCheck(4011, true);
    frame.SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(static_cast<HMENU>(menu)), 0);
    EXPECT_FALSE(::GetMenuState(menu, 4013, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_TRUE(::GetMenuState(menu, 4011, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_TRUE(frame.UIGetCheck(4011));
    frame.DestroyWindow(); // a popup frame does not end the loop
    MSG quit = {};
    EXPECT_FALSE(::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}
