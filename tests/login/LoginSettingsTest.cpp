// What the login keeps in "run.ini", and the two service calls of the
// dialog's start that fill it.
#include <gtest/gtest.h>

#include <map>

#include "app/LoginSettings.h"
#include "app/StoredPassword.h"
#include "base/Base64.h"
#include "base/Ini.h"
#include "tests/support/TempDirectory.h"

namespace {
// A fetcher that answers from a table of URLs and records what was asked.
struct TableFetcher
{
    std::map<std::string, std::string> answers;
    std::vector<std::string> asked;
    ServiceFetcher Get()
    {
        return [this](const std::string& url, std::string& body) {
            asked.push_back(url);
            auto found = answers.find(url);
            if (found == answers.end())
                return false;
            body = found->second;
            return true;
        };
    }
};
} // namespace

TEST(LoginSettings, SavePasswordFlag)
{
    TempDirectory dir("login");
    CIni ini(dir.File("run.ini"));
    EXPECT_TRUE(LoadSavePasswordFlag(ini)) << "a missing key keeps the password";
    ASSERT_TRUE(SaveSavePasswordFlag(ini, false));
    EXPECT_EQ(ini.GetString("Global", "SavePassWd"), "false");
    EXPECT_FALSE(LoadSavePasswordFlag(ini));
    ASSERT_TRUE(SaveSavePasswordFlag(ini, true));
    EXPECT_EQ(ini.GetString("Global", "SavePassWd"), "true");
    EXPECT_TRUE(LoadSavePasswordFlag(ini));
    ini.WriteString("Global", "SavePassWd", "FALSE");
    EXPECT_TRUE(LoadSavePasswordFlag(ini)) << "only exactly \"false\" clears it";
}

TEST(LoginSettings, UserInfoRoundTrips)
{
    TempDirectory dir("login");
    CIni ini(dir.File("run.ini"));
    std::string name = "x";
    std::string password = "y";
    EXPECT_FALSE(LoadUserInfo(ini, name, password));
    EXPECT_EQ(name, "");
    EXPECT_EQ(password, "");

    // Saved with the password: the name in base64, the password sealed.
    ASSERT_TRUE(SaveUserInfo(ini, "测试用户", "p@ss+/=", true));
    EXPECT_EQ(ini.GetString("UserInfo", "Name"), Base64EncodeStandard("测试用户", 8));
    const std::string sealed = ini.GetString("UserInfo", "PassWd");
    EXPECT_EQ(sealed.compare(0, 3, "v2:"), 0) << sealed;
    EXPECT_EQ(sealed.find("p@ss"), std::string::npos);
    ASSERT_TRUE(LoadUserInfo(ini, name, password));
    EXPECT_EQ(name, "测试用户");
    EXPECT_EQ(password, "p@ss+/=");

    // Not saving the password empties it; the name stays.
    ASSERT_TRUE(SaveUserInfo(ini, "测试用户", "p@ss+/=", false));
    EXPECT_EQ(ini.GetString("UserInfo", "PassWd", "missing"), "");
    ASSERT_TRUE(LoadUserInfo(ini, name, password));
    EXPECT_EQ(name, "测试用户");
    EXPECT_EQ(password, "");

    // An empty name or password leaves what is stored.
    ASSERT_TRUE(SaveUserInfo(ini, "", "", true));
    EXPECT_EQ(ini.GetString("UserInfo", "Name"), Base64EncodeStandard("测试用户", 8));

    // A name only.
    TempDirectory other("login");
    CIni nameOnly(other.File("run.ini"));
    nameOnly.WriteString("UserInfo", "Name", "emVudHU=");
    ASSERT_TRUE(LoadUserInfo(nameOnly, name, password));
    EXPECT_EQ(name, "zentu");
    EXPECT_EQ(password, "");
}

