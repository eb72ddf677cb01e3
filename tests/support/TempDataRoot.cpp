#include "tests/support/TempDataRoot.h"
#include "base/DataPaths.h"
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
