#pragma once
// The names the formula compilation recognises: the draw functions, whose
// calls a statement keeps as written, and the built-in function names.
#include <string>
#include <vector>

class FormulaKeywordList
{
public:
    FormulaKeywordList();

    // True for one of the eight draw-function names, exactly as written
    // (case-sensitive, whole name); the built-in names are not searched.
    bool Contains(const wchar_t* name) const { return IsDrawFunction(name); }
    static bool IsDrawFunction(const wchar_t* name);

    const std::vector<std::wstring>& GetDrawFunctions() const { return m_drawFunctions; }
    // Kept as the list stands; nothing consults it.
    const std::vector<std::wstring>& GetBuiltinNames() const { return m_builtinNames; }

private:
    std::vector<std::wstring> m_drawFunctions;
    std::vector<std::wstring> m_builtinNames;
};
