#include "data/FormuleData.h"

#include <windows.h>

#include <cstring>

#include "base/CPFile.h"
#include "base/GlobalDefaults.h"
#include "base/MemoryStream.h"
#include "data/Rc4.h"
#include "net/DataProvider.h"

namespace {
// Room for a UTF-16 terminator also after an odd-length body.
const size_t kZeroTail = 4;
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
    std::vector<uint8_t> body(size - 8 + kZeroTail, 0);
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
    std::string bytes;
    if (!ReadWholeFile(path, bytes))
        return 0;
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
    // The file is written whole (or not at all) before memory takes the reply,
    // so that file and memory never disagree.
    if (m_path.empty() || !SaveFileReplacing(m_path.c_str(), reply.GetBuffer(), static_cast<size_t>(size)))
        return E_FAIL;
    SetFromReply(&reply);
    return S_OK;
}

const uint8_t* CFormuleData::GetBuffer(int32_t* length) const
{
    if (length)
        *length = m_length;
    return m_body.empty() ? nullptr : m_body.data();
}
