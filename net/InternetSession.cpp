#include "net/InternetSession.h"

#include "net/InternetCompletion.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

CInternetException::CInternetException(void* context, const char* format, ...)
    : m_context(context)
    , m_errorCode(::GetLastError())
    , m_responseCode(0)
{
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int needed = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    if (needed > 0) {
        std::vector<char> text(static_cast<size_t>(needed) + 1);
        std::vsnprintf(text.data(), text.size(), format, again);
        m_message.assign(text.data(), static_cast<size_t>(needed));
    }
    va_end(again);

    DWORD length = 0;
    ::InternetGetLastResponseInfoA(&m_responseCode, nullptr, &length);
    if (length > 0) {
        std::vector<char> response(length + 1);
        DWORD size = length + 1;
        if (::InternetGetLastResponseInfoA(&m_responseCode, response.data(), &size))
            m_responseText.assign(response.data(), size);
    }
    if (m_responseText.empty())
        m_responseText = "Unknown error";
}

CInternetHandle::~CInternetHandle()
{
    if (m_handle)
        ::InternetCloseHandle(m_handle);
}

CInternetSession::CInternetSession(
    const char* agent, DWORD accessType, const char* proxy, const char* bypass, DWORD flags)
{
    m_handle = ::InternetOpenA(agent, accessType, (proxy && *proxy) ? proxy : nullptr,
        (bypass && *bypass) ? bypass : nullptr, flags);
    if (!m_handle)
        throw CInternetException(nullptr, "Failed to open an internet session");
}

void CInternetHandle::SetOption(DWORD option, const char* text)
{
    if (!::InternetSetOptionA(
            m_handle, option, const_cast<char*>(text), static_cast<DWORD>(std::strlen(text))))
        throw CInternetException(
            m_handle, "Failed to set an internet option (%u)", static_cast<unsigned>(option));
}

void CInternetHandle::SetOption(DWORD option, DWORD value)
{
    if (!::InternetSetOptionA(m_handle, option, &value, sizeof(value)))
        throw CInternetException(
            m_handle, "Failed to set an internet option (%u)", static_cast<unsigned>(option));
}

void CInternetSession::ReportCompletions()
{
    if (::InternetSetStatusCallbackA(m_handle, &CInternetCompletion::OnStatus)
        == INTERNET_INVALID_STATUS_CALLBACK)
        throw CInternetException(nullptr, "Failed to set the status callback");
}

CInternetConnection::CInternetConnection(const CInternetSession& session, const std::string& host,
    INTERNET_PORT port, const std::string& user, const std::string& password, DWORD_PTR context)
{
    m_handle = ::InternetConnectA(session.Get(), host.c_str(), port, user.empty() ? nullptr : user.c_str(),
        password.empty() ? nullptr : password.c_str(), INTERNET_SERVICE_HTTP, 0, context);
    if (!m_handle)
        throw CInternetException(
            reinterpret_cast<void*>(context), "Failed to open http url (%s)", host.c_str());
}

CHttpFile::CHttpFile(const CInternetConnection& connection, const std::string& path, const char* version,
    DWORD flags, bool asynchronous)
    : m_url(path)
    , m_completion(nullptr)
    , m_deadline(0)
{
    if (asynchronous) {
        m_completion = CInternetCompletion::Create();
        if (!m_completion)
            throw CInternetException(nullptr, "Failed to open http url (%s)", m_url.c_str());
    }
    m_handle = ::HttpOpenRequestA(connection.Get(), "GET", m_url.c_str(), version, nullptr, nullptr, flags,
        reinterpret_cast<DWORD_PTR>(m_completion));
    if (!m_handle) {
        CInternetException failure(m_completion, "Failed to open http url (%s)", m_url.c_str());
        if (m_completion)
            m_completion->Release();
        throw failure;
    }
    // The handle's own reference, which the platform gives back when it
    // reports the handle closed.
    if (m_completion)
        m_completion->AddRef();
}

