#pragma once

#include <QString>
#include <array>
#include <cstdint>

#include "color/cie_xyz.h"

// The description of one desktop display and the monitor behind it, filled by the display
// enumeration and copied by value wherever a display is selected.
struct DisplayInfo {
    std::int32_t index = -1;  // interface index of the monitor, negative = none
    QString text1;            // model name
    QString text2;            // serial number
    QString text3;            // extra text handed to the monitor as Latin-1 bytes
    QString text4;            // adapter device name
    QString text5;            // monitor device identifier
    std::uint8_t has_monitor_data = 0;
    std::array<char, 256> edid{};
    std::int32_t monitorId = 0;      // manufacturer code in the high 16 bits, product code low
    std::int32_t image_width = -1;   // mm
    std::int32_t image_height = -1;  // mm
    // The display's place on the desktop, edges inclusive; empty (right < left) when off it.
    std::int32_t desktop_left = 0;
    std::int32_t desktop_top = 0;
    std::int32_t desktop_right = -1;
    std::int32_t desktop_bottom = -1;
    std::array<CCIEXYZ, 4> primaries{};  // red, green, blue, white
    std::uint8_t supported_model = 0;
    std::uint8_t ddcCapable = 0;
    std::uint8_t writeNames = 0;

    DisplayInfo() = default;
    DisplayInfo(const DisplayInfo&) = default;
    DisplayInfo& operator=(const DisplayInfo&) = default;
};
