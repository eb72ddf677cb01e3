#pragma once
// One security with all its per-stock series, the request marks the views
// leave for the cache thread, and the snapshot copy the views paint from.
#include <cstdint>
#include <vector>

#include "base/Thread.h"
#include "data/F10Data.h"
#include "data/FenbiData.h"
#include "data/FiveMinData.h"
#include "data/KData.h"
#include "data/Minute.h"
#include "data/StockDiagnose.h"
#include "data/StockInfo.h"

class CCodeTable;
class CDataUpdateNotiy;
class CMemoryStream;
struct ExRightsRecord;

// Request marks: which requesting series the next issue asks for.
enum StockRequestFlag : uint32_t {
    kRequestDayBars = 0x01,
    kRequestFiveMinuteBars = 0x02,
    kRequestF10 = 0x04,
    kRequestTicks = 0x08,
    kRequestDiagnosis = 0x10,
};

// The chart periods of GetKData.
enum ChartPeriod : int32_t {
    kPeriodFiveMinutes = 1,
    kPeriodTenMinutes = 2,
    kPeriodFifteenMinutes = 3,
    kPeriodThirtyMinutes = 4,
    kPeriodSixtyMinutes = 5,
    kPeriodDay = 6,
    kPeriodWeek = 7,
    kPeriodMonth = 8,
    kPeriodQuarter = 9,
    kPeriodYear = 10,
};

// 00:00 of the exchange-time day of a time.
int32_t DayStartOfTime(int32_t time);

class CStock
{
public:
    // Trading minutes of one day.
    static const int kTradingMinutes = 242;

    explicit CStock(uint32_t key);
    // Stops every requesting series from taking replies and waits until none
    // is due (each request is answered exactly once, within the transport's
    // time-outs), then saves what is dirty.
    virtual ~CStock();

    // Reads the stock's files and fetches its diagnosis verdict; always 0.
    int Load();
    void AttachCodeTable(const CCodeTable* table);
    void SetNotifier(CDataUpdateNotiy* notifier);
    void SetActive(int active);

    // Joins the marks not yet issued (flags and more history ORed), so a
    // request once posted is sent once; after an issue a post starts afresh.
    // Always 1.
    int PostRequest(int pending, uint32_t flags, int more);
    // Sends what the marks ask for, in the order day, five minutes, F10,
    // ticks, diagnosis; the marks are read and the pending mark cleared in
    // one step, so a post that arrives meanwhile is kept for the next issue.
    int IssuePendingRequests();
    // The marks as they stand (for callers that must not issue them).
    void GetPendingRequest(int* pending, uint32_t* flags, int* more) const;
    bool IsBusy();

    // Sets the current period and returns its series: minute periods from
    // the five-minute bars (never requested here), day-based periods from
    // the day bars (a day request is marked when there are none).
    CKData* GetKData(int period);
    int GetPeriod() const { return m_period; }

    uint32_t GetCodeKey() const { return m_key; }
    CStockInfo& GetStockInfo() { return m_info; }
    const CStockInfo& GetStockInfo() const { return m_info; }
    CFenbiData& GetFenbiData() { return m_ticks; }
    CF10Data& GetF10Data() { return m_f10; }
    CMinute& GetMinute() { return m_minute; }
    CStockDiagnose& GetDiagnose() { return m_diagnose; }
    CKData& GetDayData() { return m_day; }
    CFiveMinData& GetFiveMinuteData() { return m_min5; }
    const CCodeTable* GetCodeTable() const { return m_codeTable; }
    // The requesting series a quote command fills (0x205, 0x301, 0x302,
    // 0x401), or null.
    CBase* GetSeriesOfCommand(int32_t command);

    // records may be null. mode: CKData::ExRightsMode.
    void ApplyExRights(int period, const std::vector<ExRightsRecord>* records, int mode);
    int UpdateQuoteFromTicks(const CFenbiData& ticks);
    int UpdateCurrentPeriod(const CFenbiData& ticks);
    void UpdateDayBarFromTicks(const CFenbiData& ticks);
    void UpdateFiveMinuteBarsFromTicks(const CFenbiData& ticks);

    // The end of the n-minute bar a time falls in (exchange time, second 0).
    static int32_t GetBarEndTime(int32_t time, int n);

    // Average volume per trading minute of up to n earlier days; 0 (out 0)
    // when there is no tick volume or no earlier day bar.
    int GetAvgMinuteVolume(double* out, int32_t time, int n);
    int GetVolumeRatio(double* out, int32_t time, float volume, float average, int n);
    int GetCurrentVolumeRatio(double* out, int n);

    // The snapshot copy: the requesting series that hold uncopied data, and
    // what follows from the ticks.
    CStock* Clone();
    // Brings one updated series of this cached stock into its snapshot.
    int CopyUpdatedSeries(CStock* snapshot, int kind);

private:
    CStock(const CStock&) = delete;
    CStock& operator=(const CStock&) = delete;

    void MarkDayRequest();
    CKData* DerivedMinuteSeries(int period);
    CKData* DerivedDaySeries(int period);
    void DeriveMinutePeriod(int period);
    void DeriveDayPeriod(int period);

    const uint32_t m_key;
    mutable CriticalSection m_requestLock; // the three request fields
    int32_t m_requestPending;
    uint8_t m_moreHistory;
    uint32_t m_requestFlags;
    int32_t m_period;
    const CCodeTable* m_codeTable;
    int32_t m_spare;
    CStockInfo m_info;
    CF10Data m_f10;
    CFenbiData m_ticks;
    CKData m_month;
    CKData m_quarter;
    CKData m_year;
    CKData m_week;
    CKData m_day;
    CFiveMinData m_min60;
    CFiveMinData m_min30;
    CFiveMinData m_min15;
    CFiveMinData m_min10;
    CFiveMinData m_min5;
    CMinute m_minute;
    CStockDiagnose m_diagnose;
};
