#include "views/KLineChart.h"

#include "data/Stock.h"
#include "formula/FormulaCalculator.h"
#include "formula/FormulaLibrary.h"
#include "formula/FormulaManager.h"
#include "skin/SkinButtonItem.h"
#include "views/PaneConfigFile.h"
#include "views/ViewOptions.h"
#include "res/resource.h"

#include <algorithm>

namespace {

bool IsMinutePeriod(int period)
{
    return period >= kPeriodFiveMinutes && period <= kPeriodSixtyMinutes;
}

}

KLineChart::KLineChart(ViewOptions& options, IViewDataSource& source, const std::string& paneConfigPath)
    : m_options(options)
    , m_source(source)
    , m_paneConfigPath(paneConfigPath)
    , m_owner(nullptr)
    , m_high(0)
    , m_low(0)
    , m_indicatorMax(0)
    , m_indicatorMin(0)
    , m_hasIndicatorRange(false)
    , m_editThreshold(kline::kNoEditThreshold)
    , m_cursor(-1)
    , m_first(-1)
    , m_last(-1)
    , m_barWidth(kline::kInitialBarWidth)
    , m_sidePanelPage(9)
    , m_sideRows(-1)
    , m_sidePosition(-1)
    , m_titleX(0)
    , m_selectedPane(-1)
    , m_maximisedPane(-1)
    , m_hoverButton(-1)
    , m_pressedButton(-1)
    , m_splitterHover(false)
    , m_splitterIndex(-1)
    , m_splitterPoint { -1, -1 }
    , m_banding(false)
    , m_bandStart { 0, 0 }
    , m_bandEnd { 0, 0 }
    , m_splitCursor(nullptr)
    , m_snapshot(nullptr)
    , m_crossHair(0)
    , m_mouse { -1, -1 }
    , m_lastMovePoint { -1, -1 }
    , m_dataWindowShown(false)
{
    m_painter.SetBarWidth(kline::kInitialBarWidth);
    m_mainCalculator = MakeCalculator();
    m_splitCursor = ::LoadCursor(::GetModuleHandle(nullptr), MAKEINTRESOURCE(IDC_PANE_SPLIT));
    if (!m_splitCursor)
        m_splitCursor = ::LoadCursor(nullptr, IDC_SIZENS);
    SetPeriod(kPeriodDay);
    SetAdjustMode(1);
    if (FormulaLibrary* library = FormulaLibrary::Instance()) {
        if (m_mainCalculator)
            m_mainCalculator->SetFormula(library->FindByName(L"MA"));
    }
    LoadPaneConfig();
    SetSubPanes(m_options.GetSubPaneCount(), -1);
}

KLineChart::~KLineChart()
{
    SavePaneConfig();
}

std::unique_ptr<FormulaCalculator> KLineChart::MakeCalculator()
{
    FormulaManager* manager = FormulaManager::Instance();
    return manager ? manager->CreateCalculator(&m_painter) : nullptr;
}

int KLineChart::GetPeriod() const
{
    return m_options.GetPeriod();
}

void KLineChart::SetOwner(HWND owner)
{
    SingleLock lock(&m_lock);
    m_owner = owner;
    m_sidePanel.SetOwnerWindow(owner);
    LayoutIndicatorButtons();
}

void KLineChart::Invalidate() const
{
    if (m_owner && ::IsWindow(m_owner))
        ::InvalidateRect(m_owner, nullptr, FALSE);
}

CKData* KLineChart::GetSeries() const
{
    return m_snapshot ? m_snapshot->GetKData(m_options.GetPeriod()) : nullptr;
}

int KLineChart::GetBarCount() const
{
    const CKData* series = GetSeries();
    return series ? series->GetCount() : 0;
}

void KLineChart::SetPeriod(int period)
{
    // Reload needs the data lock, which always comes before the chart lock.
    SingleLock data(m_source.DataLock());
    SingleLock lock(&m_lock);
    m_options.SetPeriod(period);
    Reload();
    Invalidate();
}

