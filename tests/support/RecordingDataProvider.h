#pragma once
// A data provider for tests: records every request, answers synchronous ones
// from a script and keeps asynchronous ones until the test completes them.
#include <cstdint>
#include <string>
#include <vector>

#include "base/MemoryStream.h"
#include "net/DataProvider.h"

struct RecordedRequest
{
    int32_t command;
    uint32_t key;
    uint32_t from;
    uint32_t to;
    DownloadCallback callback;
    uintptr_t callbackArg;
    bool async = false;
};

// Answers a recorded asynchronous request through its callback (reply null:
// the failure call), on the calling thread.
void CompleteRecordedRequest(const RecordedRequest& request, const std::string* reply);

// Synchronous requests get syncReply (or fail when syncOk is 0); asynchronous
// ones are answered only when a test calls Complete.
class RecordingDataProvider : public IDataProvider
{
public:
    virtual ~RecordingDataProvider() = default;
    int32_t RequestSync(
        int32_t command, uint32_t userData, uint32_t value, uint32_t value2, CMemoryStream* out) override;
    int32_t RequestAsync(int32_t command, uint32_t userData, uint32_t value, uint32_t value2,
        DownloadCallback callback, uintptr_t callbackArg) override;
    // Answers request i through its callback (reply null: a failure call).
    void Complete(size_t index, const std::string* reply);

    std::vector<RecordedRequest> requests;
    int32_t syncOk = 1;
    std::string syncReply;

protected:
    // Where each request is written down (requests, by default).
    virtual void Record(const RecordedRequest& request) { requests.push_back(request); }
};

// Installs a provider as the override for the scope.
class ScopedDataProvider
{
public:
    explicit ScopedDataProvider(IDataProvider* provider) { SetDataProviderOverride(provider); }
    ~ScopedDataProvider() { SetDataProviderOverride(nullptr); }
};

// Replaces the stream's content with bytes and rewinds it.
void FillStream(CMemoryStream& stream, const std::string& bytes);
