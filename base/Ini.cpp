#include "base/Ini.h"
#include <windows.h>
#include <cstdlib>
#include <algorithm>
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

CIniSection CIni::ReadSection(const char* section) const
{
    std::vector<std::pair<std::string, std::string>> entries;
    if (!m_path || !section)
        return CIniSection(std::move(entries));
    // Lines "key=value", each ended by a zero, the list by a second zero; a
    // full buffer is reported as size - 2.
    std::vector<char> buffer(4096);
    DWORD length = 0;
    for (;;) {
        length = ::GetPrivateProfileSectionA(section, buffer.data(), static_cast<DWORD>(buffer.size()), m_path);
        if (length < buffer.size() - 2 || buffer.size() >= 16 * 1024 * 1024)
            break;
        buffer.resize(buffer.size() * 4);
    }
    const char* at = buffer.data();
    const char* end = buffer.data() + std::min<size_t>(length, buffer.size());
    while (at < end && *at) {
        const std::string line(at);
        at += line.size() + 1;
        const size_t equals = line.find('=');
        // A line without "=" names a key without a value, which reads as missing.
        if (equals == std::string::npos || equals == 0)
            continue;
        entries.emplace_back(line.substr(0, equals), line.substr(equals + 1));
    }
    return CIniSection(std::move(entries));
}

std::string CIniSection::GetString(const char* key, const char* defaultValue) const
{
    if (!key)
        return defaultValue ? defaultValue : "";
    for (const auto& entry : m_entries) {
        if (::lstrcmpiA(entry.first.c_str(), key) != 0)
            continue;
        const std::string& value = entry.second;
        // As a single read gives it: enclosing quotes of either kind go.
        if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
            return value.substr(1, value.size() - 2);
        return value;
    }
    return defaultValue ? defaultValue : "";
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