void KLineChart::ApplyExRightsNow()
{
    if (!m_snapshot)
        return;
    const int period = m_options.GetPeriod();
    const int mode = m_options.GetAdjustMode();
    if (mode == 1) {
        // Another period may have left this one's bars adjusted when the mode
        // changed there: they show as recorded again.
        const CKData& base = IsMinutePeriod(period) ? static_cast<const CKData&>(m_snapshot->GetFiveMinuteData())
                                                    : m_snapshot->GetDayData();
        if (base.IsAdjusted())
            m_snapshot->ApplyExRights(period, nullptr, mode);
        return;
    }
    const std::vector<ExRightsRecord>* records = m_source.GetExRights(m_snapshot->GetCodeKey());
    if (records && !records->empty())
        m_snapshot->ApplyExRights(period, records, mode);
}

void KLineChart::TakeStock(CStock* stock)
{
    m_snapshot = stock;
    m_source.RequestStockData(IsMinutePeriod(m_options.GetPeriod()) ? 26u : 57u, 0);
    ApplyExRightsNow();
    InvalidateIndicators();
    SetRangeAndCursor(-1, -1, -1);
    SetCursorBar(-1);
}

void KLineChart::Reload()
{
    SingleLock data(m_source.DataLock());
    SingleLock lock(&m_lock);
    CStock* stock = m_source.GetCurrentStock();
    if (!stock)
        return;
    TakeStock(stock);
}

void KLineChart::Reload(uint32_t key)
{
    SingleLock data(m_source.DataLock());
    SingleLock lock(&m_lock);
    if (CStock* stock = m_source.GetStock(key))
        TakeStock(stock);
}

void KLineChart::SetAdjustMode(int mode)
{
    SingleLock data(m_source.DataLock());
    SingleLock lock(&m_lock);
    if (!m_snapshot || !m_owner || !::IsWindow(m_owner) || mode == m_options.GetAdjustMode())
        return;
    m_options.SetAdjustMode(mode);
    ApplyExRightsNow();
    InvalidateIndicators();
    Invalidate();
}

void KLineChart::OnDataArrived(uint32_t codeKey, int kind)
{
    SingleLock lock(&m_lock);
    if (!m_snapshot || m_snapshot->GetCodeKey() != codeKey)
        return;
    const CKData* before = GetSeries();
    const int oldCount = before ? before->GetCount() : 0;
    const int32_t oldFirstTime = oldCount > 0 ? before->GetBar(0)->time : 0;
    m_source.RefreshStock(m_snapshot, kind);
    const CKData* after = GetSeries();
    const int newCount = after ? after->GetCount() : 0;
    const int32_t newFirstTime = newCount > 0 ? after->GetBar(0)->time : 0;
    if (newCount > oldCount) {
        // Older bars merged in front push the shown ones right; a bar
        // appended at the end leaves every index where it was.
        const bool front = oldCount > 0 && newFirstTime != oldFirstTime;
        if (m_cursor != -1 && front) {
            const int d = newCount - oldCount;
            SetRangeAndCursor(m_first + d, m_last + d, m_cursor + d);
        } else if (m_cursor == -1) {
            SetRangeAndCursor(-1, -1, -1);
        }
    } else if (newCount < oldCount) {
        SetRangeAndCursor(-1, -1, -1);
    }
    ApplyExRightsNow();
    InvalidateIndicators();
}

void KLineChart::PreviousStock()
{
    SingleLock data(m_source.DataLock());
    SingleLock lock(&m_lock);
    if (!m_source.SelectPrevStock())
        return;
    if (CStock* stock = m_source.GetCurrentStock()) {
        TakeStock(stock);
        Invalidate();
    }
}

void KLineChart::NextStock()
{
    SingleLock data(m_source.DataLock());
    SingleLock lock(&m_lock);
    if (!m_source.SelectNextStock())
        return;
    if (CStock* stock = m_source.GetCurrentStock()) {
        TakeStock(stock);
        Invalidate();
    }
}

