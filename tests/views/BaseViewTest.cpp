// The view base: registrations, command forwarding, the common messages and
// the check marks of the view context menu.
#include <gtest/gtest.h>

#include "tests/support/ViewTesting.h"
#include "views/BaseView.h"
#include "views/ViewDataSource.h"
#include "views/ViewOptions.h"

namespace {

const uint32_t kCurrentKey = 0x01000002;

class CurrentKeySource : public IViewDataSource
{
public:
    uint32_t GetCurrentCodeKey() override { return kCurrentKey; }
};

CurrentKeySource g_currentKeySource;

class CForwardingView : public CBaseView
{
public:
    explicit CForwardingView(CMessageProcessor* owner)
        : CBaseView(kViewStockGraph, &g_currentKeySource)
    {
        SetOwnerAndRegister(owner, { kViewMsgKeyDown, kViewMsgMouseWheel, kViewMsgStockDataUpdated });
    }
    int Deactivate() override { return 1; }
    int OnQuickCode(int32_t) override { return 1; }

    BEGIN_MSG_MAP(CForwardingView)
        COMMAND_RANGE_HANDLER(kMenuCommandFirst, kMenuCommandLast, OnForwardCommand)
        CHAIN_MSG_MAP(CBaseView)
    END_MSG_MAP()
};

struct ScopedViewOptions
{
    ~ScopedViewOptions() { ViewOptions::ReleaseInstance(); }
    ViewOptions& Get() { return *ViewOptions::Instance(); }
};

bool IsChecked(HMENU menu, UINT id)
{
    return (::GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

} // namespace

TEST(BaseView, RegistersInOrderAndKeepsItsOwner)
{
    RecordingMessageProcessor processor;
    CForwardingView view(&processor);
    EXPECT_EQ(view.GetViewId(), kViewStockGraph);
    EXPECT_EQ(view.GetOwner(), &processor);
    EXPECT_EQ(processor.RegisteredIds(&view), (std::vector<UINT> { 256, 522, 4046 }));
}

TEST(BaseView, ForwardsMenuCommandsFrom4000To5000)
{
    CViewTestHost host;
    RecordingMessageProcessor processor;
    CForwardingView view(&processor);
    ASSERT_TRUE(view.Create(host.Handle(), host.ClientRect()));

    for (UINT id : { 3999u, 4000u, 4044u, 4105u, 5000u, 5001u })
        view.SendMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0);

    const std::vector<DispatchRecord> sent = processor.Dispatches();
    ASSERT_EQ(sent.size(), 4u);
    const struct
    {
        WPARAM command;
        LPARAM value;
    } expected[] = { { 4000, 0 }, { 4044, kCurrentKey }, { 4105, 0 }, { 5000, 0 } };
    for (size_t i = 0; i < sent.size(); ++i) {
        EXPECT_EQ(sent[i].messageId, 4030u);
        EXPECT_EQ(sent[i].wParam, expected[i].command);
        EXPECT_EQ(sent[i].lParam, expected[i].value);
    }
}

TEST(BaseView, PaintsItsOwnBackgroundAndColoursScrollBars)
{
    CViewTestHost host;
    RecordingMessageProcessor processor;
    CForwardingView view(&processor);
    ASSERT_TRUE(view.Create(host.Handle(), host.ClientRect()));

    EXPECT_EQ(view.SendMessage(WM_ERASEBKGND, 0, 0), 1);
    HBRUSH brush = reinterpret_cast<HBRUSH>(view.SendMessage(WM_CTLCOLORSCROLLBAR, 0, 0));
    ASSERT_NE(brush, nullptr);
    LOGBRUSH info = {};
    ASSERT_EQ(::GetObjectA(brush, sizeof(info), &info), static_cast<int>(sizeof(info)));
    EXPECT_EQ(info.lbColor, static_cast<COLORREF>(0xF9EEE4));
}

TEST(ViewContextMenu, ChecksModePeriodAndWindowCount)
{
    ScopedViewOptions scoped;
    ViewOptions& options = scoped.Get();
    EXPECT_EQ(options.GetAdjustMode(), 1);
    EXPECT_EQ(options.GetSubPaneCount(), 2);
    EXPECT_EQ(options.GetPeriod(), 6);

    const UINT modeItems[] = { 4013, 4011, 4012 }; // modes 1, 2, 3
    for (int mode = 1; mode <= 3; ++mode) {
        for (int period : { 0, 1, 6, 10 }) {
            for (int panes : { 0, 2, 5 }) {
                for (bool checkPeriod : { true, false }) {
                    SCOPED_TRACE(testing::Message() << "mode " << mode << " period " << period << " panes "
                                                    << panes << " checkPeriod " << checkPeriod);
                    options.SetAdjustMode(mode);
                    options.SetPeriod(period);
                    options.SetSubPaneCount(panes);
                    CMenu menu;
                    ASSERT_TRUE(BuildViewContextMenu(menu, options, checkPeriod));
                    HMENU popup = menu.GetSubMenu(0);
                    ASSERT_NE(popup, nullptr);
                    for (int m = 0; m < 3; ++m)
                        EXPECT_EQ(IsChecked(popup, modeItems[m]), m + 1 == mode);
                    for (UINT id = 4100; id <= 4109; ++id)
                        EXPECT_EQ(IsChecked(popup, id), checkPeriod && period != 0 && id == 4099u + period);
                    for (UINT id = 4149; id <= 4154; ++id)
                        EXPECT_EQ(IsChecked(popup, id), id == 4149u + panes);
                    EXPECT_FALSE(IsChecked(popup, 4044));
                }
            }
        }
    }
}
