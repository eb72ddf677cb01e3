#include "views/StockGraphTabs.h"

#include "base/CPFile.h"
#include "res/resource.h"

namespace kline {

std::vector<int32_t> LoadIndicatorNumbers(const std::string& path)
{
    std::string bytes;
    // A tab list is a few dozen numbers; a file beyond this is not one.
    if (!ReadWholeFile(path.c_str(), bytes, 64 * 1024))
        return { 100, 101, 102, 103, 104 };
    std::vector<int32_t> numbers;
    for (size_t offset = 0; offset + 4 <= bytes.size(); offset += 4) {
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + offset);
        numbers.push_back(static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8
            | static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24));
    }
    return numbers;
}

const std::vector<SidePage>& SidePages()
{
    static const std::vector<SidePage> pages { { IDS_SIDE_PAGE_SECTORS, "板", 9 }, { IDS_SIDE_PAGE_TICKS, "笔", 11 },
        { IDS_SIDE_PAGE_PRICES, "价", 12 }, { IDS_SIDE_PAGE_FINANCE, "财", 13 }, { IDS_SIDE_PAGE_ORDERS, "单", 14 },
        { IDS_SIDE_PAGE_DIAGNOSIS, "诊", 15 }, { IDS_SIDE_PAGE_CHIPS, "本", 1 }, { IDS_SIDE_PAGE_COSTS, "势", 2 } };
    return pages;
}

std::vector<SidePage> PagesFor(bool index)
{
    std::vector<SidePage> pages;
    for (const SidePage& page : SidePages()) {
        if (index && (page.page == 9 || page.page == 15 || page.page == 13))
            continue;
        pages.push_back(page);
    }
    return pages;
}

int DefaultSidePage(bool index)
{
    return index ? 11 : 9;
}

int NextPeriod(int period)
{
    return period >= 10 ? 1 : period + 1;
}

}
