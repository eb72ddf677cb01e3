#include "views/IndicatorTree.h"

#include "base/CPFile.h"
#include "base/UnicodeString.h"
#include "formula/FormulaLibrary.h"
#include "formula/IndicatorCategory.h"

std::string IndicatorNameAndDescription(const FormulaDefinition& definition)
{
    return WideToGbk(definition.name + L"  " + definition.des);
}

std::vector<IndicatorTreeCategory> BuildIndicatorTree(const FormulaLibrary& library, IndicatorTextForm form)
{
    std::vector<IndicatorTreeCategory> tree;
    for (int32_t id = kFirstListedIndicatorCategory; id < kIndicatorCategoryCount; ++id) {
        IndicatorTreeCategory category { id, IndicatorCategoryNameGbk(id), {} };
        for (const auto& entry : library.GetDefinitions()) {
            const FormulaDefinition& definition = entry.second;
            if (definition.type != id)
                continue;
            category.items.push_back({ form == IndicatorTextForm::kShowName ? WideToGbk(definition.showname)
                                                                            : IndicatorNameAndDescription(definition),
                definition.NO });
        }
        tree.push_back(std::move(category));
    }
    return tree;
}

std::vector<int32_t> DefaultIndicatorNumbers()
{
    return { 100, 101, 102, 103, 104 };
}

bool SaveIndicatorNumbers(const std::string& path, const std::vector<int32_t>& numbers)
{
    std::string bytes;
    bytes.reserve(numbers.size() * 4);
    for (int32_t number : numbers) {
        const uint32_t value = static_cast<uint32_t>(number);
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(static_cast<char>((value >> shift) & 0xFF));
    }
    return SaveFileReplacing(path.c_str(), bytes.data(), bytes.size());
}

std::vector<IndicatorTreeItem> KnownIndicators(const FormulaLibrary& library, const std::vector<int32_t>& numbers)
{
    std::vector<IndicatorTreeItem> rows;
    for (int32_t number : numbers) {
        if (const FormulaDefinition* definition = library.FindByNumber(number))
            rows.push_back({ IndicatorNameAndDescription(*definition), number });
    }
    return rows;
}
