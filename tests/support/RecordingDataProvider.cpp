#include "tests/support/RecordingDataProvider.h"

#include <cstdio>

int32_t RecordingDataProvider::RequestSync(
    int32_t command, uint32_t userData, uint32_t value, uint32_t value2, CMemoryStream* out)
{
    Record(RecordedRequest { command, userData, value, value2, nullptr, 0, false });
    if (!syncOk)
        return 0;
    if (out)
        FillStream(*out, syncReply);
    return 1;
}

int32_t RecordingDataProvider::RequestAsync(int32_t command, uint32_t userData, uint32_t value,
    uint32_t value2, DownloadCallback callback, uintptr_t callbackArg)
{
    Record(RecordedRequest { command, userData, value, value2, callback, callbackArg, true });
    return 1;
}

void RecordingDataProvider::Complete(size_t index, const std::string* reply)
{
    CompleteRecordedRequest(requests.at(index), reply);
}

void CompleteRecordedRequest(const RecordedRequest& r, const std::string* reply)
{
    if (!reply) {
        r.callback(r.key, r.callbackArg, nullptr, 0);
        return;
    }
    CMemoryStream stream;
    FillStream(stream, *reply);
    r.callback(r.key, r.callbackArg, &stream, 1);
}

void FillStream(CMemoryStream& stream, const std::string& bytes)
{
    stream.Clear();
    if (!bytes.empty())
        stream.Write(bytes.data(), static_cast<int32_t>(bytes.size()));
    stream.Seek(0, SEEK_SET);
}
