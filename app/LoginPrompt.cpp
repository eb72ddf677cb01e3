#include "app/LogginDlg.h"
#include "app/RunLoop.h"

std::unique_ptr<ILoginPrompt> CreateLoginPrompt()
{
    return std::make_unique<CLoginPrompt>();
}
