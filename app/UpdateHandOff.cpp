#include "app/UpdateHandOff.h"

#include <windows.h>
#include <shellapi.h>

#include "base/CPFile.h"
#include "base/PathUtil.h"
#include "base/UnicodeString.h"

UpdateWrite WriteUpdateFile(const std::string& programPath, const std::string& body)
{
    if (body.size() <= kMinUpdateBytes)
        return UpdateWrite::TooSmall;
    if (body[0] != 'M' || body[1] != 'Z')
        return UpdateWrite::NotAProgram;
    const std::string target = programPath + ".new";
    if (!SaveFileReplacing(target.c_str(), body.data(), body.size()))
        return UpdateWrite::WriteFailed;
    return UpdateWrite::Written;
}

std::string RunningProgramPath()
{
    wchar_t path[MAX_PATH * 2] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    if (length == 0 || length >= MAX_PATH * 2)
        return std::string();
    return WideToGbk(std::wstring(path, length));
}

std::string UpdaterPath()
{
    return GetModuleDirectory() + "Update.exe";
}

bool LaunchProcess(const std::string& file, const std::string& parameters)
{
    const std::wstring wideFile = GbkToWide(file);
    const std::wstring wideParameters = GbkToWide(parameters);
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpVerb = nullptr;
    info.lpFile = wideFile.c_str();
    info.lpParameters = wideParameters.c_str();
    info.nShow = SW_SHOWMAXIMIZED;
    if (!::ShellExecuteExW(&info))
        return false;
    if (info.hProcess)
        ::CloseHandle(info.hProcess);
    return true;
}
