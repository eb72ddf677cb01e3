#include "data/FormuleData.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <new>

#include <tinyxml.h>

#include "base/CPFile.h"
#include "base/GlobalDefaults.h"
#include "base/MemoryStream.h"
#include "base/XmlNesting.h"
#include "data/Rc4.h"
#include "data/ReplyChecks.h"
#include "net/DataProvider.h"

namespace {
// Room for a UTF-16 terminator also after an odd-length body.
const size_t kZeroTail = 4;
// Deeper than any definition document nests (a real one is five levels);
// the parser recurses per level. The definition store refuses a document
// beyond the same depth or with more attributes on an element: one it cannot
// read must not replace the file.
const int kMaxNesting = 32;

// The deciphered body is the definition document as the store reads it:
// two bytes, then UTF-16LE XML text that parses, with a root element. The
// store reads whole UTF-16 units: a last odd byte is not read.
bool IsDefinitionDocument(const uint8_t* enciphered, size_t size)
{
    if (size > MarketBounds::kFormulaDocumentBytes || size < 2)
        return false;
    std::vector<uint8_t> body(enciphered, enciphered + size);
    ApplyFormulaCipher(body.data(), body.size());
    std::vector<wchar_t> text((size - 2) / 2);
    if (!text.empty())
        memcpy(text.data(), body.data() + 2, text.size() * sizeof(wchar_t));
    while (!text.empty() && text.back() == 0)
        text.pop_back();
    if (text.empty())
        return false;
    const int length = static_cast<int>(text.size());
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return false;
    std::string utf8(static_cast<size_t>(bytes), '\0');
    if (::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, &utf8[0], bytes, nullptr, nullptr) != bytes)
        return false;
    // A NUL inside would end the text early for the parser: not a document.
    if (utf8.find('\0') != std::string::npos || !XmlWithinLimits(utf8, kMaxNesting, MarketBounds::kFormulaElementAttributes))
        return false;
    TiXmlDocument document;
    document.Parse(utf8.c_str(), nullptr, TIXML_ENCODING_UTF8);
    return !document.Error() && document.RootElement() != nullptr;
}

} // namespace

CFormuleData::CFormuleData()
    : m_length(0)
    , m_header1(0)
    , m_header2(0)
{
}

CFormuleData::~CFormuleData()
{
}

bool CFormuleData::TakeEnciphered(const uint8_t* bytes, size_t size)
{
    if (size < 8)
        return false;
    std::vector<uint8_t> body;
    try {
        body.assign(size - 8 + kZeroTail, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (size > 8)
        memcpy(body.data(), bytes + 8, size - 8);
    ApplyFormulaCipher(body.data(), size - 8);
    memcpy(&m_header1, bytes, 4);
    memcpy(&m_header2, bytes + 4, 4);
    m_body.swap(body);
    m_length = static_cast<int32_t>(size - 8);
    return true;
}

int CFormuleData::Load(const char* path)
{
    if (!path || !*path)
        return 0;
    m_path = path;
    // No reply larger than the largest document is ever stored: a larger
    // file is damage, and read whole it would take hundreds of megabytes of a
    // 32-bit address space (twice: the file, then its deciphered copy).
    std::string bytes;
    try {
        if (!ReadWholeFile(path, bytes, static_cast<long>(8 + MarketBounds::kFormulaDocumentBytes)))
            return 0;
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return TakeEnciphered(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()) ? 1 : 0;
}

int CFormuleData::SetFromReply(CMemoryStream* stream)
{
    if (!stream || !stream->GetBuffer() || stream->GetSize() < 8)
        return 0;
    return TakeEnciphered(stream->GetBuffer(), static_cast<size_t>(stream->GetSize())) ? 1 : 0;
}

long CFormuleData::Update()
{
    return Update(GetNetworkDataProvider());
}

long CFormuleData::Update(IDataProvider* provider)
{
    if (!provider)
        return E_FAIL;
    CMemoryStream reply;
    if (!provider->RequestSync(kCmdFormulas, 0, static_cast<uint32_t>(m_header2),
            static_cast<uint32_t>(ServerTime::Get()), &reply))
        return E_FAIL;
    const int32_t size = reply.GetSize();
    if (size <= 0 || !reply.GetBuffer())
        return S_OK;
    // Not even the two header words: writing it would leave a file that cannot be loaded.
    if (size < 8)
        return E_FAIL;
    // Only a document the definition store can read replaces the one held
    // (a reply delivered as received, for one, deciphers to garbage). Exactly
    // the two header words are a reply without a document, taken as it is.
    const size_t bodySize = static_cast<size_t>(size) - 8;
    try {
        if (bodySize > 0 && !IsDefinitionDocument(reply.GetBuffer() + 8, bodySize))
            return E_FAIL;
    } catch (const std::bad_alloc&) {
        return E_FAIL;
    }
    // The file is written whole (or not at all) before memory takes the reply,
    // so that file and memory never disagree.
    if (m_path.empty() || !SaveFileReplacing(m_path.c_str(), reply.GetBuffer(), static_cast<size_t>(size)))
        return E_FAIL;
    return SetFromReply(&reply) ? S_OK : E_FAIL;
}

const uint8_t* CFormuleData::GetBuffer(int32_t* length) const
{
    if (length)
        *length = m_length;
    return m_body.empty() ? nullptr : m_body.data();
}
