#pragma once
// Conversions between 8-bit code pages and UTF-16.
#include <cstdint>
#include <string>

static const unsigned kGbkCodePage = 936;

class CUnicodeString
{
public:
    CUnicodeString()
        : m_multiByte(nullptr)
        , m_wide(nullptr)
        , m_wideLength(0)
    {
    }
    virtual ~CUnicodeString();

    // Converts zero-terminated text from codePage; returns the wide length,
    // terminator included (0 on failure).
    int32_t FromMultiByte(const char* text, unsigned codePage);
    // Converts the held wide text to codePage. The text stays owned by this
    // object; outLength, when given, receives the byte count without the terminator.
    const char* ToMultiByte(unsigned codePage, int32_t* outLength);

    const wchar_t* GetWide() const { return m_wide; }
    int32_t GetWideLength() const { return m_wideLength; }

private:
    CUnicodeString(const CUnicodeString&) = delete;
    CUnicodeString& operator=(const CUnicodeString&) = delete;
    void FreeAll();

    char* m_multiByte;
    wchar_t* m_wide;
    int32_t m_wideLength;
};

// Whole-string helpers, always through code page 936 unless told otherwise.
std::wstring MultiByteToWideString(const std::string& text, unsigned codePage = kGbkCodePage);
std::string WideToMultiByteString(const std::wstring& text, unsigned codePage = kGbkCodePage);
inline std::wstring GbkToWide(const std::string& text)
{
    return MultiByteToWideString(text, kGbkCodePage);
}
inline std::string WideToGbk(const std::wstring& text)
{
    return WideToMultiByteString(text, kGbkCodePage);
}

// True when b is a lead byte of a two-byte GBK character.
inline bool IsGbkLeadByte(unsigned char b)
{
    return b >= 0x81 && b <= 0xFE;
}
