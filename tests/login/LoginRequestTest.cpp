// What the login sends and how it reads the service's answers.
#include <gtest/gtest.h>

#include "app/LoginRequest.h"
#include "app/ProgramVersion.h"

TEST(LoginRequest, ScriptsByEdition)
{
    EXPECT_STREQ(LoginScriptForEdition(1), "zentu/login.a2.php");
    EXPECT_STREQ(LoginScriptForEdition(2), "zentu/login.b2.php");
    EXPECT_STREQ(LoginScriptForEdition(3), "zentu/login.c2.php");
    EXPECT_STREQ(LoginScriptForEdition(0), "zentu/login.a2.php");
    EXPECT_STREQ(LoginScriptForEdition(-7), "zentu/login.a2.php");
    EXPECT_STREQ(UpdateScriptForEdition(1), "zentu/update.2.php?pid=5");
    EXPECT_STREQ(UpdateScriptForEdition(2), "zentu/update.2.php?pid=6");
    EXPECT_STREQ(UpdateScriptForEdition(3), "zentu/update.2.php?pid=7");
    EXPECT_STREQ(UpdateScriptForEdition(4), "zentu/update.2.php?pid=5");
    for (int i = 0; i < 20; ++i) {
        const int32_t id = MakeRequestId();
        EXPECT_GE(id, 0);
        EXPECT_LE(id, 10000);
    }
}

TEST(LoginRequest, UrlCarriesNameAndPasswordInTheUrlSafeAlphabet)
{
    struct Case
    {
        std::string user;
        std::string password;
        const char* expected;
    };
    const Case cases[] = {
        // "\xFB\xFF" is "+/8=" in the standard alphabet.
        { "\xFB\xFF", "ab", "http://h/zentu/login.a2.php?&id=42&u=!_8-&p=YWI-" },
        { "zentu", "zentu", "http://h/zentu/login.a2.php?&id=42&u=emVudHU-&p=emVudHU-" },
        { "abc", "\xFF", "http://h/zentu/login.a2.php?&id=42&u=YWJj&p=_w--" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(BuildLoginUrl("http://h/", "zentu/login.a2.php", 42, c.user, c.password), c.expected);

    // A long password stays on one line: the encoder's line feeds never reach the address.
    const std::string url = BuildLoginUrl("http://h/", "x.php", 1, "u", std::string(100, 'p'));
    EXPECT_EQ(url.find('\n'), std::string::npos);
    EXPECT_EQ(url.size(), std::string("http://h/x.php?&id=1&u=dQ--&p=").size() + 136);

    EXPECT_EQ(BuildUpdateUrl("http://h/", "zentu/update.2.php?pid=5", 77), "http://h/zentu/update.2.php?pid=5&id=77");
}

TEST(LoginRequest, ReplyTable)
{
    const std::string newer = std::to_string(kProgramVersion + 1);
    const std::string same = std::to_string(kProgramVersion);
    struct Case
    {
        std::string body; // UTF-8
        bool accepted;
        bool update;
        int32_t time;
        const char* message; // code page 936
    };
    const Case cases[] = {
        { "T|1700000000|" + same + u8"|登录成功", true, false, 1700000000, "登录成功" },
        { "F|1700000000|" + newer + "|x", true, true, 1700000000, "x" },
        { "T|1700000000|20990101|new|extra|fields", true, true, 1700000000, "new" },
        { u8"N|0|0|用户名或密码错误", false, false, 0, "用户名或密码错误" },
        { "t|1|2|lower case", false, false, 0, "lower case" },
        { "TT|1|2|3", false, false, 0, "3" },
        // Three fields, even with "T": the default message.
        { "T|1|" + same, false, false, 0, LoginReply::kDefaultMessage },
        // An empty piece is dropped, so this has three fields.
        { "T|1||message", false, false, 0, LoginReply::kDefaultMessage },
        { "||T||1||" + same + "||msg||", true, false, 1, "msg" },
        { "", false, false, 0, LoginReply::kDefaultMessage },
        { "T", false, false, 0, LoginReply::kDefaultMessage },
        // Numbers that are none, or do not fit, read as 0.
        { "T|soon|99999999999|m", true, false, 0, "m" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        const LoginReply reply = ParseLoginReply(c.body);
        EXPECT_EQ(reply.accepted, c.accepted);
        EXPECT_EQ(reply.updatePending, c.update);
        EXPECT_EQ(reply.serverTime, c.time);
        EXPECT_EQ(reply.message, c.message);
    }
}

TEST(LoginRequest, ServerListTable)
{
    struct Case
    {
        std::string body;
        std::vector<std::string> fields;
    };
    const Case cases[] = {
        { "本地行情,127.0.0.1", { "本地行情,127.0.0.1" } },
        { "a,1.1.1.1|b,2.2.2.2", { "a,1.1.1.1", "b,2.2.2.2" } },
        { "|a,1||b,2|", { "a,1", "b,2" } },
        { "", {} },
        // A line break or another control character would break run.ini's lines.
        { "a,1\r\nInstallFlag=1|b,2|c\t,3|d,\x7f", { "b,2" } },
        // A list that ends, as text does, in a line break.
        { "本地行情,127.0.0.1\r\n", { "本地行情,127.0.0.1" } },
        { "a,1.1.1.1|b,2.2.2.2\n", { "a,1.1.1.1", "b,2.2.2.2" } },
        // "|" as a GBK trail byte (億 is 83 7C) does not split.
        { "\x83\x7c,1.2.3.4", { "\x83\x7c,1.2.3.4" } },
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseServerListReply(c.body), c.fields) << c.body;

    std::string many;
    for (int i = 0; i < 300; ++i)
        many += "s" + std::to_string(i) + ",10.0.0.1|";
    const std::vector<std::string> fields = ParseServerListReply(many);
    ASSERT_EQ(fields.size(), kMaxLiveServers);
    EXPECT_EQ(fields.back(), "s255,10.0.0.1");

    LiveServer server;
    ASSERT_TRUE(ParseLiveServerEntry("name,10.0.0.1", server));
    EXPECT_EQ(server.name, "name");
    EXPECT_EQ(server.address, "10.0.0.1");
    ASSERT_TRUE(ParseLiveServerEntry("a,b,c", server));
    EXPECT_EQ(server.name, "a");
    EXPECT_EQ(server.address, "b,c");
    EXPECT_FALSE(ParseLiveServerEntry("no comma", server));
}
