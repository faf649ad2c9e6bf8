#include "request_head.h"

RequestHead judgeRequestHead(std::string_view received, const RequestHeadLimits& limits) {
    std::size_t start = 0;
    for (bool requestLine = true;; requestLine = false) {
        const RequestHead tooLong = requestLine ? RequestHead::LineTooLong : RequestHead::HeadersTooLarge;
        const std::size_t newline = received.find('\n', start);
        const std::size_t end = newline == std::string_view::npos ? received.size() : newline + 1;
        if (end - start > limits.lineBytes || end > limits.headBytes) return tooLong;
        if (newline == std::string_view::npos) return end == limits.headBytes ? tooLong : RequestHead::Incomplete;
        // As for the library, only a bare CRLF ends the head.
        if (!requestLine && received.substr(start, end - start) == "\r\n") return RequestHead::Complete;
        start = end;
    }
}

std::string_view refusalOf(RequestHead head) {
    return head == RequestHead::LineTooLong
               ? "HTTP/1.1 414 URI Too Long\r\nContent-Length: 0\r\nConnection: close\r\n\r\n"
               : "HTTP/1.1 431 Request Header Fields Too Large\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
}
