#include "app/RunLoop.h"
#include "app/MainFrame.h"
#include "app/ShellConstants.h"
#include "win/AppModule.h"

int RunMainFrame()
{
    CMessageLoop loop;
    CAppModule::Get().AddMessageLoop(&loop);
    int result = 0;
    {
        CMainFrame frame;
        if (!frame.CreateFrameWindow()) {
            CAppModule::Get().RemoveMessageLoop();
            return 0;
        }
        frame.ShowWindow(SW_SHOWNORMAL);
        frame.ShowWindow(SW_SHOWMAXIMIZED);
        result = loop.Run();
        CAppModule::Get().RemoveMessageLoop();
        if (frame.IsReloginRequested())
            result = kReloginResult;
    }
    return result;
}

int RunLoginAndFrames(const LoginPromptFactory& makeLogin, const std::function<int()>& runFrame)
{
    std::unique_ptr<ILoginPrompt> first = makeLogin();
    if (!first || first->RunModal(::GetActiveWindow()) != 1)
        return 0;
    int result = 0;
    for (;;) {
        result = runFrame();
        if (result != kReloginResult)
            break;
        std::unique_ptr<ILoginPrompt> again = makeLogin();
        const INT_PTR answer = again ? again->RunModal(::GetActiveWindow()) : 0;
        again.reset();
        if (answer != 1)
            break;
    }
    return result;
}
