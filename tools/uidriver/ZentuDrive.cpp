// Starts the program against the simulator program, as the README's run
// command does:
//   zentudrive run                 the program on the display, until the user closes it
//   zentudrive walk DIR            headless: drives the program through every screen,
//                                  one PNG per screen in DIR; 0 only when every screen was reached
// Both start the simulator on free ports and name them in the "run.ini" of
// the program's run directory (run\ beside this program, or run-walk\ for a walk).
#include <windows.h>
#include <objbase.h>
#include <gdiplus.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "tools/uidriver/ForeignWindows.h"
#include "tools/uidriver/ZentuSession.h"
#include "tools/uidriver/ZentuWalk.h"

namespace {

void Say(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

int Run()
{
    SessionOptions options;
    options.binDir = ModuleDirectoryOfThisProgram();
    options.runDir = options.binDir + "run\\";
    options.freshData = false; // the user's data and settings stay from run to run
    ZentuSession session(options);
    std::string error;
    if (!session.Prepare(&error) || !session.StartProgram(&error)) {
        Say("error: " + error);
        return 1;
    }
    Say("quote simulator on 127.0.0.1:" + std::to_string(session.Simulator().QuotePort())
        + ", web service on 127.0.0.1:" + std::to_string(session.Simulator().WebPort()));
    Say("the program runs from " + options.runDir + "; close its window to end");
    ::WaitForSingleObject(session.Process(), INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(session.Process(), &code);
    session.Stop();
    Say("the program ended with " + std::to_string(code));
    return 0;
}

int Walk(const std::string& dir)
{
    SessionOptions options;
    options.binDir = ModuleDirectoryOfThisProgram();
    options.runDir = options.binDir + "run-walk\\";
    ZentuSession session(options);
    std::string error;
    if (!session.Prepare(&error) || !session.StartProgram(&error)) {
        Say("error: " + error);
        return 1;
    }
    ZentuWalk walk(session, dir, &Say);
    const bool all = walk.RunAll();
    DWORD code = STILL_ACTIVE;
    const DWORD took = session.CloseProgram(20000, &code);
    session.Stop();
    Say("closed in " + std::to_string(took) + " ms, exit code " + std::to_string(code));
    int missing = 0;
    for (const WalkScreen& screen : walk.Screens())
        missing += screen.reached ? 0 : 1;
    Say(all ? "every screen was reached" : std::to_string(missing) + " screen(s) missing");
    return all && code != STILL_ACTIVE ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    int result = 2;
    if (argc == 2 && std::strcmp(argv[1], "run") == 0)
        result = Run();
    else if (argc == 3 && std::strcmp(argv[1], "walk") == 0)
        result = Walk(argv[2]);
    else
        std::fprintf(stderr, "usage: zentudrive run | zentudrive walk SCREENSHOT-DIR\n");
    Gdiplus::GdiplusShutdown(token);
    return result;
}
