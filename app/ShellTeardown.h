#pragma once
// The end of every main-frame run: the threads that issue requests stop
// before the request manager goes, the views go (saving what the user chose)
// while everything they use still stands, and the application's singletons
// are released in an order where nothing released is still used by what
// remains. The next run (after a re-login) builds every singleton afresh.
#include <functional>
#include <string>
#include <vector>

struct TeardownStep
{
    std::string name;
    std::function<void()> run;
};

// From the data center's cache thread to the view options, in order.
std::vector<TeardownStep> ApplicationReleaseSteps();

// The frame's own steps first (leave the message loop, stop the poll
// thread, destroy the views), then the releases in the order given.
void RunShellTeardown(const std::function<void()>& leaveMessageLoop, const std::function<void()>& stopPollThread,
    const std::function<void()>& destroyViews, const std::vector<TeardownStep>& releases);
