// The WinINet wrappers: every failure is a CInternetException with its message.
#include <gtest/gtest.h>
#include <string>

#include "net/InternetSession.h"
#include "tools/websim/WebSimServer.h"

TEST(InternetWrappers, FailuresCarryTheirMessages)
{
    WebSimServer server;
    ASSERT_TRUE(server.Start());
    CInternetSession session("kelo88", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0x04000000);
    ASSERT_NE(session.Get(), nullptr);

    try {
        session.SetOption(0xFFFF, static_cast<DWORD>(1));
        ADD_FAILURE() << "an unknown option was accepted";
    } catch (const CInternetException& e) {
        EXPECT_EQ(e.GetMessage(), "Failed to set an internet option (65535)");
        EXPECT_EQ(e.GetResponseText(), "Unknown error");
        EXPECT_NE(e.GetErrorCode(), 0u);
    }

    try {
        CHttpFile file(session, "http://127.0.0.1:1/x", nullptr, static_cast<DWORD>(-1), 0x84400000, 7);
        ADD_FAILURE() << "a closed port was opened";
    } catch (const CInternetException& e) {
        EXPECT_EQ(e.GetMessage(), "Failed to open http url (http://127.0.0.1:1/x)");
        EXPECT_EQ(e.GetContext(), reinterpret_cast<void*>(7));
    }

    // A reply without a length: asking for it fails; the status is there.
    server.Enqueue(WebSimReply::Ok("body", WebSimReply::kUntilClose));
    CHttpFile file(session, server.Url("/q").c_str(), nullptr, static_cast<DWORD>(-1), 0x84400000, 0);
    EXPECT_EQ(file.QueryInfo(HTTP_QUERY_STATUS_CODE), 200u);
    DWORD length = 0;
    EXPECT_FALSE(file.TryQueryInfo(HTTP_QUERY_CONTENT_LENGTH, length));
    try {
        file.QueryInfo(HTTP_QUERY_CONTENT_LENGTH);
        ADD_FAILURE() << "a missing header was reported";
    } catch (const CInternetException& e) {
        EXPECT_EQ(e.GetMessage(), "Failed to query http info (5)");
    }
    std::string body;
    char buffer[3];
    while (DWORD read = file.Read(buffer, sizeof(buffer)))
        body.append(buffer, read);
    EXPECT_EQ(body, "body");
}
