#pragma once
// The dialogs' one way to fetch a page of the service: a GET through the
// program's HTTP client into a string. Tests hand the dialogs their own.
#include <functional>
#include <string>

using ServiceFetcher = std::function<bool(const std::string& url, std::string& body)>;

// True with the whole body when the server answered 200.
bool DownloadServiceBody(const std::string& url, std::string& body);