void KLineChart::RequestHistory()
{
    m_source.RequestStockData(IsMinutePeriod(m_options.GetPeriod()) ? 2u : 1u, 1);
}

void KLineChart::SetVisibleRange(int first, int last)
{
    if (first < 60 && first != -1 && m_last - m_first > 20)
        RequestHistory();
    m_first = first;
    m_last = last;
}

void KLineChart::SetRangeAndCursor(int first, int last, int cursor)
{
    SetVisibleRange(first, last);
    m_cursor = cursor;
    m_selection.clear();
}

void KLineChart::SetCursorBar(int cursor)
{
    m_cursor = cursor;
    m_selection.clear();
}

bool KLineChart::CalcVisibleRange()
{
    const int plotWidth = m_layout.mainPlot.right - m_layout.mainPlot.left;
    if (m_barWidth <= 0 || plotWidth <= 0 || plotWidth / m_barWidth <= 0)
        return false;
    const int count = GetBarCount();
    kline::VisibleRange range { m_first, m_last, m_cursor };
    const bool fitted = kline::FitVisibleRange(count, plotWidth, m_barWidth, range);
    if (count <= 0) {
        m_first = m_last = m_cursor = -1;
        return false;
    }
    SetVisibleRange(range.first, range.last);
    m_cursor = range.cursor;
    return fitted;
}

bool KLineChart::GetBarRect(int index, RECT* rect, int* bodyLeft, int* bodyRight, int* bodyMiddle) const
{
    kline::BarGeometry g;
    if (!kline::ComputeBarGeometry(index, m_first, m_last, m_barWidth, m_layout.mainPlot, m_layout.barColumn, g))
        return false;
    if (rect)
        *rect = g.bar;
    if (bodyLeft)
        *bodyLeft = g.bodyLeft;
    if (bodyRight)
        *bodyRight = g.bodyRight;
    if (bodyMiddle)
        *bodyMiddle = g.bodyMiddle;
    return true;
}

int KLineChart::BarFromPoint(int x, int y) const
{
    const POINT p { x, y };
    if (!::PtInRect(&m_layout.barColumn, p) || m_first < 0)
        return -1;
    for (int i = m_first; i <= m_last; ++i) {
        RECT r;
        if (GetBarRect(i, &r, nullptr, nullptr, nullptr) && ::PtInRect(&r, p))
            return i;
    }
    return -1;
}

bool KLineChart::GetPriceRange(int first, int last, double* low, double* high, int* lowIndex, int* highIndex) const
{
    const CKData* series = GetSeries();
    if (first < 0 || last < 0 || !series)
        return false;
    float l = 0;
    float h = 0;
    if (!series->GetHighLowRange(first, last, &l, &h, lowIndex, highIndex))
        return false;
    if (low)
        *low = l;
    if (high)
        *high = h;
    return true;
}

bool KLineChart::IsIndexShown() const
{
    return m_snapshot && m_snapshot->GetStockInfo().IsIndex();
}

void KLineChart::InvalidateIndicators()
{
    if (m_mainCalculator)
        m_mainCalculator->Invalidate();
    for (auto& calculator : m_subCalculators) {
        if (calculator)
            calculator->Invalidate();
    }
}

void KLineChart::StepUp(int)
{
    SingleLock lock(&m_lock);
    const int width = m_painter.StepBarWidth(m_barWidth, true);
    if (width != m_barWidth) {
        m_barWidth = width;
        Invalidate();
    }
}

void KLineChart::StepDown(int)
{
    SingleLock lock(&m_lock);
    const int width = m_painter.StepBarWidth(m_barWidth, false);
    if (width != m_barWidth) {
        m_barWidth = width;
        Invalidate();
    }
}

// Panes.

