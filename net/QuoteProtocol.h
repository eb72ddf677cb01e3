#pragma once
// Wire layout of the binary quote protocol: one 16-byte request header from
// the client, one 20-byte reply header and a body from the server, one
// exchange per TCP connection. Little-endian, packed.
#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)
struct QuoteRequestHeader
{
    uint16_t zero; // always 0
    uint32_t userData; // CodeKey of the stock, 0 for whole-market tables
    uint32_t value;
    uint32_t value2;
    uint16_t command; // QuoteCommand
};

struct QuoteReplyHeader
{
    uint8_t unread0[4];
    uint32_t value; // replaces the request's value
    uint32_t value2; // replaces the request's value2
    uint8_t unread12[2];
    uint32_t bodyLength; // 0: the request failed
    uint8_t compression; // 1 zlib stream, 0 plain, other: delivered as received
    uint8_t unread19;
};
#pragma pack(pop)

static_assert(sizeof(QuoteRequestHeader) == 16, "request header is 16 bytes on the wire");
static_assert(offsetof(QuoteRequestHeader, userData) == 2, "");
static_assert(offsetof(QuoteRequestHeader, value) == 6, "");
static_assert(offsetof(QuoteRequestHeader, value2) == 10, "");
static_assert(offsetof(QuoteRequestHeader, command) == 14, "");
static_assert(sizeof(QuoteReplyHeader) == 20, "reply header is 20 bytes on the wire");
static_assert(offsetof(QuoteReplyHeader, value) == 4, "");
static_assert(offsetof(QuoteReplyHeader, value2) == 8, "");
static_assert(offsetof(QuoteReplyHeader, bodyLength) == 14, "");
static_assert(offsetof(QuoteReplyHeader, compression) == 18, "");

enum QuoteCompression : uint8_t { kCompressionNone = 0, kCompressionZlib = 1 };

// Replies are untrusted: a body or an inflated body beyond these is refused
// rather than allocated.
const uint32_t kMaxQuoteReplyBody = 64u * 1024 * 1024;
const uint32_t kMaxInflatedBody = 256u * 1024 * 1024;
const uint32_t kInflateStep = 16384;

// Inflates one whole zlib stream (zlib header, 15-bit window, checksum) in
// kInflateStep steps. 0 on success with *out from malloc (the caller frees it,
// also when *outLength is 0: then *out is null); otherwise a negative zlib
// code and *out null: Z_DATA_ERROR for a bad or truncated stream, Z_MEM_ERROR
// when memory runs out or the output would pass maxOutput.
int InflateBuffer(const uint8_t* data, uint32_t length, uint8_t** out, uint32_t* outLength,
    uint32_t maxOutput = kMaxInflatedBody);

class CMemoryStream;
class ReplyMemoryCharge;

// The same, appending the inflated bytes to out at its end as they come, with
// every growth of out charged to charge first: 0, or Z_DATA_ERROR as above, or
// Z_MEM_ERROR when memory or the budget runs out or the output would pass
// maxOutput. On failure out holds what came before the failure.
int InflateToStream(
    const uint8_t* data, uint32_t length, CMemoryStream& out, uint32_t maxOutput, ReplyMemoryCharge& charge);
