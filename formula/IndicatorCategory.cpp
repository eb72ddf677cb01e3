#include "formula/IndicatorCategory.h"

#include "base/UnicodeString.h"

namespace {

const IndicatorCategory kCategories[kIndicatorCategoryCount] = {
    { 0, L"无类型" },
    { 1, L"大势型" },
    { 2, L"超买超卖型" },
    { 3, L"趋势型" },
    { 4, L"能量型" },
    { 5, L"成交量型" },
    { 6, L"均线型" },
    { 7, L"图表型" },
    { 8, L"路径型" },
    { 9, L"停损型" },
    { 10, L"交易型" },
    { 11, L"神系" },
    { 12, L"龙系" },
    { 13, L"鬼系" },
    { 14, L"自定义指标" },
    { 15, L"特色指标" },
    { 16, L"五彩K线指标" },
};

bool IsInTable(int32_t id)
{
    return id >= 0 && id < kIndicatorCategoryCount;
}

} // namespace

const IndicatorCategory* IndicatorCategories()
{
    return kCategories;
}

std::wstring IndicatorCategoryName(int32_t id)
{
    return IsInTable(id) ? std::wstring(kCategories[id].name) : std::wstring();
}

std::string IndicatorCategoryNameGbk(int32_t id)
{
    return IsInTable(id) ? WideToGbk(kCategories[id].name) : std::string();
}

bool IsListedIndicatorCategory(int32_t id)
{
    return id >= kFirstListedIndicatorCategory && IsInTable(id);
}
