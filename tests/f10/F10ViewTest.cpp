// The company-information view: the tab layout, the waiting text until the
// text arrives, the sections, and what the view ignores.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "base/Thread.h"
#include "data/F10Sections.h"
#include "data/Stock.h"
#include "tests/support/ViewTesting.h"
#include "tests/support/WindowTesting.h"
#include "tools/marketdata/SimMarketSeries.h"
#include "views/F10View.h"
#include "views/ViewDataSource.h"

namespace {

const uint32_t kShownKey = 0x00600000;
const uint32_t kOtherKey = 0x01000001;
const char* const kWaiting = "正在下载公司信息数据";

class FakeF10Source : public IViewDataSource
{
public:
    CriticalSection* DataLock() override { return &lock; }
    bool CopyF10(uint32_t key, F10SectionMap& out) override
    {
        if (!hasCurrent || key != currentKey)
            return false;
        out = sections;
        return true;
    }
    void RequestStockData(uint32_t flags, int more) override
    {
        ++requests;
        requestFlags = flags;
        requestMore = more;
    }
    bool RefreshF10(uint32_t key, int, F10SectionMap& out) override
    {
        ++refreshes;
        if (key != currentKey)
            return false;
        out = sections;
        return true;
    }

    CriticalSection lock;
    bool hasCurrent = true;
    uint32_t currentKey = kShownKey;
    F10SectionMap sections;
    int requests = 0;
    uint32_t requestFlags = 0;
    int requestMore = -1;
    std::atomic<int> refreshes { 0 };
};

F10SectionMap SimulatedSections(uint32_t key)
{
    const std::string text = SimMarketSeries().F10Text(key);
    F10SectionMap sections;
    SplitF10Sections(text.c_str(), static_cast<int32_t>(text.size()), sections);
    return sections;
}

std::string EditText(HWND edit)
{
    std::string text(static_cast<size_t>(::GetWindowTextLengthA(edit)) + 1, '\0');
    text.resize(static_cast<size_t>(::GetWindowTextA(edit, &text[0], static_cast<int>(text.size()))));
    return text;
}

struct F10ViewFixture : ::testing::Test
{
    void SetUp() override
    {
        InitF10SectionTitles();
        ASSERT_TRUE(view.Create(host.Handle(), CRect(0, 0, 900, 500)));
        view.SetOwner(&processor);
    }
    void TearDown() override
    {
        if (view.IsWindow())
            view.DestroyWindow();
    }
    std::string Shown() const { return EditText(view.GetEditWindow()); }

    CViewTestHost host { 900, 500 };
    RecordingMessageProcessor processor;
    FakeF10Source source;
    CF10View view { &source };
};

} // namespace

TEST(F10Layout, TabAreaBetweenMarginsOrCentredRows)
{
    const struct
    {
        int width;
        int left, right;
    } cases[] = {
        { 1400, 100, 1300 }, // 1120 < 1200: between margins
        { 1320, 380, 940 }, // 1120 is not less than 1320 - 200: rows
        { 1000, 220, 780 }, // two rows of 8 tabs, 560 wide, centred
        { 561, 0, 560 }, // (561 - 560) / 2 == 0
        { 300, -130, 430 }, // narrower than a row: still centred
    };
    for (const auto& c : cases) {
        const CRect area = F10TabArea(CRect(0, 0, c.width, 400), 16, 70, 2);
        EXPECT_EQ(area.left, c.left) << c.width;
        EXPECT_EQ(area.right, c.right) << c.width;
        EXPECT_EQ(area.top, 5);
        EXPECT_EQ(area.bottom, 45);
    }
    // One row: the whole width of all tabs.
    EXPECT_EQ(F10TabArea(CRect(0, 0, 1000, 400), 16, 70, 1).Width(), 1120);
}

