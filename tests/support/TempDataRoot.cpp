#include "tests/support/TempDataRoot.h"
#include "base/DataPaths.h"
#include <windows.h>
#include <atomic>
#include <cstdio>

TempDirectory::TempDirectory(const char* prefix)
{
    static std::atomic<unsigned> counter { 0 };
    char temp[MAX_PATH + 1] = {};
    ::GetTempPathA(MAX_PATH, temp);
    std::string base = temp;
    if (!base.empty() && base.back() != '\\')
        base += '\\';
    for (;;) {
        char name[96];
        std::snprintf(name, sizeof(name), "%s_%lu_%u_%lu\\", prefix, ::GetCurrentProcessId(), counter++,
            ::GetTickCount());
        const std::string candidate = base + name;
        if (::CreateDirectoryA(candidate.c_str(), nullptr)) {
            m_path = candidate;
            return;
        }
        if (::GetLastError() != ERROR_ALREADY_EXISTS)
            return;
    }
}

TempDirectory::~TempDirectory()
{
    if (!m_path.empty())
        RemoveDirectoryTree(m_path);
}

bool RemoveDirectoryTree(const std::string& path)
{
    std::string dir = path;
    if (!dir.empty() && dir.back() == '\\')
        dir.pop_back();
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA((dir + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = data.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string child = dir + "\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveDirectoryTree(child);
            } else {
                ::SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileA(child.c_str());
            }
        } while (::FindNextFileA(find, &data));
        ::FindClose(find);
    }
    return ::RemoveDirectoryA(dir.c_str()) != FALSE;
}

bool WriteTestFile(const std::string& path, const std::string& bytes)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

TempDataRoot::TempDataRoot(bool withSkin)
    : m_dir("ztroot")
{
    if (withSkin) {
        ::CreateDirectoryA((AppDir() + "Skin").c_str(), nullptr);
        ::CreateDirectoryA(SkinDir().c_str(), nullptr);
    }
    DataPaths::ReleaseInstance();
    DataPaths::SetAppDirOverride(AppDir());
}

TempDataRoot::~TempDataRoot()
{
    DataPaths::ReleaseInstance();
    DataPaths::SetAppDirOverride(std::string());
}
