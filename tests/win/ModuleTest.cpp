// The module: the common-controls version 6 manifest is active in the test
// executables (as in the program), resources load from the module.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include "tests/win/WinTestResources.h"
#include "win/AppModule.h"

TEST(AppModule, CommonControlsVersion6IsActive)
{
    ASSERT_TRUE(CAppModule::Get().Init());
    // Only the version-6 button (the one the manifest selects) knows its ideal size.
    HWND button = ::CreateWindowExA(
        0, "BUTTON", "确定", WS_POPUP | BS_PUSHBUTTON, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(button);
    SIZE ideal = {};
    EXPECT_TRUE(::SendMessageA(button, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)));
    EXPECT_GT(ideal.cx, 0);
    ::DestroyWindow(button);
}

TEST(AppModule, LoadsResourcesOfTheModule)
{
    CAppModule& module = CAppModule::Get();
    EXPECT_EQ(module.LoadString(IDS_TEST_STRING), "Zentu test string");
    EXPECT_EQ(module.LoadString(9999), "");
    std::string manifest = module.LoadRawResource(MAKEINTRESOURCEA(24), 1);
    EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_TRUE(module.LoadRawResource(MAKEINTRESOURCEA(24), 77).empty());
}

TEST(AppModule, ThemingSupportIsAnsweredAndRemembered)
{
    CAppModule& module = CAppModule::Get();
    const bool first = module.IsThemingSupported();
    // The library is present here (and on every system with visual styles).
    EXPECT_TRUE(first);
    EXPECT_EQ(module.IsThemingSupported(), first);
}
