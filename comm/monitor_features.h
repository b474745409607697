#pragma once

#include <array>

// The monitor's feature codes (page * 256 + VCP code) and the values with a fixed meaning, by
// what they mean. Every library that talks to a monitor names them from here; the simulator
// keeps its own list because it depends on nothing of ours.
namespace monitor_feature {

// Page 0: the standard features.
constexpr int restore_color = 0x08;
constexpr int brightness = 0x10;  // 0..100, the standard control; not cd/m²
constexpr int contrast = 0x12;
constexpr int color_preset = 0x14;
constexpr int red_gain = 0x16;
constexpr int green_gain = 0x18;
constexpr int blue_gain = 0x1A;
constexpr int input_source = 0x60;
constexpr int select_e3 = 0xE3;
constexpr int select_fb = 0xFB;
constexpr int operating_hours = 0xFF;  // half hours

// Page 2.
constexpr int prepare_233 = 0x233;  // see prepare_233_value
constexpr int adjust_237 = 0x237;
constexpr int prepare_254 = 0x254;  // see prepare_254_value
constexpr int gamma_type = 0x268;   // the tone-curve type of the active memory
constexpr int pip_sub_size = 0x271;
constexpr int pip_sub_horizontal = 0x274;
constexpr int pip_sub_vertical = 0x275;
constexpr int mode_red_gain = 0x27E;  // the active memory's white gains
constexpr int mode_green_gain = 0x27F;
constexpr int mode_blue_gain = 0x280;
constexpr std::array<int, 3> mode_gains = {mode_red_gain, mode_green_gain, mode_blue_gain};
constexpr int luminance = 0x2B3;          // cd/m²
constexpr int luminance_maximum = 0x2B4;  // the highest the panel reaches
constexpr int response_improve = 0x2BD;   // switch_on / switch_off
constexpr int power_led = 0x2BE;
constexpr int gamma_value = 0x2E8;  // see gamma_code in the tone-curve page
constexpr int uniformity = 0x2EE;
constexpr int adjust_2f8 = 0x2F8;
constexpr int table_transfer = 0x2F9;  // 256-word transfers into larger tables

// Page 0x10: the picture-mode engine.
constexpr int pip_pbp_blocked = 0x104E;  // 2: picture-by-picture not possible
constexpr int memory_select = 0x1050;    // active memory 1..n; its maximum is n
constexpr int preset = 0x1051;           // the active memory's picture mode (monitor_preset)
constexpr int white_x = 0x1052;          // chromaticities in thousandths
constexpr int white_y = 0x1053;
constexpr int black_level = 0x1054;  // tenths of cd/m²
constexpr int red_x = 0x1055;
constexpr int red_y = 0x1056;
constexpr int green_x = 0x1057;
constexpr int green_y = 0x1058;
constexpr int blue_x = 0x1059;
constexpr int blue_y = 0x105A;
constexpr int color_vision = 0x105B;
constexpr int metamerism = 0x105C;    // switch_on / switch_off
constexpr int prepare_105d = 0x105D;  // see prepare_105d_value
constexpr int pip_mode = 0x105F;
constexpr int pip_sub_input = 0x1060;
constexpr int pip_sub_memory = 0x1062;
constexpr int pip_sub_color_vision = 0x1063;
constexpr int lut_mode = 0x1067;
constexpr int lut_use = 0x1069;
constexpr int lut_slot = 0x106B;             // the 3D LUT slot; its maximum is the slot count
constexpr int uniformity_limit = 0x106C;     // above it uniformity correction is reduced
constexpr int contrast_limit = 0x106D;       // below it the contrast ratio is reduced
constexpr int black_level_minimum = 0x106E;  // the lowest black level the panel reaches
constexpr int luminance_minimum = 0x106F;    // the lowest allowed luminance
constexpr int reset_mode = 0x1070;
constexpr int reset_gamut = 0x1071;

// Values with a fixed meaning.
constexpr int switch_on = 2;  // metamerism, response improve
constexpr int switch_off = 1;
// Written with every picture-mode switch and before the first adjustment of a memory.
constexpr int prepare_254_value = 0;
constexpr int prepare_233_value = 1;
constexpr int prepare_105d_value = 31;
constexpr int color_preset_first_user = 11;
constexpr int gamma_type_one = 1;
constexpr int gamma_type_dicom = 5;
constexpr int gamma_type_programmable = 6;  // the monitor takes the uploaded tables
constexpr int gamma_type_value = 9;         // a power curve of gamma_value
constexpr int gamma_type_srgb = 11;
constexpr int gamma_type_lstar = 12;
constexpr int input_displayport = 0x0F;
constexpr int input_0x10 = 0x10;
// While the LUT mode is 3 the monitor's tables and colour values are open: the 1D tables are
// read, emulation colours and the 3D table written. 1 puts the picture back on them.
constexpr int lut_mode_access = 3;
constexpr int lut_mode_normal = 1;
constexpr int lut_use_custom = 1;  // a full-custom or display-emulation mode was made
constexpr int lut_use_3d = 2;      // after a 3D LUT upload

}  // namespace monitor_feature

// The picture modes (values of monitor_feature::preset).
namespace monitor_preset {

enum PictureMode : int {
    kSrgb = 1,
    kAdobeRgb = 2,
    kDci = 3,
    kRec709 = 4,
    kHighBright = 5,
    kFull = 6,
    kDicom = 7,
    kFirstProgrammable = 8,  // Programmable 1; slot s is mode 7 + s
    kLastProgrammable = 12,
    kEciRgb = 13,
};
constexpr int kSlotCount = 5;
constexpr int programmable_mode(int slot) {
    return kFirstProgrammable - 1 + slot;
}

}  // namespace monitor_preset
