#include "app/ServerSettings.h"

#include "base/GlobalDefaults.h"
#include "base/Ini.h"
#include "net/ServiceBaseUrl.h"

#include <cctype>
#include <cstdlib>

namespace {

const char kSection[] = "Servers";

bool IsDottedAddress(const std::string& text)
{
    int parts = 0;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find('.', pos);
        if (end == std::string::npos)
            end = text.size();
        const std::string part = text.substr(pos, end - pos);
        if (part.empty() || part.size() > 3)
            return false;
        for (char c : part) {
            if (!std::isdigit(static_cast<unsigned char>(c)))
                return false;
        }
        if (std::atoi(part.c_str()) > 255)
            return false;
        ++parts;
        pos = end + 1;
    }
    return parts == 4;
}

bool IsHttpUrl(const std::string& text)
{
    if (text.compare(0, 7, "http://") != 0 && text.compare(0, 8, "https://") != 0)
        return false;
    for (char c : text) {
        if (static_cast<unsigned char>(c) <= ' ' || c == 0x7F)
            return false;
    }
    return text.size() > 8;
}

} // namespace

ServerSettings ReadServerSettings(const std::string& iniPath)
{
    CIni ini(iniPath);
    ServerSettings settings;
    const std::string address = ini.GetString(kSection, "QuoteAddress");
    if (IsDottedAddress(address))
        settings.quoteAddress = address;
    const int32_t port = ini.GetInt(kSection, "QuotePort", 0);
    if (port > 0 && port <= 65535)
        settings.quotePort = static_cast<uint16_t>(port);
    const std::string url = ini.GetString(kSection, "ServiceUrl");
    if (IsHttpUrl(url))
        settings.serviceUrl = url;
    return settings;
}

void ApplyServerSettings(const ServerSettings& settings)
{
    if (!settings.quoteAddress.empty())
        QuoteServerAddress::Set(settings.quoteAddress);
    if (settings.quotePort)
        QuoteServerPort::Set(settings.quotePort);
    if (!settings.serviceUrl.empty())
        ServiceBaseUrl::Set(settings.serviceUrl);
}
