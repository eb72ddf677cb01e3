#pragma once
// The view side's observer of the data center. Both handlers run on the
// replying worker thread inside the data lock: they copy what they need and
// invalidate, and never wait for the UI thread.
#include <cstdint>

class CReportData;

class CViewNotify
{
public:
    virtual ~CViewNotify() { }
    virtual void OnQuotesRefreshed(CReportData* quotes) = 0;
    // kind: SeriesKind; key: the CodeKey of the current stock or of another
    // cached one (a chart of a grid may show it).
    virtual void OnStockDataUpdated(int kind, uint32_t key) = 0;
};
