#pragma once
// One run of the program against the simulator program, for the end-to-end
// tests: a run directory and a screenshot directory of the test's own beside
// the test program, the walk's steps, and the checks that every run ends with
// (the program ends in time, nothing is left running, the data files are whole).
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "tools/uidriver/ForeignWindows.h"
#include "tools/uidriver/ZentuSession.h"
#include "tools/uidriver/ZentuWalk.h"

class EndToEnd : public ::testing::Test
{
protected:
    void TearDown() override;

    // Copies the program, starts the simulator and the program. False (with
    // a failure recorded) when any of it cannot be done.
    bool Start(const std::string& name);
    // Logs in and waits for the quote list. False when the program cannot get
    // there; the test is then skipped when a piece of the program is not built
    // yet, and failed otherwise.
    bool LogInToQuoteList();

    // Closes the program as the user does; the time it took. Checks that it
    // ended with 1 within limitMs and that no instance is left.
    DWORD CloseAndCheck(DWORD limitMs);

    // What is wrong with the data files in the run directory, reloaded with
    // the program's own loaders (empty when every file is whole).
    std::vector<std::string> DataFileProblems() const;

    std::string DataFile(const std::string& name) const;
    long QuoteRequests(const char* command);

    std::unique_ptr<ZentuSession> m_session;
    std::unique_ptr<ZentuWalk> m_walk;
    std::string m_name;
};

// A stock of the simulated market and its code key.
const char kStockCode[] = "600000";
const uint32_t kStockKey = 0x00600000;
