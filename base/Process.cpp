#include "base/Process.h"

#include "base/HandleOwner.h"
#include "base/UnicodeString.h"
#include <windows.h>
#include <psapi.h>

int KillProcessByName(const char* name)
{
    DWORD ids[1024];
    DWORD bytes = 0;
    if (!name || !::EnumProcesses(ids, sizeof(ids), &bytes))
        return 0;
    const DWORD count = bytes / sizeof(DWORD);
    const DWORD self = ::GetCurrentProcessId();
    DWORD match = 0;
    for (DWORD i = 0; i < count && !match; ++i) {
        if (ids[i] == self || ids[i] == 0)
            continue;
        CKernelHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, ids[i]));
        if (!process)
            continue;
        HMODULE module = nullptr;
        DWORD needed = 0;
        wchar_t baseName[MAX_PATH + 1] = {};
        if (::EnumProcessModules(process, &module, sizeof(module), &needed)
            && ::GetModuleBaseNameW(process, module, baseName, MAX_PATH) > 0 && WideToGbk(baseName) == name)
            match = ids[i];
    }
    if (match) {
        CKernelHandle process(::OpenProcess(PROCESS_ALL_ACCESS, FALSE, match));
        if (process)
            ::TerminateProcess(process, 0);
    }
    return 1;
}
