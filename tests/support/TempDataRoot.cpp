#include "tests/support/TempDataRoot.h"
#include "base/DataPaths.h"
#include <windows.h>

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
