#pragma once
// Application-wide values that exist before start-up code runs, and the
// constant tables several subsystems read. Every value lives behind an
// accessor whose state is constant-initialised or function-local, so any
// static initialiser may use them.
#include "base/Singleton.h"
#include <cstdint>
#include <string>

// The server's time (UTC seconds) that every data request is stamped with;
// the clock's time at program start until the login stores the server's.
class ServerTime
{
public:
    static int32_t Get();
    static void Set(int32_t value);
};

// The current quote server (dotted IPv4 text). Read by other threads while
// the login may change it, so it is guarded and read as a copy.
class QuoteServerAddress
{
public:
    static const char* const kDefault;
    static std::string Get();
    static void Set(const std::string& address);
};

class QuoteServerPort
{
public:
    static constexpr uint16_t kDefault = 443;
    static uint16_t Get();
    static void Set(uint16_t port);
};

// The display name of the logged-in user.
class CurrentUserName
{
public:
    static std::string Get();
    static void Set(const std::string& name);
};

inline constexpr char MainWindowTitle[] = "Zentu股票分析系统 - 经典版";

// The F10 section markers: a star and a four-character title each.
inline constexpr int kF10SectionHeadingCount = 23;
inline constexpr const char* F10SectionHeadings[kF10SectionHeadingCount] = {
    "☆最新提示",
    "☆公司概况",
    "☆财务分析",
    "☆股东研究",
    "☆股本股改",
    "☆风险因素",
    "☆公司报道",
    "☆行业分析",
    "☆公司大事",
    "☆港澳分析",
    "☆经营分析",
    "☆主力追踪",
    "☆分红扩股",
    "☆高层治理",
    "☆业内点评",
    "☆关联个股",
    "☆股权结构",
    "☆资本运作",
    "☆港澳统计",
    "☆行业题材",
    "☆发展规划",
    "☆公告快讯",
    "☆业内财经",
};

// The K-line chart's default sub-pane indicators, in fill order.
inline constexpr int kDefaultKLineIndicatorCount = 9;
inline constexpr const wchar_t* DefaultKLineIndicators[kDefaultKLineIndicatorCount] = {
    L"VOL",
    L"MACD",
    L"KDJ",
    L"DMI",
    L"DMA",
    L"FSL",
    L"TRIX",
    L"CR",
    L"BRAR",
};

// One-character weekday names, Sunday first.
inline constexpr const char* WeekdayShortNames[7] = { "日", "一", "二", "三", "四", "五", "六" };

// The two settings of the ex-rights adjustment.
class CalcDefaults : public Singleton<CalcDefaults>
{
public:
    static constexpr int32_t kDefaultCount = 11;

    // Start date: 2004-05-10 00:00:00 exchange time (UTC+8, 1084118400),
    // whatever the machine's zone.
    CalcDefaults();

    // The stored start date; 0 or -1 are recomputed first.
    int32_t GetStartDate();
    // The stored count (a percentage threshold); 0 or -1 become 11 again.
    int32_t GetCount();

    void SetStartDate(int32_t value) { m_startDate = value; }
    void SetCount(int32_t value) { m_count = value; }

private:
    int32_t m_startDate;
    int32_t m_count;
};
