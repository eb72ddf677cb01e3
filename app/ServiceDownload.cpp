#include "app/ServiceDownload.h"

#include <windows.h>
#include <thread>

#include "base/HandleOwner.h"

#include "base/MemoryStream.h"
#include "net/HttpClient.h"

bool DownloadServiceBody(const std::string& url, std::string& body)
{
    body.clear();
    HttpClient* client = HttpClient::Instance();
    if (!client)
        return false;
    CMemoryStream stream;
    char buffer[2048];
    if (!client->Download(url.c_str(), &stream, buffer, static_cast<int32_t>(sizeof(buffer)), nullptr))
        return false;
    if (stream.GetSize() > 0)
        body.assign(reinterpret_cast<const char*>(stream.GetBuffer()), static_cast<size_t>(stream.GetSize()));
    return true;
}

bool FetchWhileAnswering(const ServiceFetcher& fetch, const std::string& url, std::string& body)
{
    body.clear();
    if (!fetch)
        return false;
    CKernelHandle done(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (done.IsNull())
        return false;
    bool fetched = false;
    std::string received;
    std::thread worker([&] {
        try {
            fetched = fetch(url, received);
        } catch (...) {
            fetched = false;
        }
        ::SetEvent(done.Get());
    });
    bool quit = false;
    WPARAM quitCode = 0;
    HANDLE waits[1] = { done.Get() };
    while (::MsgWaitForMultipleObjects(1, waits, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                quitCode = msg.wParam;
                continue;
            }
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    worker.join();
    if (quit)
        ::PostQuitMessage(static_cast<int>(quitCode));
    body.swap(received);
    return fetched;
}
