#pragma once

#include <cstdint>
#include <vector>

namespace sim {

// Feature codes are page * 256 + VCP code; page 0 holds the standard codes.
namespace code {
constexpr int restore_factory = 0x04;
constexpr int restore_color = 0x08;
constexpr int brightness = 0x10;
constexpr int contrast = 0x12;
constexpr int color_preset = 0x14;
constexpr int red_gain = 0x16;
constexpr int green_gain = 0x18;
constexpr int blue_gain = 0x1A;
constexpr int input_source = 0x60;
constexpr int firmware_level = 0xC9;
constexpr int power_mode = 0xD6;
constexpr int vcp_version = 0xDF;
constexpr int select_e3 = 0xE3;
constexpr int select_fb = 0xFB;
constexpr int operating_hours = 0xFF;  // half hours

constexpr int adjust_233 = 0x233;
constexpr int adjust_237 = 0x237;
constexpr int adjust_254 = 0x254;
constexpr int gamma_type = 0x268;
constexpr int pip_size = 0x271;
constexpr int pip_h_position = 0x274;
constexpr int pip_v_position = 0x275;
constexpr int red_drive = 0x27E;
constexpr int green_drive = 0x27F;
constexpr int blue_drive = 0x280;
constexpr int luminance = 0x2B3;  // brightness in cd/m2
constexpr int max_luminance = 0x2B4;
constexpr int response_improve = 0x2BD;
constexpr int power_led = 0x2BE;
constexpr int gamma_value = 0x2E8;  // gamma = value / 100 + 0.5
constexpr int uniformity = 0x2EE;
constexpr int adjust_2f8 = 0x2F8;
constexpr int table_transfer = 0x2F9;

constexpr int pbp_state = 0x104E;
constexpr int memory_select = 0x1050;
constexpr int preset = 0x1051;
constexpr int white_x = 0x1052;
constexpr int white_y = 0x1053;
constexpr int black_level = 0x1054;
constexpr int red_x = 0x1055;
constexpr int red_y = 0x1056;
constexpr int green_x = 0x1057;
constexpr int green_y = 0x1058;
constexpr int blue_x = 0x1059;
constexpr int blue_y = 0x105A;
constexpr int color_vision = 0x105B;
constexpr int metamerism = 0x105C;
constexpr int adjust_105d = 0x105D;
constexpr int pip_mode = 0x105F;
constexpr int pip_input = 0x1060;
constexpr int pip_memory = 0x1062;
constexpr int pip_color_vision = 0x1063;
constexpr int lut_mode = 0x1067;
constexpr int lut_use = 0x1069;
constexpr int lut_slot = 0x106B;
constexpr int uniformity_limit = 0x106C;
constexpr int contrast_limit = 0x106D;
constexpr int black_floor = 0x106E;
constexpr int brightness_floor = 0x106F;
constexpr int reset_mode = 0x1070;
constexpr int reset_gamut = 0x1071;
}  // namespace code

// Picture-mode presets (values of code::preset).
namespace preset {
constexpr int srgb = 1;
constexpr int adobe_rgb = 2;
constexpr int dci = 3;
constexpr int rec709 = 4;
constexpr int high_bright = 5;
constexpr int full = 6;
constexpr int dicom = 7;
constexpr int programmable_first = 8;  // 8 .. 12 use 3D LUT slots 1 .. 5
constexpr int programmable_last = 12;
constexpr int eci_rgb = 13;
}  // namespace preset

// Gamma curve types (values of code::gamma_type).
namespace gamma {
constexpr int native = 1;
constexpr int dicom = 5;
constexpr int programmable = 6;
constexpr int value = 9;
constexpr int srgb = 11;
constexpr int lstar = 12;
}  // namespace gamma

enum class CSimScope : std::uint8_t {
    global,  // one value for the monitor
    memory,  // one value per picture-mode memory, swapped in when the memory changes
};

namespace feature_flag {
constexpr unsigned read_only = 1;  // a set leaves the value unchanged
constexpr unsigned momentary = 2;  // an action: reads 0, a set of 1 triggers it
constexpr unsigned slow = 4;       // a paged set keeps the monitor busy for a few polls
}  // namespace feature_flag

struct CSimFeature {
    int code = 0;
    int minimum = 0;
    int maximum = 0;
    int factory = 0;  // for memory-scope features the presets give the value instead
    CSimScope scope = CSimScope::global;
    unsigned flags = 0;
    std::vector<int> values;  // the allowed values, listed in the capability string

    bool has(unsigned flag) const { return (flags & flag) != 0; }
    bool allows(int value) const;
};

}  // namespace sim
