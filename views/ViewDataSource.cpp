#include "views/ViewDataSource.h"

#include "base/Thread.h"
#include "data/DataCenter.h"
#include "data/DataLock.h"
#include "data/Stock.h"

CStock* IViewDataSource::GetStock(uint32_t key)
{
    CStock* stock = GetCurrentStock();
    return stock && stock->GetCodeKey() == key ? stock : nullptr;
}

std::unique_ptr<CStock> IViewDataSource::CopyStock(uint32_t)
{
    return nullptr;
}

void IViewDataSource::GetCodeAndName(CodeKey key, std::string& code, std::string& name)
{
    code = CodeOfKey(key);
    name.clear();
}

namespace {

// The data center's UI snapshot of the current stock, or null; under the
// data lock.
CStock* UiSnapshot(CDataCenter& center)
{
    CStock* ui = nullptr;
    return center.GetCurrentStock(&ui) ? ui : nullptr;
}

// Gives use the UI snapshot of the current stock while the data lock is
// held, when it is key's; false when it is not.
template <class Use> bool WithUiSnapshot(uint32_t key, Use use)
{
    CDataCenter* center = CDataCenter::Instance();
    if (!center)
        return false;
    SingleLock lock(&center->GetDataLock());
    CStock* ui = UiSnapshot(*center);
    if (!ui || ui->GetCodeKey() != key)
        return false;
    use(*ui);
    return true;
}

class CDataCenterViewSource : public IViewDataSource
{
public:
    CriticalSection* DataLock() override { return &GetDataLock(); }

    uint32_t GetCurrentCodeKey() override
    {
        CDataCenter* center = CDataCenter::Instance();
        return center ? center->GetCurrentCodeKey() : 0;
    }

    CStock* GetCurrentStock() override
    {
        CDataCenter* center = CDataCenter::Instance();
        return center ? UiSnapshot(*center) : nullptr;
    }

    // Copied from the UI snapshot, not from the cached stock: a series copy
    // consumes the cached series' update mark, which the UI snapshot (and so
    // the other views) must still get.
    std::unique_ptr<CStock> CopyStock(uint32_t key) override
    {
        std::unique_ptr<CStock> copy;
        WithUiSnapshot(key, [&copy](CStock& ui) {
            ui.SetActive(1);
            copy.reset(ui.Clone());
            copy->GetStockInfo() = ui.GetStockInfo();
        });
        return copy;
    }

    bool CopyF10(uint32_t key, F10SectionMap& sections) override
    {
        return WithUiSnapshot(key, [&sections](CStock& ui) { sections = ui.GetF10Data().GetSections(); });
    }

    bool SelectPrevStock() override
    {
        CDataCenter* center = CDataCenter::Instance();
        return center && center->SelectPrevStock() != 0;
    }

    bool SelectNextStock() override
    {
        CDataCenter* center = CDataCenter::Instance();
        return center && center->SelectNextStock() != 0;
    }

    void RequestStockData(uint32_t flags, int more) override
    {
        if (CDataCenter* center = CDataCenter::Instance())
            center->RequestStockData(flags, more);
    }

    void RefreshStock(CStock* snapshot, int kind) override
    {
        if (CDataCenter* center = CDataCenter::Instance())
            center->RefreshStock(snapshot, kind);
    }

    void RefreshSnapshot(CStock* snapshot, int kind) override
    {
        CDataCenter* center = CDataCenter::Instance();
        if (!center || !snapshot)
            return;
        SingleLock lock(&center->GetDataLock());
        // A chart of a grid that shows a stock opened before the current one.
        if (center->RefreshCachedSnapshot(snapshot, kind))
            return;
        center->RefreshStock(nullptr, kind);
        CStock* ui = UiSnapshot(*center);
        if (!ui || ui->GetCodeKey() != snapshot->GetCodeKey())
            return;
        ui->SetActive(1);
        ui->CopyUpdatedSeries(snapshot, kind);
        if (kind == kSeriesTicks)
            snapshot->GetStockInfo() = ui->GetStockInfo();
    }

    bool RefreshF10(uint32_t key, int kind, F10SectionMap& sections) override
    {
        CDataCenter* center = CDataCenter::Instance();
        if (!center)
            return false;
        SingleLock lock(&center->GetDataLock());
        center->RefreshStock(nullptr, kind);
        CStock* ui = UiSnapshot(*center);
        if (!ui || ui->GetCodeKey() != key)
            return false;
        sections = ui->GetF10Data().GetSections();
        return true;
    }

    const std::vector<ExRightsRecord>* GetExRights(uint32_t key) override
    {
        CDataCenter* center = CDataCenter::Instance();
        return center ? center->GetExRightsData().GetRecords(key) : nullptr;
    }

    QuoteMap GetQuotes() override
    {
        CDataCenter* center = CDataCenter::Instance();
        return center ? center->GetQuoteData().GetQuoteMap() : QuoteMap();
    }

    void GetCodeAndName(CodeKey key, std::string& code, std::string& name) override
    {
        CDataCenter* center = CDataCenter::Instance();
        if (!center) {
            IViewDataSource::GetCodeAndName(key, code, name);
            return;
        }
        code = center->GetCodeTable().GetCodeOfKey(key);
        name = center->GetCodeTable().GetNameOfKey(key);
    }

    std::string GetStockName(uint32_t key) override
    {
        std::string name;
        if (CDataCenter* center = CDataCenter::Instance()) {
            SingleLock dataLock(&GetDataLock());
            center->GetStockName(name, key);
        }
        return name;
    }

    StockPagingList* GetPagingList() override
    {
        CDataCenter* center = CDataCenter::Instance();
        return center ? &center->GetPagingList() : nullptr;
    }

    const CCodeTable* GetCodeTable() override
    {
        CDataCenter* center = CDataCenter::Instance();
        return center ? &center->GetCodeTable() : nullptr;
    }
};

} // namespace

IViewDataSource& DataCenterViewSource()
{
    static CDataCenterViewSource source;
    return source;
}
