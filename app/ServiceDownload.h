#pragma once
// The dialogs' one way to fetch a page of the service: a GET through the
// program's HTTP client into a string. Tests hand the dialogs their own.
#include <functional>
#include <string>

using ServiceFetcher = std::function<bool(const std::string& url, std::string& body)>;

// True with the whole body when the server answered 200.
bool DownloadServiceBody(const std::string& url, std::string& body);

// Runs the fetch on a worker thread while the calling (UI) thread goes on
// answering its messages, so that a slow or dripping web server never stops
// the UI thread: the fetch's own deadline bounds the wait. A quit message
// that arrives meanwhile is posted again for the loop outside. The fetch's
// result.
bool FetchWhileAnswering(const ServiceFetcher& fetch, const std::string& url, std::string& body);
