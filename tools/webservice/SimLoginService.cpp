#include "tools/webservice/SimLoginService.h"

#include <cstdlib>
#include <ctime>

#include "base/Base64.h"
#include "tools/websim/WebSimServer.h"

namespace {
const char* const kLoginPaths[] = { "/zentu/login.a2.php", "/zentu/login.b2.php", "/zentu/login.c2.php" };
const char kInstallPath[] = "/zentu/live/install.php";
const char kServerListPath[] = "/zentu/live/hq_server.php";
const char kUpdatePath[] = "/zentu/update.2.php";

// The value of name in a query "&a=1&b=2"; false when absent.
bool QueryValue(const std::string& query, const std::string& name, std::string& value)
{
    size_t start = 0;
    while (start <= query.size()) {
        size_t end = query.find('&', start);
        if (end == std::string::npos)
            end = query.size();
        const std::string pair = query.substr(start, end - start);
        const size_t equals = pair.find('=');
        if (equals != std::string::npos && pair.compare(0, equals, name) == 0) {
            value = pair.substr(equals + 1);
            return true;
        }
        start = end + 1;
    }
    return false;
}
} // namespace

SimLoginService::SimLoginService(const std::string& quoteAddress)
    : m_refuseAll(false)
    , m_loginFailure(0)
    , m_offerUpdate(false)
    , m_updateBody(UpdateBody::Program)
    , m_accounts { { "zentu", "zentu" }, { "测试", "123456" } }
    , m_serverList { "本地行情," + quoteAddress }
    , m_clock([] { return static_cast<int32_t>(std::time(nullptr)); })
{
}

void SimLoginService::Install(WebSimServer& server)
{
    server.AddRoute(kInstallPath, [this](const WebSimRequest& request) {
        Record(request);
        return WebSimReply::Ok("OK");
    });
    server.AddRoute(kServerListPath, [this](const WebSimRequest& request) {
        Record(request);
        std::string body;
        std::lock_guard<std::mutex> lock(m_mutex);
        for (size_t i = 0; i < m_serverList.size(); ++i)
            body += (i ? "|" : "") + m_serverList[i];
        return WebSimReply::Ok(body);
    });
    for (const char* path : kLoginPaths)
        server.AddRoute(path, [this](const WebSimRequest& request) { return Login(request); });
    server.AddRoute(kUpdatePath, [this](const WebSimRequest& request) { return Update(request); });
}

void SimLoginService::AddAccount(const std::string& name, const std::string& password)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_accounts.emplace_back(name, password);
}

void SimLoginService::SetClock(std::function<int32_t()> clock)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_clock = std::move(clock);
}

void SimLoginService::SetServerList(const std::vector<std::string>& fields)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_serverList = fields;
}

void SimLoginService::Record(const WebSimRequest& request)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_log.push_back(request.query.empty() ? request.path : request.path + "?" + request.query);
}

std::vector<std::string> SimLoginService::RequestLog() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_log;
}

size_t SimLoginService::CountRequests(const std::string& path) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    size_t n = 0;
    for (const std::string& entry : m_log) {
        if (entry.compare(0, path.size(), path) == 0 && (entry.size() == path.size() || entry[path.size()] == '?'))
            ++n;
    }
    return n;
}

std::pair<std::string, std::string> SimLoginService::LastCredentials() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lastCredentials;
}

bool SimLoginService::DecodeQueryText(const std::string& text, std::string& out)
{
    std::string standard = text;
    for (char& c : standard) {
        if (c == '!')
            c = '+';
        else if (c == '_')
            c = '/';
        else if (c == '-')
            c = '=';
    }
    size_t length = 0;
    unsigned char* bytes = CUrlBase64::Decode(standard.data(), standard.size(), &length);
    if (!bytes)
        return false;
    out.assign(reinterpret_cast<const char*>(bytes), length);
    std::free(bytes);
    return true;
}

WebSimReply SimLoginService::Login(const WebSimRequest& request)
{
    Record(request);
    const int failure = m_loginFailure.load();
    if (failure != 0 && failure != 200)
        return WebSimReply::Status(failure, failure == 503 ? "Service Unavailable" : "Error");
    std::string user;
    std::string password;
    std::string name;
    std::string secret;
    const bool readable = QueryValue(request.query, "u", user) && QueryValue(request.query, "p", password)
        && DecodeQueryText(user, name) && DecodeQueryText(password, secret);
    bool known = false;
    int32_t now = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_lastCredentials = { name, secret };
        for (const auto& account : m_accounts)
            known = known || (account.first == name && account.second == secret);
        now = m_clock ? m_clock() : 0;
    }
    if (!readable || !known || m_refuseAll.load())
        return WebSimReply::Ok(u8"N|0|0|用户名或密码错误");
    if (m_offerUpdate.load())
        return WebSimReply::Ok("T|" + std::to_string(now) + "|" + std::to_string(kNewerVersion) + u8"|发现新版本");
    return WebSimReply::Ok("T|" + std::to_string(now) + "|" + std::to_string(kCurrentVersion) + u8"|登录成功");
}

std::string SimLoginService::UpdateImage(UpdateBody body)
{
    const size_t size = body == UpdateBody::Small ? 10240 : kUpdateBytes;
    std::string image(size, '\0');
    uint32_t state = 20110816;
    for (size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        image[i] = static_cast<char>(state >> 24);
    }
    if (body != UpdateBody::NotAProgram) {
        image[0] = 'M';
        image[1] = 'Z';
    } else {
        image[0] = 'P';
        image[1] = 'K';
    }
    return image;
}

WebSimReply SimLoginService::Update(const WebSimRequest& request)
{
    Record(request);
    const UpdateBody body = m_updateBody.load();
    if (body == UpdateBody::Missing)
        return WebSimReply::Status(404, "Not Found");
    return WebSimReply::Ok(UpdateImage(body));
}
