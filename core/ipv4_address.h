#pragma once
// An IPv4 address and its dotted-decimal text: one rule on every platform, so a field or
// an option means the same address wherever it is typed.
#include <cstdint>
#include <string>
#include <string_view>

// The four bytes in network order (a.b.c.d is {a, b, c, d}).
struct Ipv4Address {
    uint8_t bytes[4] = {0, 0, 0, 0};
    friend bool operator==(const Ipv4Address&, const Ipv4Address&) = default;
};

// Dotted-decimal text to address, strict like inet_pton: exactly four parts of ASCII
// digits, each 0..255 without a leading zero, and nothing else ("1.2.3.4" only).
bool parseIpv4(std::string_view text, Ipv4Address& address);

// "a.b.c.d", each part in decimal without leading zeros.
std::string formatIpv4(Ipv4Address address);
