#pragma once
// What the login sends to the service and how it reads the answers: the
// login and update addresses, the login reply and the quote-server list.
// Pure functions; the login dialog does the talking.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Selects the service's login and update scripts.
inline constexpr int32_t kEditionNumber = 1;

// "zentu/login.a2.php" for edition 1 and any unknown edition, ".b2" for 2, ".c2" for 3.
const char* LoginScriptForEdition(int32_t edition);
// "zentu/update.2.php?pid=5" (edition 1 and unknown), pid 6 for 2, pid 7 for 3.
const char* UpdateScriptForEdition(int32_t edition);

// A request id 0..10000 from the run-time's generator seeded with the time.
int32_t MakeRequestId();

// Base64 with "!" for "+", "_" for "/" and "-" for "=", on one line.
std::string UrlSafeBase64(const std::string& bytes);

// "<base><script>?&id=<id>&u=<user>&p=<password>", user and password URL-safe base64.
std::string BuildLoginUrl(const std::string& base, const char* script, int32_t id, const std::string& user,
    const std::string& password);
// "<base><script>&id=<id>".
std::string BuildUpdateUrl(const std::string& base, const char* script, int32_t id);

// The login reply: UTF-8 text split at "|" with empty pieces dropped. It is
// understood with at least four fields; the login is accepted when field 0
// is exactly "T" or "F" (the service answers both for users it knows).
struct LoginReply
{
    static const char* const kDefaultMessage; // "登陆失败，请重新登录"

    bool accepted = false;
    // Field 1 when it is a positive decimal that fits 32 bits, as the login
    // check reads it; 0 otherwise, and the server time already held stays.
    int32_t serverTime = 0;
    int32_t newestVersion = 0; // field 2
    bool updatePending = false; // newestVersion above kProgramVersion
    std::string message = kDefaultMessage; // field 3 (code page 936) when there are four fields
};
LoginReply ParseLoginReply(const std::string& utf8Body);

// One entry of the quote-server list.
struct LiveServer
{
    std::string name;
    std::string address;
};

// At most this many entries are kept in "run.ini" and read back.
inline constexpr size_t kMaxLiveServers = 256;

// The fields of a server-list reply (GBK as received): split at "|", empty
// pieces dropped. A field holding a control character would break a line of
// "run.ini" and is left out; at most kMaxLiveServers fields are taken.
std::vector<std::string> ParseServerListReply(const std::string& body);

// A stored entry: the text before the first comma is the name, the rest the
// address. False without a comma.
bool ParseLiveServerEntry(const std::string& entry, LiveServer& out);
