#pragma once
// The login side of the web-service simulator: the install notice
// ("/zentu/live/install.php"), the quote-server list
// ("/zentu/live/hq_server.php", GBK "name,address" entries joined by "|"),
// the login ("/zentu/login.{a2,b2,c2}.php?&id=N&u=B64&p=B64", a UTF-8
// "status|time|version|message" answer checked against test accounts) and
// the update download ("/zentu/update.2.php?pid=N&id=N", a program image).
// Tests switch on refusals, a newer version and damaged update bodies, and
// read the log of what was asked.
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

class WebSimServer;
struct WebSimReply;
struct WebSimRequest;

class SimLoginService
{
public:
    // The update body's size: above what the program accepts as a program.
    static const size_t kUpdateBytes = 16384;
    static const int32_t kCurrentVersion = 20110816;
    static const int32_t kNewerVersion = 20990101;

    enum class UpdateBody
    {
        Program, // kUpdateBytes starting "MZ"
        Small, // exactly 10,240 bytes starting "MZ"
        NotAProgram, // kUpdateBytes not starting "MZ"
        Missing, // 404
    };

    // quoteAddress: the one entry of the server list ("本地行情").
    explicit SimLoginService(const std::string& quoteAddress = "127.0.0.1");

    // Adds the routes; this object must outlive the server's use of it.
    void Install(WebSimServer& server);

    // A user the login accepts (name in code page 936). Two exist from the start:
    // "zentu" / "zentu" and "测试" / "123456".
    void AddAccount(const std::string& name, const std::string& password);
    // The server time the login answers; the clock's time unless set.
    void SetClock(std::function<int32_t()> clock);
    // Every later login is refused as if the password were wrong.
    void SetRefuseAll(bool refuse) { m_refuseAll.store(refuse); }
    // Later logins get this HTTP status with an empty body (0: normal answers).
    void SetLoginFailureStatus(int status) { m_loginFailure.store(status); }
    // Accepted logins announce a newer version.
    void SetOfferUpdate(bool offer) { m_offerUpdate.store(offer); }
    void SetUpdateBody(UpdateBody body) { m_updateBody.store(body); }
    // Replaces the server list's entries (raw fields, joined by "|").
    void SetServerList(const std::vector<std::string>& fields);

    // "path?query" of every request this service answered, in order.
    std::vector<std::string> RequestLog() const;
    size_t CountRequests(const std::string& path) const;
    // The name and password of the last login request as decoded.
    std::pair<std::string, std::string> LastCredentials() const;

    // The URL-safe base64 of a login query decoded; false when it is not base64.
    static bool DecodeQueryText(const std::string& text, std::string& out);
    static std::string UpdateImage(UpdateBody body);

private:
    WebSimReply Login(const WebSimRequest& request);
    WebSimReply Update(const WebSimRequest& request);
    void Record(const WebSimRequest& request);

    std::atomic<bool> m_refuseAll;
    std::atomic<int> m_loginFailure;
    std::atomic<bool> m_offerUpdate;
    std::atomic<UpdateBody> m_updateBody;
    mutable std::mutex m_mutex;
    std::vector<std::pair<std::string, std::string>> m_accounts;
    std::vector<std::string> m_serverList;
    std::function<int32_t()> m_clock;
    std::vector<std::string> m_log;
    std::pair<std::string, std::string> m_lastCredentials;
};
