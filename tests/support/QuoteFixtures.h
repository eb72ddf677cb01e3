#pragma once
// Shared by the transport tests (and any test that drives requests through
// the quote protocol): a recorder of completion calls and a waiting helper.
#include <windows.h>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <condition_variable>
#include <string>
#include <vector>

#include "net/DownloadRequest.h"
#include "tests/support/LockedLog.h"

class CMemoryStream;

struct CallbackRecord
{
    int id; // the id the request was given with CallbackRecorder::Arg
    uint32_t userData;
    int32_t ok;
    bool hadStream;
    std::string stream; // bytes of the delivered stream, copied during the call
    DWORD threadId;
};

// Records every DownloadCallback call made with an argument from Arg(id), in
// the order the calls happened (across threads).
class CallbackRecorder
{
public:
    static void OnComplete(uint32_t userData, uintptr_t arg, CMemoryStream* reply, int32_t ok);

    uintptr_t Arg(int id);
    std::vector<CallbackRecord> Records() const { return m_records.Items(); }
    size_t Count() const { return m_records.Count(); }
    int CallsFor(int id) const;
    bool WaitForCalls(size_t n, DWORD timeoutMs) const { return m_records.WaitForCount(n, timeoutMs); }
    // Runs inside each call, before it is recorded (on the calling thread).
    void SetHook(std::function<void(const CallbackRecord&)> hook) { m_hook = std::move(hook); }

private:
    struct Slot
    {
        CallbackRecorder* recorder;
        int id;
    };
    std::mutex m_slotsMutex;
    std::deque<Slot> m_slots; // stable addresses handed out as arguments
    LockedLog<CallbackRecord> m_records;
    std::function<void(const CallbackRecord&)> m_hook;
};

// Polls pred every few milliseconds until it holds or timeoutMs passes.
bool WaitUntil(const std::function<bool()>& pred, DWORD timeoutMs);

// Little-endian bytes of a delivered stream header followed by the body.
std::string DeliveredStream(uint32_t value, uint32_t value2, const std::string& body);
