// The program against a faulty server: refused connections, stalls, cut and
// corrupt replies, lying lengths and HTTP errors. It keeps running and
// answering, shows what it already has, and loses no saved file.
#include "tests/e2e/EndToEndFixture.h"
#include "views/ViewIds.h"

namespace {

const UINT kPeriodWeek = kCmdPeriodBase + 7;
const UINT kPeriodFiveMinutes = kCmdPeriodBase + 1;
const UINT kPeriodDay = kCmdPeriodBase + 6;

struct FaultCase
{
    const char* quoteFault;
    const char* webFault;
};

// Each case runs while the user opens a stock the program has not seen yet
// and switches views and periods. Web stalls and delays block the calls the
// program makes on its UI thread for up to the HTTP time-outs, so the program
// must answer within those, not at once.
const FaultCase kFaults[] = {
    { "refuse", "404" },
    { "stall", "stall" },
    { "closemidbody", "truncated" },
    { "truncatedzlib", "500" },
    { "hugelength", "empty" },
    { "lyinglength", "delay" },
    { "lengthzero", "none" },
    { "junkheader", "none" },
    { "closeafterheader", "404" },
};
const char* const kUnseenStocks[] = { "600036", "600028", "600050", "600030", "000001", "600036", "600028",
    "600050", "600030" };

// Longer than the program's HTTP waits (10 s each, and a stock load may make
// one call while the UI waits): the program is stuck only beyond this.
const DWORD kAnswerLimitMs = 45000;

} // namespace

TEST_F(EndToEnd, AFaultyServerNeitherStopsTheProgramNorCostsItsFiles)
{
    if (!Start("faults") || !LogInToQuoteList())
        return;
    // A stock with its bars on disk, shown before anything goes wrong.
    ASSERT_TRUE(m_walk->KLine(kStockCode)) << m_walk->Screens().back().note;
    HWND frame = m_walk->Frame();

    int index = 0;
    for (const FaultCase& fault : kFaults) {
        SCOPED_TRACE(std::string("quote fault ") + fault.quoteFault + ", web fault " + fault.webFault);
        ASSERT_EQ(m_session->Simulator().Command(std::string("quote-fault ") + fault.quoteFault), "ok");
        ASSERT_EQ(m_session->Simulator().Command(std::string("web-fault ") + fault.webFault), "ok");
        const DWORD start = ::GetTickCount();
        m_walk->Command(kCmdTechnicalAnalysis);
        m_walk->OpenStock(kUnseenStocks[index]);
        EXPECT_TRUE(Answers(frame, kAnswerLimitMs)) << "the program answers after opening a stock";
        m_walk->Command(kPeriodWeek);
        m_walk->Command(kPeriodFiveMinutes);
        m_walk->Command(kCmdRealTimeAnalysis);
        EXPECT_TRUE(Answers(frame, kAnswerLimitMs)) << "the program answers after switching";
        ::Sleep(3000);
        EXPECT_TRUE(m_session->ProgramRunning()) << "the program still runs";
        ASSERT_TRUE(Answers(frame, kAnswerLimitMs)) << "the program answers";
        m_walk->Screenshot(std::string("fault-") + fault.quoteFault + "-" + fault.webFault);
        std::printf("    %s / %s: %lu ms\n", fault.quoteFault, fault.webFault,
            static_cast<unsigned long>(::GetTickCount() - start));
        ++index;
    }

    // What the program already had is still shown while the server fails.
    ASSERT_EQ(m_session->Simulator().Command("quote-fault refuse"), "ok");
    ASSERT_EQ(m_session->Simulator().Command("web-fault 500"), "ok");
    m_walk->Command(kCmdTechnicalAnalysis);
    m_walk->OpenStock(kStockCode);
    m_walk->Command(kPeriodDay);
    HWND view = nullptr;
    ASSERT_TRUE(m_walk->WaitForView(ViewKind::KLineChart, 30000, &view));
    EXPECT_GE(m_walk->WaitForChart(view, 40, 30000), 40) << "the stock's bars from its file are drawn";
    m_walk->Screenshot("fault-shows-what-it-has");

    // Once the server is sound again, the program goes on as before.
    ASSERT_EQ(m_session->Simulator().Command("quote-fault none"), "ok");
    ASSERT_EQ(m_session->Simulator().Command("web-fault none"), "ok");
    const long quotes = QuoteRequests("202");
    m_walk->Command(3000); // the quote list
    EXPECT_TRUE(WaitUntil([&] { return QuoteRequests("202") > quotes; }, 20000)) << "the quote refresh resumes";

    CloseAndCheck(5000);
    for (const std::string& problem : DataFileProblems())
        ADD_FAILURE() << problem;
}