void KLineChart::LoadPaneConfig()
{
    const kline::PaneConfig config = m_paneConfigPath.empty()
        ? kline::PaneConfig { kline::kDefaultSubPaneCount, kline::DefaultPaneNames() }
        : kline::LoadPaneConfig(m_paneConfigPath, m_options.GetSubPaneCount());
    m_options.SetSubPaneCount(config.count);
    m_paneNames = config.names;
}

std::vector<std::wstring> KLineChart::GetShownPaneNames() const
{
    std::vector<std::wstring> names;
    const FormulaLibrary* library = FormulaLibrary::Instance();
    for (size_t i = 0; i < m_subCalculators.size(); ++i) {
        const FormulaDefinition* definition = nullptr;
        if (library && m_subCalculators[i] && !m_subCalculators[i]->GetText().empty())
            definition = library->FindByNumber(m_subCalculators[i]->GetNumber());
        if (definition)
            names.push_back(definition->name);
        else
            names.push_back(i < m_paneNames.size() ? m_paneNames[i] : std::wstring());
    }
    return names;
}

bool KLineChart::SavePaneConfig()
{
    if (m_paneConfigPath.empty())
        return false;
    return kline::SavePaneConfig(m_paneConfigPath, m_options.GetSubPaneCount(), GetShownPaneNames());
}

void KLineChart::Layout(const RECT& rect)
{
    if (!kline::ComputeLayout(rect, m_options.GetSubPaneCount(), m_layout))
        return;
    LayoutIndicatorButtons();
}

void KLineChart::SetSubPanes(int count, int index)
{
    count = std::max(0, std::min(count, kline::kMaxSubPanes));
    if (index == -1) {
        while (static_cast<int>(m_subCalculators.size()) > count)
            m_subCalculators.pop_back();
    } else if (index >= 0 && index < static_cast<int>(m_subCalculators.size())
        && count < static_cast<int>(m_subCalculators.size())) {
        m_subCalculators.erase(m_subCalculators.begin() + index);
    }
    // The first list name no pane shows goes to the first new pane; further
    // new panes take the list entry at their position.
    const FormulaLibrary* library = FormulaLibrary::Instance();
    std::wstring firstChoice;
    if (!m_subCalculators.empty()) {
        for (const std::wstring& name : m_paneNames) {
            bool shown = false;
            for (const auto& calculator : m_subCalculators) {
                if (calculator && library && library->NameByNumber(calculator->GetNumber()) == name)
                    shown = true;
            }
            if (!shown) {
                firstChoice = name;
                break;
            }
        }
    }
    bool firstNew = true;
    while (static_cast<int>(m_subCalculators.size()) < count) {
        std::unique_ptr<FormulaCalculator> calculator = MakeCalculator();
        if (!calculator)
            break;
        const bool inserting = index != -1 && index >= 0 && index < static_cast<int>(m_subCalculators.size());
        const size_t position = inserting ? static_cast<size_t>(index) + 1 : m_subCalculators.size();
        std::wstring name;
        if (firstNew && !firstChoice.empty())
            name = firstChoice;
        else if (position < m_paneNames.size())
            name = m_paneNames[position];
        firstNew = false;
        if (library)
            calculator->SetFormula(library->FindByName(name));
        m_subCalculators.insert(m_subCalculators.begin() + static_cast<std::ptrdiff_t>(position), std::move(calculator));
    }
    m_subPaneNumbers.clear();
    for (const auto& calculator : m_subCalculators)
        m_subPaneNumbers.push_back(calculator && !calculator->GetText().empty() ? calculator->GetNumber() : 0);
    if (m_selectedPane >= static_cast<int>(m_subCalculators.size()))
        m_selectedPane = static_cast<int>(m_subCalculators.size()) - 1;
}

