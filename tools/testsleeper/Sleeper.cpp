// Sets the named event given as its argument once it runs, then waits until
// it is ended from outside, or at most its second argument in milliseconds
// (default 120000), so a failed test never leaves it behind for good.
#include <windows.h>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc > 1) {
        HANDLE ready = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[1]);
        if (ready) {
            ::SetEvent(ready);
            ::CloseHandle(ready);
        }
    }
    const DWORD limit = argc > 2 ? static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)) : 120000;
    ::Sleep(limit);
    return 7;
}
