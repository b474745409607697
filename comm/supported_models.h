#pragma once

#include <cstdint>

// The maker's supported monitor line: EDID manufacturer letters "KST" and four contiguous
// product codes. A monitor identifier holds the manufacturer word (EDID bytes 8 + 256 * 9) in
// its high 16 bits and the product code in its low 16 bits.
constexpr std::uint32_t kMakerManufacturerWord = 0x742E;  // "KST" as EDID bytes 8..9 read
constexpr std::uint16_t kFirstSupportedProduct = 0x6C10;
constexpr int kSupportedProductCount = 4;

// One of the four supported identifiers, or all bits set (-1).
constexpr bool is_supported_monitor_id(std::int32_t id) {
    const auto value = static_cast<std::uint32_t>(id);
    if (value == 0xFFFFFFFFu) return true;
    const std::uint32_t product = value & 0xFFFF;
    return (value >> 16) == kMakerManufacturerWord && product >= kFirstSupportedProduct &&
           product < kFirstSupportedProduct + kSupportedProductCount;
}
