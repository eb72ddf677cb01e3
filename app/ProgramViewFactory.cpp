// The content panel's seams as the program fills them: the real views and
// the data center with the user's list.
#include "app/ContentPanelView.h"

#include <ctime>

#include "data/DataCenter.h"
#include "data/DataLock.h"
#include "data/UserStockList.h"
#include "net/ServiceBaseUrl.h"
#include "views/F10View.h"
#include "views/RealTimeView.h"
#include "views/ReportView.h"
#include "views/StockGraphView.h"
#include "views/TechManDlg.h"

namespace {

class CProgramViewFactory : public IContentViewFactory
{
public:
    std::unique_ptr<CBaseView> CreateView(int32_t id, CMessageProcessor* processor) override
    {
        switch (id) {
        case kViewReport:
            return std::make_unique<CReportView>(processor);
        case kViewRealTime:
            return std::make_unique<CRealTimeView>(processor);
        case kViewStockGraph: {
            auto chart = std::make_unique<CStockGraphView>(processor);
            // "指标说明" opens a page of the service.
            chart->GetChart().SetWebBase(ServiceBaseUrl::Get());
            InstallIndicatorManager(*chart);
            return chart;
        }
        case kViewF10: {
            auto f10 = std::make_unique<CF10View>();
            f10->SetOwner(processor);
            return f10;
        }
        default:
            return nullptr;
        }
    }
    void ShowBoard(CBaseView& list, int32_t board, int32_t parameter) override
    {
        static_cast<CReportView&>(list).ShowBoard(board, parameter);
    }
    int32_t GetCurrentBoard(CBaseView& list) override { return static_cast<CReportView&>(list).GetCurrentBoard(); }
    int32_t GetBoardParam(CBaseView& list) override { return static_cast<CReportView&>(list).GetBoardParam(); }
    int64_t GetSelectedCodeKey(CBaseView& list) override
    {
        return static_cast<CReportView&>(list).GetSelectedCodeKey();
    }
    void SetDisplay(CBaseView& minute, int32_t mode, int32_t indicator, int32_t page) override
    {
        static_cast<CRealTimeView&>(minute).SetDisplay(mode, indicator, page);
    }
    void SetChartCount(CBaseView& minute, int32_t count) override
    {
        static_cast<CRealTimeView&>(minute).SetChartCount(count);
    }
    int32_t GetMainChartMode(CBaseView& minute) override
    {
        return static_cast<CRealTimeView&>(minute).GetChart(0).GetMode();
    }
    void SetPeriod(CBaseView& chart, int32_t period) override
    {
        static_cast<CStockGraphView&>(chart).SetPeriod(period);
    }
    void NextPeriod(CBaseView& chart) override { static_cast<CStockGraphView&>(chart).NextPeriod(); }
    void SetAdjustMode(CBaseView& chart, int32_t mode) override
    {
        static_cast<CStockGraphView&>(chart).SetAdjustMode(mode);
    }
    void SetSubPaneCount(CBaseView& chart, int32_t count) override
    {
        static_cast<CStockGraphView&>(chart).SetSubPaneCount(count);
    }
    void RelayToolTipEvent(CBaseView& chart, MSG* message) override
    {
        static_cast<CStockGraphView&>(chart).RelayToolTipEvent(message);
    }
};

class CProgramPanelServices : public IContentPanelServices
{
public:
    void SetObserver(CViewNotify* observer) override
    {
        // The notices run under the data lock: once it is ours, none runs.
        SingleLock lock(&GetDataLock());
        if (observer) {
            if (CDataCenter* center = CDataCenter::Instance())
                center->SetObserver(observer);
        } else if (CDataCenter* center = CDataCenter::PeekInstance()) {
            center->SetObserver(nullptr);
        }
    }
    void SetCurrentStock(uint32_t key) override
    {
        if (CDataCenter* center = CDataCenter::Instance())
            center->SetCurrentStock(key);
    }
    uint32_t GetCurrentCodeKey() override
    {
        CDataCenter* center = CDataCenter::PeekInstance();
        return center ? center->GetCurrentCodeKey() : 0;
    }
    void RequestQuoteRefresh() override
    {
        if (CDataCenter* center = CDataCenter::PeekInstance())
            center->RequestQuoteRefresh();
    }
    void RequestStockData(uint32_t flags, int32_t more) override
    {
        if (CDataCenter* center = CDataCenter::PeekInstance())
            center->RequestStockData(flags, more);
    }
    void AddUserStock(uint32_t key) override
    {
        SingleLock lock(&GetDataLock());
        if (UserStockList* list = UserStockList::Instance())
            list->Add(static_cast<int32_t>(key), static_cast<int32_t>(std::time(nullptr)));
    }
    void BuildWizardIndex(CSearchBox& wizard) override { wizard.BuildIndex(); }
};

} // namespace

std::unique_ptr<IContentViewFactory> CreateProgramViewFactory()
{
    return std::make_unique<CProgramViewFactory>();
}

std::unique_ptr<IContentPanelServices> CreateProgramPanelServices()
{
    return std::make_unique<CProgramPanelServices>();
}
