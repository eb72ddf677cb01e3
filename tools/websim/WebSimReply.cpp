#include "tools/websim/WebSimReply.h"

#include "net/HTTP.h"

#include <cctype>
#include <cstdio>

namespace {

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string HeaderLine(const std::string& line, bool lowerCaseName)
{
    if (!lowerCaseName)
        return line;
    const size_t colon = line.find(':');
    return Lower(line.substr(0, colon)) + (colon == std::string::npos ? std::string() : line.substr(colon));
}

} // namespace

bool WebSimRequest::FindHeader(const char* name, std::string& value) const
{
    return CHTTP::FindHeaderIn(headerBlock, name, value);
}

std::string WebSimRequest::QueryValue(const std::string& name) const
{
    size_t start = 0;
    while (start <= query.size()) {
        size_t end = query.find('&', start);
        if (end == std::string::npos)
            end = query.size();
        const std::string pair = query.substr(start, end - start);
        const size_t equals = pair.find('=');
        if (equals != std::string::npos && pair.compare(0, equals, name) == 0)
            return pair.substr(equals + 1);
        start = end + 1;
    }
    return std::string();
}

WebSimReply WebSimReply::Ok(const std::string& body, Framing framing)
{
    WebSimReply reply;
    reply.body = body;
    reply.framing = framing;
    return reply;
}

WebSimReply WebSimReply::Status(int code, const std::string& reason, const std::string& body)
{
    WebSimReply reply;
    reply.statusLine = "HTTP/1.1 " + std::to_string(code) + " " + reason;
    reply.body = body;
    return reply;
}

WebSimReply WebSimReply::Redirect(int code, const std::string& location)
{
    WebSimReply reply = Status(code, "Redirect");
    reply.headers.push_back("Location: " + location);
    return reply;
}

WebSimReply WebSimReply::Raw(const std::string& bytes)
{
    WebSimReply reply;
    reply.raw = bytes;
    return reply;
}

std::string WebSimReply::Wire() const
{
    if (!raw.empty())
        return raw;
    std::string wire = statusLine + "\r\n";
    for (const std::string& line : headers)
        wire += HeaderLine(line, lowerCaseNames) + "\r\n";
    switch (framing) {
    case kContentLength:
        wire += HeaderLine("Content-Length: " + std::to_string(body.size()), lowerCaseNames) + "\r\n";
        break;
    case kContentLengthNoSpace:
        wire += HeaderLine("Content-Length:" + std::to_string(body.size()), lowerCaseNames) + "\r\n";
        break;
    case kChunked:
        wire += HeaderLine("Transfer-Encoding: chunked", lowerCaseNames) + "\r\n";
        break;
    case kUntilClose:
    case kAsGiven:
        break;
    }
    wire += "\r\n";
    if (framing != kChunked) {
        wire += body;
        return wire;
    }
    const size_t step = chunkSize ? chunkSize : (body.empty() ? 1 : body.size());
    for (size_t pos = 0; pos < body.size(); pos += step) {
        const std::string piece = body.substr(pos, step);
        char size[20];
        std::snprintf(size, sizeof(size), "%x\r\n", static_cast<unsigned>(piece.size()));
        wire += size + piece + "\r\n";
    }
    wire += "0\r\n\r\n";
    return wire;
}
