#include "TempDirectory.h"

#include <windows.h>
#include <atomic>
#include <cstdio>

#include "base/UnicodeString.h"

namespace {

void RemoveTree(const std::wstring& dir)
{
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW((dir + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring full = dir + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(full);
            } else {
                ::SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(full.c_str());
            }
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryW(dir.c_str());
}

} // namespace

TempDirectory::TempDirectory()
    : TempDirectory("")
{
}

TempDirectory::TempDirectory(const char* prefix)
{
    const std::wstring tag = GbkToWide(prefix ? prefix : "");
    static std::atomic<unsigned> counter(0);
    wchar_t temp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH, temp);
    for (;;) {
        wchar_t name[64];
        std::swprintf(
            name, 64, L"_%lu_%u_%lu", ::GetCurrentProcessId(), counter.fetch_add(1), ::GetTickCount());
        const std::wstring dir = std::wstring(temp) + L"zt_test_" + tag + name;
        if (::CreateDirectoryW(dir.c_str(), nullptr)) {
            m_path = WideToGbk(dir) + "\\";
            break;
        }
        if (::GetLastError() != ERROR_ALREADY_EXISTS) {
            m_path = WideToGbk(temp); // keeps tests running; they fail on their own checks
            break;
        }
    }
}

TempDirectory::~TempDirectory()
{
    if (m_path.size() > 1 && m_path.find("zt_test_") != std::string::npos)
        RemoveTree(GbkToWide(m_path.substr(0, m_path.size() - 1)));
}

bool TempDirectory::WriteFile(const std::string& name, const std::string& bytes) const
{
    HANDLE file = ::CreateFileW(GbkToWide(File(name)).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = bytes.empty()
        || ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    return ok && written == bytes.size();
}

std::string TempDirectory::ReadFile(const std::string& name) const
{
    return ReadTestFile(File(name));
}

std::string ReadTestFile(const std::string& path)
{
    HANDLE file = ::CreateFileW(GbkToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    while (::ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0)
        bytes.append(chunk, got);
    ::CloseHandle(file);
    return bytes;
}