CHttpFile::~CHttpFile()
{
    // The handle closes after this; the completion outlives it through the
    // handle's reference.
    if (m_completion)
        m_completion->Release();
}

bool CHttpFile::AwaitCompletion()
{
    if (!m_completion || ::GetLastError() != ERROR_IO_PENDING)
        return false;
    DWORD error = 0;
    if (!m_completion->WaitUntil(m_deadline, error)) {
        ::SetLastError(ERROR_INTERNET_TIMEOUT);
        return false;
    }
    ::SetLastError(error);
    return error == 0;
}

void CHttpFile::Send(const char* headers)
{
    const bool any = headers && *headers;
    if (m_completion)
        m_completion->Reset();
    if (!::HttpSendRequestA(m_handle, any ? headers : nullptr, any ? static_cast<DWORD>(-1) : 0, nullptr, 0)
        && !AwaitCompletion())
        throw CInternetException(m_handle, "Failed to open http url (%s)", m_url.c_str());
}

CHttpFile::CHttpFile(const CInternetSession& session, const char* url, const char* headers,
    DWORD headerLength, DWORD flags, DWORD_PTR context)
    : m_url(url ? url : "")
    , m_completion(nullptr)
    , m_deadline(0)
{
    m_handle = ::InternetOpenUrlA(session.Get(), m_url.c_str(), (headers && *headers) ? headers : nullptr,
        (headers && *headers) ? headerLength : 0, flags, context);
    if (!m_handle)
        throw CInternetException(
            reinterpret_cast<void*>(context), "Failed to open http url (%s)", m_url.c_str());
}

DWORD CHttpFile::Read(void* buffer, DWORD count)
{
    if (!m_completion) {
        DWORD read = 0;
        if (!::InternetReadFile(m_handle, buffer, count, &read))
            throw CInternetException(
                m_handle, "Failed to read from network (%u bytes)", static_cast<unsigned>(count));
        return read;
    }
    // The platform may fill the buffer and count after we have given up, so
    // they are the completion's, not the caller's.
    if (count > CInternetCompletion::kBufferSize)
        count = CInternetCompletion::kBufferSize;
    m_completion->Reset();
    DWORD* read = m_completion->Count();
    *read = 0;
    if (!::InternetReadFile(m_handle, m_completion->Buffer(), count, read) && !AwaitCompletion())
        throw CInternetException(
            m_handle, "Failed to read from network (%u bytes)", static_cast<unsigned>(count));
    const DWORD got = *read <= count ? *read : count;
    std::memcpy(buffer, m_completion->Buffer(), got);
    return got;
}

DWORD CHttpFile::QueryInfo(DWORD level, DWORD index)
{
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (!::HttpQueryInfoA(m_handle, level | HTTP_QUERY_FLAG_NUMBER, &value, &size, &index))
        throw CInternetException(m_handle, "Failed to query http info (%u)", static_cast<unsigned>(level));
    return value;
}

bool CHttpFile::TryQueryInfo(DWORD level, DWORD& value)
{
    DWORD size = sizeof(value);
    DWORD index = 0;
    return ::HttpQueryInfoA(m_handle, level | HTTP_QUERY_FLAG_NUMBER, &value, &size, &index) != FALSE;
}

DWORD CHttpFile::QueryTextSize(DWORD level)
{
    DWORD size = 0;
    DWORD index = 0;
    if (::HttpQueryInfoA(m_handle, level, nullptr, &size, &index)
        || ::GetLastError() != ERROR_INSUFFICIENT_BUFFER)
        return 0;
    return size;
}

bool CHttpFile::QueryText(DWORD level, std::string& text, DWORD maxLength)
{
    text.clear();
    const DWORD needed = QueryTextSize(level);
    if (needed == 0 || needed > maxLength + 1)
        return false;
    std::vector<char> buffer(needed + 1);
    DWORD size = needed;
    DWORD index = 0;
    if (!::HttpQueryInfoA(m_handle, level, buffer.data(), &size, &index))
        return false;
    text.assign(buffer.data(), size < needed ? size : needed);
    return true;
}
