#include "data/DataCenter.h"

#include <memory>

#include "base/DataPaths.h"
#include "data/DataLock.h"
#include "data/Stock.h"
#include "data/ViewNotify.h"
#include "net/DataProvider.h"

namespace {

// A per-stock series of a command, outside any stock, for OnDataArrived.
std::unique_ptr<CBase> MakeLooseSeries(int command)
{
    switch (command) {
    case kCmdF10:
        return std::unique_ptr<CBase>(new CF10Data);
    case kCmdDayBars: {
        std::unique_ptr<CBase> series(new CKData);
        series->SetKind(kSeriesDay);
        return series;
    }
    case kCmdFiveMinuteBars:
        return std::unique_ptr<CBase>(new CFiveMinData);
    case kCmdTicks:
        return std::unique_ptr<CBase>(new CFenbiData);
    default:
        return nullptr;
    }
}

std::string StockFileOfCommand(int command, uint32_t key)
{
    DataPaths* paths = DataPaths::Instance();
    if (!paths)
        return std::string();
    const int32_t k = static_cast<int32_t>(key);
    switch (command) {
    case kCmdF10:
        return paths->GetF10File(k);
    case kCmdDayBars:
        return paths->GetDayFile(k);
    case kCmdFiveMinuteBars:
        return paths->GetMin5File(k);
    case kCmdTicks:
        return paths->GetFenbiFile(k);
    default:
        return std::string();
    }
}

std::string PathOf(std::string (DataPaths::*getter)() const)
{
    DataPaths* paths = DataPaths::Instance();
    return paths ? (paths->*getter)() : std::string();
}

} // namespace

CDataCenter::CDataCenter()
    : m_position(0)
    , m_currentKey(0)
    , m_current(nullptr)
    , m_observer(nullptr)
{
    m_quotes.SetKind(kSeriesQuotes);
    // Last: the thread may look at the cache at once.
    m_factory.StartThread();
}

CDataCenter::~CDataCenter()
{
    // A current stock that never went back to the cache would be neither
    // saved nor freed.
    if (m_current)
        m_factory.HandBack(m_currentKey.load(), m_current);
    m_current = nullptr;
    m_currentKey.store(0);
    m_snapshot.reset();
    // Deleting the stocks waits for their outstanding replies, whose
    // callbacks take the data lock: it must not be held here.
    m_factory.Shutdown();
    // The same for a quote refresh still in flight: its callback reports here.
    while (m_quotes.IsRequestPending())
        ::Sleep(10);
}

CriticalSection& CDataCenter::GetDataLock()
{
    return ::GetDataLock();
}

int CDataCenter::SetCurrentStock(uint32_t key)
{
    SingleLock lock(&GetDataLock());
    m_pagingList.Select(static_cast<int32_t>(key));
    return SwitchToStock(m_codeTable.IndexOfKey(key));
}

int CDataCenter::SelectPrevStock()
{
    return SelectByStep(-1);
}

int CDataCenter::SelectNextStock()
{
    return SelectByStep(1);
}

int CDataCenter::SelectByStep(int step)
{
    SingleLock lock(&GetDataLock());
    const int count = m_codeTable.GetCount();
    if (count <= 0)
        return 0;
    // The browse list leads; without one the code table is walked, wrapping.
    const int32_t id = step < 0 ? m_pagingList.Previous() : m_pagingList.Next();
    int target = 0;
    if (id != -1) {
        target = m_codeTable.IndexOfKey(static_cast<uint32_t>(id));
    } else {
        target = m_position + step;
        if (target < 0)
            target = count - 1;
        else if (target >= count)
            target = 0;
    }
    return SwitchToStock(target);
}

int CDataCenter::SwitchToStock(int position)
{
    const uint32_t key = m_codeTable.GetKeyAt(position);
    // An empty table (or a position outside it) names no security.
    if (key == 0)
        return 0;
    if (key == m_currentKey.load() && m_current)
        return 1;
    CStock* stock = nullptr;
    if (FAILED(m_factory.GetOrCreate(key, &stock)) || !stock)
        return 0;
    if (m_current)
        m_factory.HandBack(m_currentKey.load(), m_current);
    m_position = position;
    m_current = stock;
    m_currentKey.store(key);
    stock->AttachCodeTable(&m_codeTable);
    stock->SetNotifier(this);
    return 1;
}

int CDataCenter::GetCurrentStock(CStock** out)
{
    SingleLock lock(&GetDataLock());
    if (!m_current) {
        if (out)
            *out = nullptr;
        return 0;
    }
    if (m_snapshot && m_snapshot->GetCodeKey() == m_current->GetCodeKey()) {
        // Ticks or company text that came while the shown view held another
        // stock were let pass by it and are still marked new here. Asking
        // again brings nothing newer, so no later notice would bring them:
        // whoever takes the stock gets them now.
        if (m_current->GetFenbiData().IsActive())
            m_current->CopyUpdatedSeries(m_snapshot.get(), kSeriesTicks);
        if (m_current->GetF10Data().IsActive())
            m_current->CopyUpdatedSeries(m_snapshot.get(), kSeriesF10);
        if (out)
            *out = m_snapshot.get();
        return 1;
    }
    m_current->SetActive(1);
    CStock* copy = m_current->Clone();
    copy->GetStockInfo().UpdateFinance(&m_finance);
    m_snapshot.reset(copy);
    if (out)
        *out = copy;
    return 1;
}