TEST(LoginSettings, OlderAndDamagedValues)
{
    TempDirectory dir("login");
    CIni ini(dir.File("run.ini"));
    std::string name;
    std::string password;

    // An older file's plain base64 password is read, and written sealed at the next save.
    ini.WriteString("UserInfo", "Name", "emVudHU=");
    ini.WriteString("UserInfo", "PassWd", "c2VjcmV0");
    ASSERT_TRUE(LoadUserInfo(ini, name, password));
    EXPECT_EQ(name, "zentu");
    EXPECT_EQ(password, "secret");
    ASSERT_TRUE(SaveUserInfo(ini, name, password, true));
    const std::string sealed = ini.GetString("UserInfo", "PassWd");
    EXPECT_TRUE(IsProtectedPassword(sealed)) << sealed;
    ASSERT_TRUE(LoadUserInfo(ini, name, password));
    EXPECT_EQ(password, "secret");

    struct Case
    {
        std::string stored;
        const char* expected;
    };
    const Case cases[] = {
        { "not base64!", "" }, // a count of alphabet characters that is no multiple of 4
        { "YWJ", "" },
        { std::string(400, 'A'), "" }, // longer than any older value could be
        { "YQBi", "a" }, // stops at a NUL, as the text it was did
        { "v2:AAAA", "" }, // sealed for nobody
        { "v2:", "" },
    };
    for (const Case& c : cases) {
        ini.WriteString("UserInfo", "PassWd", c.stored);
        ini.WriteString("UserInfo", "Name", c.stored);
        LoadUserInfo(ini, name, password);
        EXPECT_EQ(password, c.expected) << c.stored;
        if (c.stored.compare(0, 3, "v2:") != 0) {
            EXPECT_EQ(name, c.expected) << c.stored;
        }
    }
}

TEST(LoginSettings, InstallNoticeIsSentOnce)
{
    TempDirectory dir("login");
    CIni ini(dir.File("run.ini"));
    TableFetcher fetcher;
    // The answer is not looked at: a failed notice still counts as sent.
    EXPECT_TRUE(ReportInstall(ini, fetcher.Get(), "http://h/"));
    ASSERT_EQ(fetcher.asked.size(), 1u);
    EXPECT_EQ(fetcher.asked[0], "http://h/zentu/live/install.php?p=5&f=0");
    EXPECT_EQ(ini.GetString("Global", "InstallFlag"), "20110816");
    EXPECT_FALSE(ReportInstall(ini, fetcher.Get(), "http://h/"));
    EXPECT_EQ(fetcher.asked.size(), 1u);
}

TEST(LoginSettings, ServerListIsStoredAndReadBack)
{
    TempDirectory dir("login");
    CIni ini(dir.File("run.ini"));
    TableFetcher fetcher;
    const std::string url = "http://h/zentu/live/hq_server.php";

    // No answer: nothing stored, nothing listed.
    EXPECT_FALSE(FetchLiveServers(ini, fetcher.Get(), "http://h/"));
    EXPECT_TRUE(LoadLiveServers(ini).empty());

    fetcher.answers[url] = "一号,10.0.0.1|二号,10.0.0.2|三号,10.0.0.3";
    ASSERT_TRUE(FetchLiveServers(ini, fetcher.Get(), "http://h/"));
    EXPECT_EQ(ini.GetString("LiveServer", "2"), "三号,10.0.0.3");

    // A shorter list overwrites from "0" and leaves the keys beyond it.
    fetcher.answers[url] = "新,10.0.0.9|bad\r\nline,1";
    ASSERT_TRUE(FetchLiveServers(ini, fetcher.Get(), "http://h/"));
    EXPECT_EQ(ini.GetString("LiveServer", "0"), "新,10.0.0.9");
    EXPECT_EQ(ini.GetString("LiveServer", "1"), "二号,10.0.0.2");

    // Entries without a comma are skipped; gaps do not end the list; 255 is the last key read.
    ini.WriteString("LiveServer", "1", "no comma");
    ini.WriteString("LiveServer", "7", "七,1.1.1.7,x");
    ini.WriteString("LiveServer", "255", "末,1.1.1.255");
    ini.WriteString("LiveServer", "256", "外,1.1.1.1");
    const std::vector<LiveServer> servers = LoadLiveServers(ini);
    ASSERT_EQ(servers.size(), 4u);
    EXPECT_EQ(servers[0].name, "新");
    EXPECT_EQ(servers[1].name, "三号");
    EXPECT_EQ(servers[2].name, "七");
    EXPECT_EQ(servers[2].address, "1.1.1.7,x");
    EXPECT_EQ(servers[3].address, "1.1.1.255");
}
