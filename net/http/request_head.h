#pragma once
// Where a request's head (its request line and header lines, up to the empty line) stands in
// the bytes received so far, judged before the HTTP library parses it: the library reads a
// line of any length, and one past the request's byte budget would end the connection with
// no answer at all.
#include <cstddef>
#include <string_view>

enum class RequestHead { Incomplete, Complete, LineTooLong, HeadersTooLarge };

struct RequestHeadLimits {
    std::size_t lineBytes;  // the request line, and each header line, with its line end
    std::size_t headBytes;  // the whole head, with the empty line that ends it
};

RequestHead judgeRequestHead(std::string_view received, const RequestHeadLimits& limits);

// The whole answer to a head that is too long (414 or 431); the connection closes after it.
std::string_view refusalOf(RequestHead head);