void KLineChart::SetSubPaneCount(int count, int index)
{
    SingleLock lock(&m_lock);
    count = std::max(0, std::min(count, kline::kMaxSubPanes));
    if (count != m_options.GetSubPaneCount()) {
        // The panes change under a maximised pane and a border being dragged:
        // every pane shows again, and the drag ends with its border.
        m_maximisedPane = -1;
        if (m_splitterHover && m_owner && ::GetCapture() == m_owner)
            ::ReleaseCapture();
        m_splitterHover = false;
        m_splitterIndex = -1;
    }
    m_options.SetSubPaneCount(count);
    if (m_owner && ::IsWindow(m_owner)) {
        Layout(m_layout.chart);
        SetSubPanes(m_options.GetSubPaneCount(), index);
        Invalidate();
    }
}

void KLineChart::ApplyFormula(const FormulaDefinition* definition)
{
    SingleLock lock(&m_lock);
    // A tab or wizard entry without a definition changes nothing, not even
    // the pane count.
    if (!definition)
        return;
    if (m_subCalculators.empty()) {
        SetSubPaneCount(1, 0);
        if (m_subCalculators.empty())
            SetSubPanes(1, -1);
    }
    if (definition->draw == 1) {
        if (m_mainCalculator)
            m_mainCalculator->SetFormula(definition);
        return;
    }
    if (m_subCalculators.empty())
        return;
    const int pane = m_selectedPane >= 0 && m_selectedPane < static_cast<int>(m_subCalculators.size())
        ? m_selectedPane
        : static_cast<int>(m_subCalculators.size()) - 1;
    if (m_subCalculators[pane]) {
        m_subCalculators[pane]->SetFormula(definition);
        m_subPaneNumbers[pane] = m_subCalculators[pane]->GetNumber();
    }
}

void KLineChart::ShowFormula(int number)
{
    const FormulaLibrary* library = FormulaLibrary::Instance();
    ApplyFormula(library ? library->FindByNumber(number) : nullptr);
    Invalidate();
}

int KLineChart::GetSelectedPaneNumber() const
{
    if (m_subPaneNumbers.empty())
        return -1;
    const int pane = m_selectedPane >= 0 && m_selectedPane < static_cast<int>(m_subPaneNumbers.size())
        ? m_selectedPane
        : static_cast<int>(m_subPaneNumbers.size()) - 1;
    return m_subPaneNumbers[pane];
}

void KLineChart::SetSelectedPaneNumber(int number)
{
    if (m_subPaneNumbers.empty())
        return;
    const int pane = m_selectedPane >= 0 && m_selectedPane < static_cast<int>(m_subPaneNumbers.size())
        ? m_selectedPane
        : static_cast<int>(m_subPaneNumbers.size()) - 1;
    m_subPaneNumbers[pane] = number;
}

int KLineChart::OnIndicatorButton(int index)
{
    SingleLock lock(&m_lock);
    if (index < 0 || index >= static_cast<int>(m_buttonRecords.size()))
        return -1;
    if (index < static_cast<int>(m_buttons.size()) && m_buttons[index])
        m_buttons[index]->SetMouseState(false, true);
    Invalidate();
    const int pane = m_maximisedPane >= 0 ? m_maximisedPane : index / 3;
    const int kind = index % 3;
    const int count = m_options.GetSubPaneCount();
    bool changed = false;
    if (kind == kButtonClose && count >= 1) {
        SetSubPaneCount(count - 1, pane);
        changed = true;
    } else if (kind == kButtonAdd && count <= 4) {
        SetSubPaneCount(count + 1, pane);
        changed = true;
    } else if (kind == kButtonHelp && pane < static_cast<int>(m_subCalculators.size())) {
        const int number = m_subCalculators[pane] ? m_subCalculators[pane]->GetNumber() : 0;
        char url[512];
        _snprintf(url, sizeof url, "%s/zentu/live/tech_tip.php?id=%d", m_webBase.c_str(), number);
        url[sizeof url - 1] = '\0';
        if (m_helpOpener)
            m_helpOpener(url);
    }
    if (changed) {
        m_maximisedPane = -1;
        Invalidate();
    }
    return index;
}
