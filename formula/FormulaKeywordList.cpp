#include "formula/FormulaKeywordList.h"

#include <cwchar>
#include <iterator>

namespace {
// "PLOYLINE" is spelled so by every formula that uses it.
const wchar_t* const kDrawFunctions[] = { L"PLOYLINE", L"DRAWLINE", L"DRAWKLINE", L"STICKLINE", L"DRAWICON",
    L"DRAWTEXT", L"DRAWBAND", L"DRAWBASELINE" };

const wchar_t* const kBuiltinNames[]
    = { L"RGB", L"HHV", L"LLV", L"REF", L"MA", L"EMA", L"SMA", L"EXPMA", L"EXPMEMA", L"CROSS", L"LONGCROSS",
          L"UPNDAY", L"DOWNNDAY", L"STD", L"AVEDEV", L"NOT", L"IF", L"IFF", L"IFN", L"MAX", L"MIN", L"ABS",
          L"SUM", L"ACOS", L"ASIN", L"ATAN", L"FILTER", L"COUNT", L"REVERSE", L"BARSLAST", L"HHVBARS",
          L"LLVBARS", L"BARSCOUNT", L"CURRBARSCOUNT", L"SUMBARS", L"WINNER", L"ZIG", L"EVERY", L"SLOPE" };
}

FormulaKeywordList::FormulaKeywordList()
    : m_drawFunctions(std::begin(kDrawFunctions), std::end(kDrawFunctions))
    , m_builtinNames(std::begin(kBuiltinNames), std::end(kBuiltinNames))
{
}

bool FormulaKeywordList::IsDrawFunction(const wchar_t* name)
{
    if (!name)
        return false;
    for (const wchar_t* drawName : kDrawFunctions) {
        if (std::wcscmp(drawName, name) == 0)
            return true;
    }
    return false;
}
