// Until the login dialog is wired in, the program starts without one: the
// prompt answers as a successful login.
#include "app/RunLoop.h"

namespace {

class CNoLoginPrompt : public ILoginPrompt
{
public:
    INT_PTR RunModal(HWND) override { return 1; }
};

}

std::unique_ptr<ILoginPrompt> CreateLoginPrompt()
{
    return std::make_unique<CNoLoginPrompt>();
}
