#include "base/Ini.h"
#include <windows.h>
#include <cstdlib>
#include <cstring>
#include <vector>

CIni::CIni(const std::string& path)
{
    m_path = static_cast<char*>(std::malloc(path.size() + 1));
    if (m_path)
        std::memcpy(m_path, path.c_str(), path.size() + 1);
}

CIni::~CIni()
{
    std::free(m_path);
}

std::string CIni::GetString(const char* section, const char* key, const char* defaultValue) const
{
    if (!m_path)
        return defaultValue ? defaultValue : "";
    // The call reports a full buffer as size - 1: grow until the value fits.
    std::vector<char> buffer(1024);
    for (;;) {
        const DWORD length = ::GetPrivateProfileStringA(
            section, key, defaultValue, buffer.data(), static_cast<DWORD>(buffer.size()), m_path);
        if (length < buffer.size() - 1 || buffer.size() >= 1024 * 1024)
            return std::string(buffer.data(), length);
        buffer.resize(buffer.size() * 4);
    }
}

int32_t CIni::GetInt(const char* section, const char* key, int32_t defaultValue) const
{
    const std::string text = GetString(section, key, "");
    if (text.empty())
        return defaultValue;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str())
        return defaultValue;
    return static_cast<int32_t>(value);
}

bool CIni::WriteString(const char* section, const char* key, const std::string& value)
{
    return m_path && ::WritePrivateProfileStringA(section, key, value.c_str(), m_path) != FALSE;
}

bool CIni::WriteInt(const char* section, const char* key, int32_t value)
{
    return WriteString(section, key, std::to_string(value));
}