TEST_F(F10ViewFixture, NarrowViewShowsTwoCentredRowsOfEight)
{
    CSkinTabManager& tabs = view.GetTabs();
    ASSERT_EQ(tabs.GetItemCount(), 16);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(tabs.GetItem(i)->GetId(), 100 + i);
        EXPECT_EQ(tabs.GetItem(i)->GetText(), kF10DefaultTitles[i]);
    }
    const CRect first = tabs.GetItem(0)->GetRect();
    const CRect ninth = tabs.GetItem(8)->GetRect();
    EXPECT_EQ(first.left, (900 - 560) / 2);
    EXPECT_EQ(tabs.GetItem(7)->GetRect().top, first.top);
    EXPECT_GT(ninth.top, first.top);
    EXPECT_EQ(tabs.GetSelectedItem(), tabs.GetItem(0));

    RECT edit;
    ::GetWindowRect(view.GetEditWindow(), &edit);
    ::MapWindowPoints(nullptr, view.m_hWnd, reinterpret_cast<POINT*>(&edit), 2);
    EXPECT_EQ(edit.top, 45);
    EXPECT_EQ(edit.bottom, 500);
    EXPECT_EQ(edit.right - edit.left, 900);
}

TEST_F(F10ViewFixture, WaitsForTheTextThenShowsTheCurrentSection)
{
    view.Activate(kShownKey);
    EXPECT_EQ(source.requests, 1);
    EXPECT_EQ(source.requestFlags, static_cast<uint32_t>(kRequestF10)); // the text only, no history
    EXPECT_EQ(source.requestMore, 0);
    EXPECT_EQ(Shown(), kWaiting);

    source.sections = SimulatedSections(kShownKey);
    {
        // The notice arrives on a worker that holds the data lock.
        std::thread worker([&] {
            SingleLock data(&source.lock);
            view.Accept(kViewMsgStockDataUpdated, kShownKey, 5);
        });
        worker.join();
    }
    ASSERT_TRUE(PumpUntil([&] { return Shown() != kWaiting; }, 5000));
    EXPECT_EQ(Shown(), source.sections[kF10DefaultTitles[0]]);

    // A click on the second tab shows its section.
    const CRect second = view.GetTabs().GetItem(1)->GetRect();
    view.SendMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(second.left + 5, second.top + 5));
    EXPECT_EQ(view.GetCurrentSection(), 1);
    EXPECT_EQ(Shown(), source.sections[kF10DefaultTitles[1]]);

    // The tabs follow the titles the text brought.
    const std::vector<std::string> titles = GetF10SectionTitles();
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(view.GetTabs().GetItem(i)->GetText(), titles[i]) << i;

    // A section the text does not hold waits, also after arrival.
    source.sections.erase(titles[2]);
    view.Accept(kViewMsgStockDataUpdated, kShownKey, 5);
    PumpPendingMessages();
    EXPECT_TRUE(view.ShowSection(2));
    EXPECT_EQ(Shown(), kWaiting);
}

TEST_F(F10ViewFixture, EveryTabShowsTheSectionOfItsOwnHeadingWhenOneIsMissing)
{
    // The server leaves one heading out; the split is the real one.
    source.sections = SimulatedSections(kShownKey);
    ASSERT_EQ(source.sections.size(), 15u);
    view.Activate(kShownKey);
    PumpPendingMessages();
    for (int i = 0; i < 16; ++i) {
        SCOPED_TRACE(i);
        const CRect tab = view.GetTabs().GetItem(i)->GetRect();
        view.SendMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(tab.left + 5, tab.top + 5));
        view.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(tab.left + 5, tab.top + 5));
        PumpPendingMessages();
        const std::string title = kF10DefaultTitles[i];
        EXPECT_EQ(view.GetTabs().GetItem(i)->GetText(), title);
        const auto section = source.sections.find(title);
        if (i == SimMarketSeries::kMissingF10Title) {
            EXPECT_EQ(section, source.sections.end());
            EXPECT_EQ(Shown(), kWaiting);
        } else {
            ASSERT_NE(section, source.sections.end());
            EXPECT_EQ(Shown(), section->second);
        }
    }
}

