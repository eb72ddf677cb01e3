#include "skin/SkinListTypes.h"
#include "base/MbcsText.h"
#include "skin/ListDateText.h"
#include <climits>
#include <cmath>
#include <cstdlib>

namespace {

const char kHundredMillion[] = "亿";
const char kTenThousand[] = "万";

}

int32_t NormalizeFormat(int32_t format)
{
    if (format & kListAlignCenter)
        format &= ~(kListAlignLeft | kListAlignRight);
    if (format & kListAlignRight)
        format &= ~kListAlignLeft;
    if (format & kListDateOnly)
        format &= ~kListTimeOnly;
    if (format & (kListNumeric | kListDecimal))
        format &= ~kListUpperCase;
    else
        format &= ~(kListSignToggle | kListOperators);
    if (format & kListNoDateTime)
        format &= ~(kListDateOnly | kListTimeOnly | kListDateNone);
    return format;
}

int32_t ListTextToInt(const std::string& text)
{
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

double ListTextToDouble(const std::string& text)
{
    return std::strtod(text.c_str(), nullptr);
}

int ListBoxValueSign(const std::string& text)
{
    const double value = ListTextToDouble(text);
    return value > 0 ? 1 : value < 0 ? -1 : 0;
}

bool CompareListCells(const SkinListCell& a, const SkinListCell& b, int32_t kind)
{
    if (kind == kListCellInteger)
        return ListTextToInt(a.text) < ListTextToInt(b.text);
    if (kind == kListCellAmount) {
        const bool aYi = MbcsFind(a.text, kHundredMillion) != std::string::npos;
        const bool bYi = MbcsFind(b.text, kHundredMillion) != std::string::npos;
        if (aYi != bYi)
            return bYi;
        const bool aWan = MbcsFind(a.text, kTenThousand) != std::string::npos;
        const bool bWan = MbcsFind(b.text, kTenThousand) != std::string::npos;
        if (aWan != bWan)
            return bWan;
        const double x = ListTextToDouble(a.text);
        const double y = ListTextToDouble(b.text);
        if (std::isnan(x) || std::isnan(y))
            return std::isnan(x) && !std::isnan(y);
        return x < y;
    }
    return MbcsCompare(a.text, b.text) < 0;
}

bool CompareItems(const SkinListRow& a, const SkinListRow& b, int32_t key, int32_t kind)
{
    const bool aHas = key >= 0 && static_cast<size_t>(key) < a.cells.size();
    const bool bHas = key >= 0 && static_cast<size_t>(key) < b.cells.size();
    if (!aHas || !bHas)
        return !aHas && bHas;
    return CompareListCells(a.cells[static_cast<size_t>(key)], b.cells[static_cast<size_t>(key)], kind);
}

std::string FormatListDateText(const std::string& text, int32_t format)
{
    if (text.empty())
        return std::string();
    SYSTEMTIME time = ParseCellDateTime(text);
    char date[128] = "";
    char clock[128] = "";
    if (!(format & kListTimeOnly) && time.wYear != 0) {
        if (!::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, sizeof(date)))
            date[0] = '\0';
    }
    if (!(format & kListDateOnly)) {
        if (!::GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &time, nullptr, clock, sizeof(clock)))
            clock[0] = '\0';
    }
    if (format & kListDateOnly)
        return date;
    if (format & kListTimeOnly)
        return clock;
    return std::string(date) + " " + clock;
}
