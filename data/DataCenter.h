#pragma once
// The one owner of the market data: the whole-market tables, the stock cache
// with its thread, the browse list, the current stock and its UI snapshot.
// Every merged reply is reported here and relayed to the view side's one
// observer when it concerns the quote table, the current stock or another
// cached stock (a chart of a grid may show it).
#include <windows.h>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "base/Singleton.h"
#include "base/Thread.h"
#include "data/CodeTable.h"
#include "data/DataManager.h"
#include "data/DataUpdateNotify.h"
#include "data/FinanceData.h"
#include "data/FormuleData.h"
#include "data/GroupData.h"
#include "data/PwrData.h"
#include "data/ReportData.h"
#include "data/StockFactory.h"
#include "data/UserStockList.h"

class CStock;
class CViewNotify;

class CDataCenter : public CDataUpdateNotiy, public IDataManager, public Singleton<CDataCenter>
{
public:
    // The data lock (the process-wide one of GetDataLock): re-entrant; taken
    // before the stock cache's locks and any table's own lock.
    CriticalSection& GetDataLock();

    void SetObserver(CViewNotify* observer) { m_observer.store(observer); }
    CViewNotify* GetObserver() const { return m_observer.load(); }

    // Makes the key current (a key not in the code table: the table's first
    // security); 0 when nothing could be made current.
    int SetCurrentStock(uint32_t key);
    int SelectPrevStock();
    int SelectNextStock();
    // Callers hold the data lock.
    int SwitchToStock(int position);
    // The UI snapshot of the current stock (made anew when the current stock
    // changed); 0 with null when there is no current stock. Callers hold the
    // data lock while they use the snapshot.
    int GetCurrentStock(CStock** out);
    uint32_t GetCurrentCodeKey() const { return m_currentKey.load(); }
    // The cached current stock itself (workers merge into it): callers hold
    // the data lock and never keep the pointer beyond it.
    CStock* PeekCurrentStock() const { return m_current; }
    int GetCurrentPosition() const { return m_position; }
    // Replaces the current stock's request marks; the cache thread issues them. 1.
    int RequestStockData(uint32_t flags, int more);
    // Brings an updated series (kinds 2, 3, 8, 10) of the current stock into
    // its snapshot. 1.
    int RefreshStock(CStock* unused, int kind);
    // Brings series kind of a cached stock that is not current (a chart grid
    // shows several) into a snapshot of it; 0 when the stock is current or
    // no longer cached. Callers hold the data lock.
    int RefreshCachedSnapshot(CStock* snapshot, int kind);
    int RequestQuoteRefresh();
    void GetStockName(std::string& out, uint32_t key) const;

    // Start-up loading, in this order: S_OK, or E_FAIL when the table stays
    // empty (or its request failed).
    HRESULT LoadCodeTable();
    HRESULT LoadFinanceData();
    HRESULT LoadQuoteData();
    HRESULT LoadGroupData();
    HRESULT LoadFormulaData();
    HRESULT LoadExRightsData();

    int OnDataUpdate(int kind, uint32_t key) override;
    int OnDataArrived(int command, uint32_t key, CMemoryStream* stream) override;

    // The first step of the program's end: no request leaves the cache after
    // this, so the request manager can be released next.
    void StopCacheThread();
    // Stops the cache thread and the notices to the observer before the
    // singleton lock is taken: a request the thread is sending may ask for a
    // released singleton (the request manager's getter builds anew under that
    // lock), a notice handler may ask for the data center, and the release
    // waits for both.
    static void ReleaseInstance();

    CCodeTable& GetCodeTable() { return m_codeTable; }
    CBaseData& GetFinanceData() { return m_finance; }
    CReportData& GetQuoteData() { return m_quotes; }
    CGroupData& GetGroupData() { return m_groups; }
    CFormuleData& GetFormulaData() { return m_formulas; }
    CPwrData& GetExRightsData() { return m_exRights; }
    StockPagingList& GetPagingList() { return m_pagingList; }
    CStockFactory& GetStockFactory() { return m_factory; }

private:
    friend class Singleton<CDataCenter>;
    CDataCenter();
    // The current stock goes back into the cache, the cache is shut down
    // (saving every dirty series), then the tables save themselves.
    ~CDataCenter() override;
    CDataCenter(const CDataCenter&) = delete;
    CDataCenter& operator=(const CDataCenter&) = delete;
    // step -1: previous, 1: next.
    int SelectByStep(int step);

    int32_t m_position;
    std::atomic<uint32_t> m_currentKey;
    CStock* m_current;
    std::unique_ptr<CStock> m_snapshot;
    CStockFactory m_factory;
    CCodeTable m_codeTable;
    CBaseData m_finance;
    CReportData m_quotes;
    CGroupData m_groups;
    CFormuleData m_formulas;
    CPwrData m_exRights;
    std::atomic<CViewNotify*> m_observer;
    StockPagingList m_pagingList;
};
