#include "views/DiagnosisFetcher.h"

#include "data/StockDiagnose.h"

CDiagnosisFetcher::CDiagnosisFetcher()
    : m_window(nullptr)
    , m_wanted(-1)
    , m_answered(-1)
    , m_wake(::CreateEventA(nullptr, FALSE, FALSE, nullptr))
    , m_stopEvent(::CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
}

CDiagnosisFetcher::~CDiagnosisFetcher()
{
    Stop();
}

void CDiagnosisFetcher::Stop()
{
    if (m_stopEvent)
        ::SetEvent(m_stopEvent);
    if (GetHandle())
        CThread::Stop();
}

void CDiagnosisFetcher::SetLoader(Loader loader)
{
    SingleLock lock(&m_lock);
    m_loader = std::move(loader);
}

void CDiagnosisFetcher::SetNotifyWindow(HWND window)
{
    SingleLock lock(&m_lock);
    m_window = window;
}

CDiagnosisFetcher::Loader CDiagnosisFetcher::CurrentLoader()
{
    SingleLock lock(&m_lock);
    if (m_loader)
        return m_loader;
    return [](uint32_t key) {
        CStockDiagnose verdict;
        verdict.Load("", key);
        return verdict.GetText();
    };
}

bool CDiagnosisFetcher::GetVerdict(uint32_t key, std::string& text)
{
    SingleLock lock(&m_lock);
    if (m_answered == static_cast<int64_t>(key)) {
        text = m_text;
        return true;
    }
    if (m_wanted != static_cast<int64_t>(key)) {
        m_wanted = key;
        if (!GetHandle() && m_wake && m_stopEvent)
            Start(false);
        ::SetEvent(m_wake);
    }
    return false;
}

void CDiagnosisFetcher::Run()
{
    const HANDLE handles[2] = { m_stopEvent.Get(), m_wake.Get() };
    while (!IsStopRequested()) {
        // The stop event is listed first: it wins when both are set.
        if (::WaitForMultipleObjects(2, handles, FALSE, INFINITE) != WAIT_OBJECT_0 + 1)
            return;
        int64_t key;
        {
            SingleLock lock(&m_lock);
            key = m_wanted;
            // Asked for again while its answer was on its way (A, B, A).
            if (key == m_answered)
                key = -1;
        }
        if (key < 0)
            continue;
        const std::string text = CurrentLoader()(static_cast<uint32_t>(key));
        HWND window;
        {
            SingleLock lock(&m_lock);
            m_answered = key;
            m_text = text;
            window = m_window;
        }
        if (window)
            ::InvalidateRect(window, nullptr, FALSE);
    }
}
