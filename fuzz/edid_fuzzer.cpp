#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <numeric>

#include "fuzz/parser_invariants.h"

namespace {

void seal(std::uint8_t* block) {
    const int sum = std::accumulate(block, block + 127, 0);
    block[127] = static_cast<std::uint8_t>((256 - sum % 256) % 256);
}

void check(const std::uint8_t* bytes) {
    CEdidRecord record;
    const int result = record.decode(bytes);
    const std::string broken = parser_invariants::edid_violation(record, result);
    if (!broken.empty()) {
        std::fprintf(stderr, "EDID invariant broken: %s\n", broken.c_str());
        std::abort();
    }
}

}  // namespace

// The first 256 bytes form the EDID (zero-padded). A checksum is hard to hit by mutation, so a
// control byte after them asks for a valid header and checksums, letting the fuzzer reach the
// field decoding with every other byte under its control.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::array<std::uint8_t, 256> bytes{};
    std::copy(data, data + std::min(size, bytes.size()), bytes.begin());
    check(bytes.data());
    if (size > bytes.size()) {
        const std::uint8_t control = data[bytes.size()];
        if (control & 1) {
            const std::uint8_t header[8] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
            std::copy(header, header + 8, bytes.begin());
            seal(bytes.data());
        }
        if (control & 2) seal(bytes.data() + 128);
        check(bytes.data());
    }
    return 0;
}
