#pragma once
// What every fuzz target shares: the libFuzzer entry point, the seed inputs each target
// builds with the program's own builders, a check that stops the run on a finding, and
// a reader that turns the fuzzer's bytes into structured choices.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size);

// Seed inputs for this target, built by the program's own code (packets from
// buildDmxPacket, words from packMidiMessage, ...). Each target defines it.
std::vector<std::string> fuzzSeeds();

// A finding: say what failed and abort, so libFuzzer saves the input.
#define FUZZ_CHECK(condition)                                                                   \
    do {                                                                                        \
        if (!(condition)) {                                                                     \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                       \
        }                                                                                       \
    } while (0)

// Reads the input front to back; past the end every read gives zeros or empty text,
// so any input is a valid script.
class FuzzReader {
public:
    FuzzReader(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool empty() const { return at_ >= size_; }
    std::size_t remaining() const { return empty() ? 0 : size_ - at_; }

    uint8_t byte() { return empty() ? 0 : data_[at_++]; }
    bool flag() { return (byte() & 1) != 0; }
    uint16_t u16() { return static_cast<uint16_t>(byte() | byte() << 8); }
    uint32_t u32() { return static_cast<uint32_t>(u16()) | static_cast<uint32_t>(u16()) << 16; }
    // A value in [0, count); count must not be 0.
    uint32_t below(uint32_t count) { return (count <= 256 ? byte() : u32()) % count; }

    std::string bytes(std::size_t count) {
        const std::size_t n = count < remaining() ? count : remaining();
        std::string out(reinterpret_cast<const char*>(data_ + at_), n);
        at_ += n;
        return out;
    }
    // A length byte, then that many bytes.
    std::string text() { return bytes(byte()); }
    std::string rest() { return bytes(remaining()); }

private:
    const uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// Builds seed inputs the way FuzzReader reads them.
class FuzzWriter {
public:
    FuzzWriter& byte(uint8_t value) {
        out_ += static_cast<char>(value);
        return *this;
    }
    FuzzWriter& u16(uint16_t value) { return byte(static_cast<uint8_t>(value)).byte(static_cast<uint8_t>(value >> 8)); }
    FuzzWriter& u32(uint32_t value) { return u16(static_cast<uint16_t>(value)).u16(static_cast<uint16_t>(value >> 16)); }
    FuzzWriter& bytes(std::string_view value) {
        out_ += value;
        return *this;
    }
    FuzzWriter& text(std::string_view value) {
        return byte(static_cast<uint8_t>(value.size())).bytes(value.substr(0, 255));
    }
    const std::string& str() const { return out_; }

private:
    std::string out_;
};
