#include "formula/FormulaLibrary.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <new>
#include <tinyxml.h>

#include "base/UnicodeString.h"
#include "base/XmlNesting.h"
#include "data/DataCenter.h"
#include "formula/DecimalText.h"

static_assert(sizeof(wchar_t) == 2, "the document is UTF-16 text");

namespace {

bool StartsWith(const std::string& text, size_t at, const char* prefix)
{
    return text.compare(at, std::strlen(prefix), prefix) == 0;
}

std::wstring Utf8ToWide(const char* text)
{
    return text ? MultiByteToWideString(text, CP_UTF8) : std::wstring();
}

std::wstring AttributeText(const TiXmlElement* element, const char* name)
{
    return Utf8ToWide(element->Attribute(name));
}

int32_t AttributeInt(const TiXmlElement* element, const char* name)
{
    return ParseLeadingInt(AttributeText(element, name).c_str());
}

FormulaDefinition ReadDefinition(const TiXmlElement* formula)
{
    FormulaDefinition definition;
    definition.NO = AttributeInt(formula, "NO");
    definition.name = AttributeText(formula, "name");
    definition.showname = AttributeText(formula, "showname");
    if (definition.showname.empty())
        definition.showname = definition.name;
    definition.des = AttributeText(formula, "des");
    definition.passwd = AttributeInt(formula, "passwd");
    definition.type = AttributeInt(formula, "type");
    definition.draw = AttributeInt(formula, "draw");
    if (const TiXmlElement* content = formula->FirstChildElement("content"))
        definition.content = AttributeText(content, "val");
    if (const TiXmlElement* args = formula->FirstChildElement("args")) {
        for (const TiXmlElement* arg = args->FirstChildElement("arg"); arg;
             arg = arg->NextSiblingElement("arg")) {
            definition.args.push_back({ AttributeText(arg, "name"), AttributeText(arg, "min"),
                AttributeText(arg, "max"), AttributeText(arg, "default") });
        }
    }
    if (const TiXmlElement* axis = formula->FirstChildElement("MyAxis")) {
        for (const TiXmlElement* arg = axis->FirstChildElement("arg"); arg;
             arg = arg->NextSiblingElement("arg")) {
            const double value = ParseLeadingDecimal(AttributeText(arg, "val").c_str());
            // Beyond the float range the line could not be drawn anyway.
            definition.MyAxis.push_back(value > 3.0e38 || value < -3.0e38 ? 0.0f : static_cast<float>(value));
        }
    }
    return definition;
}

} // namespace

FormulaLibrary::FormulaLibrary()
{
}

FormulaLibrary::~FormulaLibrary()
{
    Clear();
}

void FormulaLibrary::Clear()
{
    m_document.reset();
    m_definitions.clear();
    m_loadOrder.clear();
}

int FormulaLibrary::Load(const wchar_t* path)
{
    // A document of the largest size takes hundreds of megabytes once parsed:
    // running out of them fails the load, and the store keeps what it holds.
    try {
        if (path && *path)
            return ReadFile(path);
        return ReadBuiltin();
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

int FormulaLibrary::ReadBuiltin()
{
    // Reading must not build a data center: without one there is no document.
    CDataCenter* center = CDataCenter::PeekInstance();
    if (!center)
        return 0;
    int32_t length = 0;
    const uint8_t* body = center->GetFormulaData().GetBuffer(&length);
    return LoadFromBody(body, length);
}

int FormulaLibrary::LoadFromBody(const uint8_t* body, int32_t length)
{
    // The text starts after the two bytes of the byte order mark; its length
    // is what the body holds, never a terminator searched for.
    if (!body || length < 4 || length > kMaxDocumentBytes)
        return 0;
    const size_t units = static_cast<size_t>(length - 2) / 2;
    // Measured where it lies: a hostile document is refused before the
    // megabytes of its copies are taken.
    if (!XmlWithinLimits(body + 2, units, kMaxNesting, kMaxAttributes))
        return 0;
    try {
        std::wstring text(units, L'\0');
        std::memcpy(&text[0], body + 2, units * sizeof(wchar_t));
        return ReadUtf16(text.data(), text.size());
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

int FormulaLibrary::ReadFile(const wchar_t* path)
{
    FILE* file = _wfopen(path, L"rb");
    if (!file)
        return 0;
    std::string bytes;
    char chunk[64 * 1024];
    bool tooLarge = false;
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        if (bytes.size() + got > static_cast<size_t>(kMaxDocumentBytes)) {
            tooLarge = true;
            break;
        }
        bytes.append(chunk, got);
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (tooLarge || failed)
        return 0;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF
        && static_cast<unsigned char>(bytes[1]) == 0xFE)
        return LoadFromBody(
            reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<int32_t>(bytes.size()));
    if (StartsWith(bytes, 0, "\xEF\xBB\xBF"))
        bytes.erase(0, 3);
    return ReadUtf8(bytes);
}

int FormulaLibrary::ReadUtf16(const wchar_t* text, size_t length)
{
    if (length == 0)
        return 0;
    const int needed
        = ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        return 0;
    std::string utf8(static_cast<size_t>(needed), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), &utf8[0], needed, nullptr, nullptr);
    return ReadUtf8(utf8);
}

int FormulaLibrary::ReadUtf8(const std::string& text)
{
    if (text.empty() || text.size() > static_cast<size_t>(kMaxDocumentBytes) * 2
        || !XmlWithinLimits(text, kMaxNesting, kMaxAttributes))
        return 0;
    std::unique_ptr<TiXmlDocument> document(new (std::nothrow) TiXmlDocument());
    if (!document)
        return 0;
    document->Parse(text.c_str(), nullptr, TIXML_ENCODING_UTF8);
    if (document->Error())
        return 0;

    std::vector<LoadOrderEntry> loadOrder;
    DefinitionMap definitions;
    if (const TiXmlElement* tech = document->FirstChildElement("tech")) {
        for (const TiXmlElement* id = tech->FirstChildElement("id"); id; id = id->NextSiblingElement("id")) {
            for (const TiXmlElement* formula = id->FirstChildElement("formula"); formula;
                 formula = formula->NextSiblingElement("formula")) {
                FormulaDefinition definition = ReadDefinition(formula);
                loadOrder.push_back({ definition.NO, definition.showname });
                // The first definition of a name stays.
                std::wstring name = definition.name;
                definitions.emplace(std::move(name), std::move(definition));
            }
        }
    }
    // A document without definitions leaves the store as it was.
    if (loadOrder.empty())
        return 0;
    m_loadOrder.swap(loadOrder);
    m_definitions.swap(definitions);
    m_document = std::move(document);
    return 1;
}

const FormulaDefinition* FormulaLibrary::FindByName(const std::wstring& name) const
{
    const auto found = m_definitions.find(name);
    return found == m_definitions.end() ? nullptr : &found->second;
}

const FormulaDefinition* FormulaLibrary::FindByNumber(int32_t number) const
{
    for (const auto& entry : m_definitions) {
        if (entry.second.NO == number)
            return &entry.second;
    }
    return nullptr;
}

std::wstring FormulaLibrary::NameByNumber(int32_t number) const
{
    const FormulaDefinition* definition = FindByNumber(number);
    return definition ? definition->name : std::wstring();
}

int32_t FormulaLibrary::NumberByShowName(const std::wstring& showname) const
{
    for (const LoadOrderEntry& entry : m_loadOrder) {
        if (entry.showname == showname)
            return entry.NO;
    }
    return 0;
}
