#include "views/MinuteChartSource.h"

#include "base/Thread.h"
#include "data/DataCenter.h"
#include "data/DataLock.h"
#include "data/Stock.h"

namespace {

class CDataCenterChartSource : public IMinuteChartSource
{
public:
    CriticalSection* DataLock() override { return &GetDataLock(); }

    // Copied from the UI snapshot, not from the cached stock: a series copy
    // consumes the cached series' update mark, which the UI snapshot (and so
    // the other views) must still get.
    std::unique_ptr<CStock> CopyCurrentStock() override
    {
        CDataCenter* center = CDataCenter::Instance();
        if (!center)
            return nullptr;
        SingleLock lock(&center->GetDataLock());
        CStock* ui = nullptr;
        if (!center->GetCurrentStock(&ui) || !ui)
            return nullptr;
        ui->SetActive(1);
        std::unique_ptr<CStock> copy(ui->Clone());
        copy->GetStockInfo() = ui->GetStockInfo();
        return copy;
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
        CStock* ui = nullptr;
        if (!center->GetCurrentStock(&ui) || !ui || ui->GetCodeKey() != snapshot->GetCodeKey())
            return;
        ui->SetActive(1);
        ui->CopyUpdatedSeries(snapshot, kind);
        if (kind == kSeriesTicks)
            snapshot->GetStockInfo() = ui->GetStockInfo();
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
};

} // namespace

IMinuteChartSource* DataCenterChartSource()
{
    static CDataCenterChartSource source;
    return &source;
}
