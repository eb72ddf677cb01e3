// The keyboard wizard as a window under the test display: typing, the
// selection's wrap, what Enter, Ctrl+Enter and a click send, and closing.
#include <gtest/gtest.h>

#include <set>

#include "tests/support/ViewTesting.h"
#include "tests/support/WindowTesting.h"
#include "views/SearchBox.h"
#include "views/ViewIds.h"

namespace {

class CTestSearchBox : public CSearchBox
{
public:
    using CSearchBox::CSearchBox;
    std::set<int> held;

protected:
    bool IsKeyHeld(int virtualKey) const override { return held.count(virtualKey) != 0; }
};

class SearchBoxTest : public testing::Test
{
protected:
    void SetUp() override
    {
        CSearchIndex& index = box.GetIndex();
        index.AddEntry("600000", "PFY(H|X)", "浦发银行", 0x600000, true);
        index.AddEntry("600036", "ZSYH", "招商银行", 0x600036, true);
        index.AddEntry("03", "MACD", "平滑异同平均线-指标", 3 | kWizardIndicatorBit, true);
        index.AddEntry("60", "", "深沪A涨幅排名", 60 | kWizardQuickCodeBit, true);
        index.AddEntry("", "YH", "银行[板块]", 0x01020003 | kWizardSectorBit, false);
        RECT rect = { 600, 200, 800, 503 };
        ASSERT_TRUE(box.Create(host.Handle(), rect, nullptr, CSearchBoxTraits::GetWndStyle(0) | WS_VISIBLE));
        box.SetHideOnClose(true);
    }

    // A key as the panel's key routing hands it over, then what it posted.
    int Key(UINT virtualKey)
    {
        MSG message = { box.m_hWnd, WM_KEYDOWN, virtualKey, 1, 0, { 0, 0 } };
        const int result = box.OnKeyDown(message);
        PumpPendingMessages();
        return result;
    }
    void Type(const char* text)
    {
        for (const char* c = text; *c; ++c)
            Key(static_cast<UINT>(static_cast<unsigned char>(*c)));
    }
    CListBox List() const { return CListBox(box.GetList()); }
    std::string SelectedText() const
    {
        CListBox list = List();
        const int selected = list.GetCurSel();
        if (selected < 0)
            return std::string();
        char text[256] = {};
        list.SendMessage(LB_GETTEXT, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(text));
        return text;
    }

    CViewTestHost host;
    RecordingMessageProcessor processor;
    CTestSearchBox box { &processor };
};

} // namespace

TEST(SearchBoxKeys, WizardKeys)
{
    for (UINT key : { 0x30u, 0x39u, 0x41u, 0x5Au, 0x60u, 0x69u, 0x20u, 0x13u })
        EXPECT_TRUE(CSearchBox::IsWizardKey(key)) << key;
    for (UINT key : { 0x2Fu, 0x3Au, 0x40u, 0x5Bu, 0x5Fu, 0x6Au, 0x0Du, 0x08u })
        EXPECT_FALSE(CSearchBox::IsWizardKey(key)) << key;
}

TEST_F(SearchBoxTest, TypingListsMatchesAndSelectsTheFirst)
{
    Type("60");
    EXPECT_EQ(box.GetText(), "60");
    ASSERT_EQ(List().GetCount(), 3);
    EXPECT_EQ(SelectedText(), "60 深沪A涨幅排名");
    // The selection wraps both ways.
    EXPECT_EQ(Key(VK_UP), 1);
    EXPECT_EQ(SelectedText(), "600036 招商银行");
    EXPECT_EQ(Key(VK_DOWN), 1);
    EXPECT_EQ(SelectedText(), "60 深沪A涨幅排名");
    EXPECT_EQ(Key(VK_DOWN), 1);
    EXPECT_EQ(SelectedText(), "600000 浦发银行");
    // Choosing the quick code sends it.
    EXPECT_EQ(Key(VK_UP), 1);
    EXPECT_EQ(Key(VK_RETURN), 1);
    const std::vector<DispatchRecord> sent = processor.Dispatches();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].messageId, static_cast<UINT>(kViewMsgQuickCode));
    EXPECT_EQ(sent[0].wParam, 60u);
    EXPECT_EQ(sent[0].lParam, 0);
    EXPECT_EQ(box.GetText(), "");
    EXPECT_FALSE(box.IsWindowVisible());
}

