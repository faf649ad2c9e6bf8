// Text the user types: decimal numbers against strtol, option lookup against its rule,
// IPv4 text (core/ipv4_address.h) against inet_pton and inet_ntop.
#include <arpa/inet.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <optional>

#include "core/option_lookup.h"
#include "core/decimal_text.h"
#include "fuzz_target.h"
#include "reference_rules.h"
#include "core/ipv4_address.h"

namespace {

void checkDecimal(const std::string& text) { FUZZ_CHECK(decimalToInt32(text) == referenceDecimal(text)); }

void checkOptions(FuzzReader& in) {
    ArgumentVector args;
    const std::size_t count = in.below(9);
    static const char* const kWords[] = {"--output", "--port", "--universe", "--value", "", "12", "-5"};
    for (std::size_t i = 0; i < count; ++i) {
        const uint8_t choice = in.byte();
        args.push_back(choice < 200 ? kWords[choice % 7] : in.text());
    }
    const std::string name = in.flag() ? kWords[in.below(4)] : in.text();
    const std::string fallback = in.text();
    const std::string value = optionValue(args, name, fallback);
    FUZZ_CHECK(value == referenceOption(args, name, fallback));
    FUZZ_CHECK(numericOptionValue(args, name, fallback) == referenceDecimal(value));
}

void checkIpv4(const std::string& text) {
    Ipv4Address parsed;
    const bool accepted = parseIpv4(text, parsed);
    in_addr expected{};
    const bool valid = text.find('\0') == std::string::npos && inet_pton(AF_INET, text.c_str(), &expected) == 1;
    FUZZ_CHECK(accepted == valid);
    if (!accepted) return;
    FUZZ_CHECK(std::memcmp(parsed.bytes, &expected.s_addr, 4) == 0);
    char canonical[INET_ADDRSTRLEN] = {};
    FUZZ_CHECK(inet_ntop(AF_INET, &expected, canonical, sizeof canonical) != nullptr);
    FUZZ_CHECK(formatIpv4(parsed) == canonical);
    Ipv4Address again;
    FUZZ_CHECK(parseIpv4(formatIpv4(parsed), again) && again == parsed);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string whole(reinterpret_cast<const char*>(data), size);
    checkDecimal(whole);
    checkIpv4(whole);
    FuzzReader in(data, size);
    checkOptions(in);
    return 0;
}

std::vector<std::string> fuzzSeeds() {
    std::vector<std::string> seeds = {"100", " -2147483648", "+2147483647", "2147483648", "12abc", "\t\n 7", "-",
                                      "127.0.0.1", "239.255.0.100", "0.0.0.0", "255.255.255.255", "1.2.3", "01.2.3.4",
                                      "1.2.3.4 "};
    // An argument vector with options, read the way checkOptions reads it.
    seeds.push_back(FuzzWriter().byte(6).byte(0).byte(0).byte(1).byte(5).byte(0).byte(2).byte(1).byte(0).text("x").str());
    return seeds;
}
