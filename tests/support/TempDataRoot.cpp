#include "tests/support/TempDataRoot.h"
#include "base/DataPaths.h"
#include "base/PathUtil.h"
#include <windows.h>
#include <cstdio>

TempDataRoot::TempDataRoot(bool withSkin)
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

bool WriteTestFile(const std::string& path, const std::string& bytes)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

void TempDataRoot::CopyProgramSkin() const
{
    const std::string from = GetModuleDirectory() + "Skin\\Default\\";
    const std::string to = SkinDir() + "\\";
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((from + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            ::CopyFileA((from + found.cFileName).c_str(), (to + found.cFileName).c_str(), FALSE);
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
}