TEST_F(SearchBoxTest, KeypadDigitsShiftEightAndControl)
{
    Key(VK_NUMPAD6);
    Key(VK_NUMPAD0);
    EXPECT_EQ(box.GetText(), "60");
    box.held = { VK_SHIFT };
    Key('8');
    EXPECT_EQ(box.GetText(), "60*");
    box.held = { VK_CONTROL };
    Key('1');
    EXPECT_EQ(box.GetText(), "60*");
    // Space is left to the routing: it adds nothing here.
    box.held.clear();
    EXPECT_EQ(Key(VK_SPACE), 1);
    EXPECT_EQ(box.GetText(), "60*");
}

TEST_F(SearchBoxTest, EnterSendsEachKindAsItsMessage)
{
    const struct
    {
        const char* typed;
        UINT message;
        WPARAM value;
    } cases[] = {
        { "600036", kViewMsgOpenStock, 0x600036 },
        { "MACD", kViewMsgShowFormula, 3 },
        { "YH", kViewMsgShowBoard, 0x01020003 },
        { "PFYX", kViewMsgOpenStock, 0x600000 },
    };
    for (const auto& c : cases) {
        Type(c.typed);
        ASSERT_FALSE(SelectedText().empty()) << c.typed;
        EXPECT_EQ(Key(VK_RETURN), 1);
        const std::vector<DispatchRecord> sent = processor.Dispatches();
        ASSERT_FALSE(sent.empty());
        EXPECT_EQ(sent.back().messageId, c.message) << c.typed;
        EXPECT_EQ(sent.back().wParam, c.value) << c.typed;
    }
    EXPECT_EQ(processor.DispatchCount(), 4u);
}

TEST_F(SearchBoxTest, ControlEnterSendsOnlyIndicators)
{
    box.held = { VK_CONTROL };
    Type("ZSYH"); // typed while Control is up in the routing's hands
    box.held.clear();
    Type("ZSYH");
    box.held = { VK_CONTROL };
    EXPECT_EQ(Key(VK_RETURN), 1);
    EXPECT_EQ(processor.DispatchCount(), 0u);
    EXPECT_EQ(box.GetText(), ""); // closed without choosing

    box.ShowWindow(SW_SHOW);
    box.held.clear();
    Type("MACD");
    box.held = { VK_CONTROL };
    EXPECT_EQ(Key(VK_RETURN), 1);
    const std::vector<DispatchRecord> sent = processor.Dispatches();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].messageId, static_cast<UINT>(kViewMsgShowFormula));
    EXPECT_EQ(sent[0].wParam, 3u);
}

TEST_F(SearchBoxTest, EnterWithoutSelectionStaysOpen)
{
    Type("Q");
    EXPECT_EQ(List().GetCurSel(), LB_ERR);
    EXPECT_EQ(Key(VK_RETURN), 0);
    EXPECT_EQ(box.GetText(), "Q");
    EXPECT_TRUE(box.IsWindowVisible());
    EXPECT_EQ(processor.DispatchCount(), 0u);
}

TEST_F(SearchBoxTest, BackspaceSearchesAgainAndClosesWhenEmpty)
{
    Type("60003");
    EXPECT_EQ(List().GetCount(), 1);
    Key(VK_BACK);
    EXPECT_EQ(box.GetText(), "6000");
    EXPECT_EQ(List().GetCount(), 2);
    Key(VK_BACK);
    Key(VK_BACK);
    Key(VK_BACK);
    EXPECT_EQ(box.GetText(), "6");
    EXPECT_TRUE(box.IsWindowVisible());
    Key(VK_BACK);
    EXPECT_EQ(box.GetText(), "");
    EXPECT_FALSE(box.IsWindowVisible());
    EXPECT_EQ(processor.DispatchCount(), 0u);
}

