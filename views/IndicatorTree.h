#pragma once
// The indicators by category, as the indicator trees show them, and the
// indicator tab file behind the K-line view's indicator tabs.
#include <cstdint>
#include <string>
#include <vector>

class FormulaLibrary;
struct FormulaDefinition;

struct IndicatorTreeItem
{
    std::string text; // code page 936
    int32_t number;
};

struct IndicatorTreeCategory
{
    int32_t id;
    std::string name; // code page 936
    std::vector<IndicatorTreeItem> items;
};

enum class IndicatorTextForm {
    kShowName, // the side panel's tree
    kNameAndDescription, // the indicator manager: name, two blanks, description
};

// The text of an indicator in the indicator manager's tree and list.
std::string IndicatorNameAndDescription(const FormulaDefinition& definition);

// One category per listed category id in order, each with the definitions
// of that type in the store's order; categories without definitions stay.
std::vector<IndicatorTreeCategory> BuildIndicatorTree(const FormulaLibrary& library, IndicatorTextForm form);

// The tabs the K-line view offers when the user has chosen none.
std::vector<int32_t> DefaultIndicatorNumbers();

// Writes the numbers as 32-bit little-endian values, nothing else, through a
// temporary file; false (the old file whole) when that fails.
bool SaveIndicatorNumbers(const std::string& path, const std::vector<int32_t>& numbers);

// The rows of the indicator manager's list: the numbers that have a
// definition in the store, in order, with their texts.
std::vector<IndicatorTreeItem> KnownIndicators(const FormulaLibrary& library, const std::vector<int32_t>& numbers);
