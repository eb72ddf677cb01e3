#include "tests/f10/F10Fixtures.h"

#include "base/CPFile.h"
#include "data/Rc4.h"
#include "formula/FormulaLibrary.h"
#include "tools/marketdata/SimMarketSeries.h"

void LoadSimulatedIndicators()
{
    static bool loaded = false;
    if (loaded)
        return;
    std::string plain = SimMarketSeries().FormulaBody();
    ApplyFormulaCipher(reinterpret_cast<uint8_t*>(&plain[0]), plain.size());
    FormulaLibrary::Instance()->LoadFromBody(
        reinterpret_cast<const uint8_t*>(plain.data()), static_cast<int32_t>(plain.size()));
    loaded = true;
}

std::string ReadFileBytes(const std::string& path)
{
    std::string bytes;
    if (!ReadWholeFile(path.c_str(), bytes))
        return "<missing>";
    return bytes;
}
