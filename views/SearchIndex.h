#pragma once
// The keyboard wizard's index: every stock, indicator, quick code and sector
// under each key a user may type for it (code, pinyin initials, number), and
// the search that lists the entries whose keys hold the typed text.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

class CCodeTable;
class GroupIndex;
struct FormulaDefinition;

// Item data of an entry: the kind in the top bits, tested in this order.
const uint32_t kWizardIndicatorBit = 0x80000000; // the indicator number NO
const uint32_t kWizardQuickCodeBit = 0x40000000; // the quick code
const uint32_t kWizardSectorBit = 0x20000000; // the group id without this bit
// Without a bit: a CodeKey.

struct QuickCodeRecord
{
    int32_t code;
    char label[20]; // code page 936
};
extern const QuickCodeRecord kQuickCodes[13];

struct WizardEntry
{
    std::string display;
    uint32_t itemData = 0;
};

struct WizardMatch
{
    std::string key;
    std::string display;
    uint32_t itemData = 0;
    int32_t position = 0; // byte offset of the typed text inside the key
};

// Stable order of matches: position, then key length, then key bytes.
bool CompareWizardMatches(const WizardMatch& a, const WizardMatch& b);

// Every reading of a pinyin key whose groups "(a|b|...)" stand for one
// character with several readings: the cross product, the alternatives of a
// group in their order, the first group varying fastest. Empty strings are
// dropped; an unclosed group gives nothing; at most kMaxSearchKeyVariants.
const size_t kMaxSearchKeyVariants = 256;
std::vector<std::string> ExpandSearchKey(const std::string& key);

class CSearchIndex
{
public:
    // Adds every variant of searchKey (shown as "variant name" when
    // keyShown, else the name alone), then the code ("code name") and, for
    // "1A0001", the key "000001". A key already present keeps its first entry.
    void AddEntry(const std::string& code, const std::string& searchKey, const std::string& name,
        uint32_t itemData, bool keyShown);

    // The stocks of the code table in its order, the indicators of the
    // definition map in its order, the quick codes, then the sectors of the
    // group index. Missing sources are left out.
    void Build(const CCodeTable* codes, const std::map<std::wstring, FormulaDefinition>* indicators,
        const GroupIndex* groups);

    // The entries whose keys hold the text (after leading white space is
    // removed), found at character boundaries of code page 936, in
    // CompareWizardMatches order. An empty text gives no matches.
    std::vector<WizardMatch> FindMatches(const std::string& typed) const;

    const std::map<std::string, WizardEntry>& Entries() const { return m_entries; }
    size_t Size() const { return m_entries.size(); }
    void Clear() { m_entries.clear(); }

private:
    void Insert(const std::string& key, const std::string& display, uint32_t itemData);

    std::map<std::string, WizardEntry> m_entries;
};

// The text without leading white space.
std::string TrimLeadingSpace(const std::string& text);
