#include <zlib.h>

#include <cstdlib>
#include <cstring>

#include "base/MemoryStream.h"
#include "net/QuoteProtocol.h"
#include "net/ReplyMemoryBudget.h"

int InflateBuffer(
    const uint8_t* data, uint32_t length, uint8_t** out, uint32_t* outLength, uint32_t maxOutput)
{
    *out = nullptr;
    *outLength = 0;
    z_stream zs;
    std::memset(&zs, 0, sizeof(zs));
    zs.next_in = const_cast<Bytef*>(data);
    zs.avail_in = length;
    if (inflateInit(&zs) != Z_OK)
        return Z_MEM_ERROR;

    uint8_t step[kInflateStep];
    uint8_t* block = nullptr;
    uint32_t total = 0;
    uint32_t capacity = 0;
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
        if (produced > 0) {
            if (produced > maxOutput - total) {
                result = Z_MEM_ERROR;
                break;
            }
            if (total + produced > capacity) {
                // Doubling keeps large bodies from being copied once per step.
                uint32_t wanted = capacity < kInflateStep ? kInflateStep : capacity;
                while (wanted < total + produced)
                    wanted = wanted > maxOutput / 2 ? maxOutput : wanted * 2;
                uint8_t* grown = static_cast<uint8_t*>(std::realloc(block, wanted));
                if (!grown) {
                    result = Z_MEM_ERROR;
                    break;
                }
                block = grown;
                capacity = wanted;
            }
            std::memcpy(block + total, step, produced);
            total += produced;
        }
        if (zs.avail_out != 0) {
            // Z_BUF_ERROR (no progress possible) lands here too: the input ended early.
            result = rc == Z_STREAM_END ? 0 : Z_DATA_ERROR;
            break;
        }
    }
    inflateEnd(&zs);
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
    z_stream zs;
    std::memset(&zs, 0, sizeof(zs));
    zs.next_in = const_cast<Bytef*>(data);
    zs.avail_in = length;
    if (inflateInit(&zs) != Z_OK)
        return Z_MEM_ERROR;

    uint8_t step[kInflateStep];
    const int64_t base = out.GetSize();
    int64_t total = 0;
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
        if (produced > 0) {
            if (produced > maxOutput - total) {
                result = Z_MEM_ERROR;
                break;
            }
            const int64_t needed = base + total + produced;
            if (out.GetCapacity() < needed) {
                // Doubling keeps large bodies from being copied once per step.
                int64_t wanted = static_cast<int64_t>(out.GetCapacity()) * 2;
                if (wanted < needed)
                    wanted = needed;
                if (wanted > base + static_cast<int64_t>(maxOutput))
                    wanted = base + static_cast<int64_t>(maxOutput);
                if (!charge.GrowTo(static_cast<uint64_t>(wanted))
                    || out.Reserve(static_cast<int32_t>(wanted)) < needed) {
                    result = Z_MEM_ERROR;
                    break;
                }
            }
            if (out.Write(step, static_cast<int32_t>(produced)) != static_cast<int32_t>(produced)) {
                result = Z_MEM_ERROR;
                break;
            }
            total += produced;
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
