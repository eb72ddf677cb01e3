#pragma once
// Thin owners of WinINet handles that report failures by throwing CInternetException.
#include <windows.h>
#include <wininet.h>
#include <cstdint>
#include <string>

class CInternetCompletion;

class CInternetException
{
public:
    // Takes the system error and the server's last response right away; message
    // is a printf format with one argument.
    CInternetException(void* context, const char* format, ...);
    virtual ~CInternetException() { }

    void* GetContext() const { return m_context; }
    DWORD GetErrorCode() const { return m_errorCode; }
    DWORD GetResponseCode() const { return m_responseCode; }
    const std::string& GetMessage() const { return m_message; }
    const std::string& GetResponseText() const { return m_responseText; }

private:
    void* m_context;
    DWORD m_errorCode;
    DWORD m_responseCode;
    std::string m_message;
    std::string m_responseText;
};

// Owns one WinINet handle and closes it on destruction.
class CInternetHandle
{
public:
    CInternetHandle()
        : m_handle(nullptr)
    {
    }
    virtual ~CInternetHandle();
    HINTERNET Get() const { return m_handle; }
    // Text option (e.g. proxy user name 43, proxy password 44).
    void SetOption(DWORD option, const char* text);
    // Number option (e.g. connect time-out 2, connect retries 3).
    void SetOption(DWORD option, DWORD value);

protected:
    HINTERNET m_handle;

private:
    CInternetHandle(const CInternetHandle&) = delete;
    CInternetHandle& operator=(const CInternetHandle&) = delete;
};

class CInternetSession : public CInternetHandle
{
public:
    // proxy and bypass may be null or empty (none).
    CInternetSession(const char* agent, DWORD accessType, const char* proxy, const char* bypass, DWORD flags);
    // For a session opened with INTERNET_FLAG_ASYNC: operations that cannot
    // finish at once report to CInternetCompletion. Set before any handle
    // is made from this session.
    void ReportCompletions();
};

// A connection to one HTTP server (through the session's proxy, if any).
class CInternetConnection : public CInternetHandle
{
public:
    // user and password may be empty.
    CInternetConnection(const CInternetSession& session, const std::string& host, INTERNET_PORT port,
        const std::string& user, const std::string& password, DWORD_PTR context);
};

class CHttpFile : public CInternetHandle
{
public:
    // headerLength -1: headers is zero-terminated.
    CHttpFile(const CInternetSession& session, const char* url, const char* headers, DWORD headerLength,
        DWORD flags, DWORD_PTR context);
    // A GET of path (with its query) on connection, not yet sent: options
    // set on it before Send govern the whole exchange. version: the request
    // line's ("HTTP/1.0", "HTTP/1.1"), null for the platform's. asynchronous:
    // the connection's session is asynchronous and reports its completions;
    // then Send and Read end at the deadline, however the server behaves.
    CHttpFile(const CInternetConnection& connection, const std::string& path, const char* version,
        DWORD flags, bool asynchronous);
    ~CHttpFile() override;
    // For an asynchronous request: GetTickCount64 time after which Send and
    // Read give up (the handle is then useless). 0: no deadline.
    void SetDeadline(ULONGLONG deadline) { m_deadline = deadline; }
    // Sends the request with headers (may be null) as further header lines,
    // and waits for the reply's headers.
    void Send(const char* headers);
    // 0 at the end of the body; an asynchronous request reads at most
    // CInternetCompletion::kBufferSize bytes at a time.
    DWORD Read(void* buffer, DWORD count);
    // The value of info level as a number.
    DWORD QueryInfo(DWORD level, DWORD index = 0);
    // The same without throwing: false when the value is absent.
    bool TryQueryInfo(DWORD level, DWORD& value);
    // The value of info level as text; false when it is absent or longer than maxLength.
    bool QueryText(DWORD level, std::string& text, DWORD maxLength);
    // The size in bytes of the value of info level as text; 0 when absent.
    DWORD QueryTextSize(DWORD level);

private:
    // After a call that returned FALSE: true when it went on asynchronously
    // and finished by the deadline. Otherwise the last error says why.
    bool AwaitCompletion();

    std::string m_url;
    CInternetCompletion* m_completion; // null for a synchronous request
    ULONGLONG m_deadline;
};
