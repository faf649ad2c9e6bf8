#include "ipv4_address.h"

bool parseIpv4(std::string_view text, Ipv4Address& address) {
    Ipv4Address parsed;
    int part = 0;
    bool inDigits = false;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            uint8_t& value = parsed.bytes[part];
            if (inDigits && value == 0) return false;  // a leading zero
            const int next = value * 10 + (c - '0');
            if (next > 255) return false;
            value = static_cast<uint8_t>(next);
            inDigits = true;
        } else if (c == '.' && inDigits && part < 3) {
            ++part;
            inDigits = false;
        } else {
            return false;
        }
    }
    if (part != 3 || !inDigits) return false;
    address = parsed;
    return true;
}

std::string formatIpv4(Ipv4Address address) {
    std::string text;
    for (int i = 0; i < 4; ++i) {
        if (i > 0) text += '.';
        text += std::to_string(address.bytes[i]);
    }
    return text;
}
