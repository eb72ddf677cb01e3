// Entry point of every test executable: GDI+ and COM are up before any test
// runs, as they are in the program.
#include <windows.h>
#include <objbase.h>
#include <gdiplus.h>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    ::OleInitialize(nullptr);
    int result = RUN_ALL_TESTS();
    ::OleUninitialize();
    Gdiplus::GdiplusShutdown(token);
    return result;
}
