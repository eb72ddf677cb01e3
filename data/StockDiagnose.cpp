#include "data/StockDiagnose.h"

#include <cstdio>
#include <vector>

#include "base/MemoryStream.h"
#include "data/CodeKey.h"
#include "net/HttpClient.h"
#include "net/ServiceBaseUrl.h"

const char* const CStockDiagnose::kUnknownVerdict = "该股趋势不明，请谨慎操作！";

namespace {
const int32_t kScratchSize = 2048;
}

CStockDiagnose::CStockDiagnose()
    : m_loaded(0)
{
}

CStockDiagnose::CStockDiagnose(const CStockDiagnose& other)
    : CBase(other)
    , m_text(other.m_text)
    , m_loaded(other.m_loaded)
{
}

std::string CStockDiagnose::BuildUrl(uint32_t key, int32_t type)
{
    char path[96];
    std::snprintf(path, sizeof(path), "zentu/live/stock_trend.php?type=%d&code=%s", static_cast<int>(type),
        CodeOfKey(key).c_str());
    return ServiceBaseUrl::Get() + path;
}

int CStockDiagnose::Load(const char*, uint32_t key)
{
    m_key = key;
    CMemoryStream body;
    // Scratch space for the transfer only: the verdict is taken from the
    // stream with its own length, whatever its size.
    std::vector<char> scratch(kScratchSize, 0);
    HttpClient* client = HttpClient::Instance();
    const int32_t ok
        = client ? client->Download(BuildUrl(key).c_str(), &body, scratch.data(), kScratchSize, nullptr) : 0;
    if (ok && body.GetSize() > 0 && body.GetBuffer())
        m_text.assign(reinterpret_cast<const char*>(body.GetBuffer()), static_cast<size_t>(body.GetSize()));
    else
        m_text = kUnknownVerdict;
    m_loaded = 1;
    m_active.store(1);
    return 1;
}

int CStockDiagnose::CopyTo(CStockDiagnose* target)
{
    if (!target || target == this || !m_active.load())
        return 1;
    CopyHeaderTo(target);
    target->m_loaded = m_loaded;
    target->m_text = m_text;
    m_active.store(0);
    return 1;
}
