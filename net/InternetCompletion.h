#pragma once
// What one request handle in asynchronous mode shares with the platform's
// threads: the completion signal, the result of the operation in flight, and
// the buffer and count a read fills. A caller that gives up on an operation
// at its deadline closes the handle and goes; the operation may still finish
// later on a platform thread (some platforms let a blocked receive run on
// after the close), so this lives until both the caller has let go and the
// platform has reported the handle closed, and the caller's own memory is
// never handed to an operation.
#include <windows.h>
#include <wininet.h>
#include <atomic>

#include "base/HandleOwner.h"

class CInternetCompletion
{
public:
    static const DWORD kBufferSize = 16384;

    // One reference, the caller's; null when no event can be made.
    static CInternetCompletion* Create();
    void AddRef();
    void Release();

    // Before each operation that may complete later.
    void Reset();
    // After an operation reported ERROR_IO_PENDING: true once it has
    // finished, with error its failure code (0 on success); false when the
    // deadline (GetTickCount64 time, 0 = none) came first.
    bool WaitUntil(ULONGLONG deadline, DWORD& error);

    // Where reads put their bytes and count.
    char* Buffer() { return m_buffer; }
    DWORD* Count() { return &m_count; }

    // The session's status callback; context is a CInternetCompletion that
    // holds a reference for its request handle.
    static void CALLBACK OnStatus(
        HINTERNET handle, DWORD_PTR context, DWORD status, void* info, DWORD infoLength);

private:
    CInternetCompletion();
    ~CInternetCompletion() = default;
    CInternetCompletion(const CInternetCompletion&) = delete;
    CInternetCompletion& operator=(const CInternetCompletion&) = delete;

    std::atomic<long> m_references;
    CKernelHandle m_done; // manual reset
    std::atomic<DWORD> m_error;
    DWORD m_count;
    char m_buffer[kBufferSize];
};
