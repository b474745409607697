#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <numeric>
#include <string_view>

// Assembles EDIDs byte by byte from the VESA layout, with the checksums computed here.
namespace edid_test {

using Bytes = std::array<std::uint8_t, 256>;
using Block18 = std::array<std::uint8_t, 18>;

inline constexpr int kSlots[4] = {54, 72, 90, 108};

// A display descriptor (bytes 0..2 zero) with `tag` and up to 13 payload bytes.
inline Block18 display_descriptor(std::uint8_t tag, std::initializer_list<std::uint8_t> payload) {
    Block18 d{};
    d[3] = tag;
    std::size_t i = 5;
    for (std::uint8_t b : payload)
        d[i++] = b;
    return d;
}

// A text as monitors write it: a line feed after the text, then spaces.
inline Block18 text_descriptor(std::uint8_t tag, std::string_view text) {
    Block18 d{};
    d[3] = tag;
    std::fill(d.begin() + 5, d.end(), 0x20);
    const std::size_t n = std::min<std::size_t>(text.size(), 13);
    std::copy(text.begin(), text.begin() + n, d.begin() + 5);
    if (n < 13) d[5 + n] = 0x0A;
    return d;
}

struct Timing {
    int clock_10khz, h_active, h_blank, v_active, v_blank, h_off, h_width, v_off, v_width, h_mm,
        v_mm, h_border, v_border, flags;
};

inline Block18 timing_descriptor(const Timing& t) {
    const int bytes[18] = {
        t.clock_10khz & 0xFF,
        t.clock_10khz >> 8,
        t.h_active & 0xFF,
        t.h_blank & 0xFF,
        ((t.h_active >> 8) << 4) | (t.h_blank >> 8),
        t.v_active & 0xFF,
        t.v_blank & 0xFF,
        ((t.v_active >> 8) << 4) | (t.v_blank >> 8),
        t.h_off & 0xFF,
        t.h_width & 0xFF,
        ((t.v_off & 0x0F) << 4) | (t.v_width & 0x0F),
        ((t.h_off >> 8) << 6) | ((t.h_width >> 8) << 4) | ((t.v_off >> 4) << 2) | (t.v_width >> 4),
        t.h_mm & 0xFF,
        t.v_mm & 0xFF,
        ((t.h_mm >> 8) << 4) | (t.v_mm >> 8),
        t.h_border,
        t.v_border,
        t.flags};
    Block18 d{};
    std::transform(bytes, bytes + 18, d.begin(),
                   [](int v) { return static_cast<std::uint8_t>(v); });
    return d;
}

// A valid base block: header, version 1.4, no timings, four dummy descriptors (tag 0x10).
inline Bytes base_block() {
    Bytes b{};
    const std::uint8_t header[8] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    std::copy(header, header + 8, b.begin());
    b[18] = 1;
    b[19] = 4;
    for (int i = 38; i < 54; ++i)
        b[i] = 0x01;
    for (int slot : kSlots)
        b[slot + 3] = 0x10;
    return b;
}

inline void put(Bytes& b, int offset, const Block18& d) {
    std::copy(d.begin(), d.end(), b.begin() + offset);
}

inline void put_vendor(Bytes& b, std::string_view letters) {
    const int word = ((letters[0] - 0x40) << 10) | ((letters[1] - 0x40) << 5) | (letters[2] - 0x40);
    b[8] = static_cast<std::uint8_t>(word >> 8);
    b[9] = static_cast<std::uint8_t>(word & 0xFF);
}

// Sets the last byte of a block so that the block sums to 0.
inline void seal_block(Bytes& b, int block) {
    const int begin = block * 128;
    const int sum = std::accumulate(b.begin() + begin, b.begin() + begin + 127, 0);
    b[begin + 127] = static_cast<std::uint8_t>((256 - sum % 256) % 256);
}

inline Bytes sealed(Bytes b) {
    seal_block(b, 0);
    if (b[126] != 0) seal_block(b, 1);
    return b;
}

}  // namespace edid_test
