#include "data/TableRequests.h"

#include "base/GlobalDefaults.h"

namespace {
int RequestOn(IDataProvider* provider, int32_t command, int32_t headerWord2, CMemoryStream* out)
{
    if (!provider)
        return 0;
    return provider->RequestSync(
        command, 0, static_cast<uint32_t>(headerWord2), static_cast<uint32_t>(ServerTime::Get()), out);
}
} // namespace

int RequestTableSync(int32_t command, int32_t headerWord2, CMemoryStream* out)
{
    return RequestOn(GetNetworkDataProvider(), command, headerWord2, out);
}

int RequestTableSyncViaProvider(int32_t command, int32_t headerWord2, CMemoryStream* out)
{
    return RequestOn(GetDataProvider(), command, headerWord2, out);
}
