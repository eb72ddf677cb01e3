// Application-wide values and tables that exist before start-up runs.
#include "base/GlobalDefaults.h"
#include <gtest/gtest.h>
#include <cstring>
#include <ctime>
#include <atomic>
#include <thread>
#include <vector>

TEST(GlobalDefaults, InitialValues)
{
    const int32_t now = static_cast<int32_t>(std::time(nullptr));
    const int32_t start = ServerTime::Get();
    EXPECT_GT(start, 1500000000);
    EXPECT_LE(start, now);
    EXPECT_EQ(QuoteServerPort::kDefault, 443);
    EXPECT_STREQ(QuoteServerAddress::kDefault, "127.0.0.1");
    EXPECT_EQ(CurrentUserName::Get(), "Kelo财经用户");
    // The title's bytes are GBK: the single-instance check finds the window by them.
    const unsigned char expected[] = { 'Z', 'e', 'n', 't', 'u', 0xB9, 0xC9, 0xC6, 0xB1 };
    ASSERT_GT(std::strlen(MainWindowTitle), sizeof(expected));
    EXPECT_EQ(std::memcmp(MainWindowTitle, expected, sizeof(expected)), 0);
    EXPECT_STREQ(MainWindowTitle + std::strlen(MainWindowTitle) - 9, " - 经典版");
}

TEST(GlobalDefaults, SettersAndCopyOut)
{
    const std::string oldAddress = QuoteServerAddress::Get();
    EXPECT_EQ(oldAddress, "127.0.0.1");
    const uint16_t oldPort = QuoteServerPort::Get();
    const int32_t oldTime = ServerTime::Get();

    QuoteServerAddress::Set("10.1.2.3");
    QuoteServerPort::Set(50002);
    ServerTime::Set(1234567890);
    EXPECT_EQ(QuoteServerAddress::Get(), "10.1.2.3");
    EXPECT_EQ(QuoteServerPort::Get(), 50002);
    EXPECT_EQ(ServerTime::Get(), 1234567890);

    QuoteServerAddress::Set(oldAddress);
    QuoteServerPort::Set(oldPort);
    ServerTime::Set(oldTime);
}

TEST(GlobalDefaults, AddressReadWhileWrittenIsAlwaysWhole)
{
    const std::string a = "192.168.100.200", b = "1.2.3.4";
    std::atomic<bool> stop { false };
    std::thread writer([&] {
        for (int i = 0; i < 20000; ++i)
            QuoteServerAddress::Set(i % 2 ? a : b);
        stop = true;
    });
    int bad = 0;
    while (!stop) {
        const std::string seen = QuoteServerAddress::Get();
        if (seen != a && seen != b && seen != "127.0.0.1")
            ++bad;
    }
    writer.join();
    EXPECT_EQ(bad, 0);
    QuoteServerAddress::Set("127.0.0.1");
}

TEST(GlobalDefaults, Tables)
{
    EXPECT_STREQ(F10SectionHeadings[0], "☆最新提示");
    EXPECT_STREQ(F10SectionHeadings[16], "☆股权结构");
    EXPECT_STREQ(F10SectionHeadings[22], "☆业内财经");
    for (const char* heading : F10SectionHeadings)
        EXPECT_EQ(std::strlen(heading), 10u) << heading; // star + four characters, two bytes each
    EXPECT_STREQ(DefaultKLineIndicators[0], L"VOL");
    EXPECT_STREQ(DefaultKLineIndicators[8], L"BRAR");
    EXPECT_STREQ(WeekdayShortNames[0], "日");
    EXPECT_STREQ(WeekdayShortNames[6], "六");
}

TEST(CalcDefaults, StartDateAndCountWithTheirResets)
{
    CalcDefaults::ReleaseInstance();
    CalcDefaults* defaults = CalcDefaults::Instance();
    ASSERT_NE(defaults, nullptr);
    // 2004-05-10 00:00 in UTC+8, whatever the machine's zone.
    EXPECT_EQ(defaults->GetStartDate(), 1084118400);
    EXPECT_EQ(defaults->GetCount(), 11);
    const int32_t resets[] = { 0, -1 };
    for (int32_t bad : resets) {
        defaults->SetStartDate(bad);
        defaults->SetCount(bad);
        EXPECT_EQ(defaults->GetStartDate(), 1084118400);
        EXPECT_EQ(defaults->GetCount(), 11);
    }
    defaults->SetCount(20);
    defaults->SetStartDate(1100000000);
    EXPECT_EQ(defaults->GetCount(), 20);
    EXPECT_EQ(defaults->GetStartDate(), 1100000000);
    CalcDefaults::ReleaseInstance();
    EXPECT_EQ(CalcDefaults::Instance()->GetCount(), 11);
    CalcDefaults::ReleaseInstance();
}
