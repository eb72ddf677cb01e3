#include "tests/e2e/EndToEndFixture.h"

#include <cstdio>

#include "base/DataPaths.h"
#include "data/Bar.h"
#include "data/CodeTable.h"
#include "data/KData.h"
#include "data/ReportData.h"
#include "data/UserStockList.h"

namespace {

void Log(const std::string& line)
{
    std::printf("    %s\n", line.c_str());
    std::fflush(stdout);
}

// Files a save left behind when it was cut short: "<name>.<pid>.<n>.tmp".
void FindTemporaryFiles(const std::string& dir, std::vector<std::string>& found)
{
    WIN32_FIND_DATAA entry;
    HANDLE search = ::FindFirstFileA((dir + "*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::string name = entry.cFileName;
        if (name == "." || name == "..")
            continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            FindTemporaryFiles(dir + name + "\\", found);
        else if (name.size() > 4 && _stricmp(name.c_str() + name.size() - 4, ".tmp") == 0)
            found.push_back(dir + name);
    } while (::FindNextFileA(search, &entry));
    ::FindClose(search);
}

long FileSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return static_cast<long>(data.nFileSizeLow);
}

} // namespace

bool EndToEnd::Start(const std::string& name)
{
    m_name = name;
    SessionOptions options;
    options.binDir = ModuleDirectoryOfThisProgram();
    options.runDir = options.binDir + "e2e-" + name + "\\";
    m_session.reset(new ZentuSession(options));
    std::string error;
    if (!m_session->Prepare(&error)) {
        ADD_FAILURE() << error;
        return false;
    }
    if (!m_session->StartProgram(&error)) {
        ADD_FAILURE() << error;
        return false;
    }
    const std::string shots = options.binDir + "test-output\\e2e-" + name;
    ::CreateDirectoryA((options.binDir + "test-output").c_str(), nullptr);
    RemoveTree(shots);
    m_walk.reset(new ZentuWalk(*m_session, shots, &Log));
    return true;
}

bool EndToEnd::LogInToQuoteList()
{
    if (!m_walk->Login()) {
        ADD_FAILURE() << "the login did not get through: " << m_walk->Screens().back().note;
        return false;
    }
    EXPECT_EQ(m_walk->HighestProgress(), 100) << "the loading progress reaches 100";
    if (!m_walk->QuoteList()) {
        ADD_FAILURE() << "no quote list: " << m_walk->Screens().back().note;
        return false;
    }
    return true;
}

DWORD EndToEnd::CloseAndCheck(DWORD limitMs)
{
    DWORD code = STILL_ACTIVE;
    const DWORD took = m_session->CloseProgram(limitMs + 20000, &code);
    EXPECT_NE(code, static_cast<DWORD>(STILL_ACTIVE)) << "the program ends when closed";
    EXPECT_EQ(code, 1u) << "a normal close ends the run with 1";
    EXPECT_LE(took, limitMs) << "the program ends within " << limitMs << " ms of the close";
    EXPECT_TRUE(WaitUntil([] { return ProcessesNamed("Zentu.exe").empty(); }, 5000))
        << "no instance of the program is left";
    EXPECT_TRUE(ProcessesNamed("Update.exe").empty()) << "no updater was started";
    return took;
}

std::string EndToEnd::DataFile(const std::string& name) const
{
    return m_session->RunFile("hqdata\\" + name);
}

long EndToEnd::QuoteRequests(const char* command)
{
    return m_session->Simulator().Count(std::string("quote-count ") + command);
}

std::vector<std::string> EndToEnd::DataFileProblems() const
{
    std::vector<std::string> problems;
    const std::string appDir = m_session->Options().runDir;
    DataPaths paths(appDir);

    CCodeTable codes;
    if (!codes.Load(paths.GetCodeListFile().c_str()) || codes.GetCount() < 100)
        problems.push_back("the code table " + paths.GetCodeListFile() + " does not load whole ("
            + std::to_string(codes.GetCount()) + " entries)");
    CReportData quotes;
    if (!quotes.Load(paths.GetReportPriceFile().c_str(), 0) || quotes.GetQuoteCount() < 100)
        problems.push_back("the quote table " + paths.GetReportPriceFile() + " does not load whole");
    else if (codes.GetCount() > 0 && quotes.GetQuoteCount() > static_cast<size_t>(codes.GetCount()))
        problems.push_back("the quote table holds more quotes than the code table has entries");

    const std::string dayFile = paths.GetDayFile(static_cast<int32_t>(kStockKey));
    const long daySize = FileSize(dayFile);
    if (daySize >= 0) {
        CKData days;
        if (daySize % static_cast<long>(sizeof(Bar)) != 0 || !days.Load(dayFile.c_str(), kStockKey))
            problems.push_back(dayFile + " is not whole bars (" + std::to_string(daySize) + " bytes)");
        int32_t last = 0;
        for (const Bar& bar : days.GetBars()) {
            if (bar.time <= last || !(bar.close > 0) || !(bar.high >= bar.low)) {
                problems.push_back(dayFile + " holds a damaged bar");
                break;
            }
            last = bar.time;
        }
    }

    const std::string userList = paths.GetUserStockFile();
    if (FileSize(userList) >= 0) {
        UserStockList list;
        if (!list.Load(userList.c_str()))
            problems.push_back(userList + " does not load");
    }

    std::vector<std::string> temporary;
    FindTemporaryFiles(appDir, temporary);
    for (const std::string& file : temporary)
        problems.push_back("a save was left unfinished: " + file);
    return problems;
}

void EndToEnd::TearDown()
{
    if (m_session) {
        m_session->Stop();
        // Pages the program opened in the system's browser stay open after
        // it; the run ends them with everything else it started.
        for (const std::string& name : m_session->EndedStrays())
            std::printf("    ended %s, which the program had started\n", name.c_str());
    }
    m_walk.reset();
    m_session.reset();
}
