// The trend evaluation dialog: the kinds, the refusal for an index, the
// verdict after the animation, the fixed text on failure and a progress that
// never passes 100.
#include "app/TrendEvaluDlg.h"
#include "net/ServiceBaseUrl.h"
#include "tests/menu/MenuTesting.h"
#include <commctrl.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

class TrendDialog : public ::testing::Test
{
protected:
    HWND Open(const TrendStock* stock, bool fetchOk, const std::string& body)
    {
        dialog.SetTitle("短线诊断");
        dialog.SetKind(4014);
        dialog.SetStockSource([stock](TrendStock& out) {
            if (!stock)
                return false;
            out = *stock;
            return true;
        });
        dialog.SetFetcher([this, fetchOk, body](const std::string& url, std::string& out) {
            urls.push_back(url);
            out = body;
            return fetchOk;
        });
        dialog.SetProgressObserver([this](int position) { positions.push_back(position); });
        HWND hwnd = dialog.Create(nullptr);
        if (hwnd)
            ShowWithoutActivating(hwnd);
        return hwnd;
    }
    void TearDown() override
    {
        if (dialog.m_hWnd)
            dialog.DestroyWindow();
    }
    bool Enabled(int id) { return ::IsWindowEnabled(dialog.GetDlgItem(id)) != FALSE; }

    CTrendEvaluDlg dialog;
    std::vector<std::string> urls;
    std::vector<int> positions;
};

} // namespace

TEST(TrendKinds, CommandsChooseTheType)
{
    CTrendEvaluDlg dialog;
    dialog.SetKind(4014);
    EXPECT_EQ(dialog.GetType(), 2);
    dialog.SetKind(4015);
    EXPECT_EQ(dialog.GetType(), 1);
    dialog.SetKind(4017);
    EXPECT_EQ(dialog.GetType(), 3);
    dialog.SetKind(4016);
    EXPECT_EQ(dialog.GetType(), 3) << "another command leaves the type";
}

TEST_F(TrendDialog, AnIndexIsRefusedWithoutARequest)
{
    const TrendStock index { "1A0001", "上证指数", true };
    ASSERT_TRUE(Open(&index, true, "x"));
    dialog.Evaluate();
    EXPECT_EQ(dialog.GetResultText(), "不能对指数进行诊断!");
    EXPECT_TRUE(urls.empty());
    EXPECT_TRUE(Enabled(IDC_TREND_EVALUATE));
}

TEST_F(TrendDialog, TheVerdictShowsAfterTheAnimation)
{
    const TrendStock stock { "600000", "浦发银行", false };
    HWND hwnd = Open(&stock, true, std::string("短期：趋势向好") + std::string(1, '\0') + "tail");
    ASSERT_TRUE(hwnd);
    EXPECT_EQ(dialog.GetDlgItemText(IDC_TREND_CODE), "600000");
    EXPECT_EQ(dialog.GetWindowText(), "短线诊断");
    const DWORD start = ::GetTickCount();
    dialog.Evaluate();
    const DWORD elapsed = ::GetTickCount() - start;
    ASSERT_EQ(urls.size(), 1u);
    EXPECT_EQ(urls[0], ServiceBaseUrl::Get() + "zentu/live/stock_trend.php?type=2&code=600000");
    // The body is taken by its length, terminator bytes and all.
    EXPECT_EQ(dialog.GetResultText().size(), std::string("短期：趋势向好").size() + 5);
    ASSERT_FALSE(positions.empty());
    EXPECT_EQ(positions.front(), 10);
    EXPECT_EQ(positions.back(), 100);
    for (size_t i = 1; i < positions.size(); ++i) {
        EXPECT_LE(positions[i], 100);
        EXPECT_GE(positions[i], positions[i - 1]) << "at " << i;
    }
    EXPECT_GT(positions.size(), 10u) << "the thread's steps wake the loop";
    EXPECT_GE(elapsed, 2500u);
    EXPECT_TRUE(Enabled(IDC_TREND_EVALUATE));
    EXPECT_TRUE(Enabled(IDCANCEL));
    EXPECT_FALSE(::IsWindowVisible(dialog.GetDlgItem(IDC_TREND_PROGRESS)));
    EXPECT_FALSE(ShowAndCapture(hwnd, "menu_trend").empty());
}

