#pragma once
// What the quote side panel shows, worked out apart from the painting: the
// texts of its quote figures, the rows of its tick lists, the layout of the
// full-window lists, the sector rows and the order-size shares.
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>

class CFenbiData;
class OrderSizeStats;
class GroupIndex;

// "SH.", "SZ." or "CN." (any other market) before the code.
std::string MarketCodeText(uint16_t marketTag, const std::string& code);
// Prices with the stock's decimals (always 2 here).
std::string PriceText(double price, int decimals = 2);
// Last minus previous close: "+0.12" when up, "-0.12" or "0.00" otherwise;
// 0 when there is no last price.
std::string ChangeText(double last, double previousClose);
// The change in percent, "+1.23%" when up; "0.00%" without both prices.
std::string ChangePercentText(double last, double previousClose);
// The change and its percentage as numbers (0 under the same conditions).
double PriceChange(double last, double previousClose);
double PriceChangePercent(double last, double previousClose);
// The quarter (1-4) of a report date in exchange time; 1 when not positive.
int ReportQuarter(int32_t reportDate);
// "㈠" to "㈣".
const char* QuarterSign(int quarter);
// Earnings per share of a cumulative report over a whole year.
double AnnualisedEarnings(double earningsPerShare, int quarter);
// The price-earnings text of the stock table: "" when the earnings are not positive.
std::string PriceEarningsText(double last, double earningsPerShare, int32_t reportDate);

// The texts of the stock table's last three lines: turnover, capital,
// net assets, circulating shares, earnings and price-earnings ratio. All
// are "-" when the finance record has no report date.
struct CapitalTexts
{
    std::string turnover;
    std::string totalShares;
    std::string netAssets;
    std::string circulatingShares;
    std::string earningsLabel; // "收益" and the report quarter's sign
    std::string earnings;
    std::string priceEarnings; // "" when the earnings are not positive
};
class CStockInfo;
CapitalTexts BuildCapitalTexts(const CStockInfo& info);

// One row of the tick rows under the quote table.
struct TickRow
{
    int index; // the tick's index; -1 for an empty row
    int32_t time;
    float price;
    float volume; // lots; the first tick's cumulative volume
    char letter; // 'B', 'S' or 0 (the first tick, or no volume)
};

// A tick's own volume: the difference of its cumulative volume and the one
// before it; the first tick's is its cumulative volume.
float TickVolume(const CFenbiData& ticks, int index);
// 'B' when the price rose from the previous tick, 'S' when it fell; at an
// unchanged price 'B' when the tick's quote price (the bid price field) is at
// least the trade price, else 'S'. 0 for the first tick and for ticks
// without volume.
char TradeLetter(const CFenbiData& ticks, int index);
// The newest rows ticks, oldest first; with fewer ticks than rows the top
// rows are empty (index -1). Empty without ticks.
std::vector<TickRow> BuildTickRows(const CFenbiData& ticks, int rows);
// Rows per page of the tick page: (bottom - y0 - 24) / 16, at least 1.
int TickPageRows(int y0, int bottom);

// A full-window list over a chart rectangle: 220-pixel columns centred,
// 16-pixel rows under a 48-pixel head, both at least 1.
struct FullListLayout
{
    int columns;
    int rows;
    int offset; // left margin of the first column
    int start; // the first entry shown
};
static const int kFullListColumnWidth = 220;
// position -1 shows the last page: the largest multiple of the page size
// (columns x rows) below the count, 0 for one page or less; a position out
// of 0..count-1 shows the first.
FullListLayout LayoutFullList(const RECT& rect, int count, int position);

// The sector rows of a stock: " category-group" (the category part only when
// the category is known), with the group id as the item data.
struct SectorRow
{
    std::string text;
    int32_t group;
};
std::vector<SectorRow> BuildSectorRows(const GroupIndex& index, uint32_t key);

// Whole percentages of the four order-size classes of one side; the small
// class takes the rest to 100, and all are 0 without a positive total.
void OrderSizeShares(const OrderSizeStats& stats, bool buy, int shares[4]);

// The first level shown when only the last rows of levels fit.
int FirstShownLevel(int levels, int rows);
