#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// What a monitor says about itself in its capability string: a sequence of keyword(content)
// groups, among them the supported feature codes with their allowed values and the maker's own
// keywords (paged feature groups, the C2 command list, gamma table, EEPROM size, colour
// temperature offset, firmware version). A plain value object, one per monitor; pure parsing,
// no I/O.
//
// Feature codes are full codes everywhere: page * 256 + VCP code.
class CCapabilityRecord {
  public:
    static constexpr std::size_t kMaxValues = 255;
    static constexpr std::size_t kMaxTextLength = 255;

    enum DisplayType : std::int32_t { kDisplayNone = 0, kDisplayCrt = 1, kDisplayLcd = 2 };

    // Resets the record and parses `text`, which ends at its first zero byte. Returns 0 when a
    // vcp( group was found, -1 otherwise; the other groups are filled in either case.
    int parse(std::string_view text);
    // Empties all lists and texts and zeroes all numbers.
    void reset();

    int is_parsed() const { return parsed; }
    // Whether `code` carries a value list (the first list given for it counts).
    bool has_value_list(std::int32_t code) const;
    // Number of values in the list of `code`; 0 without a list.
    int value_count(std::int32_t code) const;
    // The values of `code` in the order listed; empty without a list.
    std::span<const std::int32_t> values(std::int32_t code) const;
    bool allows_value(std::int32_t code, std::int32_t value) const;
    // Whether `code` appears in the feature code list.
    bool lists_code(std::int32_t code) const;

    std::int32_t parsed = 0;

    // vcp( and every vcp_pXX( group, in order of appearance; value_table[i] holds the values of
    // value_codes[i] (at most kMaxValues each).
    std::vector<std::int32_t> vcp_codes;
    std::vector<std::int32_t> value_codes;
    std::vector<std::vector<std::int32_t>> value_table;

    // The cmds_c2( group, laid out the same way.
    std::vector<std::int32_t> cmds_c2_codes;
    std::vector<std::int32_t> cmds_c2_value_codes;
    std::vector<std::vector<std::int32_t>> cmds_c2_value_table;

    std::int32_t display_type = kDisplayNone;
    std::string type;      // content of type( as written, at most kMaxTextLength characters
    std::string mccs_ver;  // likewise
    std::string mpu_ver;   // the firmware version, likewise
    std::int32_t asset_eep = 0;
    std::int32_t c_tmp_ofst = 0;

    // gamma_table(: sizes and word addresses of the red, green and blue tables in the monitor.
    std::int32_t has_gamma_table = 0;
    std::int32_t size = 0;
    std::int32_t r_ofs = 0;
    std::int32_t g_ofs = 0;
    std::int32_t b_ofs = 0;

  private:
    int value_index(std::int32_t code) const;
};
