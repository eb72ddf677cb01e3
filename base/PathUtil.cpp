#include "base/PathUtil.h"
#include "base/MbcsText.h"
#include "base/UnicodeString.h"
#include <windows.h>
#include <shlwapi.h>
#include <vector>

size_t FindLastBackslash(const std::string& path)
{
    size_t found = std::string::npos;
    for (size_t i = 0; i < path.size(); i += MbcsCharSize(path, i)) {
        if (path[i] == '\\')
            found = i;
    }
    return found;
}

std::string GetModuleDirectory()
{
    // Grows past MAX_PATH so deep install directories are not cut.
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return std::string();
        if (length < buffer.size() - 1) {
            const std::string name = WideToGbk(std::wstring(buffer.data(), length));
            const size_t slash = FindLastBackslash(name);
            if (slash == std::string::npos)
                return std::string();
            return name.substr(0, slash + 1);
        }
        if (buffer.size() > 32768 * 3)
            return std::string();
        buffer.resize(buffer.size() * 2);
    }
}

std::string GetParentDir(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesW(GbkToWide(path).c_str());
    const bool isDirectory = attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY);
    if (!isDirectory || path.size() <= 3)
        return path;
    std::string trimmed = path;
    const size_t last = FindLastBackslash(trimmed);
    if (last != std::string::npos && last == trimmed.size() - 1)
        trimmed.erase(last);
    const size_t slash = FindLastBackslash(trimmed);
    if (slash == std::string::npos)
        return std::string();
    return trimmed.substr(0, slash + 1);
}

bool FileExists(const std::string& path)
{
    return ::PathFileExistsW(GbkToWide(path).c_str()) != FALSE;
}
