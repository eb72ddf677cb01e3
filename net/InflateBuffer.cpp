#include <zlib.h>

#include <cstdlib>
#include <cstring>

#include "base/MemoryStream.h"
#include "net/QuoteProtocol.h"
#include "net/ReplyMemoryBudget.h"

namespace {

// Runs zlib over the whole body one step at a time and hands each step's output
// to `take`, which answers false when it cannot keep it (Z_MEM_ERROR). Returns 0
// only when the stream ended cleanly.
template <typename Take>
int InflateSteps(const uint8_t* data, uint32_t length, Take&& take)
{
    z_stream zs;
    std::memset(&zs, 0, sizeof(zs));
    zs.next_in = const_cast<Bytef*>(data);
    zs.avail_in = length;
    if (inflateInit(&zs) != Z_OK)
        return Z_MEM_ERROR;

    uint8_t step[kInflateStep];
    int result = 0;
    for (;;) {
        zs.next_out = step;
        zs.avail_out = kInflateStep;
        int rc = inflate(&zs, Z_NO_FLUSH);
        if (rc == Z_NEED_DICT || rc == Z_STREAM_ERROR) {
            result = Z_DATA_ERROR;
            break;
        }
        if (rc == Z_DATA_ERROR || rc == Z_MEM_ERROR) {
            result = rc;
            break;
        }
        const uint32_t produced = kInflateStep - zs.avail_out;
        if (produced > 0 && !take(step, produced)) {
            result = Z_MEM_ERROR;
            break;
        }
        if (zs.avail_out != 0) {
            // Z_BUF_ERROR (no progress possible) lands here too: the input ended early.
            result = rc == Z_STREAM_END ? 0 : Z_DATA_ERROR;
            break;
        }
    }
    inflateEnd(&zs);
    return result;
}

} // namespace

int InflateBuffer(
    const uint8_t* data, uint32_t length, uint8_t** out, uint32_t* outLength, uint32_t maxOutput)
{
    *out = nullptr;
    *outLength = 0;
    uint8_t* block = nullptr;
    uint32_t total = 0;
    uint32_t capacity = 0;
    const int result = InflateSteps(data, length, [&](const uint8_t* step, uint32_t produced) {
        if (produced > maxOutput - total)
            return false;
        if (total + produced > capacity) {
            // Doubling keeps large bodies from being copied once per step.
            uint32_t wanted = capacity < kInflateStep ? kInflateStep : capacity;
            while (wanted < total + produced)
                wanted = wanted > maxOutput / 2 ? maxOutput : wanted * 2;
            uint8_t* grown = static_cast<uint8_t*>(std::realloc(block, wanted));
            if (!grown)
                return false;
            block = grown;
            capacity = wanted;
        }
        std::memcpy(block + total, step, produced);
        total += produced;
        return true;
    });
    if (result != 0) {
        std::free(block);
        return result;
    }
    *out = block;
    *outLength = total;
    return 0;
}

int InflateToStream(
    const uint8_t* data, uint32_t length, CMemoryStream& out, uint32_t maxOutput, ReplyMemoryCharge& charge)
{
    const int64_t base = out.GetSize();
    int64_t total = 0;
    return InflateSteps(data, length, [&](const uint8_t* step, uint32_t produced) {
        if (produced > maxOutput - total)
            return false;
        const int64_t needed = base + total + produced;
        if (out.GetCapacity() < needed) {
            // Doubling keeps large bodies from being copied once per step.
            int64_t wanted = static_cast<int64_t>(out.GetCapacity()) * 2;
            if (wanted < needed)
                wanted = needed;
            if (wanted > base + static_cast<int64_t>(maxOutput))
                wanted = base + static_cast<int64_t>(maxOutput);
            if (!charge.GrowTo(static_cast<uint64_t>(wanted)) || out.Reserve(static_cast<int32_t>(wanted)) < needed)
                return false;
        }
        if (out.Write(step, static_cast<int32_t>(produced)) != static_cast<int32_t>(produced))
            return false;
        total += produced;
        return true;
    });
}
