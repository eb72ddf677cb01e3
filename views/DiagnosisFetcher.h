#pragma once
// The diagnosis verdict of the stock a side panel shows. It comes from the
// web service, which may be slow or silent: the fetch runs on a thread of its
// own, never inside a paint or under the data lock, and the answer is kept
// for the stock until another is asked for. When it arrives the owner window
// is invalidated, and its next paint shows it.
#include <windows.h>
#include <cstdint>
#include <functional>
#include <string>

#include "base/Thread.h"

class CDiagnosisFetcher : private CThread
{
public:
    // Fetches the verdict text of a stock (on the fetcher's thread).
    using Loader = std::function<std::string(uint32_t key)>;

    CDiagnosisFetcher();
    // Stops the thread; a fetch in progress is waited for (the HTTP client
    // bounds every exchange).
    ~CDiagnosisFetcher() override;

    // An empty loader: the service's verdict (its fixed text when the fetch fails).
    void SetLoader(Loader loader);
    // Invalidated when an answer arrives.
    void SetNotifyWindow(HWND window);

    // UI thread. True with the verdict once it is here for key; otherwise it
    // is asked for (once per stock, the latest stock asked for winning) and
    // the result is false.
    bool GetVerdict(uint32_t key, std::string& text);

private:
    void Run() override;
    void Stop() override;
    Loader CurrentLoader();

    CriticalSection m_lock;
    Loader m_loader;
    HWND m_window;
    int64_t m_wanted; // the stock asked for last, -1 for none
    int64_t m_answered; // the stock the text is for, -1 for none
    std::string m_text;
    CKernelHandle m_wake; // auto-reset: a new stock is wanted
    CKernelHandle m_stopEvent; // manual-reset
};
