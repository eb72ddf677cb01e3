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

// Each handle is made with its view, of the view's own type.
class CQuoteListHandle : public IQuoteListHandle
{
public:
    explicit CQuoteListHandle(CReportView& view)
        : m_view(view)
    {
    }
    void ShowBoard(int32_t board, int32_t parameter) override { m_view.ShowBoard(board, parameter); }
    int32_t GetCurrentBoard() override { return m_view.GetCurrentBoard(); }
    int32_t GetBoardParam() override { return m_view.GetBoardParam(); }
    int64_t GetSelectedCodeKey() override { return m_view.GetSelectedCodeKey(); }

private:
    CReportView& m_view;
};

class CMinuteChartHandle : public IMinuteChartHandle
{
public:
    explicit CMinuteChartHandle(CRealTimeView& view)
        : m_view(view)
    {
    }
    void SetDisplay(int32_t mode, int32_t indicator, int32_t page, uint32_t key) override
    {
        m_view.SetDisplay(mode, indicator, page, key);
    }
    void SetChartCount(int32_t count) override { m_view.SetChartCount(count); }
    int32_t GetMainChartMode() override { return m_view.GetChart(0).GetMode(); }

private:
    CRealTimeView& m_view;
};

class CKLineHandle : public IKLineHandle
{
public:
    explicit CKLineHandle(CStockGraphView& view)
        : m_view(view)
    {
    }
    void SetPeriod(int32_t period) override { m_view.SetPeriod(period); }
    void NextPeriod() override { m_view.NextPeriod(); }
    void SetAdjustMode(int32_t mode) override { m_view.SetAdjustMode(mode); }
    void SetSubPaneCount(int32_t count) override { m_view.SetSubPaneCount(count); }
    void RelayToolTipEvent(MSG* message) override { m_view.RelayToolTipEvent(message); }

private:
    CStockGraphView& m_view;
};

class CProgramViewFactory : public IContentViewFactory
{
public:
    ContentView CreateView(int32_t id, CMessageProcessor* hub) override
    {
        ContentView made;
        switch (id) {
        case kViewReport: {
            auto list = std::make_unique<CReportView>(hub);
            made.quoteList = std::make_unique<CQuoteListHandle>(*list);
            made.window = std::move(list);
            break;
        }
        case kViewRealTime: {
            auto minute = std::make_unique<CRealTimeView>(hub);
            made.minuteChart = std::make_unique<CMinuteChartHandle>(*minute);
            made.window = std::move(minute);
            break;
        }
        case kViewStockGraph: {
            auto chart = std::make_unique<CStockGraphView>(hub);
            // "指标说明" opens a page of the service.
            chart->GetChart().SetWebBase(ServiceBaseUrl::Get());
            InstallIndicatorManager(*chart);
            made.kline = std::make_unique<CKLineHandle>(*chart);
            made.window = std::move(chart);
            break;
        }
        case kViewF10: {
            auto f10 = std::make_unique<CF10View>();
            f10->SetOwner(hub);
            made.window = std::move(f10);
            break;
        }
        default:
            break;
        }
        return made;
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
