#pragma once
// One scripted HTTP answer and the request it answers.
#include <windows.h>
#include <cstddef>
#include <string>
#include <vector>

struct WebSimRequest
{
    std::string requestLine; // without its line end
    std::string method;
    std::string target; // as sent: a path, or an absolute URI through a proxy
    std::string path; // the target's path, without the query
    std::string query; // after "?", empty when none
    bool absoluteUri = false; // the client spoke to us as to a proxy
    std::string headerBlock; // the lines after the request line, through the empty line
    std::string body; // by Content-Length, when one was sent

    // Value of the first header named name (any case), trimmed.
    bool FindHeader(const char* name, std::string& value) const;
    // Value of the first query parameter named name ("a=1&b=2"), as sent;
    // empty when absent.
    std::string QueryValue(const std::string& name) const;
};

struct WebSimReply
{
    static const size_t kNever = static_cast<size_t>(-1);

    enum Framing {
        kContentLength, // "Content-Length: n"
        kContentLengthNoSpace, // "Content-Length:n"
        kChunked, // "Transfer-Encoding: chunked", chunks of chunkSize
        kUntilClose, // no length: the close ends the body
        kAsGiven, // only the header lines given (e.g. a lying length)
    };

    std::string statusLine = "HTTP/1.1 200 OK";
    std::vector<std::string> headers; // whole lines without their line end
    std::string body;
    Framing framing = kContentLength;
    size_t chunkSize = 0; // 0: the body in one chunk
    bool lowerCaseNames = false; // header names in lower case

    std::string raw; // when set, sent byte for byte instead of all the above

    size_t writeSize = 0; // split the bytes into writes of this size (0: one write)
    DWORD writeDelayMs = 0; // pause between split writes
    DWORD delayMs = 0; // pause before the first byte
    size_t stallAt = kNever; // after this many bytes, send nothing more and keep the connection open
    size_t closeAt = kNever; // after this many bytes, close

    static WebSimReply Ok(const std::string& body, Framing framing = kContentLength);
    static WebSimReply Status(int code, const std::string& reason, const std::string& body = std::string());
    static WebSimReply Redirect(int code, const std::string& location);
    static WebSimReply Raw(const std::string& bytes);

    // The bytes this reply puts on the wire.
    std::string Wire() const;
};
