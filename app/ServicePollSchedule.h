#pragma once
// Which of the three service polls a tick of the poll thread runs. The
// thread ticks every half second; the status is due every 10th tick (5 s),
// the news every 600th (300 s), the login check every 1080th (540 s), the
// first ones that many ticks after the start (the frame has polled all three
// once while it was created).
#include <cstdint>

struct ServicePollsDue
{
    bool news = false;
    bool status = false;
    bool login = false;
};

class ServicePollSchedule
{
public:
    static constexpr uint32_t kNewsTicks = 600;
    static constexpr uint32_t kStatusTicks = 10;
    static constexpr uint32_t kLoginTicks = 1080;

    ServicePollsDue Tick()
    {
        ServicePollsDue due;
        due.news = Advance(m_news, kNewsTicks);
        due.status = Advance(m_status, kStatusTicks);
        due.login = Advance(m_login, kLoginTicks);
        return due;
    }

private:
    static bool Advance(uint32_t& counter, uint32_t period)
    {
        if (++counter < period)
            return false;
        counter = 0;
        return true;
    }

    uint32_t m_news = 0;
    uint32_t m_status = 0;
    uint32_t m_login = 0;
};
