#pragma once
// Base64 in the variants the program uses. Buffers returned as pointers come
// from the runtime heap (malloc) and the caller frees them with free().
#include <cstddef>
#include <string>

class CUrlBase64
{
public:
    virtual ~CUrlBase64() { }

    // Standard alphabet with "=" padding and a line feed after every 72
    // characters and after a partial last line. Null when out of memory.
    static char* Encode(const void* data, size_t length, size_t* outLength);
    // Skips every byte outside the alphabet (line feeds, spaces); the
    // alphabet characters and "=" must count a multiple of 4. Null for
    // malformed input or out of memory.
    static unsigned char* Decode(const char* text, size_t length, size_t* outLength);
};

// CUrlBase64::Encode with "+" -> "!", "/" -> "_", "=" -> "-" (line feeds stay).
char* Base64EncodeToString(const void* data, size_t length, size_t* outLength);

// The "-_" alphabet, no padding groups but always exactly one "=" at the end,
// no terminator. Returns the characters written, -1 when buffer is too small.
int Base64Encode(const void* data, size_t length, char* buffer, size_t bufferSize);

// Standard base64 with "=" padding and no line feeds (HTTP Basic credentials).
std::string Base64EncodeStandard(const void* data, size_t length);
