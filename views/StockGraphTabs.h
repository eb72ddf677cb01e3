#pragma once
// The two tab strips of the K-line view as data: the indicator numbers of
// "showformula.dat" behind the indicator tabs, and the side-panel pages behind
// the page tabs; with the period step of F8.
#include <cstdint>
#include <string>
#include <vector>

namespace kline {

// The numbers of "showformula.dat", read until fewer than 4 bytes remain;
// 100 to 104 when the file cannot be opened.
std::vector<int32_t> LoadIndicatorNumbers(const std::string& path);

struct SidePage
{
    unsigned captionId; // string resource
    const char* caption; // its text, for a program without the resource
    int page;
};

// The eight pages in tab order: 板 9, 笔 11, 价 12, 财 13, 单 14, 诊 15, 本 1, 势 2.
const std::vector<SidePage>& SidePages();
// The pages an index or a stock shows: an index has no sector, diagnosis or
// finance page.
std::vector<SidePage> PagesFor(bool index);
// The side-panel page shown after a change between index and stock.
int DefaultSidePage(bool index);

// F8: the next period, 10 wraps to 1.
int NextPeriod(int period);

}
