// The K-line panes a user chose, across a close and a new start of the
// program: what the chart showed at the close is saved, and the next run
// shows it again (and saves it again at its own close).
#include "tests/e2e/EndToEndFixture.h"

#include "base/DataPaths.h"
#include "views/PaneConfigFile.h"

namespace {

const UINT kThreePanes = 4149 + 3;

bool LastWrite(const std::string& path, FILETIME& time)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return false;
    time = data.ftLastWriteTime;
    return true;
}

std::vector<std::wstring> FirstNames(const kline::PaneConfig& config, int count)
{
    std::vector<std::wstring> names;
    for (int i = 0; i < count && i < static_cast<int>(config.names.size()); ++i)
        names.push_back(config.names[i]);
    return names;
}

} // namespace

TEST_F(EndToEnd, ThePanesAUserChoseAreThereAfterARestart)
{
    if (!Start("panes") || !LogInToQuoteList())
        return;
    const std::string paneFile = DataPaths(m_session->Options().runDir).GetTechWinConfFile();
    const std::vector<std::wstring> chosen { L"VOL", L"MACD", L"RSI" };

    // Three panes, and RSI typed into the wizard goes to the last one.
    ASSERT_TRUE(m_walk->KLine(kStockCode)) << m_walk->Screens().back().note;
    m_walk->Command(kThreePanes);
    ::Sleep(500);
    m_walk->TypeText("RSI");
    ::Sleep(500);
    m_walk->TypeKeys({ VK_RETURN });
    ::Sleep(1500);
    HWND view = nullptr;
    ASSERT_EQ(m_walk->CurrentView(&view), ViewKind::KLineChart);
    m_walk->WaitForChart(view, 40, 20000);
    m_walk->Screenshot("panes-chosen");
    CloseAndCheck(5000);
    const kline::PaneConfig saved = kline::LoadPaneConfig(paneFile, 2);
    EXPECT_EQ(3, saved.count) << "the pane count at the close";
    EXPECT_EQ(chosen, FirstNames(saved, 3));
    FILETIME firstSave {};
    ASSERT_TRUE(LastWrite(paneFile, firstSave)) << paneFile;

    // The next start in the same directory shows the same panes: the chart
    // of that run saves them again at its close.
    std::string error;
    ASSERT_TRUE(m_session->StartProgram(&error)) << error;
    ASSERT_TRUE(LogInToQuoteList());
    ASSERT_TRUE(m_walk->KLine(kStockCode)) << m_walk->Screens().back().note;
    ::Sleep(1500);
    m_walk->Screenshot("panes-after-restart");
    CloseAndCheck(5000);
    FILETIME secondSave {};
    ASSERT_TRUE(LastWrite(paneFile, secondSave));
    EXPECT_GT(::CompareFileTime(&secondSave, &firstSave), 0) << "the second run saved its panes";
    const kline::PaneConfig again = kline::LoadPaneConfig(paneFile, 2);
    EXPECT_EQ(3, again.count);
    EXPECT_EQ(chosen, FirstNames(again, 3));
    for (const std::string& problem : DataFileProblems())
        ADD_FAILURE() << problem;
}
