#include "app/LoginSettings.h"

#include <cstdlib>
#include <memory>

#include "app/ProgramVersion.h"
#include "app/StoredPassword.h"
#include "base/Base64.h"
#include "base/Ini.h"
#include "base/MbcsText.h"

namespace {
const char kGlobal[] = "Global";
const char kUserInfo[] = "UserInfo";
const char kLiveServer[] = "LiveServer";
// What older versions read of a value: 260 bytes with the terminator.
const size_t kMaxPlainValue = 259;

struct FreeBytes
{
    void operator()(unsigned char* bytes) const { std::free(bytes); }
};

// A base64 value of older files; empty when it is too long or malformed.
// Stops at a NUL as the text it once was did.
std::string DecodeStoredText(const std::string& value)
{
    if (value.empty() || value.size() > kMaxPlainValue)
        return std::string();
    size_t length = 0;
    std::unique_ptr<unsigned char, FreeBytes> bytes(CUrlBase64::Decode(value.data(), value.size(), &length));
    if (!bytes)
        return std::string();
    std::string text(reinterpret_cast<const char*>(bytes.get()), length);
    const size_t nul = text.find('\0');
    if (nul != std::string::npos)
        text.resize(nul);
    return text;
}

// Base64 on one line, so the value stays on its line of the file.
std::string EncodeStoredText(const std::string& text)
{
    return Base64EncodeStandard(text.data(), text.size());
}
} // namespace

bool LoadUserInfo(const CIni& ini, std::string& name, std::string& password)
{
    name = DecodeStoredText(ini.GetString(kUserInfo, "Name", ""));
    const std::string stored = ini.GetString(kUserInfo, "PassWd", "");
    if (IsProtectedPassword(stored))
        UnprotectStoredPassword(stored, password);
    else
        password = DecodeStoredText(stored);
    return !name.empty() || !password.empty();
}

bool SaveUserInfo(CIni& ini, const std::string& name, const std::string& password, bool savePassword)
{
    bool ok = true;
    if (!name.empty())
        ok = ini.WriteString(kUserInfo, "Name", EncodeStoredText(name));
    if (!password.empty())
        ok = ini.WriteString(kUserInfo, "PassWd", savePassword ? ProtectStoredPassword(password) : std::string())
            && ok;
    return ok;
}

bool LoadSavePasswordFlag(const CIni& ini)
{
    return ini.GetString(kGlobal, "SavePassWd", "") != "false";
}

bool SaveSavePasswordFlag(CIni& ini, bool save)
{
    return ini.WriteString(kGlobal, "SavePassWd", save ? "true" : "false");
}

bool ReportInstall(CIni& ini, const ServiceFetcher& fetch, const std::string& base)
{
    if (!ini.GetString(kGlobal, "InstallFlag", "").empty())
        return false;
    std::string body;
    if (fetch)
        fetch(base + "zentu/live/install.php?p=5&f=0", body);
    ini.WriteString(kGlobal, "InstallFlag", std::to_string(kProgramVersion));
    return true;
}

bool FetchLiveServers(CIni& ini, const ServiceFetcher& fetch, const std::string& base)
{
    std::string body;
    if (!fetch || !fetch(base + "zentu/live/hq_server.php", body))
        return false;
    const std::vector<std::string> fields = ParseServerListReply(body);
    for (size_t i = 0; i < fields.size(); ++i)
        ini.WriteString(kLiveServer, std::to_string(i).c_str(), fields[i]);
    return true;
}

std::vector<LiveServer> LoadLiveServers(const CIni& ini)
{
    std::vector<LiveServer> servers;
    // One read of the section: read key by key, the file was opened 256 times.
    const CIniSection section = ini.ReadSection(kLiveServer);
    for (size_t i = 0; i < kMaxLiveServers; ++i) {
        std::string entry = section.GetString(std::to_string(i).c_str(), "");
        entry.resize(MbcsPrefixLength(entry.data(), entry.size(), kMaxPlainValue));
        LiveServer server;
        if (!entry.empty() && ParseLiveServerEntry(entry, server))
            servers.push_back(server);
    }
    return servers;
}
