#pragma once
// One indicator as the definition document describes it.
#include <cstdint>
#include <string>
#include <vector>

// A parameter, kept as the document wrote it; the calculator turns the
// default into a number.
struct FormulaArg
{
    std::wstring name;
    std::wstring min;
    std::wstring max;
    std::wstring defaultValue;
};

struct FormulaDefinition
{
    int32_t NO = 0; // 0 also when the document gave no number
    std::wstring name; // the key of the store
    std::wstring showname; // the name when the document gave none
    std::wstring des;
    int32_t passwd = 0;
    int32_t type = 0; // the category id (IndicatorCategory)
    int32_t draw = 0; // 1: drawn over the price bars in the main pane
    std::vector<FormulaArg> args;
    std::vector<float> MyAxis; // fixed horizontal axis lines
    std::wstring content; // the formula text
};
