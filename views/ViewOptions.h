#pragma once
// The chart settings the views and their menus share: price adjustment,
// number of indicator panes, period. Read and written on the UI thread.
#include <cstdint>

#include "base/Singleton.h"

class ViewOptions : public Singleton<ViewOptions>
{
public:
    static constexpr int32_t kAdjustNone = 1; // "不复权"
    static constexpr int32_t kAdjustBackward = 2; // "后复权"
    static constexpr int32_t kAdjustForward = 3; // "前复权"
    static constexpr int32_t kDefaultSubPaneCount = 2;
    static constexpr int32_t kDefaultPeriod = 6; // day

    int32_t GetAdjustMode() const { return m_adjustMode; }
    void SetAdjustMode(int32_t mode) { m_adjustMode = mode; }
    int32_t GetSubPaneCount() const { return m_subPaneCount; }
    void SetSubPaneCount(int32_t count) { m_subPaneCount = count; }
    // A ChartPeriod, 1 to 10.
    int32_t GetPeriod() const { return m_period; }
    void SetPeriod(int32_t period) { m_period = period; }

private:
    friend class Singleton<ViewOptions>;
    ViewOptions() { }

    int32_t m_adjustMode = kAdjustNone;
    int32_t m_subPaneCount = kDefaultSubPaneCount;
    int32_t m_period = kDefaultPeriod;
};
