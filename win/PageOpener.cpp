#include "win/PageOpener.h"
#include "base/MbcsText.h"
#include <windows.h>
#include <shellapi.h>

bool IsWebUrl(const std::string& url)
{
    for (const char* scheme : { "http://", "https://" }) {
        const size_t n = std::char_traits<char>::length(scheme);
        if (url.size() > n && MbcsStartsWithNoCase(url, scheme))
            return true;
    }
    return false;
}

std::string QuotedPageArgument(const std::string& url)
{
    std::string argument = "\"";
    for (char c : url)
        if (c != '"')
            argument += c;
    argument += "\"";
    return argument;
}

bool OpenPageInBrowser(const std::string& url)
{
    if (!IsWebUrl(url))
        return false;
    const HINSTANCE result
        = ::ShellExecuteA(nullptr, "open", "iexplore.exe", QuotedPageArgument(url).c_str(), nullptr, SW_SHOW);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

bool OpenPageWithShell(const std::string& url, int showCommand)
{
    if (!IsWebUrl(url))
        return false;
    const HINSTANCE result = ::ShellExecuteA(nullptr, "open", url.c_str(), "", "", showCommand);
    return reinterpret_cast<INT_PTR>(result) > 32;
}
