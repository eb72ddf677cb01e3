#include "views/SearchIndex.h"

#include <algorithm>

#include "base/Format.h"
#include "base/MbcsText.h"
#include "base/UnicodeString.h"
#include "data/CodeTable.h"
#include "data/GroupData.h"
#include "data/SearchKey.h"
#include "formula/FormulaDefinition.h"

const QuickCodeRecord kQuickCodes[13] = {
    { 60, "深沪A涨幅排名" },
    { 61, "沪A涨幅排名" },
    { 63, "深A涨幅排名" },
    { 69, "中小企业涨幅排名" },
    { 612, "创业板涨幅排名" },
    { 92, "5分钟线" },
    { 93, "15分钟线" },
    { 94, "30分钟线" },
    { 95, "60分钟线" },
    { 96, "日线" },
    { 97, "周线" },
    { 98, "月线" },
    { 99, "年线" },
};

namespace {

// A sector's key covers the readings of its first four characters.
const int kSectorKeyCharacters = 4;

void AppendToAll(std::vector<std::string>& list, const std::string& text)
{
    for (std::string& entry : list)
        entry += text;
}

} // namespace

bool CompareWizardMatches(const WizardMatch& a, const WizardMatch& b)
{
    if (a.position != b.position)
        return a.position < b.position;
    if (a.key.size() != b.key.size())
        return a.key.size() < b.key.size();
    return MbcsCompare(a.key, b.key) < 0;
}

std::vector<std::string> ExpandSearchKey(const std::string& key)
{
    std::vector<std::string> list(1);
    size_t pos = 0;
    while (pos < key.size()) {
        const size_t size = MbcsCharSize(key, pos);
        if (size != 1 || key[pos] != '(') {
            AppendToAll(list, key.substr(pos, size));
            pos += size;
            continue;
        }
        // A group: alternatives up to the closing parenthesis.
        std::vector<std::string> alternatives(1);
        bool closed = false;
        for (++pos; pos < key.size();) {
            const size_t step = MbcsCharSize(key, pos);
            if (step == 1 && key[pos] == ')') {
                closed = true;
                ++pos;
                break;
            }
            if (step == 1 && key[pos] == '|')
                alternatives.emplace_back();
            else
                alternatives.back() += key.substr(pos, step);
            pos += step;
        }
        if (!closed)
            return {};
        std::vector<std::string> expanded;
        for (const std::string& alternative : alternatives) {
            for (const std::string& entry : list) {
                if (expanded.size() >= kMaxSearchKeyVariants)
                    break;
                expanded.push_back(entry + alternative);
            }
        }
        list.swap(expanded);
    }
    list.erase(
        std::remove_if(list.begin(), list.end(), [](const std::string& s) { return s.empty(); }), list.end());
    return list;
}

std::string TrimLeadingSpace(const std::string& text)
{
    size_t start = 0;
    while (start < text.size()
        && (text[start] == ' ' || text[start] == '\t' || text[start] == '\r' || text[start] == '\n'
            || text[start] == '\v' || text[start] == '\f'))
        ++start;
    return text.substr(start);
}

void CSearchIndex::Insert(const std::string& key, const std::string& display, uint32_t itemData)
{
    WizardEntry entry;
    entry.display = display;
    entry.itemData = itemData;
    m_entries.emplace(key, entry); // the first entry of a key stays
}

void CSearchIndex::AddEntry(const std::string& code, const std::string& searchKey, const std::string& name,
    uint32_t itemData, bool keyShown)
{
    for (const std::string& variant : ExpandSearchKey(searchKey))
        Insert(variant, keyShown ? variant + " " + name : name, itemData);
    if (!code.empty())
        Insert(code, code + " " + name, itemData);
    if (code == "1A0001")
        Insert("000001", "000001 " + name, itemData);
}

void CSearchIndex::Build(const CCodeTable* codes, const std::map<std::wstring, FormulaDefinition>* indicators,
    const GroupIndex* groups)
{
    if (codes) {
        for (int i = 0; i < codes->GetCount(); ++i) {
            const CodeKey key = codes->GetKeyAt(i);
            AddEntry(
                codes->GetCodeOfKey(key), codes->GetSearchKeyOfKey(key), codes->GetNameOfKey(key), key, true);
        }
    }
    if (indicators) {
        for (const auto& item : *indicators) {
            const FormulaDefinition& definition = item.second;
            AddEntry(FormatString("%02d", definition.NO), WideToGbk(definition.name),
                WideToGbk(definition.des) + "-指标",
                static_cast<uint32_t>(definition.NO) | kWizardIndicatorBit, true);
        }
    }
    for (const QuickCodeRecord& quick : kQuickCodes)
        AddEntry(FormatString("%02d", quick.code), std::string(), quick.label,
            static_cast<uint32_t>(quick.code) | kWizardQuickCodeBit, true);
    if (groups) {
        for (const auto& category : groups->GetCategories()) {
            const uint32_t categoryId = static_cast<uint32_t>(category.first);
            for (const auto& block : groups->GetBlocks()) {
                const uint32_t id = static_cast<uint32_t>(block.first);
                if ((id & 0xFF000000) != categoryId || (id & 0xFFFF) == 0)
                    continue;
                std::string key;
                MakeSearchKey(block.second.name.c_str(), key, kSectorKeyCharacters);
                AddEntry(std::string(), key, block.second.name + "[板块]", id | kWizardSectorBit, false);
            }
        }
    }
}

std::vector<WizardMatch> CSearchIndex::FindMatches(const std::string& typed) const
{
    std::vector<WizardMatch> matches;
    const std::string text = TrimLeadingSpace(typed);
    if (text.empty())
        return matches;
    for (const auto& item : m_entries) {
        const size_t position = MbcsFind(item.first, text);
        if (position == std::string::npos)
            continue;
        WizardMatch match;
        match.key = item.first;
        match.display = item.second.display;
        match.itemData = item.second.itemData;
        match.position = static_cast<int32_t>(position);
        matches.push_back(std::move(match));
    }
    std::stable_sort(matches.begin(), matches.end(), CompareWizardMatches);
    return matches;
}
