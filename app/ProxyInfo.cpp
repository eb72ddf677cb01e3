#include "app/ProxyInfo.h"

#include <cstdio>
#include <cstdlib>

#include "app/StoredPassword.h"
#include "base/Ini.h"
#include "base/MbcsText.h"
#include "net/ProxySettings.h"

namespace {
const char kSection[] = "ProxyInfo";
const size_t kMaxTextBytes = 260;
const uint32_t kMaxPort = 65535;

uint32_t ReadUnsigned(const CIni& ini, const char* key)
{
    const std::string text = ini.GetString(kSection, key, "");
    if (text.empty())
        return 0;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
    if (end == text.c_str() || value > 0xFFFFFFFFull)
        return 0;
    return static_cast<uint32_t>(value);
}

std::string ReadText(const CIni& ini, const char* key)
{
    // What the fixed buffer of older versions held: the text cut before a
    // character that would not fit, the terminator included.
    const std::string text = ini.GetString(kSection, key, "");
    return text.substr(0, MbcsPrefixLength(text.data(), text.size(), kMaxTextBytes - 1));
}
} // namespace

ProxyInfo ReadProxyInfo(const CIni& ini)
{
    ProxyInfo info;
    info.accessType = ReadUnsigned(ini, "AccessType");
    info.proxyType = ReadUnsigned(ini, "ProxyType");
    info.address = ReadText(ini, "ProxyAddress");
    info.port = ReadUnsigned(ini, "ProxyPort");
    if (info.port > kMaxPort)
        info.port = 0;
    info.user = ReadText(ini, "ProxyUser");
    const std::string stored = ini.GetString(kSection, "ProxyPassWord", "");
    if (IsProtectedPassword(stored))
        UnprotectStoredPassword(stored, info.password);
    else
        info.password = ReadText(ini, "ProxyPassWord");
    return info;
}

bool WriteProxyInfo(CIni& ini, const ProxyInfo& info)
{
    bool ok = ini.WriteString(kSection, "AccessType", std::to_string(static_cast<int32_t>(info.accessType)));
    ok = ini.WriteString(kSection, "ProxyType", std::to_string(static_cast<int32_t>(info.proxyType))) && ok;
    ok = ini.WriteString(kSection, "ProxyAddress", TrimRightBlanks(info.address)) && ok;
    ok = ini.WriteString(kSection, "ProxyPort", std::to_string(static_cast<int32_t>(info.port))) && ok;
    ok = ini.WriteString(kSection, "ProxyUser", TrimRightBlanks(info.user)) && ok;
    ok = ini.WriteString(kSection, "ProxyPassWord", ProtectStoredPassword(TrimRightBlanks(info.password))) && ok;
    return ok;
}

int32_t ApplyProxyInfo(ProxySettings& settings, const ProxyInfo& info)
{
    return settings.Set(static_cast<int32_t>(info.accessType), static_cast<int32_t>(info.proxyType),
        info.address.c_str(), static_cast<int32_t>(info.port), info.user.c_str(), info.password.c_str());
}

std::string TrimRightBlanks(const std::string& text)
{
    size_t end = text.size();
    while (end > 0 && (text[end - 1] == ' ' || text[end - 1] == '\t'))
        --end;
    return text.substr(0, end);
}

bool ParseProxyPort(const std::string& text, uint32_t& port)
{
    if (text.empty() || text.size() > 5)
        return false;
    uint32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<uint32_t>(c - '0');
    }
    if (value > kMaxPort)
        return false;
    port = value;
    return true;
}

ProxyFieldStates ProxyFieldsFor(int accessButton, int typeButton)
{
    const bool named = accessButton == 1043;
    return ProxyFieldStates { named, named && typeButton != 1048 };
}
