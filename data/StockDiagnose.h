#pragma once
// The diagnosis verdict of one stock: a short trend text that the service's
// web server computes. It travels with the stock into the cache and the
// snapshot like a series, but it is fetched over HTTP when the stock is
// loaded, never requested from the quote server and never stored.
#include <cstdint>
#include <string>

#include "data/SeriesBase.h"

class CStockDiagnose : public CBase
{
public:
    // The verdict when the service cannot give one.
    static const char* const kUnknownVerdict;
    static const int32_t kTrendType = 3;

    CStockDiagnose();
    CStockDiagnose(const CStockDiagnose& other);

    // Fetches the verdict on the calling thread (path unused); always 1.
    int Load(const char* path, uint32_t key) override;
    int Save(const char*) override { return 1; }
    // Sends nothing and never marks a request pending: a pending flag that no
    // callback clears would keep the stock busy for ever.
    int RequestData(int) override { return 1; }
    int Merge(uint32_t, CMemoryStream*) override { return 1; }
    // The loaded flag.
    int IsValid() override { return IsLoaded(); }

    int IsLoaded() const { return m_loaded; }
    std::string GetText() const { return m_text; }
    // Copies only while this verdict has not been copied yet; always 1.
    int CopyTo(CStockDiagnose* target);

    // The service URL of a stock's verdict: the code without its market.
    static std::string BuildUrl(uint32_t key, int32_t type = kTrendType);

private:
    std::string m_text;
    int32_t m_loaded;
};