TEST_F(F10ViewFixture, IgnoresAnotherStocksUpdateAndBadIndexes)
{
    source.sections = SimulatedSections(kShownKey);
    view.Activate(kShownKey);
    EXPECT_EQ(Shown(), source.sections[kF10DefaultTitles[0]]);
    ::SetWindowTextA(view.GetEditWindow(), "unchanged");

    view.Accept(kViewMsgStockDataUpdated, kOtherKey, 5);
    PumpPendingMessages();
    EXPECT_EQ(source.refreshes.load(), 0);
    EXPECT_EQ(Shown(), "unchanged");

    for (int bad : { -1, 16, 100 })
        EXPECT_FALSE(view.ShowSection(bad)) << bad;
    EXPECT_EQ(Shown(), "unchanged");
    EXPECT_TRUE(view.ShowSection(15));
    EXPECT_EQ(Shown(), source.sections[kF10DefaultTitles[15]]);
}

TEST_F(F10ViewFixture, UnlessTheStockShownIsTheCurrentOneNothingIsShownOrRequested)
{
    auto expectNothing = [this](const char* why) {
        EXPECT_EQ(source.requests, 0) << why;
        EXPECT_EQ(Shown(), "") << why;
        EXPECT_TRUE(view.ShowSection(3)) << why;
        EXPECT_EQ(Shown(), "") << why;
    };
    source.hasCurrent = false;
    view.Activate(kShownKey);
    expectNothing("no current stock");
    source.hasCurrent = true;
    view.Activate(kOtherKey);
    expectNothing("another stock is current");
}

TEST_F(F10ViewFixture, PagingKeysAndTheWheelGoToTheText)
{
    const std::vector<UINT> registered = processor.RegisteredIds(&view);
    EXPECT_EQ(registered, (std::vector<UINT> { 256, 522 }));

    std::string longText;
    for (int i = 0; i < 300; ++i)
        longText += "一行公司信息\r\n";
    source.sections[kF10DefaultTitles[0]] = longText;
    view.Activate(kShownKey);
    const HWND edit = view.GetEditWindow();
    ASSERT_EQ(::SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0), 0);

    EXPECT_EQ(view.Accept(kViewMsgKeyDown, VK_NEXT, 0), 1);
    const LRESULT afterPageDown = ::SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0);
    EXPECT_GT(afterPageDown, 0);
    EXPECT_EQ(view.Accept(kViewMsgKeyDown, 'A', 0), 0);
    EXPECT_EQ(::SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0), afterPageDown);
    EXPECT_EQ(view.Accept(kViewMsgKeyDown, VK_HOME, 0), 1);
    EXPECT_EQ(view.Accept(kViewMsgMouseWheel, MAKEWPARAM(0, -WHEEL_DELTA), MAKELPARAM(10, 100)), 0);
}

TEST_F(F10ViewFixture, TextColoursAndAPictureWithSimulatedData)
{
    source.sections = SimulatedSections(kShownKey);
    view.Activate(kShownKey);
    const HWND edit = view.GetEditWindow();
    HDC dc = ::GetDC(edit);
    const LRESULT brush = view.SendMessage(WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(edit));
    EXPECT_NE(brush, 0);
    EXPECT_EQ(::GetTextColor(dc), 0x00C0C0u);
    EXPECT_EQ(::GetBkColor(dc), 0u);
    EXPECT_EQ(view.SendMessage(WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(host.Handle())), 0);
    ::ReleaseDC(edit, dc);

    ShowWithoutActivating(host.Handle());
    PumpPendingMessages();
    ::RedrawWindow(host.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    EXPECT_FALSE(SaveWindowScreenshot(host.Handle(), "f10-view").empty());
}
