#include "app/LoginRequest.h"

#include <windows.h>
#include <cstdlib>
#include <ctime>
#include <memory>

#include "app/ProgramVersion.h"
#include "base/Base64.h"
#include "base/Format.h"
#include "base/UnicodeString.h"

const char* const LoginReply::kDefaultMessage = "登陆失败，请重新登录";

namespace {
struct FreeText
{
    void operator()(char* text) const { std::free(text); }
};

// A decimal number of the reply; 0 when it is none or does not fit.
int32_t ReplyNumber(const std::string& text)
{
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (end == text.c_str() || value < INT32_MIN || value > INT32_MAX)
        return 0;
    return static_cast<int32_t>(value);
}
} // namespace

const char* LoginScriptForEdition(int32_t edition)
{
    switch (edition) {
    case 2:
        return "zentu/login.b2.php";
    case 3:
        return "zentu/login.c2.php";
    default:
        return "zentu/login.a2.php";
    }
}

const char* UpdateScriptForEdition(int32_t edition)
{
    switch (edition) {
    case 2:
        return "zentu/update.2.php?pid=6";
    case 3:
        return "zentu/update.2.php?pid=7";
    default:
        return "zentu/update.2.php?pid=5";
    }
}

int32_t MakeRequestId()
{
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    return static_cast<int32_t>(std::rand() / 32767.0 * 10000 + 0.0);
}

std::string UrlSafeBase64(const std::string& bytes)
{
    size_t length = 0;
    std::unique_ptr<char, FreeText> text(Base64EncodeToString(bytes.data(), bytes.size(), &length));
    if (!text)
        return std::string();
    // The encoder breaks lines; a line feed has no place in an address.
    std::string out;
    out.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        const char c = text.get()[i];
        if (c != '\n' && c != '\r')
            out.push_back(c);
    }
    return out;
}

std::string BuildLoginUrl(const std::string& base, const char* script, int32_t id, const std::string& user,
    const std::string& password)
{
    return base + script + "?&id=" + std::to_string(id) + "&u=" + UrlSafeBase64(user) + "&p="
        + UrlSafeBase64(password);
}

std::string BuildUpdateUrl(const std::string& base, const char* script, int32_t id)
{
    return base + script + "&id=" + std::to_string(id);
}

LoginReply ParseLoginReply(const std::string& utf8Body)
{
    LoginReply reply;
    if (utf8Body.empty())
        return reply;
    const std::string text = WideToGbk(MultiByteToWideString(utf8Body, CP_UTF8));
    std::vector<std::string> fields;
    SplitString(text, "|", fields);
    if (fields.size() < 4)
        return reply;
    reply.message = fields[3];
    if (fields[0] != "T" && fields[0] != "F")
        return reply;
    reply.accepted = true;
    reply.serverTime = ReplyNumber(fields[1]);
    reply.newestVersion = ReplyNumber(fields[2]);
    reply.updatePending = reply.newestVersion > kProgramVersion;
    return reply;
}

std::vector<std::string> ParseServerListReply(const std::string& body)
{
    std::vector<std::string> pieces;
    std::vector<std::string> fields;
    if (body.empty())
        return fields;
    SplitString(body, "|", pieces);
    for (const std::string& untrimmed : pieces) {
        if (fields.size() >= kMaxLiveServers)
            break;
        // The list may end in a line break, as text does.
        const std::string piece = TrimText(untrimmed, "\r\n");
        bool clean = !piece.empty();
        for (unsigned char c : piece) {
            if (c < 0x20 || c == 0x7F) {
                clean = false;
                break;
            }
        }
        if (clean)
            fields.push_back(piece);
    }
    return fields;
}

bool ParseLiveServerEntry(const std::string& entry, LiveServer& out)
{
    const size_t comma = entry.find(',');
    if (comma == std::string::npos)
        return false;
    out.name = entry.substr(0, comma);
    out.address = entry.substr(comma + 1);
    return true;
}
