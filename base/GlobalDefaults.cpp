#include "base/GlobalDefaults.h"
#include "base/Format.h"
#include "base/Thread.h"
#include <atomic>
#include <climits>
#include <ctime>

namespace {

const int32_t kUnsetTime = INT32_MIN;
std::atomic<int32_t> g_serverTime { kUnsetTime };
std::atomic<uint16_t> g_quoteServerPort { QuoteServerPort::kDefault };

struct GuardedText
{
    explicit GuardedText(const char* initial)
        : value(initial)
    {
    }
    CriticalSection lock;
    std::string value;
};

GuardedText& AddressState()
{
    static GuardedText state(QuoteServerAddress::kDefault);
    return state;
}

GuardedText& UserNameState()
{
    static GuardedText state("Kelo财经用户");
    return state;
}

std::string Read(GuardedText& state)
{
    SingleLock lock(&state.lock);
    return state.value;
}

void Write(GuardedText& state, const std::string& value)
{
    SingleLock lock(&state.lock);
    state.value = value;
}

// Fixes the start time when the program starts, even if nothing reads it early.
const int32_t g_startTime = ServerTime::Get();

}

int32_t ServerTime::Get()
{
    int32_t value = g_serverTime.load(std::memory_order_acquire);
    if (value != kUnsetTime)
        return value;
    int32_t now = static_cast<int32_t>(std::time(nullptr));
    if (now == kUnsetTime)
        now = 0;
    // The first reader fixes the start time; a racing reader takes the same.
    if (g_serverTime.compare_exchange_strong(value, now, std::memory_order_acq_rel))
        return now;
    return value;
}

void ServerTime::Set(int32_t value)
{
    if (value == kUnsetTime)
        value = 0;
    g_serverTime.store(value, std::memory_order_release);
}

const char* const QuoteServerAddress::kDefault = "127.0.0.1";

std::string QuoteServerAddress::Get()
{
    return Read(AddressState());
}
void QuoteServerAddress::Set(const std::string& address)
{
    Write(AddressState(), address);
}

uint16_t QuoteServerPort::Get()
{
    return g_quoteServerPort.load(std::memory_order_acquire);
}
void QuoteServerPort::Set(uint16_t port)
{
    g_quoteServerPort.store(port, std::memory_order_release);
}

std::string CurrentUserName::Get()
{
    return Read(UserNameState());
}
void CurrentUserName::Set(const std::string& name)
{
    Write(UserNameState(), name);
}

namespace {

int32_t DefaultStartDate()
{
    return MakeLocalTime(2004, 5, 10, 0, 0, 0, -1);
}

}

CalcDefaults::CalcDefaults()
    : m_startDate(DefaultStartDate())
    , m_count(kDefaultCount)
{
}

int32_t CalcDefaults::GetStartDate()
{
    if (m_startDate == 0 || m_startDate == -1)
        m_startDate = DefaultStartDate();
    return m_startDate;
}

int32_t CalcDefaults::GetCount()
{
    if (m_count == 0 || m_count == -1)
        m_count = kDefaultCount;
    return m_count;
}
