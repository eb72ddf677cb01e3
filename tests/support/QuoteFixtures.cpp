#include "tests/support/QuoteFixtures.h"

#include <chrono>

#include "base/MemoryStream.h"

void CallbackRecorder::OnComplete(uint32_t userData, uintptr_t arg, CMemoryStream* reply, int32_t ok)
{
    Slot* slot = reinterpret_cast<Slot*>(arg);
    CallbackRecord record;
    record.id = slot->id;
    record.userData = userData;
    record.ok = ok;
    record.hadStream = reply != nullptr;
    if (reply && reply->GetSize() > 0)
        record.stream.assign(reinterpret_cast<const char*>(reply->GetBuffer()), reply->GetSize());
    record.threadId = ::GetCurrentThreadId();
    if (slot->recorder->m_hook)
        slot->recorder->m_hook(record);
    slot->recorder->m_records.Append(record);
}

uintptr_t CallbackRecorder::Arg(int id)
{
    std::lock_guard<std::mutex> lock(m_slotsMutex);
    m_slots.push_back(Slot { this, id });
    return reinterpret_cast<uintptr_t>(&m_slots.back());
}

int CallbackRecorder::CallsFor(int id) const
{
    int n = 0;
    for (const CallbackRecord& r : m_records.Items())
        n += r.id == id ? 1 : 0;
    return n;
}

bool WaitUntil(const std::function<bool()>& pred, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    while (!pred()) {
        if (::GetTickCount() - start > timeoutMs)
            return pred();
        ::Sleep(2);
    }
    return true;
}

std::string DeliveredStream(uint32_t value, uint32_t value2, const std::string& body)
{
    std::string out;
    for (uint32_t word : { value, value2 }) {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<char>((word >> (8 * i)) & 0xFF));
    }
    return out + body;
}