TEST_F(SearchBoxTest, EscapeAndTheCloseCommandClose)
{
    Type("60");
    Key(VK_ESCAPE);
    EXPECT_EQ(box.GetText(), "");
    EXPECT_FALSE(box.IsWindowVisible());
    box.ShowWindow(SW_SHOW);
    Type("60");
    box.SendMessage(WM_COMMAND, CSearchBox::kCloseCommand, 0);
    EXPECT_FALSE(box.IsWindowVisible());
    box.ShowWindow(SW_SHOW);
    box.SendMessage(WM_CLOSE);
    EXPECT_TRUE(::IsWindow(box.m_hWnd)); // closing hides, never destroys
    EXPECT_EQ(processor.DispatchCount(), 0u);
}

TEST_F(SearchBoxTest, AClickInTheListChoosesTheSelectedMatch)
{
    Type("600");
    ASSERT_EQ(List().GetCount(), 2);
    List().SetCurSel(1);
    List().SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    PumpUntil([&] { return processor.DispatchCount() > 0; }, 2000);
    const std::vector<DispatchRecord> sent = processor.Dispatches();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].messageId, static_cast<UINT>(kViewMsgOpenStock));
    EXPECT_EQ(sent[0].wParam, 0x600036u);
    EXPECT_FALSE(box.IsWindowVisible());
}

TEST_F(SearchBoxTest, AClickInTheListWithoutAMatchSendsNothingAndCloses)
{
    Type("Q");
    ASSERT_EQ(List().GetCurSel(), LB_ERR);
    List().SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    PumpUntil([&] { return !box.IsWindowVisible(); }, 2000);
    EXPECT_FALSE(box.IsWindowVisible());
    EXPECT_EQ(box.GetText(), "");
    EXPECT_EQ(processor.DispatchCount(), 0u);
}

TEST_F(SearchBoxTest, ChildrenFillTheFrameEditOnTop)
{
    RECT edit = {};
    RECT list = {};
    ::GetWindowRect(box.GetEdit(), &edit);
    ::GetWindowRect(box.GetList(), &list);
    EXPECT_EQ(edit.bottom - edit.top, CSearchBox::kEditHeight);
    EXPECT_EQ(list.top, edit.bottom);
    EXPECT_EQ(edit.left, list.left);
    EXPECT_EQ(edit.right, list.right);
    EXPECT_EQ(box.GetWindowText(), "Zentu-键盘精灵");
}

TEST_F(SearchBoxTest, TheTitleBandShowsTheFramesCaptionIconAndCloseButton)
{
    ShowWithoutActivating(host.Handle());
    box.RedrawWindow(nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpPendingMessages();
    CNcDraw& frame = box.GetFrame();
    const int title = frame.GetMetrics().titleHeight;
    ASSERT_GT(title, 0);
    const CRect close = frame.GetCloseButtonRect();
    ASSERT_FALSE(close.IsEmpty());
    const CRect window = box.GetWindowRect();
    // Across the title band, the close button and the left and right borders.
    const POINT probes[] = { close.CenterPoint(), { 2, title / 2 }, { window.Width() / 2, title / 2 },
        { window.Width() - 30, title - 2 }, { 1, window.Height() / 2 }, { window.Width() - 2, window.Height() / 2 } };
    for (const POINT& p : probes)
        EXPECT_EQ(ScreenPixelOfWindow(box, p), FramePaintPixel(frame, p)) << p.x << "," << p.y;
    EXPECT_FALSE(SaveWindowScreenshot(box, "search-box").empty());
}
