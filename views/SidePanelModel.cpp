#include "views/SidePanelModel.h"

#include "base/ExchangeTime.h"
#include "base/Format.h"
#include "data/CodeKey.h"
#include "data/FenbiData.h"
#include "data/GroupData.h"
#include "data/StockInfo.h"
#include "data/TickStatistics.h"

#include <algorithm>
#include <cmath>

namespace {

// Below this a price counts as missing.
const double kPriceEpsilon = 0.0001;

}

std::string MarketCodeText(uint16_t marketTag, const std::string& code)
{
    const char* prefix = marketTag == kMarketTagSH ? "SH." : marketTag == kMarketTagSZ ? "SZ." : "CN.";
    return prefix + code;
}

std::string PriceText(double price, int decimals)
{
    return FormatString(FormatString("%%.%df", decimals).c_str(), price);
}

double PriceChange(double last, double previousClose)
{
    return last > kPriceEpsilon ? last - previousClose : 0.0;
}

double PriceChangePercent(double last, double previousClose)
{
    if (previousClose > kPriceEpsilon && last > kPriceEpsilon)
        return (last - previousClose) * 100.0 / previousClose;
    return 0.0;
}

std::string ChangeText(double last, double previousClose)
{
    if (!(last > kPriceEpsilon))
        return PriceText(0);
    const double change = last - previousClose;
    return FormatString(change > 0 ? "+%.2f" : "%.2f", change);
}

std::string ChangePercentText(double last, double previousClose)
{
    const double percent = PriceChangePercent(last, previousClose);
    return FormatString(percent > 0 ? "+%.2f%%" : "%.2f%%", percent);
}

int ReportQuarter(int32_t reportDate)
{
    if (reportDate <= 0)
        return 1;
    return SplitExchangeTime(reportDate).tm_mon / 3 + 1;
}

const char* QuarterSign(int quarter)
{
    static const char* const signs[4] = { "㈠", "㈡", "㈢", "㈣" };
    return signs[std::min(std::max(quarter, 1), 4) - 1];
}

double AnnualisedEarnings(double earningsPerShare, int quarter)
{
    return earningsPerShare * 4.0 / std::min(std::max(quarter, 1), 4);
}

std::string PriceEarningsText(double last, double earningsPerShare, int32_t reportDate)
{
    if (!(earningsPerShare > 0))
        return std::string();
    return FormatDecimal(last / AnnualisedEarnings(earningsPerShare, ReportQuarter(reportDate)), 3);
}

CapitalTexts BuildCapitalTexts(const CStockInfo& info)
{
    const FinanceRecord& finance = info.GetFinance();
    const int32_t reportDate = finance.Read<int32_t>(14);
    CapitalTexts texts;
    texts.earningsLabel = std::string("收益") + QuarterSign(ReportQuarter(reportDate));
    if (reportDate <= 0) {
        texts.turnover = texts.totalShares = texts.netAssets = texts.circulatingShares = texts.earnings
            = texts.priceEarnings = "-";
        return texts;
    }
    const double totalShares = finance.Read<float>(18);
    const double circulating = finance.Read<float>(42);
    const double earnings = finance.Read<float>(146);
    // Volume in lots of 100 over shares in 10,000 is already a percentage;
    // with no share count at all there is no turnover to show.
    const double shares = circulating > 0 ? circulating : totalShares;
    texts.turnover = shares > 0 ? FormatLargeNumber(info.volume / shares) + "%" : std::string("-");
    texts.totalShares = FormatLargeNumber(totalShares * 10000);
    texts.netAssets = FormatLargeNumber(finance.Read<float>(150));
    texts.circulatingShares = FormatLargeNumber(circulating * 10000);
    texts.earnings = FormatDecimal(earnings, 3);
    texts.priceEarnings = PriceEarningsText(info.last, earnings, reportDate);
    return texts;
}

float TickVolume(const CFenbiData& ticks, int index)
{
    if (index < 0 || index >= ticks.GetCount())
        return 0;
    const float volume = ticks.GetTick(index).volume;
    return index == 0 ? volume : volume - ticks.GetTick(index - 1).volume;
}

char TradeLetter(const CFenbiData& ticks, int index)
{
    if (index <= 0 || index >= ticks.GetCount() || !(TickVolume(ticks, index) > 0))
        return 0;
    const TickRecord& tick = ticks.GetTick(index);
    const float previous = ticks.GetTick(index - 1).price;
    if (tick.price > previous)
        return 'B';
    if (tick.price < previous)
        return 'S';
    return tick.bidPrice >= tick.price ? 'B' : 'S';
}

std::vector<TickRow> BuildTickRows(const CFenbiData& ticks, int rows)
{
    std::vector<TickRow> out;
    const int count = ticks.GetCount();
    if (count < 1 || rows < 1)
        return out;
    for (int k = 0; k < rows; ++k) {
        const int index = count - rows + k;
        if (index >= count)
            break;
        TickRow row = { -1, 0, 0, 0, 0 };
        if (index >= 0) {
            const TickRecord& tick = ticks.GetTick(index);
            row.index = index;
            row.time = tick.time;
            row.price = tick.price;
            row.volume = TickVolume(ticks, index);
            row.letter = TradeLetter(ticks, index);
        }
        out.push_back(row);
    }
    return out;
}

int TickPageRows(int y0, int bottom)
{
    return std::max<int>(1, (bottom - y0 - 24) / 16);
}

FullListLayout LayoutFullList(const RECT& rect, int count, int position)
{
    FullListLayout layout;
    const int width = rect.right - rect.left;
    layout.columns = std::max<int>(1, width / kFullListColumnWidth);
    layout.rows = std::max<int>(1, (rect.bottom - rect.top - 48) / 16);
    layout.offset = (width - layout.columns * kFullListColumnWidth) / 2;
    const int pageSize = layout.columns * layout.rows;
    if (position == -1)
        layout.start = count > pageSize ? (count - 1) / pageSize * pageSize : 0;
    else if (position < 0 || position >= count)
        layout.start = 0;
    else
        layout.start = position;
    return layout;
}

std::vector<SectorRow> BuildSectorRows(const GroupIndex& index, uint32_t key)
{
    std::vector<SectorRow> rows;
    const std::vector<int32_t>* groups = index.GetBlocksOfKey(key);
    if (!groups)
        return rows;
    for (int32_t group : *groups) {
        SectorRow row;
        row.group = group;
        std::string name;
        if (index.GetCategoryName(static_cast<int32_t>(static_cast<uint32_t>(group) & 0xFF000000u), name))
            row.text = " " + name + "-";
        if (index.GetBlockName(group, name))
            row.text += name;
        rows.push_back(row);
    }
    return rows;
}

void OrderSizeShares(const OrderSizeStats& stats, bool buy, int shares[4])
{
    const VolumeAmount* classes = buy ? stats.buy : stats.sell;
    const double total = buy ? stats.GetBuyVolume() : stats.GetSellVolume();
    if (!(total > 0)) {
        std::fill(shares, shares + 4, 0);
        return;
    }
    int rest = 100;
    for (int i = 0; i < 3; ++i) {
        shares[i] = static_cast<int>(classes[i].volume / total * 100.0);
        rest -= shares[i];
    }
    shares[3] = rest;
}

int FirstShownLevel(int levels, int rows)
{
    return levels > rows ? levels - rows : 0;
}
