#include "views/QuoteSidePanel.h"

#include "base/ChartColors.h"
#include "base/ChartDraw.h"
#include "base/DcGuards.h"
#include "base/ExchangeTime.h"
#include "base/Format.h"
#include "base/GdiObjectCache.h"
#include "data/GroupData.h"
#include "data/Stock.h"
#include "data/TickStatistics.h"
#include "formula/ChipDistribution.h"
#include "res/resource.h"
#include "views/SidePanelModel.h"
#include "win/AppModule.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

COLORREF SidePanelColors::Background = RGB(8, 8, 8);
COLORREF SidePanelColors::NeutralText = RGB(255, 255, 255);
COLORREF SidePanelColors::StockName = RGB(255, 255, 0);
COLORREF SidePanelColors::StockCode = RGB(80, 255, 255);
COLORREF SidePanelColors::IndexVolume = RGB(200, 200, 0);
COLORREF SidePanelColors::OrderBookVolume = RGB(192, 192, 0);
COLORREF SidePanelColors::Turnover = RGB(230, 230, 230);

namespace {

const double kEpsilon = 0.0001;
const COLORREF kLightText = RGB(230, 230, 230);
const COLORREF kTickVolume = RGB(200, 200, 0);
const COLORREF kBigTickVolume = RGB(192, 0, 192);
const COLORREF kIndexTickVolume = RGB(250, 250, 0);
const COLORREF kFigure = RGB(255, 255, 0);
const COLORREF kDiagnosisText = RGB(0, 255, 255);
// Shown until the fetched verdict arrives.
const char kDiagnosisLoading[] = "正在下载...";
const COLORREF kHeldChips = RGB(255, 128, 0);
const COLORREF kOpenChips = RGB(160, 160, 255);
const float kBigTrade = 500;
const double kTurnoverFactor = 1.5;
const double kLevelStepShare = 0.003;

// Restores the font and the text alignment a painter found.
class TextStateScope
{
public:
    explicit TextStateScope(HDC dc)
        : m_dc(dc)
        , m_font(::GetCurrentObject(dc, OBJ_FONT))
        , m_align(::GetTextAlign(dc))
    {
    }
    ~TextStateScope()
    {
        ::SelectObject(m_dc, m_font);
        ::SetTextAlign(m_dc, m_align);
    }

private:
    TextStateScope(const TextStateScope&) = delete;
    TextStateScope& operator=(const TextStateScope&) = delete;
    HDC m_dc;
    HGDIOBJ m_font;
    UINT m_align;
};

COLORREF FrameColour()
{
    return ChartColors::Axis;
}

void UseFont(HDC dc, int height, const char* face, int weight)
{
    ::SelectObject(dc, GdiObjectCache::Instance()->GetFont(height, face, weight));
}

void Text(HDC dc, int x, int y, const std::string& text, COLORREF colour, UINT align = TA_LEFT)
{
    ::SetTextColor(dc, colour);
    ::SetTextAlign(dc, align | TA_TOP | TA_NOUPDATECP);
    ::TextOutA(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

void RightText(HDC dc, int x, int y, const std::string& text, COLORREF colour)
{
    Text(dc, x, y, text, colour, TA_RIGHT);
}

// A one-pixel line from (x1, y) up to, not including, (x2, y).
void HorizontalLine(HDC dc, int x1, int x2, int y, COLORREF colour)
{
    DrawPenLine(dc, 1, colour, x1, y, x2, y);
}

void FillSolid(HDC dc, const RECT& rect, COLORREF colour)
{
    const COLORREF old = ::SetBkColor(dc, colour);
    ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, "", 0, nullptr);
    ::SetBkColor(dc, old);
}

void FrameInside(HDC dc, const RECT& rect, COLORREF colour)
{
    ::FrameRect(dc, &rect, GdiObjectCache::Instance()->GetBrush(colour));
}

// Above the reference rising, below falling, equal the neutral text colour.
COLORREF DirectionColour(double reference, double value)
{
    if (value > reference)
        return ChartColors::Rise;
    if (value < reference)
        return ChartColors::Fall;
    return SidePanelColors::NeutralText;
}

std::string LoadText(UINT id)
{
    return CAppModule::Get().LoadString(id);
}

// Fills in a format of the string table; "" when the format is missing.
template <class... Args> std::string LoadFormat(UINT id, Args... args)
{
    const std::string format = LoadText(id);
    if (format.empty())
        return format;
    std::vector<char> buffer(format.size() + 128);
    const int n = std::snprintf(buffer.data(), buffer.size(), format.c_str(), args...);
    return n < 0 ? std::string()
                 : std::string(buffer.data(), std::min(static_cast<size_t>(n), buffer.size() - 1));
}

int Width(const RECT& rect)
{
    return rect.right - rect.left;
}

bool VolumeRatio(CStock* stock, double& ratio)
{
    stock->GetKData(kPeriodDay);
    ratio = 0;
    return stock->GetCurrentVolumeRatio(&ratio, 5) && ratio > kEpsilon;
}

// Price scale of a pane: y of a price between lowest (bottom) and highest (top).
int PriceY(const RECT& pane, double price, double highest, double lowest)
{
    return static_cast<int>(pane.bottom - (pane.bottom - pane.top) * (price - lowest) / (highest - lowest));
}

std::string DateWithWeekday(int32_t time)
{
    return GetWeekdayName(time, "%Y-%m-%d");
}

int DefaultChipCalculator(const ChipComputation& c, ChipDistributionResult& r)
{
    CCW calculator(c.bars);
    calculator.SetTurnoverFactor(c.factor);
    if (c.byDays)
        return calculator.ComputeByDays(
            c.end, c.days, c.info, c.step, r.levels, r.volumes, &r.minimum, &r.maximum, &r.total, &r.held);
    return calculator.ComputeByTurnover(
        c.end, c.days, c.info, c.step, r.levels, r.volumes, &r.minimum, &r.maximum, &r.total, &r.held);
}

struct OrderClassStyle
{
    const char* caption;
    const char* netCaption;
    COLORREF buy;
    COLORREF sell;
};

const OrderClassStyle kOrderClasses[4] = {
    { "特大", "净特大", RGB(255, 112, 112), RGB(0, 250, 112) },
    { "大单", "净大单", RGB(218, 0, 0), RGB(2, 183, 83) },
    { "中单", "净中单", RGB(140, 0, 0), RGB(0, 95, 42) },
    { "小单", "净小单", RGB(89, 2, 2), RGB(0, 48, 21) },
};

} // namespace

CQuoteSidePanel::CQuoteSidePanel()
    : m_owner(nullptr)
    , m_placedSectorList {}
    , m_listedStock(-1)
{
}

void CQuoteSidePanel::SetChipCalculator(ChipCalculator calculator)
{
    m_chipCalculator = std::move(calculator);
}

void CQuoteSidePanel::SetDiagnosisLoader(DiagnosisLoader loader)
{
    m_diagnosis.SetLoader(std::move(loader));
}

int CQuoteSidePanel::ComputeChips(const ChipComputation& computation, ChipDistributionResult& result) const
{
    if (m_chipCalculator)
        return m_chipCalculator(computation, result);
    return DefaultChipCalculator(computation, result);
}

// ---------------------------------------------------------------------------
// Frame, title, quote table, sector list placement

void CQuoteSidePanel::HideSectorList()
{
    if (m_sectorList.m_hWnd && m_sectorList.IsWindowVisible())
        m_sectorList.ShowWindow(SW_HIDE);
    ::SetRectEmpty(&m_placedSectorList);
    m_listedStock = -1;
}

void CQuoteSidePanel::PlaceSectorList(int mode, const RECT& rect)
{
    if (mode == 0) {
        if (!m_sectorList.m_hWnd) {
            const RECT none = {};
            m_sectorList.Create(m_owner, none, nullptr,
                WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | LVS_REPORT, 0, kSectorListId);
        }
        if (!m_sectorList.m_hWnd)
            return;
        const bool visible = (m_sectorList.GetStyle() & WS_VISIBLE) != 0;
        if (visible && ::EqualRect(&m_placedSectorList, &rect) && !::IsRectEmpty(&rect))
            return;
        if (!visible)
            ::SetWindowPos(m_sectorList.m_hWnd, nullptr, rect.left, rect.top, Width(rect),
                rect.bottom - rect.top, SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOZORDER);
        RECT now = {};
        ::GetWindowRect(m_sectorList.m_hWnd, &now);
        ::MapWindowPoints(nullptr, m_owner, reinterpret_cast<POINT*>(&now), 2);
        if (!::EqualRect(&now, &rect))
            ::SetWindowPos(m_sectorList.m_hWnd, nullptr, rect.left, rect.top, Width(rect),
                rect.bottom - rect.top, SWP_NOACTIVATE | SWP_NOZORDER);
        m_placedSectorList = rect;
        return;
    }
    if (mode == 1 && m_sectorList.m_hWnd && m_sectorList.IsWindowVisible())
        m_sectorList.ShowWindow(SW_HIDE);
    ::SetRectEmpty(&m_placedSectorList);
    m_listedStock = -1;
}

bool CQuoteSidePanel::BeginPage(HDC dc, const RECT& rect, bool hideSectorList)
{
    if (::IsRectEmpty(&rect))
        return false;
    if (hideSectorList)
        HideSectorList();
    FillSolid(dc, rect, SidePanelColors::Background);
    FrameInside(dc, rect, FrameColour());
    ::SetBkColor(dc, SidePanelColors::Background);
    return true;
}

int CQuoteSidePanel::BeginPageWithTable(HDC dc, const RECT& rect, CStock* stock)
{
    return DrawQuoteTable(dc, stock, rect.left, rect.top, Width(rect));
}

int CQuoteSidePanel::DrawStockTitle(HDC dc, CStock* stock, int x, int y, int width)
{
    if (!stock)
        return 50;
    const CStockInfo& info = stock->GetStockInfo();
    TextStateScope state(dc);
    DrawPenLine(dc, 1, FrameColour(), x, y, x, y - 55);

    UseFont(dc, 18, "黑体", 400);
    Text(dc, x + 20, y - 52, info.GetName(), SidePanelColors::StockName);
    UseFont(dc, 16, "Arial", 700);
    Text(dc, x + 2 * width / 3, y - 54, MarketCodeText(info.GetMarket(), info.GetCode()),
        SidePanelColors::StockCode);

    const COLORREF direction = DirectionColour(info.previousClose, info.last);
    UseFont(dc, 22, "Arial", 700);
    Text(dc, x + 20, y - 26, PriceText(info.last, info.GetPriceDecimals()), direction);
    UseFont(dc, 14, "System", 400);
    Text(dc, x + 3 * width / 4 - 1, y - 32, ChangeText(info.last, info.previousClose), direction);
    Text(dc, x + 3 * width / 4 - 1, y - 17, ChangePercentText(info.last, info.previousClose), direction);
    return 50;
}

int CQuoteSidePanel::DrawQuoteTable(HDC dc, CStock* stock, int x, int y, int width)
{
    if (!stock)
        return 0;
    DrawStockTitle(dc, stock, x, y, width);
    CStockInfo& info = stock->GetStockInfo();
    const int decimals = info.GetPriceDecimals();
    const double previous = info.previousClose;
    TextStateScope state(dc);
    HFONT labelFont = GdiObjectCache::Instance()->GetFont(16, "宋体", 400);
    HFONT valueFont = GdiObjectCache::Instance()->GetFont(16, "System", 700);
    double ratio = 0;
    const bool ratioKnown = VolumeRatio(stock, ratio);

    if (info.IsIndex()) {
        struct Row
        {
            const char* label;
            std::string value;
            COLORREF colour;
        };
        const COLORREF lastColour = DirectionColour(previous, info.last);
        const Row rows[11] = {
            { "最新指数", PriceText(info.last, decimals), lastColour },
            { "今日开盘", PriceText(info.open, decimals), DirectionColour(previous, info.open) },
            { "昨日收盘", PriceText(previous, decimals), SidePanelColors::NeutralText },
            { "指数涨跌", PriceText(PriceChange(info.last, previous), decimals), lastColour },
            { "指数涨幅", FormatString("%.2f%%", PriceChangePercent(info.last, previous)), lastColour },
            { "指数震幅",
                previous > 0 ? FormatString("%.2f%%", (info.high - info.low) * 100.0 / previous)
                             : std::string("-"),
                SidePanelColors::NeutralText },
            { "成交量比", ratioKnown ? FormatString("%.2f", ratio) : std::string("-"),
                SidePanelColors::NeutralText },
            { "最高指数", PriceText(info.high, decimals), DirectionColour(previous, info.high) },
            { "最低指数", PriceText(info.low, decimals), DirectionColour(previous, info.low) },
            { "总成交量", FormatLargeNumber(info.volume), SidePanelColors::IndexVolume },
            { "总成交额", FormatThousandsAmount(info.amount), SidePanelColors::IndexVolume },
        };
        for (int i = 0; i < 11; ++i) {
            const int line = y + 10 + 24 * i;
            ::SelectObject(dc, labelFont);
            Text(dc, x + 5, line, rows[i].label, SidePanelColors::NeutralText);
            ::SelectObject(dc, valueFont);
            RightText(dc, x + width - 5, line, rows[i].value, rows[i].colour);
        }
        HorizontalLine(dc, x, x + width, y + 274, FrameColour());
        return 274;
    }

    SidePanelColors::NeutralText = kLightText;
    const COLORREF neutral = SidePanelColors::NeutralText;
    const int leftLabel = x + 2;
    const int rightLabel = x + width / 2 + 2;
    const int leftValue = x + width / 2 - 1;
    const int rightValue = x + width - 1;
    auto label = [&](int lx, int line, const std::string& text, COLORREF colour) {
        ::SelectObject(dc, labelFont);
        Text(dc, lx, line, text, colour);
    };
    auto value = [&](int vx, int line, const std::string& text, COLORREF colour) {
        ::SelectObject(dc, valueFont);
        RightText(dc, vx, line, text, colour);
    };
    for (int lineY : { 19, 102, 185, 268 })
        HorizontalLine(dc, x, x + width, y + lineY, FrameColour());

    double orderRatio = 0;
    double difference = 0;
    info.GetOrderRatio(&orderRatio, &difference);
    const COLORREF ratioColour = PickPriceColor(0, orderRatio);
    label(leftLabel, y + 2, LoadText(IDS_ORDER_RATIO), neutral);
    value(leftValue, y + 2, FormatString("%.2f%%", orderRatio), ratioColour);
    label(rightLabel, y + 2, LoadText(IDS_ORDER_DIFFERENCE), neutral);
    value(rightValue, y + 2, FormatString("%.0f", difference), ratioColour);

    // The asks from level 5 down to level 1, then the bids from level 1.
    for (int k = 0; k < 5; ++k) {
        const int level = 4 - k;
        const int line = y + 21 + 16 * k;
        label(leftLabel, line, LoadText(IDS_ASK5 + k), neutral);
        if (info.askVolumes[level] > 0) {
            value(leftValue, line, PriceText(info.askPrices[level], decimals),
                PickPriceColor(previous, info.askPrices[level]));
            value(rightValue, line, FormatString("%.0f", info.askVolumes[level]),
                SidePanelColors::OrderBookVolume);
        }
    }
    for (int k = 0; k < 5; ++k) {
        const int line = y + 104 + 16 * k;
        label(leftLabel, line, LoadText(IDS_BID1 + k), neutral);
        if (info.bidVolumes[k] > 0) {
            value(leftValue, line, PriceText(info.bidPrices[k], decimals),
                PickPriceColor(previous, info.bidPrices[k]));
            value(
                rightValue, line, FormatString("%.0f", info.bidVolumes[k]), SidePanelColors::OrderBookVolume);
        }
    }

    const COLORREF lastColour = PickPriceColor(previous, info.last);
    label(leftLabel, y + 187, LoadText(IDS_LAST_PRICE), neutral);
    value(leftValue, y + 187, PriceText(info.last, decimals), lastColour);
    label(rightLabel, y + 187, LoadText(IDS_TODAY_OPEN), neutral);
    if (info.volume > 0)
        value(rightValue, y + 187, PriceText(info.open, decimals), PickPriceColor(previous, info.open));
    else
        value(rightValue, y + 187, "-", neutral);

    label(leftLabel, y + 203, LoadText(IDS_PRICE_CHANGE), neutral);
    value(leftValue, y + 203, PriceText(PriceChange(info.last, previous), decimals), lastColour);
    label(rightLabel, y + 203, LoadText(IDS_HIGH), neutral);
    value(rightValue, y + 203, PriceText(info.high, decimals), PickPriceColor(previous, info.high));

    label(leftLabel, y + 219, LoadText(IDS_CHANGE_PERCENT), neutral);
    value(leftValue, y + 219, FormatString("%.2f%%", PriceChangePercent(info.last, previous)), lastColour);
    label(rightLabel, y + 219, LoadText(IDS_LOW), neutral);
    value(rightValue, y + 219, PriceText(info.low, decimals), PickPriceColor(previous, info.low));

    label(leftLabel, y + 235, LoadText(IDS_TOTAL_VOLUME), neutral);
    value(leftValue, y + 235, FormatLargeNumber(info.volume), SidePanelColors::OrderBookVolume);
    label(rightLabel, y + 235, LoadText(IDS_VOLUME_RATIO), neutral);
    value(rightValue, y + 235, ratioKnown ? FormatString("%.02f", std::floor(ratio * 100 + 0.5) / 100) : "-",
        lastColour);

    float outer = 0;
    float inner = 0;
    const CFenbiData& ticks = stock->GetFenbiData();
    const bool split = ticks.GetCount() > 0 && ticks.GetOuterInnerVolume(nullptr, &outer, &inner) != 0;
    label(leftLabel, y + 251, LoadText(IDS_OUTER_VOLUME), neutral);
    value(leftValue, y + 251, split ? FormatLargeNumber(outer) : "-", ChartColors::Rise);
    label(rightLabel, y + 251, LoadText(IDS_INNER_VOLUME), neutral);
    value(rightValue, y + 251, split ? FormatLargeNumber(inner) : "-", ChartColors::Fall);

    const CapitalTexts capital = BuildCapitalTexts(info);
    const COLORREF turnover = SidePanelColors::Turnover;
    label(leftLabel, y + 270, "换手", turnover);
    value(leftValue, y + 270, capital.turnover, turnover);
    label(rightLabel, y + 270, "股本", turnover);
    value(rightValue, y + 270, capital.totalShares, turnover);
    label(leftLabel, y + 289, "净资", turnover);
    value(leftValue, y + 289, capital.netAssets, turnover);
    label(rightLabel, y + 289, "流通", turnover);
    value(rightValue, y + 289, capital.circulatingShares, turnover);
    label(leftLabel, y + 308, capital.earningsLabel, turnover);
    value(leftValue, y + 308, capital.earnings, turnover);
    label(rightLabel, y + 308, "市盈率", turnover);
    value(rightValue, y + 308, capital.priceEarnings, turnover);
    return 325;
}

void CQuoteSidePanel::DrawBlankPage(HDC, const RECT& rect, CStock*, int&, int&)
{
    if (!::IsRectEmpty(&rect))
        HideSectorList();
}

void CQuoteSidePanel::DrawBlankMode(HDC, const RECT& rect)
{
    if (!::IsRectEmpty(&rect))
        HideSectorList();
}

// ---------------------------------------------------------------------------
// Tick page and lists

void CQuoteSidePanel::DrawTickPage(HDC dc, const RECT& rect, CStock* stock, int& rowsPerPage, int&)
{
    if (!stock || !BeginPage(dc, rect, true))
        return;
    const int h = BeginPageWithTable(dc, rect, stock);
    const int y0 = rect.top + h + 1;
    rowsPerPage = TickPageRows(y0, rect.bottom);
    const RECT rows = { rect.left, y0, rect.right, rect.bottom };
    DrawTickRows(dc, stock->GetStockInfo(), stock->GetFenbiData(), rowsPerPage, rows);
}

void CQuoteSidePanel::DrawTickRows(
    HDC dc, const CStockInfo& info, const CFenbiData& ticks, int rows, const RECT& rect)
{
    TextStateScope state(dc);
    ::SetBkColor(dc, SidePanelColors::Background);
    const int left = rect.left;
    const int right = rect.right;
    const int width = Width(rect);
    const double previous = ticks.GetPrevClose();
    const int decimals = info.GetPriceDecimals();
    const std::vector<TickRow> model = BuildTickRows(ticks, rows);

    if (info.IsIndex()) {
        HorizontalLine(dc, left, right, rect.top + 22, FrameColour());
        UseFont(dc, 16, "宋体", 400);
        Text(dc, left + 3, rect.top + 4, "时间", kLightText);
        Text(dc, left + 2 + static_cast<int>(0.35 * width), rect.top + 4, "指数", kLightText);
        Text(dc, left + 2 + width - 40, rect.top + 4, "成交", kLightText);
        UseFont(dc, 16, "System", 700);
        for (size_t k = 0; k < model.size(); ++k) {
            const TickRow& row = model[k];
            if (row.index < 0)
                continue;
            const int y = rect.top + 24 + 16 * static_cast<int>(k);
            Text(dc, left + 2, y, FormatTime(row.time, "%H:%M"), kLightText);
            Text(dc, left + 2 + static_cast<int>(0.35 * width), y, PriceText(row.price, decimals),
                PickPriceColor(previous, row.price));
            RightText(
                dc, right - 3, y, row.volume > 0 ? FormatLargeNumber(row.volume) : "- ", kIndexTickVolume);
        }
        return;
    }

    HorizontalLine(dc, left, right, rect.top, FrameColour());
    UseFont(dc, 16, "System", 700);
    for (size_t k = 0; k < model.size(); ++k) {
        const TickRow& row = model[k];
        if (row.index < 0)
            continue;
        const int y = rect.top + 2 + 16 * static_cast<int>(k);
        Text(dc, left + 2, y, FormatTime(row.time, "%H:%M"), kLightText);
        Text(dc, left + 2 + static_cast<int>(0.3 * width), y, PriceText(row.price, decimals),
            PickPriceColor(previous, row.price));
        Text(dc, left + 2 + static_cast<int>(0.6 * width) + 2, y,
            row.volume > 0 ? FormatLargeNumber(row.volume) : "-",
            row.volume >= kBigTrade ? kBigTickVolume : kTickVolume);
        if (row.letter == 'B')
            RightText(dc, right - 5, y, "B", ChartColors::Rise);
        else if (row.letter == 'S')
            RightText(dc, right - 5, y, "S", ChartColors::Fall);
    }
}

namespace {

// Title line of the full-window lists.
void DrawListTitle(HDC dc, const CStockInfo& info, const RECT& rect, UINT titleId)
{
    UseFont(dc, 16, "宋体", 700);
    Text(dc, rect.left + 30, rect.top + 3, info.GetName(), kLightText);
    Text(dc, rect.left + 120, rect.top + 3, MarketCodeText(info.GetMarket(), info.GetCode()), kLightText);
    Text(dc, rect.left + 220, rect.top + 3, LoadText(titleId), kLightText);
}

// The frame and header of one list column; returns the price column's right end.
int BeginListColumn(HDC dc, const RECT& column)
{
    FrameInside(dc, column, FrameColour());
    HorizontalLine(dc, column.left, column.right, column.top + 22, FrameColour());
    ::SetBkColor(dc, SidePanelColors::Background);
    const int xp = column.left + 2 + static_cast<int>(0.55 * Width(column));
    UseFont(dc, 14, "宋体", 400);
    Text(dc, column.left + 3, column.top + 5, LoadText(IDS_LIST_TIME), kLightText);
    RightText(dc, xp - 1, column.top + 5, LoadText(IDS_LIST_PRICE), kLightText);
    RightText(dc, column.right - 2, column.top + 5, LoadText(IDS_LIST_VOLUME), kLightText);
    UseFont(dc, 13, "System", 700);
    return xp;
}

// The columns of a full-window list of count entries under its title, each
// given its first entry, its row count and its rectangle.
template <typename DrawColumn>
void DrawFullListColumns(const RECT& rect, int count, int listPosition, DrawColumn drawColumn)
{
    const FullListLayout layout = LayoutFullList(rect, count, listPosition);
    int start = layout.start;
    for (int c = 0; c < layout.columns && start < count; ++c) {
        const int left = rect.left + layout.offset + kFullListColumnWidth * c;
        const RECT column = { left, rect.top + 24, left + kFullListColumnWidth, rect.bottom };
        drawColumn(start, layout.rows, column);
        start += layout.rows;
    }
}

} // namespace

void CQuoteSidePanel::DrawTickListWindow(HDC dc, CStock* stock, const RECT& rect, int listPosition)
{
    if (!stock || ::IsRectEmpty(&rect))
        return;
    HideSectorList();
    ::SetBkColor(dc, SidePanelColors::Background);
    TextStateScope state(dc);
    const CStockInfo& info = stock->GetStockInfo();
    const CFenbiData& ticks = stock->GetFenbiData();
    DrawListTitle(dc, info, rect, IDS_TICK_LIST_TITLE);
    DrawFullListColumns(rect, ticks.GetCount(), listPosition, [&](int start, int rows, const RECT& column) {
        DrawTickColumns(dc, info, ticks, start, rows, column);
    });
}

void CQuoteSidePanel::DrawMinuteListWindow(HDC dc, CStock* stock, const RECT& rect, int listPosition)
{
    if (!stock || ::IsRectEmpty(&rect))
        return;
    HideSectorList();
    ::SetBkColor(dc, SidePanelColors::Background);
    TextStateScope state(dc);
    const CStockInfo& info = stock->GetStockInfo();
    const CMinute& minutes = stock->GetMinute();
    DrawListTitle(dc, info, rect, IDS_MINUTE_LIST_TITLE);
    DrawFullListColumns(rect, minutes.GetCount(), listPosition, [&](int start, int rows, const RECT& column) {
        DrawMinuteColumns(dc, info, minutes, start, rows, column);
    });
}

void CQuoteSidePanel::DrawTickColumns(
    HDC dc, const CStockInfo& info, const CFenbiData& ticks, int first, int rows, const RECT& column)
{
    TextStateScope state(dc);
    const int xp = BeginListColumn(dc, column);
    const int count = ticks.GetCount();
    if (first < 0 || first >= count)
        return;
    for (int k = 0; k < rows && first + k < count; ++k) {
        const int i = first + k;
        const TickRecord& tick = ticks.GetTick(i);
        const int y = column.top + 24 + 16 * k;
        Text(dc, column.left + 2, y, FormatTime(tick.time, "%H:%M:%S"), kLightText);
        RightText(dc, xp, y, PriceText(tick.price, info.GetPriceDecimals()),
            PickPriceColor(info.previousClose, tick.price));
        const float volume = TickVolume(ticks, i);
        const COLORREF colour = info.IsIndex() ? SidePanelColors::OrderBookVolume
            : volume >= kBigTrade              ? kBigTickVolume
                                               : kTickVolume;
        RightText(dc, column.right - 1, y, FormatLargeNumber(volume), colour);
    }
}

void CQuoteSidePanel::DrawMinuteColumns(
    HDC dc, const CStockInfo& info, const CMinute& minutes, int first, int rows, const RECT& column)
{
    TextStateScope state(dc);
    const int xp = BeginListColumn(dc, column);
    const int count = minutes.GetCount();
    if (first < 0 || first >= count)
        return;
    for (int k = 0; k < rows && first + k < count; ++k) {
        const MinuteRecord* minute = minutes.GetAt(first + k);
        if (!minute)
            break;
        const int y = column.top + 24 + 16 * k;
        Text(dc, column.left + 2, y, FormatTime(minute->time, "%H:%M"), kLightText);
        RightText(dc, xp, y, PriceText(minute->price, info.GetPriceDecimals()),
            PickPriceColor(info.previousClose, minute->price));
        RightText(
            dc, column.right - 1, y, FormatLargeNumber(minute->volume), SidePanelColors::OrderBookVolume);
    }
}

// ---------------------------------------------------------------------------
// Data pages

void CQuoteSidePanel::DrawPage(const SidePanelPaint& paint)
{
    HDC dc = paint.dc;
    const RECT& rect = paint.sidePanel;
    CStock* stock = paint.stock;
    int& rows = *paint.rowsPerPage;
    int& position = *paint.listPosition;
    switch (paint.page) {
    case kPageCostDistribution:
        DrawChipDistribution(dc, stock, paint.period, paint.cursor, rect, paint.priceArea, paint.high, paint.low);
        break;
    case kPageMovingCost:
        DrawMovingCostPage(dc, stock, paint.period, paint.cursor, rect, paint.priceArea, paint.high, paint.low);
        break;
    case kPageSectors:
        DrawSectorPage(dc, rect, stock, rows, position);
        break;
    case kPageTicks:
        DrawTickPage(dc, rect, stock, rows, position);
        break;
    case kPageVolumeByPrice:
        DrawPriceVolumePage(dc, rect, stock);
        break;
    case kPageFinance:
        DrawFinancePage(dc, rect, stock, rows, position);
        break;
    case kPageOrderSizes:
        DrawOrderSizePage(dc, rect, stock, rows, position);
        break;
    case kPageDiagnosis:
        DrawDiagnosisPage(dc, rect, stock);
        break;
    case kPageChips:
        DrawChipPage(dc, rect, stock, paint.priceArea, paint.high, paint.low);
        break;
    case kPageBlank:
        DrawBlankPage(dc, rect, stock, rows, position);
        break;
    default:
        break;
    }
}

void CQuoteSidePanel::DrawSectorPage(HDC dc, const RECT& rect, CStock* stock, int&, int&)
{
    if (!stock || !BeginPage(dc, rect, false))
        return;
    const int h = BeginPageWithTable(dc, rect, stock);
    {
        TextStateScope state(dc);
        const RECT box = { rect.left, rect.top + h + 1, rect.right, rect.bottom };
        FrameInside(dc, box, FrameColour());
        HorizontalLine(dc, rect.left, rect.right, rect.top + h + 23, FrameColour());
        UseFont(dc, 14, "宋体", 400);
        Text(dc, rect.left + 4, rect.top + h + 6, "所属板块", SidePanelColors::Turnover);
    }
    const RECT listRect = { rect.left + 1, rect.top + h + 26, rect.right - 1, rect.bottom - 1 };
    PlaceSectorList(0, listRect);
    // Later drawing of the chart leaves the list window alone.
    ::ExcludeClipRect(dc, listRect.left, listRect.top, listRect.right, listRect.bottom);
    FillSectorList(stock);
}

void CQuoteSidePanel::FillSectorList(CStock* stock)
{
    const int32_t key = static_cast<int32_t>(stock->GetCodeKey());
    if (!m_sectorList.m_hWnd || key == m_listedStock)
        return;
    m_listedStock = key;
    m_sectorList.DeleteAllItems();
    GroupIndex* index = GroupIndex::Instance();
    if (!index)
        return;
    const std::vector<SectorRow> rows = BuildSectorRows(*index, stock->GetCodeKey());
    const int shown = std::min(static_cast<int>(rows.size()), kMaxSectorRows);
    for (int i = 0; i < shown; ++i)
        m_sectorList.InsertItem(i, rows[static_cast<size_t>(i)].text.c_str());
    for (int i = 0; i < shown; ++i) {
        LVITEMA item = {};
        item.mask = LVIF_PARAM;
        item.iItem = i;
        item.lParam = static_cast<LPARAM>(rows[static_cast<size_t>(i)].group);
        m_sectorList.SendMessage(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
}

void CQuoteSidePanel::DrawPriceVolumePage(HDC dc, const RECT& rect, CStock* stock)
{
    if (!stock || !BeginPage(dc, rect, true))
        return;
    const int h = BeginPageWithTable(dc, rect, stock);
    TextStateScope state(dc);
    UseFont(dc, 13, "System", 700);
    HorizontalLine(dc, rect.left, rect.right, rect.top + h + 1, FrameColour());
    const int rows = (rect.bottom - rect.top - h - 3) / 16;
    const CMinute& minutes = stock->GetMinute();
    std::vector<int32_t> levels;
    std::vector<int32_t> volumes;
    double largest = 0;
    if (minutes.GetCount() == 0 || rows <= 0 || !minutes.BuildPriceTable(levels, volumes, &largest)
        || largest < 1)
        return;
    const CStockInfo& info = stock->GetStockInfo();
    const int x0 = rect.left + 2;
    const int xq = rect.left + 2 + static_cast<int>(0.55 * Width(rect));
    const int count = static_cast<int>(levels.size());
    const int first = FirstShownLevel(count, rows);
    for (int i = first; i < count; ++i) {
        const int y = rect.top + h + 2 + 16 * (i - first);
        const double price = levels[static_cast<size_t>(i)] / 1000.0;
        const double quantity = volumes[static_cast<size_t>(i)];
        const COLORREF colour = PickPriceColor(info.previousClose, price);
        Text(dc, x0, y, PriceText(price, info.GetPriceDecimals()), colour);
        RightText(dc, xq, y, FormatDecimal(quantity, 0), kTickVolume);
        const int barWidth = static_cast<int>(quantity * (rect.right - 4 - (xq + 2)) / largest);
        const RECT bar = { xq + 2, y + 2, xq + 2 + barWidth, y + 14 };
        FillSolid(dc, bar, colour);
    }
}

void CQuoteSidePanel::DrawFinancePage(HDC dc, const RECT& rect, CStock* stock, int& rowsPerPage, int&)
{
    if (!stock || !BeginPage(dc, rect, true))
        return;
    const int h = BeginPageWithTable(dc, rect, stock);
    rowsPerPage = std::max<int>(1, (rect.bottom - rect.top - h - 25) / 16);
    TextStateScope state(dc);
    HorizontalLine(dc, rect.left, rect.right, rect.top + h + 1, FrameColour());
    UseFont(dc, 16, "宋体", 400);

    const FinanceRecord& finance = stock->GetStockInfo().GetFinance();
    const int32_t reportDate = finance.Read<int32_t>(14);
    auto money = [&](size_t offset) { return FormatLargeNumber(finance.Read<float>(offset) * 1000.0); };
    const double liabilities = static_cast<double>(finance.Read<float>(74)) + finance.Read<float>(78);
    const char* const labels[11] = { "更新时间", "资产总额", "负债总额", "主营收入", "利润总额", "净利润",
        "每股收益", "每股净资产", "净资收益率", "股东权益比率", "净资产收益率" };
    std::string values[11];
    if (reportDate > 0) {
        const std::tm date = SplitExchangeTime(reportDate);
        values[0] = FormatString("%04d-%02d-%02d", date.tm_year + 1900, date.tm_mon + 1, date.tm_mday);
        values[1] = money(54);
        values[2] = liabilities == 0 ? std::string("-") : FormatLargeNumber(liabilities * 1000.0);
        values[3] = money(94);
        values[4] = money(126);
        values[5] = money(134);
        values[6] = FormatDecimal(finance.Read<float>(146), 3);
        values[7] = FormatLargeNumber(finance.Read<float>(150));
        values[8] = money(162);
        values[9] = money(106) + "%";
        values[10] = FormatLargeNumber(finance.Read<float>(162)) + "%";
    } else {
        std::fill(values, values + 11, std::string("-"));
    }
    const int y0 = rect.top + h + 2;
    for (int i = 0; i < 11; ++i) {
        Text(dc, rect.left + 4, y0 + 20 * i, labels[i], SidePanelColors::Turnover);
        RightText(dc, rect.right - 2, y0 + 20 * i, values[i], SidePanelColors::Turnover);
    }
}

void CQuoteSidePanel::DrawOrderSizePage(
    HDC dc, const RECT& rect, CStock* stock, int& rowsPerPage, int& listResult)
{
    if (!stock)
        return;
    if (stock->GetStockInfo().IsIndex()) {
        DrawTickPage(dc, rect, stock, rowsPerPage, listResult);
        return;
    }
    const CFenbiData& ticks = stock->GetFenbiData();
    OrderSizeStats stats(&ticks);
    stats.Compute();
    if (!BeginPage(dc, rect, true))
        return;
    DrawStockTitle(dc, stock, rect.left, rect.top, Width(rect));
    TextStateScope state(dc);
    const int L = rect.left;
    const int R = rect.right;
    const int T = rect.top;
    const COLORREF turnover = SidePanelColors::Turnover;
    HFONT labelFont = GdiObjectCache::Instance()->GetFont(16, "宋体", 400);
    HFONT figureFont = GdiObjectCache::Instance()->GetFont(16, "System", 700);

    // The buy and the sell side: caption, pie and legend.
    for (int side = 0; side < 2; ++side) {
        const bool buy = side == 0;
        const int top = buy ? T : T + 122;
        const VolumeAmount* classes = buy ? stats.buy : stats.sell;
        ::SelectObject(dc, labelFont);
        Text(dc, L + 4, top + 3, buy ? "已成交委托买单成交量分析" : "已成交委托卖单成交量分析", turnover);
        HorizontalLine(dc, L, R, buy ? T + 25 : T + 145, FrameColour());
        int shares[4];
        OrderSizeShares(stats, buy, shares);
        std::vector<PieSector> sectors;
        for (int c = 0; c < 4; ++c) {
            // A class without a share has no sector (not even its radius).
            if (shares[c] > 0)
                sectors.push_back(
                    PieSector { shares[c], buy ? kOrderClasses[c].buy : kOrderClasses[c].sell });
        }
        const int pieTop = buy ? T + 27 : T + 147;
        const RECT pie = { L + 2, pieTop, L + 102, pieTop + 86 };
        if (!sectors.empty())
            DrawPieChart(dc, pie, sectors);
        for (int c = 0; c < 4; ++c) {
            const int row = pieTop + 24 * c;
            const RECT square = { L + 110, row + 2, L + 122, row + 14 };
            FillSolid(dc, square, buy ? kOrderClasses[c].buy : kOrderClasses[c].sell);
            ::SelectObject(dc, labelFont);
            Text(dc, L + 128, row, kOrderClasses[c].caption, turnover);
            ::SelectObject(dc, figureFont);
            RightText(dc, R - 2, row, FormatString("%d%%", shares[c]), kFigure);
            RightText(dc, R - 42, row, FormatString("%.0f", classes[c].volume), kFigure);
        }
        HorizontalLine(dc, L, R, buy ? T + 121 : T + 241, FrameColour());
    }

    // Amounts in and out, in 10,000 of the currency.
    ::SelectObject(dc, labelFont);
    Text(dc, L + 2, T + 243, "(万元)", turnover);
    Text(dc, L + 100, T + 243, "流入", turnover);
    Text(dc, L + 200, T + 243, "流出", turnover);
    HorizontalLine(dc, L, R, T + 261, FrameColour());
    for (int c = 0; c < 4; ++c) {
        const int row = T + 263 + 20 * c;
        ::SelectObject(dc, labelFont);
        Text(dc, L + 2, row, kOrderClasses[c].caption, turnover);
        ::SelectObject(dc, figureFont);
        RightText(dc, L + 142, row, FormatString("%.0f", stats.buy[c].amount / 10000.0), turnover);
        const RECT buySquare = { L + 150, row + 2, L + 160, row + 14 };
        FillSolid(dc, buySquare, kOrderClasses[c].buy);
        RightText(dc, R - 26, row, FormatString("%.0f", stats.sell[c].amount / 10000.0), turnover);
        const RECT sellSquare = { R - 18, row + 2, R - 6, row + 14 };
        FillSolid(dc, sellSquare, kOrderClasses[c].sell);
    }
    HorizontalLine(dc, L, R, T + 341, FrameColour());

    // Net volumes, bars scaled to the largest.
    double nets[4];
    double largest = 0;
    for (int c = 0; c < 4; ++c) {
        nets[c] = static_cast<double>(stats.buy[c].volume) - stats.sell[c].volume;
        largest = std::max(largest, std::fabs(nets[c]));
    }
    if (largest == 0)
        largest = 1;
    for (int c = 0; c < 4; ++c) {
        const int row = T + 343 + 20 * c;
        const COLORREF colour = nets[c] > 0 ? ChartColors::Rise : ChartColors::Fall;
        ::SelectObject(dc, labelFont);
        Text(dc, L + 2, row, kOrderClasses[c].netCaption, turnover);
        ::SelectObject(dc, figureFont);
        RightText(dc, L + 142, row, FormatString("%.0f", nets[c]), colour);
        const RECT bar
            = { L + 150, row + 2, L + 150 + static_cast<int>(std::fabs(nets[c]) * 124 / largest), row + 14 };
        FillSolid(dc, bar, colour);
    }

    rowsPerPage = std::max<int>(1, (rect.bottom - T - 447) / 16);
    const RECT tickRows = { L, T + 423, R, rect.bottom };
    DrawTickRows(dc, stock->GetStockInfo(), ticks, rowsPerPage, tickRows);
}

std::string CQuoteSidePanel::DiagnosisText(CStock* stock)
{
    CStockDiagnose& own = stock->GetDiagnose();
    if (own.IsLoaded())
        return own.GetText();
    // The verdict comes over the web on the fetcher's thread; until it is
    // here the page says it is on its way.
    std::string text;
    if (!m_diagnosis.GetVerdict(stock->GetCodeKey(), text))
        return kDiagnosisLoading;
    return text;
}

void CQuoteSidePanel::DrawDiagnosisPage(HDC dc, const RECT& rect, CStock* stock)
{
    if (!stock || !BeginPage(dc, rect, true))
        return;
    const int h = BeginPageWithTable(dc, rect, stock);
    HorizontalLine(dc, rect.left, rect.right, rect.top + h + 1, FrameColour());
    const std::string text = DiagnosisText(stock);
    if (text.empty())
        return;
    TextStateScope state(dc);
    UseFont(dc, 16, "宋体", 400);
    ::SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    ::SetTextColor(dc, kDiagnosisText);
    RECT area = { rect.left + 4, rect.top + h + 6, rect.right, rect.bottom };
    ::DrawTextA(
        dc, text.c_str(), static_cast<int>(text.size()), &area, DT_WORDBREAK | DT_NOCLIP | DT_NOPREFIX);
}

// ---------------------------------------------------------------------------
// Chip and cost pages

void CQuoteSidePanel::DrawChipPage(
    HDC dc, const RECT& rect, CStock* stock, const RECT& pricePane, double highest, double lowest)
{
    if (!stock || !BeginPage(dc, rect, true))
        return;
    DrawStockTitle(dc, stock, rect.left, rect.top, Width(rect));
    TextStateScope state(dc);
    UseFont(dc, 14, "宋体", 400);
    ::SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    const int x0 = rect.left + 2;
    const int usable = Width(rect) - 8;
    const CMinute& minutes = stock->GetMinute();
    std::vector<int32_t> levels;
    std::vector<int32_t> volumes;
    double largest = 0;
    if (minutes.GetCount() == 0 || !minutes.BuildPriceTable(levels, volumes, &largest) || largest < 1
        || !(highest - lowest > kEpsilon) || levels.empty())
        return;
    const double span = highest - lowest;
    const int paneHeight = pricePane.bottom - pricePane.top;
    for (size_t i = 0; i < levels.size() && i < volumes.size(); ++i) {
        const double price = levels[i] / 1000.0;
        const int y = static_cast<int>(pricePane.top + (highest - price) * paneHeight / span);
        if (!(rect.top < y && y < rect.bottom))
            continue;
        const int x1 = static_cast<int>(x0 + usable * static_cast<double>(volumes[i]) / largest);
        if (x0 < x1 && x1 < rect.right) {
            const RECT bar = { x0, y, x1, y + 2 };
            FillSolid(dc, bar, ChartColors::Rise);
        }
    }
}

void CQuoteSidePanel::DrawChipDistribution(HDC dc, CStock* stock, int period, int cursorBar, const RECT& rect,
    const RECT& mainPane, double highest, double lowest)
{
    if (!stock || !BeginPage(dc, rect, true))
        return;
    DrawStockTitle(dc, stock, rect.left, rect.top, Width(rect));
    TextStateScope state(dc);
    UseFont(dc, 14, "宋体", 400);
    ::SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    const CKData* bars = stock->GetKData(period);
    if (!bars)
        return;
    const int count = bars->GetCount();
    const int bar = cursorBar == -1 ? count - 1 : cursorBar;
    // Without a price range there is no level step: the calculator is not asked.
    if (!(highest - lowest > kEpsilon) || count == 0)
        return;
    ChipDistributionResult chips;
    const ChipComputation computation = { bars, &stock->GetStockInfo(), false, bar, 0,
        (highest - lowest) * kLevelStepShare, kTurnoverFactor };
    if (!ComputeChips(computation, chips) || chips.minimum < 0 || chips.maximum < kEpsilon
        || chips.total < kEpsilon)
        return;
    const Bar* barRecord = bars->GetBar(bar);
    const double close = barRecord ? barRecord->close : 0.0;

    const int L = rect.left;
    const int R = rect.right;
    const int T = rect.top;
    const int B = rect.bottom;
    {
        CSelectObject pen(dc, GdiObjectCache::Instance()->GetPen(PS_SOLID, 1, kHeldChips));
        bool above = false;
        for (size_t i = 0; i < chips.levels.size() && i < chips.volumes.size(); ++i) {
            const double price = chips.levels[i] / 1000.0;
            if (!above && price > close) {
                above = true;
                ::SelectObject(dc, GdiObjectCache::Instance()->GetPen(PS_SOLID, 1, kOpenChips));
            }
            const double volume = static_cast<double>(chips.volumes[i]);
            const int x1 = static_cast<int>(L + (R - L) * volume * 40 / chips.total);
            const int y = PriceY(mainPane, price, highest, lowest);
            if (T + 1 < y && y < B - 2) {
                ::MoveToEx(dc, L + 1, y, nullptr);
                ::LineTo(dc, x1, y);
            }
        }
    }

    UseFont(dc, 12, "宋体", 400);
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    const COLORREF turnover = SidePanelColors::Turnover;
    if (barRecord)
        Text(dc, L + 12, B - 100, DateWithWeekday(barRecord->time), turnover);
    double ratio = 0;
    ChipWinnerRatio(&ratio, chips.levels, chips.volumes, close);
    Text(dc, L + 2, B - 80, LoadText(IDS_PROFIT_RATIO), turnover);
    Text(dc, L + 102, B - 80, FormatString("%.1f%%", ratio * 100), turnover);
    const RECT gauge = { L + 62, B - 80, L + 162, B - 68 };
    FrameInside(dc, gauge, kOpenChips);
    const RECT held = { L + 62, B - 80, L + 62 + static_cast<int>(ratio * 100), B - 68 };
    if (held.right > held.left)
        FrameInside(dc, held, kHeldChips);
    double average = 0;
    ChipAverageCost(&average, chips.levels, chips.volumes);
    Text(dc, L + 2, B - 64, LoadFormat(IDS_AVERAGE_COST, average), turnover);
    const struct
    {
        UINT id;
        double share;
        int y;
    } bands[2] = { { IDS_COST_BAND_90, 0.9, B - 48 }, { IDS_COST_BAND_70, 0.7, B - 32 } };
    for (const auto& band : bands) {
        double low = 0;
        double high = 0;
        double span = 0;
        ChipCostBand(&low, &high, &span, chips.levels, chips.volumes, band.share);
        Text(dc, L + 2, band.y, LoadFormat(band.id, low, high, span * 100), turnover);
    }
    ::SetBkMode(dc, oldMode);
}

void CQuoteSidePanel::DrawMovingCostPage(HDC dc, CStock* stock, int period, int cursorBar, const RECT& rect,
    const RECT& mainPane, double highest, double lowest)
{
    if (!stock || !BeginPage(dc, rect, true))
        return;
    DrawStockTitle(dc, stock, rect.left, rect.top, Width(rect));
    TextStateScope state(dc);
    UseFont(dc, 14, "宋体", 400);
    ::SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    const CKData* bars = stock->GetKData(period);
    const int count = bars ? bars->GetCount() : 0;
    const int bar = cursorBar == -1 ? count - 1 : cursorBar;
    static const int days[5] = { 5, 10, 20, 30, 60 };
    static const COLORREF colours[5]
        = { RGB(255, 0, 0), RGB(255, 0, 128), RGB(255, 128, 0), RGB(255, 128, 128), RGB(255, 255, 0) };
    for (int k = 0; k < 5; ++k) {
        const RECT legend
            = { rect.left + 30, rect.bottom - 105 + 16 * k, rect.left + 170, rect.bottom - 89 + 16 * k };
        DrawCostCurve(dc, stock, mainPane, rect, period, false, bar, days[k], kTurnoverFactor, colours[k],
            legend, highest, lowest);
    }
    const Bar* barRecord = bars ? bars->GetBar(bar) : nullptr;
    if (barRecord) {
        UseFont(dc, 12, "宋体", 400);
        ::SetBkColor(dc, SidePanelColors::Background);
        Text(dc, rect.left + 30, rect.bottom - 20, DateWithWeekday(barRecord->time),
            SidePanelColors::Turnover);
    }
}

void CQuoteSidePanel::DrawCostCurve(HDC dc, CStock* stock, const RECT& mainPane, const RECT& rect, int period,
    bool byDays, int bar, int days, double factor, COLORREF colour, const RECT& legend, double highest,
    double lowest)
{
    if (!stock)
        return;
    TextStateScope state(dc);
    CSelectObject pen(dc, GdiObjectCache::Instance()->GetPen(PS_SOLID, 1, colour));
    ChipDistributionResult chips;
    bool computed = false;
    const CKData* bars = stock->GetKData(period);
    // Without a price range there is no level step: the calculator is not asked.
    if (bars && highest - lowest > kEpsilon && lowest > kEpsilon) {
        const ChipComputation computation = { bars, &stock->GetStockInfo(), byDays, bar, days,
            (highest - lowest) * kLevelStepShare, factor };
        computed = ComputeChips(computation, chips) && chips.minimum >= 0 && chips.maximum > kEpsilon
            && chips.total > kEpsilon;
    }
    if (computed) {
        const int L = rect.left;
        const int R = rect.right;
        const double scale = (byDays ? 15.0 : 40.0) / chips.total;
        std::vector<POINT> points;
        int previousY = 0;
        for (size_t i = 0; i < chips.levels.size() && i < chips.volumes.size(); ++i) {
            const double price = chips.levels[i] / 1000.0;
            const int x = static_cast<int>(L + static_cast<double>(chips.volumes[i]) * (R - L) * scale);
            const int y = PriceY(mainPane, price, highest, lowest);
            if (!(rect.top + 1 < y && y < rect.bottom - 2))
                continue;
            // The rows between this level and the one drawn before it are
            // filled too, so the curve's area has no gaps.
            const int from = points.empty() || y >= previousY ? y : previousY - 1;
            for (int row = from; row >= y; --row) {
                ::MoveToEx(dc, L + 2, row, nullptr);
                ::LineTo(dc, x, row);
            }
            points.push_back(POINT { x, y });
            previousY = y;
        }
        if (!points.empty()) {
            CSelectObject white(dc, GdiObjectCache::Instance()->GetPen(PS_SOLID, 1, RGB(255, 255, 255)));
            ::MoveToEx(dc, points[0].x, points[0].y, nullptr);
            ::Polyline(dc, points.data(), static_cast<int>(points.size()));
        }
    }

    FillSolid(dc, legend, colour);
    FrameInside(dc, legend, colour);
    UseFont(dc, 12, "宋体", 400);
    const COLORREF oldBack = ::SetBkColor(dc, colour);
    Text(dc, legend.left + 5, legend.top + 2,
        LoadFormat(
            byDays ? IDS_COST_WITHIN_DAYS : IDS_COST_BEFORE_DAYS, days, computed ? chips.held * 100 : 0.0),
        RGB(255, 255, 255));
    ::SetBkColor(dc, oldBack);
}
