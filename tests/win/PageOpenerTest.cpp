// The one way out to a web page: only http and https addresses reach the
// shell, and the browser gets the address as one argument.
#include <windows.h>
#include <gtest/gtest.h>
#include <string>
#include "tests/support/TempDirectory.h"
#include "win/PageOpener.h"

TEST(PageOpener, OnlyWebAddressesCount)
{
    for (const char* url : { "http://", "https:", "ftp://x", "javascript:alert(1)", "\\\\server\\share",
             "file:///c:/windows/notepad.exe", "c:\\windows\\notepad.exe", " http://a", "" })
        EXPECT_FALSE(IsWebUrl(url)) << url;
    for (const char* url : { "http://a", "Https://a/b?c=d", "HTTP://127.0.0.1:7710/user/index.php" })
        EXPECT_TRUE(IsWebUrl(url)) << url;
}

TEST(PageOpener, TheBrowserGetsTheAddressAsOneQuotedArgument)
{
    EXPECT_EQ("\"http://a/b c?d=1&e=2\"", QuotedPageArgument("http://a/b c?d=1&e=2"));
    // A quote would end the argument and let the rest become more arguments.
    EXPECT_EQ("\"http://a/x -nohome y\"", QuotedPageArgument("http://a/x\" -nohome \"y"));
    EXPECT_EQ("\"\"", QuotedPageArgument(""));
}

// A local program the shell would gladly run: both openers refuse it, in
// every spelling, before the shell sees it.
TEST(PageOpener, LocalProgramsAreNeverStarted)
{
    TempDirectory directory("opener");
    ASSERT_TRUE(directory.WriteFile("run.bat", "@echo off\r\necho started> \"%~dp0started.txt\"\r\n"));
    const std::string program = directory.File("run.bat");
    for (const std::string& url : { program, "file:///" + program, std::string() }) {
        EXPECT_FALSE(OpenPageWithShell(url, SW_HIDE)) << url;
        EXPECT_FALSE(OpenPageInBrowser(url)) << url;
    }
    ::Sleep(1000);
    EXPECT_EQ("<missing>", directory.ReadFile("started.txt"));
}
