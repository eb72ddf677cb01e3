#pragma once
// Base of every data series that is requested asynchronously and merged when
// its reply arrives.
#include <atomic>
#include <cstdint>
#include <string>

class CMemoryStream;
class CDataUpdateNotiy;

// Kinds of data series, carried by update notices.
enum SeriesKind : int32_t {
    kSeriesNone = 0,
    kSeriesTicks = 2,
    kSeriesDay = 3,
    kSeriesWeek = 4,
    kSeriesMonth = 5,
    kSeriesQuarter = 6,
    kSeriesYear = 7,
    kSeriesF10 = 8,
    kSeriesQuotes = 9,
    kSeriesFiveMinutes = 10,
    kSeriesTenMinutes = 11,
    kSeriesFifteenMinutes = 12,
    kSeriesThirtyMinutes = 13,
    kSeriesSixtyMinutes = 14,
};

class CBase
{
public:
    CBase();
    // Copies every field, the path included.
    CBase(const CBase& other);
    CBase& operator=(const CBase&) = delete;
    virtual ~CBase();

    virtual int Load(const char* path, uint32_t key) = 0;
    // path null: the stored path. Writes only when dirty.
    virtual int Save(const char* path) = 0;
    // more 0: new data; 1: older history. Sets request pending.
    virtual int RequestData(int more) = 0;
    // Sets dirty and active. Request pending is left to whoever sent the
    // request: OnDownloadComplete clears it after the notice, as its last
    // access, and a synchronous request when it is done; a merge that cleared
    // it would let the owner delete the series under the running callback.
    virtual int Merge(uint32_t key, CMemoryStream* stream) = 0;
    // Non-zero while the series may still take replies.
    virtual int IsValid() = 0;
    virtual void SetNotifier(CDataUpdateNotiy* notifier);
    // Copies notifier, times, key, path and count; the target ends neither
    // pending nor dirty. Kind and active are not copied. Returns 0.
    virtual int CopyHeaderTo(CBase* target);
    virtual void SetActive(int active);
    virtual int IsRequestPending();

    void SetKind(int kind) { m_kind = kind; }
    int GetKind() const { return m_kind; }
    uint32_t GetKey() const { return m_key; }
    void SetKey(uint32_t key) { m_key = key; }
    int32_t GetFirstTime() const { return m_firstTime; }
    int32_t GetLastTime() const { return m_lastTime; }
    int32_t GetCount() const { return m_count; }
    const std::string& GetPath() const { return m_path; }
    CDataUpdateNotiy* GetNotifier() const { return m_notifier; }
    int IsDirty() const { return m_dirty.load(); }
    int IsActive() const { return m_active.load(); }
    void SetRequestPending(int pending) { m_pending.store(pending); }

    // The completion callback of every asynchronous request of a series: the
    // series is the callback argument, its key the user data. Merges and
    // notifies under the data lock only on success and while the series is
    // valid, and notifies only when the merge took the reply (non-zero);
    // always clears request pending, as its last access to the series.
    static void OnDownloadComplete(uint32_t userData, uintptr_t series, CMemoryStream* stream, int32_t ok);

protected:
    CDataUpdateNotiy* m_notifier;
    int32_t m_firstTime;
    int32_t m_lastTime;
    uint32_t m_key;
    // Read by the cache thread and a deleting owner while a worker clears it.
    std::atomic<int32_t> m_pending;
    std::atomic<int32_t> m_dirty;
    std::string m_path;
    int32_t m_count;
    int32_t m_kind;
    std::atomic<int32_t> m_active;
};