int CDataCenter::RequestStockData(uint32_t flags, int more)
{
    SingleLock lock(&GetDataLock());
    if (m_current) {
        m_current->PostRequest(1, flags, more);
        m_factory.WakeForRequests();
    }
    return 1;
}

int CDataCenter::RefreshStock(CStock*, int kind)
{
    SingleLock lock(&GetDataLock());
    if (kind != kSeriesTicks && kind != kSeriesDay && kind != kSeriesF10 && kind != kSeriesFiveMinutes)
        return 1;
    // A snapshot of an earlier stock must not take this stock's series.
    if (m_current && m_snapshot && m_snapshot->GetCodeKey() == m_current->GetCodeKey())
        m_current->CopyUpdatedSeries(m_snapshot.get(), kind);
    return 1;
}

int CDataCenter::RefreshCachedSnapshot(CStock* snapshot, int kind)
{
    SingleLock lock(&GetDataLock());
    if (!snapshot)
        return 0;
    const uint32_t key = snapshot->GetCodeKey();
    if (key == m_currentKey.load() || !m_factory.IsActive(key))
        return 0;
    // Found, the cached stock counts as used and its series as new to the copy.
    CStock* cached = m_factory.Find(key);
    if (!cached)
        return 0;
    cached->CopyUpdatedSeries(snapshot, kind);
    if (kind == kSeriesTicks)
        snapshot->GetStockInfo() = cached->GetStockInfo();
    return 1;
}

int CDataCenter::RequestQuoteRefresh()
{
    return m_quotes.RequestAsync();
}

void CDataCenter::GetStockName(std::string& out, uint32_t key) const
{
    out = m_codeTable.GetNameOfKey(key);
}

HRESULT CDataCenter::LoadCodeTable()
{
    m_codeTable.Load(PathOf(&DataPaths::GetCodeListFile).c_str());
    return m_codeTable.Update();
}

HRESULT CDataCenter::LoadFinanceData()
{
    m_finance.Load(PathOf(&DataPaths::GetFinanceFile).c_str());
    return m_finance.Update();
}

HRESULT CDataCenter::LoadQuoteData()
{
    m_quotes.SetNotifier(this);
    m_quotes.Load(PathOf(&DataPaths::GetReportPriceFile).c_str(), 0);
    m_quotes.RequestData(0);
    return m_quotes.GetQuoteCount() == 0 ? E_FAIL : S_OK;
}

HRESULT CDataCenter::LoadGroupData()
{
    m_groups.Load(PathOf(&DataPaths::GetGroupsFile).c_str());
    const HRESULT hr = m_groups.Update();
    if (FAILED(hr))
        return hr;
    return m_groups.GetGroups().empty() ? E_FAIL : S_OK;
}

HRESULT CDataCenter::LoadFormulaData()
{
    m_formulas.Load(PathOf(&DataPaths::GetFormulaFile).c_str());
    const HRESULT hr = m_formulas.Update();
    if (FAILED(hr))
        return hr;
    int32_t length = 0;
    return m_formulas.GetBuffer(&length) ? S_OK : E_FAIL;
}

HRESULT CDataCenter::LoadExRightsData()
{
    m_exRights.Load(PathOf(&DataPaths::GetPwrFile).c_str());
    return m_exRights.Update();
}

int CDataCenter::OnDataUpdate(int kind, uint32_t key)
{
    SingleLock lock(&GetDataLock());
    CViewNotify* observer = m_observer.load();
    if (kind == kSeriesQuotes) {
        if (observer)
            observer->OnQuotesRefreshed(&m_quotes);
        return 0;
    }
    // The current stock, and a cached one that a chart of a grid may show.
    if ((key == m_currentKey.load() && m_current) || m_factory.IsActive(key)) {
        if (observer)
            observer->OnStockDataUpdated(kind, key);
        return 1;
    }
    return 0;
}

int CDataCenter::OnDataArrived(int command, uint32_t key, CMemoryStream* stream)
{
    SingleLock lock(&GetDataLock());
    if (command == kCmdExRights) {
        m_exRights.Merge(stream);
        m_exRights.Save(nullptr);
        return 1;
    }
    CStock* stock = m_factory.Find(key);
    if (!stock && m_current && key == m_currentKey.load())
        stock = m_current;
    if (stock) {
        if (CBase* series = stock->GetSeriesOfCommand(command)) {
            series->Merge(key, stream);
            series->Save(nullptr);
        }
        return 1;
    }
    std::unique_ptr<CBase> loose = MakeLooseSeries(command);
    if (!loose)
        return 1;
    const std::string path = StockFileOfCommand(command, key);
    if (path.empty())
        return 1;
    // The file's history first: the merged reply adds to it, never replaces it.
    loose->Load(path.c_str(), key);
    loose->Merge(key, stream);
    loose->Save(path.c_str());
    return 1;
}

void CDataCenter::StopCacheThread()
{
    m_factory.Stop();
}

void CDataCenter::ReleaseInstance()
{
    if (CDataCenter* center = PeekInstance()) {
        center->StopCacheThread();
        // The view side hears nothing more, and a notice already running
        // (inside the data lock) ends first: its handler may ask for the data
        // center, which must then still stand without the singleton lock.
        center->SetObserver(nullptr);
        SingleLock lock(&center->GetDataLock());
    }
    Singleton<CDataCenter>::ReleaseInstance();
}
