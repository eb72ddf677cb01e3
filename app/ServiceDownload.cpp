#include "app/ServiceDownload.h"

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
