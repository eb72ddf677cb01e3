// The program's entry: one instance, the platform services, the login and the
// main frame's runs.
#include <windows.h>
#include <objbase.h>
#include <ole2.h>
#include <gdiplus.h>
#include <commctrl.h>
#include "app/RunLoop.h"
#include "app/ServerSettings.h"
#include "app/SingleInstance.h"
#include "base/PathUtil.h"
#include "win/AppModule.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    CWindowsInstancePlatform platform;
    if (ClaimSingleInstance(platform) != InstanceDecision::Start)
        return 0;
    ApplyServerSettings(ReadServerSettings(GetModuleDirectory() + "run.ini"));

    // OLE, not only COM: the lists register as drop targets for header dragging.
    ::OleInitialize(nullptr);
    INITCOMMONCONTROLSEX controls = { sizeof(controls), ICC_BAR_CLASSES };
    ::InitCommonControlsEx(&controls);
    Gdiplus::GdiplusStartupInput gdiplusInput;
    ULONG_PTR gdiplusToken = 0;
    Gdiplus::GdiplusStartup(&gdiplusToken, &gdiplusInput, nullptr);
    CAppModule::Get().Init(instance, ICC_BAR_CLASSES);

    const int result = RunLoginAndFrames(&CreateLoginPrompt, &RunMainFrame);

    Gdiplus::GdiplusShutdown(gdiplusToken);
    ::OleUninitialize();
    CAppModule::Get().Term();
    return result;
}
