#pragma once
// The simulator program's control channel for tests and scripts that start it
// as a program: one command a line on standard input, one answer a line on
// standard output. The end of the input stops the simulator, so it never
// outlives the process that started it.
//
//   quote-fault NAME [TIMES]   none refuse lengthzero closeafterheader closemidbody
//                              truncatedzlib hugelength junkheader stall lyinglength drip
//   web-fault NAME             none 404 500 empty truncated stall delay
//   quote-hold COMMAND         requests of one hex command wait at the server until released
//   quote-held                 how many requests wait ("count N")
//   quote-release              lets every waiting request go on and holds nothing more
//   quote-count [COMMAND [KEY]] requests logged (all, of one hex command such as 202, or
//                              of that command for one hex code key such as 600000)
//   web-count [PATH]           requests logged (all, or of one path such as /login/login.php)
//   quit
// Answers: "ok", "count N", or "error TEXT".
#include <string>

class QuoteSimulator;
class WebSimServer;

class SimulatorControl
{
public:
    SimulatorControl(QuoteSimulator& quotes, WebSimServer& web);

    // The answer to one command line.
    std::string Execute(const std::string& line);
    // Reads commands from standard input until "quit" or its end.
    void Run();

private:
    QuoteSimulator& m_quotes;
    WebSimServer& m_web;
};
