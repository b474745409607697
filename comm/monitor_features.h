#pragma once

// Feature codes (page * 256 + VCP code) the monitor model gives a rule of its own: a settle
// wait, a fixed value or a place in a read-out.
namespace monitor_feature {

constexpr int restore_color = 0x08;
constexpr int brightness = 0x10;
constexpr int contrast = 0x12;
constexpr int color_preset = 0x14;
constexpr int red_gain = 0x16;
constexpr int green_gain = 0x18;
constexpr int blue_gain = 0x1A;
constexpr int input_source = 0x60;
constexpr int select_e3 = 0xE3;
constexpr int select_fb = 0xFB;
constexpr int operating_hours = 0xFF;  // half hours

constexpr int adjust_237 = 0x237;
constexpr int mode_0268 = 0x268;  // the tone-curve type of the active memory
constexpr int luminance = 0x2B3;
constexpr int feature_2bf = 0x2BF;
constexpr int power_led = 0x2BE;
constexpr int feature_2c2 = 0x2C2;
constexpr int feature_2ca = 0x2CA;
constexpr int gamma_value = 0x2E8;
constexpr int uniformity = 0x2EE;
constexpr int adjust_2f8 = 0x2F8;
constexpr int table_transfer = 0x2F9;  // 256-word transfers into larger tables

constexpr int memory_select = 0x1050;
constexpr int preset = 0x1051;
constexpr int metamerism = 0x105C;
constexpr int lut_mode = 0x1067;
constexpr int lut_use = 0x1069;
constexpr int lut_slot = 0x106B;

// Values with a fixed meaning.
constexpr int mode_0268_programmable = 6;  // the monitor takes the uploaded tables
constexpr int mode_0268_one = 1;
constexpr int input_displayport = 0x0F;
constexpr int input_0x10 = 0x10;
constexpr int lut_mode_reading = 3;
constexpr int lut_mode_normal = 1;

}  // namespace monitor_feature