// A web server that drips its verdict must not stop the UI thread.
TEST_F(TrendDialog, TheUiThreadAnswersWhileTheVerdictIsFetched)
{
    HWND probe = ::CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(probe);
    const TrendStock stock { "000002", "万科A", false };
    ASSERT_TRUE(Open(&stock, false, ""));
    HangingFetch fetch;
    fetch.probe = probe;
    dialog.SetFetcher(std::ref(fetch));
    dialog.Evaluate();
    EXPECT_TRUE(fetch.answered);
    EXPECT_EQ(dialog.GetResultText(), "该股趋势不明，请谨慎操作！");
    ::DestroyWindow(probe);
}

TEST_F(TrendDialog, AFailureShowsTheFixedVerdictAtTheEnd)
{
    const TrendStock stock { "000002", "万科A", false };
    ASSERT_TRUE(Open(&stock, false, ""));
    dialog.Evaluate();
    EXPECT_EQ(dialog.GetResultText(), "该股趋势不明，请谨慎操作！");
    EXPECT_EQ(dialog.GetProgress(), 100);
    EXPECT_EQ(::SendMessageA(dialog.GetDlgItem(IDC_TREND_PROGRESS), PBM_GETPOS, 0, 0), 100);
    EXPECT_TRUE(Enabled(IDC_TREND_EVALUATE));
    EXPECT_TRUE(Enabled(IDCANCEL));
    // An empty reply is no verdict either.
    positions.clear();
    dialog.SetFetcher([](const std::string&, std::string& out) {
        out.clear();
        return true;
    });
    dialog.Evaluate();
    EXPECT_EQ(dialog.GetResultText(), "该股趋势不明，请谨慎操作！");
}

void CALLBACK ClickEvaluateFromTimer(HWND window, UINT, UINT_PTR id, DWORD)
{
    ::KillTimer(window, id);
    ::SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_TREND_EVALUATE, BN_CLICKED),
        reinterpret_cast<LPARAM>(::GetDlgItem(window, IDC_TREND_EVALUATE)));
}

TEST_F(TrendDialog, CloseEndsTheAnimationAndOtherwiseIsIgnored)
{
    const TrendStock stock { "600000", "浦发银行", false };
    HWND hwnd = Open(&stock, true, "verdict");
    ASSERT_TRUE(hwnd);
    ::SendMessageA(hwnd, WM_CLOSE, 0, 0);
    EXPECT_TRUE(::IsWindow(hwnd));
    // A close while the animation runs ends it early: closed at the first
    // step shown, the bar stops far short of the animation's end before the
    // final 100 (a loop that ignored the close would run on to 99 or 100).
    positions.clear();
    dialog.SetProgressObserver([this, hwnd](int position) {
        positions.push_back(position);
        if (position > 40 && position < 100)
            ::SendMessageA(hwnd, WM_CLOSE, 0, 0);
    });
    dialog.Evaluate();
    ASSERT_GE(positions.size(), 2u);
    EXPECT_EQ(positions.back(), 100);
    EXPECT_LT(positions[positions.size() - 2], 40 + CTrendEvaluDlg::kAnimationSteps / 2);
    EXPECT_EQ(dialog.GetResultText(), "verdict");
}

TEST_F(TrendDialog, WithoutACurrentStockTheButtonIsOff)
{
    HWND hwnd = Open(nullptr, true, "x");
    ASSERT_TRUE(hwnd);
    EXPECT_FALSE(Enabled(IDC_TREND_EVALUATE));
    EXPECT_TRUE(Enabled(IDCANCEL));
    dialog.Evaluate();
    EXPECT_TRUE(urls.empty());
}

TEST_F(TrendDialog, AQuitDuringTheAnimationIsKeptForTheLoopOutside)
{
    const TrendStock stock { "600000", "浦发银行", false };
    ASSERT_TRUE(Open(&stock, true, "verdict"));
    ::PostQuitMessage(9);
    dialog.Evaluate();
    MSG msg;
    ASSERT_TRUE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 9u);
    EXPECT_EQ(dialog.GetResultText(), "verdict");
}

TEST_F(TrendDialog, AClickDuringTheAnimationStartsNoSecondEvaluation)
{
    const TrendStock stock { "600000", "浦发银行", false };
    HWND hwnd = Open(&stock, true, "verdict");
    ASSERT_TRUE(hwnd);
    // The button is off while the animation runs, but a posted or sent click
    // still reaches the dialog: it must not start the thread a second time.
    ::SetTimer(hwnd, 78, 100, &ClickEvaluateFromTimer);
    dialog.Evaluate();
    EXPECT_EQ(urls.size(), 1u);
    EXPECT_EQ(dialog.GetResultText(), "verdict");
    EXPECT_TRUE(Enabled(IDC_TREND_EVALUATE));
}
