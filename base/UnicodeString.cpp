#include "base/UnicodeString.h"

#include <windows.h>
#include <cstdlib>

CUnicodeString::~CUnicodeString()
{
    FreeAll();
}

void CUnicodeString::FreeAll()
{
    std::free(m_multiByte);
    std::free(m_wide);
    m_multiByte = nullptr;
    m_wide = nullptr;
    m_wideLength = 0;
}

int32_t CUnicodeString::FromMultiByte(const char* text, unsigned codePage)
{
    FreeAll();
    if (!text)
        return 0;
    int needed = ::MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
    if (needed <= 0)
        return 0;
    m_wide = static_cast<wchar_t*>(std::calloc(static_cast<size_t>(needed) + 1, sizeof(wchar_t)));
    if (!m_wide)
        return 0;
    m_wideLength = ::MultiByteToWideChar(codePage, 0, text, -1, m_wide, needed);
    m_wide[needed] = 0;
    return m_wideLength;
}

const char* CUnicodeString::ToMultiByte(unsigned codePage, int32_t* outLength)
{
    std::free(m_multiByte);
    m_multiByte = nullptr;
    if (outLength)
        *outLength = 0;
    if (!m_wide)
        return nullptr;
    int needed = ::WideCharToMultiByte(codePage, 0, m_wide, -1, nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        return nullptr;
    m_multiByte = static_cast<char*>(std::calloc(static_cast<size_t>(needed) + 1, 1));
    if (!m_multiByte)
        return nullptr;
    int written = ::WideCharToMultiByte(codePage, 0, m_wide, -1, m_multiByte, needed, nullptr, nullptr);
    m_multiByte[needed] = 0;
    if (outLength)
        *outLength = written > 0 ? written - 1 : 0;
    return m_multiByte;
}

std::wstring MultiByteToWideString(const std::string& text, unsigned codePage)
{
    if (text.empty())
        return std::wstring();
    int needed = ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (needed <= 0)
        return std::wstring();
    std::wstring out(static_cast<size_t>(needed), L'\0');
    ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &out[0], needed);
    return out;
}

std::string WideToMultiByteString(const std::wstring& text, unsigned codePage)
{
    if (text.empty())
        return std::string();
    int needed = ::WideCharToMultiByte(
        codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        return std::string();
    std::string out(static_cast<size_t>(needed), '\0');
    ::WideCharToMultiByte(
        codePage, 0, text.data(), static_cast<int>(text.size()), &out[0], needed, nullptr, nullptr);
    return out;
}
