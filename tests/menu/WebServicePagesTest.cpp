// The simulator's information pages and rankings as the program fetches them.
#include "app/ServiceDownload.h"
#include "tools/marketdata/SimMarketTables.h"
#include "tools/webservice/SimPageService.h"
#include "tools/webservice/SimRankingService.h"
#include "tools/websim/WebSimServer.h"
#include <gtest/gtest.h>
#include <string>

TEST(WebServicePages, EveryPageOfTheMenusAnswersAndOthersDoNot)
{
    SimPageService pages;
    SimMarketTables tables;
    SimRankingService rankings(tables.Securities());
    WebSimServer web;
    pages.Install(web);
    rankings.Install(web);
    ASSERT_TRUE(web.Start(0));
    std::string body;
    for (const char* path : { "/", "/more/list_5.html", "/zentu/report/report_buju.php?u=%D5%C5",
             "/zentu/cashflow/cashflow_in_out_5days.5.php?m=18515&c=1A0001", "//zentu/live/tech_tip.php?id=3",
             "/chat/index.html" }) {
        EXPECT_TRUE(DownloadServiceBody(web.Url(path), body)) << path;
        EXPECT_NE(body.find("charset=gb2312"), std::string::npos) << path;
    }
    EXPECT_NE(body.find("/chat/index.html"), std::string::npos);
    EXPECT_FALSE(DownloadServiceBody(web.Url("/more/list_99.html"), body));

    // Both spellings of the ranking path; whole records of the type's size.
    for (const char* path : { "/Zentu/live/live.php?type=1", "/zentu/live/live.php?type=1" }) {
        ASSERT_TRUE(DownloadServiceBody(web.Url(path), body)) << path;
        EXPECT_EQ(body.size(), 60u * 4 * SimRankingService::kEntriesPerList);
    }
    ASSERT_TRUE(DownloadServiceBody(web.Url("/Zentu/live/live.php?type=11"), body));
    EXPECT_EQ(body.size() % 58, 0u);
    EXPECT_FALSE(DownloadServiceBody(web.Url("/Zentu/live/live.php?type=2"), body));
    EXPECT_EQ(rankings.RequestCount(), 4u);
    web.Stop();
}
