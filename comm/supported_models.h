#pragma once

#include <array>
#include <cstdint>

// The maker's monitor line this program controls, as its EDIDs identify it.
namespace supported_models {

// The EDID's three manufacturer letters as bytes 8 and 9 hold them: five bits per letter
// ('A' = 1), big-endian.
constexpr std::uint16_t manufacturer_word(char a, char b, char c) {
    return static_cast<std::uint16_t>(((a - '@') << 10) | ((b - '@') << 5) | (c - '@'));
}

// A monitor identifier: byte 8 + 256 * byte 9 in the high half (the word as it lies in the
// EDID), the product code in the low half.
constexpr std::int32_t monitor_id(std::uint16_t manufacturer, std::uint16_t product) {
    const std::uint32_t stored = static_cast<std::uint32_t>(manufacturer >> 8) |
                                 (static_cast<std::uint32_t>(manufacturer & 0xFF) << 8);
    return static_cast<std::int32_t>((stored << 16) | product);
}

constexpr std::uint16_t kManufacturer = manufacturer_word('K', 'S', 'T');
// The four product codes of the line, contiguous.
constexpr std::array<std::uint16_t, 4> kProductCodes = {0x6C10, 0x6C11, 0x6C12, 0x6C13};
// The identifier a display record carries when the monitor's identity is not known yet.
constexpr std::int32_t kUnknownMonitor = -1;
// The model whose brightness is shown in percent and whose DICOM preset is simulated.
constexpr const char* kSpecialModel = "KX272W";

constexpr bool is_supported_monitor_id(std::int32_t id) {
    if (id == kUnknownMonitor) return true;
    for (std::uint16_t product : kProductCodes) {
        if (id == monitor_id(kManufacturer, product)) return true;
    }
    return false;
}

}  // namespace supported_models
