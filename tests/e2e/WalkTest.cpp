// The program end to end, as a user meets it: login and loading, the quote
// list filled from the simulated market and refreshed every five seconds, a
// stock's K-line chart through periods and adjustment modes, the minute
// chart, F10 and the side panel, then a close while requests hang.
#include "tests/e2e/EndToEndFixture.h"
#include "views/ViewIds.h"

#include <cstdio>

#include "base/DataPaths.h"
#include "data/UserStockList.h"

namespace {

const UINT kPeriodFiveMinutes = kCmdPeriodBase + 1;
const UINT kPeriodDay = kCmdPeriodBase + 6;
// The walk shows three indicator panes under the candles.
const int kWalkIndicatorPanes = 3;
// Of the candle area's pixels, the share that must change when the candles
// before an event move against those after it.
const double kAdjustedCandleShare = 0.02;

} // namespace

TEST_F(EndToEnd, AUserLogsInAndWalksEveryScreen)
{
    if (!Start("walk") || !LogInToQuoteList())
        return;
    EXPECT_GT(QuoteRequests("201"), 0) << "the code table came from the simulator";
    EXPECT_GT(QuoteRequests("202"), 0) << "the quotes came from the simulator";

    // While the quote list shows, the quotes are refreshed every five seconds.
    const long quotesBefore = QuoteRequests("202");
    ::Sleep(16000);
    const long refreshes = QuoteRequests("202") - quotesBefore;
    EXPECT_GE(refreshes, 2) << "quote refreshes in 16 s";
    EXPECT_LE(refreshes, 4) << "quote refreshes in 16 s";

    ASSERT_TRUE(m_walk->KLine(kStockCode)) << m_walk->Screens().back().note;
    EXPECT_GT(QuoteRequests("301 600000"), 0) << "the day bars of the stock typed were asked for";
    EXPECT_TRUE(m_walk->KLineIndicators()) << m_walk->Screens().back().note;

    // Five-minute bars come with their own request; the chart shows them.
    EXPECT_TRUE(m_walk->KLinePeriods()) << m_walk->Screens().back().note;
    EXPECT_GT(QuoteRequests("302 600000"), 0) << "the five-minute bars were asked for";

    // The stock has an ex-rights event inside the bars the day chart shows:
    // forward adjustment moves the candles before it against those after it,
    // so the candle area itself changes, not only the value axis beside it.
    EXPECT_TRUE(m_walk->KLineAdjustment()) << m_walk->Screens().back().note;
    HWND view = nullptr;
    ASSERT_EQ(m_walk->CurrentView(&view), ViewKind::KLineChart);
    m_walk->Command(kPeriodDay);
    m_walk->Command(kCmdAdjustNone);
    m_walk->WaitForChart(view, 40, 20000);
    ::Sleep(1000);
    std::unique_ptr<CDib32> plain = m_walk->CaptureFrame();
    ASSERT_TRUE(plain);
    const PixelArea candles = m_walk->CandleArea(view, kWalkIndicatorPanes);
    EXPECT_GE(ColumnsWith(*plain, candles, [](COLORREF c) { return IsReddish(c) || IsCyanish(c); }), 40)
        << "the candles lie in the area compared";
    m_walk->Command(kCmdAdjustForward);
    std::unique_ptr<CDib32> adjusted;
    double moved = 0;
    WaitUntil(
        [&] {
            adjusted = m_walk->CaptureFrame();
            moved = adjusted ? DifferenceShare(*plain, *adjusted, candles) : 0;
            return moved > kAdjustedCandleShare;
        },
        10000);
    std::printf("    forward adjustment changed %.1f %% of the candle area\n", moved * 100);
    EXPECT_GT(moved, kAdjustedCandleShare) << "forward adjustment moves the candles before the event";
    m_walk->Command(kCmdAdjustNone);

    EXPECT_TRUE(m_walk->MinuteChart()) << m_walk->Screens().back().note;
    EXPECT_GT(QuoteRequests("401 600000"), 0) << "the stock's ticks were asked for";
    EXPECT_TRUE(m_walk->F10()) << m_walk->Screens().back().note;
    const bool sidePanel = m_walk->SidePanelPages();
    EXPECT_TRUE(sidePanel) << m_walk->Screens().back().note;

    // A close while requests hang at the server still ends at once, and
    // leaves every data file whole.
    m_walk->Command(kCmdTechnicalAnalysis);
    m_session->Simulator().Command("quote-fault stall");
    const long before = QuoteRequests("");
    m_walk->OpenStock("600036");
    m_walk->Command(kPeriodFiveMinutes);
    EXPECT_TRUE(WaitUntil([&] { return QuoteRequests("") > before; }, 20000)) << "a request is in flight";
    ::Sleep(500);
    CloseAndCheck(5000);
    m_session->Simulator().Command("quote-fault none");
    for (const std::string& problem : DataFileProblems())
        ADD_FAILURE() << problem;
    if (sidePanel) {
        // The stock added to the user's list before its page showed is in the saved list.
        UserStockList list;
        list.Load(DataPaths(m_session->Options().runDir).GetUserStockFile().c_str());
        bool listed = false;
        for (const UserStockList::Entry& entry : list.GetEntries())
            listed = listed || static_cast<uint32_t>(entry.first) == kStockKey;
        EXPECT_TRUE(listed) << "the user's list was saved with the stock added";
    }
}
