// The updater: started by the login with the running program's full path
// (quoted) once "<program>.new" has been written beside it. It waits for the
// program to end, then puts the new file in its place.
//   Update "<program path>"
// Exit codes: 0 replaced; 1 bad arguments; 2 no usable "<program>.new";
// 3 the program could not be replaced in time.
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {
const DWORD kWaitMs = 30000;
const DWORD kRetryMs = 200;
const LONGLONG kMinProgramBytes = 10240;

// Larger than kMinProgramBytes and starting with "MZ".
bool LooksLikeProgram(const std::wstring& path)
{
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size = {};
    char head[2] = {};
    DWORD read = 0;
    const bool ok = ::GetFileSizeEx(file, &size) && size.QuadPart > kMinProgramBytes
        && ::ReadFile(file, head, sizeof(head), &read, nullptr) && read == sizeof(head) && head[0] == 'M'
        && head[1] == 'Z';
    ::CloseHandle(file);
    return ok;
}
} // namespace

int main()
{
    int count = 0;
    LPWSTR* args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!args)
        return 1;
    const std::wstring program = count == 2 ? args[1] : std::wstring();
    ::LocalFree(args);
    if (program.empty())
        return 1;
    const std::wstring update = program + L".new";
    if (!LooksLikeProgram(update))
        return 2;
    // The program is still ending when this starts: its file stays locked until then.
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (::MoveFileExW(update.c_str(), program.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return 0;
        if (::GetTickCount() - start >= kWaitMs)
            return 3;
        ::Sleep(kRetryMs);
    }
}
