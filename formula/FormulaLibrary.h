#pragma once
// The process-wide store of indicator definitions, read once from the
// definition document (the deciphered formula data the server sends, or a
// file) and only looked up afterwards, on the UI thread.
//
// The document is XML in UTF-16LE: tech > id > formula[NO, name, showname,
// des, passwd, type, draw] > content[val], args > arg[name, min, max,
// default], MyAxis > arg[val]. It comes over plain TCP, so its size and
// nesting depth and the attributes of one element are capped before the
// parser, which recurses and looks up each attribute among the element's
// others, sees it.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/Singleton.h"
#include "data/ReplyChecks.h"
#include "formula/FormulaDefinition.h"

class TiXmlDocument;

class FormulaLibrary : public Singleton<FormulaLibrary>
{
public:
    using DefinitionMap = std::map<std::wstring, FormulaDefinition>;
    struct LoadOrderEntry
    {
        int32_t NO;
        std::wstring showname;
    };

    // Documents beyond these are refused whole. A real document is a few
    // hundred kilobytes and five elements deep, its elements carry up to
    // seven attributes.
    static const int32_t kMaxDocumentBytes = 16 * 1024 * 1024;
    static const int kMaxNesting = 32;
    static constexpr int kMaxAttributes = MarketBounds::kFormulaElementAttributes;

    // Instance() comes from Singleton; Release() forgets the store so that a
    // re-login builds a new one.
    static void Release() { ReleaseInstance(); }

    FormulaLibrary();
    ~FormulaLibrary();

    // Reads the definitions from the file at path (UTF-16LE with its byte
    // order mark, or UTF-8), or with an empty or null path from the data
    // center's formula data. 1 when definitions were read; 0 when there was
    // nothing to read or it was no definition document, and then the store
    // keeps what it held.
    int Load(const wchar_t* path);
    // The same from a body as the formula data holds it: two bytes (the byte
    // order mark), then UTF-16LE text; length in bytes.
    int LoadFromBody(const uint8_t* body, int32_t length);
    void Clear();

    const FormulaDefinition* FindByName(const std::wstring& name) const;
    // The first definition in name order with this number; 0 finds those
    // that came without one.
    const FormulaDefinition* FindByNumber(int32_t number) const;
    std::wstring NameByNumber(int32_t number) const;
    // The number of the first definition read (in document order, duplicate
    // names included) with exactly this show name; 0 when there is none.
    int32_t NumberByShowName(const std::wstring& showname) const;

    // The store's own map, in name order; callers only read it.
    const DefinitionMap& GetDefinitions() const { return m_definitions; }
    const std::vector<LoadOrderEntry>& GetLoadOrder() const { return m_loadOrder; }

private:
    FormulaLibrary(const FormulaLibrary&) = delete;
    FormulaLibrary& operator=(const FormulaLibrary&) = delete;

    int ReadBuiltin();
    int ReadFile(const wchar_t* path);
    // Parses UTF-8 text and takes its definitions when there are any.
    int ReadUtf8(const std::string& text);
    int ReadUtf16(const wchar_t* text, size_t length);

    std::vector<LoadOrderEntry> m_loadOrder;
    DefinitionMap m_definitions;
    std::unique_ptr<TiXmlDocument> m_document;
};
