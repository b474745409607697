#pragma once

#include <QByteArray>
#include <cmath>
#include <cstdint>

// ICC number encodings and signatures.

constexpr std::uint32_t icc_signature(const char (&text)[5]) {
    return (std::uint32_t(std::uint8_t(text[0])) << 24) |
           (std::uint32_t(std::uint8_t(text[1])) << 16) |
           (std::uint32_t(std::uint8_t(text[2])) << 8) | std::uint32_t(std::uint8_t(text[3]));
}

// s15Fixed16 to the nearest step, halves away from zero, clamped to the encodable range.
inline std::int32_t to_s15Fixed16(double value) {
    const double scaled = std::round(value * 65536.0);
    if (scaled >= 2147483647.0) return INT32_MAX;
    if (scaled <= -2147483648.0) return INT32_MIN;
    return static_cast<std::int32_t>(scaled);
}
// Tristimulus values pass through single precision first, as the profile code always stored them.
inline std::int32_t to_s15Fixed16(float value) {
    return to_s15Fixed16(static_cast<double>(value));
}
// Exact, so Little CMS encodes the result back to `value` itself.
inline double from_s15Fixed16(std::int32_t value) {
    return value / 65536.0;
}

// u8Fixed8 (a one-entry curve's gamma) to the nearest step.
inline std::uint16_t to_u8Fixed8(double value) {
    const double scaled = std::round(value * 256.0);
    if (scaled <= 0.0) return 0;
    if (scaled >= 65535.0) return 65535;
    return static_cast<std::uint16_t>(scaled);
}

// Curve entries: [0, 1] onto 0..65535, to the nearest step.
inline std::uint16_t to_u16_unit(double value) {
    if (!(value > 0.0)) return 0;
    if (value >= 1.0) return 65535;
    return static_cast<std::uint16_t>(std::floor(value * 65535.0 + 0.5));
}

// Big-endian access to bytes that may be too short: false (and `value` untouched) past the end.
inline bool read_be16(const QByteArray& bytes, qsizetype at, std::uint16_t& value) {
    if (at < 0 || at + 2 > bytes.size()) return false;
    value =
        static_cast<std::uint16_t>((std::uint8_t(bytes[at]) << 8) | std::uint8_t(bytes[at + 1]));
    return true;
}
inline bool read_be32(const QByteArray& bytes, qsizetype at, std::uint32_t& value) {
    if (at < 0 || at + 4 > bytes.size()) return false;
    value = (std::uint32_t(std::uint8_t(bytes[at])) << 24) |
            (std::uint32_t(std::uint8_t(bytes[at + 1])) << 16) |
            (std::uint32_t(std::uint8_t(bytes[at + 2])) << 8) |
            std::uint32_t(std::uint8_t(bytes[at + 3]));
    return true;
}
inline void put_be16(QByteArray& bytes, qsizetype at, std::uint16_t value) {
    bytes[at] = char(value >> 8);
    bytes[at + 1] = char(value);
}
inline void put_be32(QByteArray& bytes, qsizetype at, std::uint32_t value) {
    bytes[at] = char(value >> 24);
    bytes[at + 1] = char(value >> 16);
    bytes[at + 2] = char(value >> 8);
    bytes[at + 3] = char(value);
}
inline void append_be16(QByteArray& bytes, std::uint16_t value) {
    bytes.append(char(value >> 8)).append(char(value));
}
inline void append_be32(QByteArray& bytes, std::uint32_t value) {
    bytes.append(char(value >> 24))
        .append(char(value >> 16))
        .append(char(value >> 8))
        .append(char(value));
}
