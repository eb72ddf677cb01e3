#include <zlib.h>

#include <cstdlib>
#include <cstring>

#include "net/QuoteProtocol.h"

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
