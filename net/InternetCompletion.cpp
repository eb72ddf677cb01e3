#include "net/InternetCompletion.h"

#include <new>

CInternetCompletion::CInternetCompletion()
    : m_references(1)
    , m_done(::CreateEventA(nullptr, TRUE, FALSE, nullptr))
    , m_error(0)
    , m_count(0)
{
}

CInternetCompletion* CInternetCompletion::Create()
{
    CInternetCompletion* completion = new (std::nothrow) CInternetCompletion();
    if (completion && completion->m_done.IsNull()) {
        completion->Release();
        return nullptr;
    }
    return completion;
}

void CInternetCompletion::AddRef()
{
    ++m_references;
}

void CInternetCompletion::Release()
{
    if (--m_references == 0)
        delete this;
}

void CInternetCompletion::Reset()
{
    m_error = 0;
    ::ResetEvent(m_done);
}

bool CInternetCompletion::WaitUntil(ULONGLONG deadline, DWORD& error)
{
    DWORD wait = INFINITE;
    if (deadline != 0) {
        const ULONGLONG now = ::GetTickCount64();
        wait = deadline > now ? static_cast<DWORD>(deadline - now) : 0;
    }
    if (::WaitForSingleObject(m_done, wait) != WAIT_OBJECT_0)
        return false;
    error = m_error;
    return true;
}

void CALLBACK CInternetCompletion::OnStatus(
    HINTERNET, DWORD_PTR context, DWORD status, void* info, DWORD infoLength)
{
    CInternetCompletion* completion = reinterpret_cast<CInternetCompletion*>(context);
    if (!completion)
        return;
    if (status == INTERNET_STATUS_REQUEST_COMPLETE) {
        DWORD error = ERROR_INTERNET_INTERNAL_ERROR;
        if (info && infoLength >= sizeof(INTERNET_ASYNC_RESULT)) {
            const INTERNET_ASYNC_RESULT* result = static_cast<const INTERNET_ASYNC_RESULT*>(info);
            error
                = result->dwResult ? 0 : (result->dwError ? result->dwError : ERROR_INTERNET_INTERNAL_ERROR);
        }
        completion->m_error = error;
        ::SetEvent(completion->m_done);
    } else if (status == INTERNET_STATUS_HANDLE_CLOSING) {
        // The platform's last word on the handle: its reference goes.
        completion->Release();
    }
}
