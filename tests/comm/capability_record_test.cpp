#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "comm/capability_record.h"

namespace {

using Codes = std::vector<std::int32_t>;
using namespace std::string_view_literals;

Codes values_of(const CCapabilityRecord& r, std::int32_t code) {
    const auto v = r.values(code);
    return Codes(v.begin(), v.end());
}

void expect_empty(const CCapabilityRecord& r) {
    EXPECT_EQ(r.is_parsed(), 0);
    EXPECT_TRUE(r.vcp_codes.empty() && r.value_codes.empty() && r.value_table.empty());
    EXPECT_TRUE(r.cmds_c2_codes.empty() && r.cmds_c2_value_codes.empty());
    EXPECT_TRUE(r.type.empty() && r.mccs_ver.empty() && r.mpu_ver.empty());
    EXPECT_EQ(r.display_type + r.asset_eep + r.c_tmp_ofst + r.has_gamma_table, 0);
    EXPECT_EQ(r.size + r.r_ofs + r.g_ofs + r.b_ofs, 0);
}

TEST(CapabilityCodes, CodesValueListsAndPagePrefix) {
    CCapabilityRecord r;
    ASSERT_EQ(r.parse("vcp(02 04 10 14(05 06 08) 60(0F 11) page2(50(01 02)))"), 0);
    EXPECT_EQ(r.is_parsed(), 1);
    EXPECT_EQ(r.vcp_codes, (Codes{0x02, 0x04, 0x10, 0x14, 0x60, 0x250}));
    EXPECT_EQ(r.value_codes, (Codes{0x14, 0x60, 0x250}));
    EXPECT_EQ(values_of(r, 0x14), (Codes{0x05, 0x06, 0x08}));
    EXPECT_EQ(values_of(r, 0x60), (Codes{0x0F, 0x11}));
    EXPECT_EQ(values_of(r, 0x250), (Codes{0x01, 0x02}));
    EXPECT_FALSE(r.has_value_list(0x50));  // codes in queries are full codes
    EXPECT_EQ(r.value_count(0x10), 0);
    EXPECT_TRUE(r.values(0x10).empty());
}

TEST(CapabilityCodes, PagedGroupsFollowInPageOrder) {
    CCapabilityRecord r;
    ASSERT_EQ(
        r.parse("vcp_p10(50 51(01 02 03))vcp(10 12)vcp_p02(B3 B4(00 01))vcp_p1a(77)vcp_p10(52)"),
        0);
    EXPECT_EQ(r.vcp_codes, (Codes{0x10, 0x12, 0x2B3, 0x2B4, 0x1050, 0x1051}));
    EXPECT_EQ(r.value_codes, (Codes{0x2B4, 0x1051}));
    EXPECT_TRUE(r.allows_value(0x1051, 2));
    EXPECT_FALSE(r.allows_value(0x1051, 4));
    EXPECT_FALSE(r.allows_value(0x51, 2));
    EXPECT_EQ(r.value_count(0x1051), 3);
    // Only the first group of a page counts; lower-case page digits form no keyword.
    EXPECT_TRUE(r.lists_code(0x1050) && !r.lists_code(0x1052) && !r.lists_code(0x1A77));
}

TEST(CapabilityCodes, ScanningRulesOnUnusualLists) {
    struct Case {
        std::string_view text;
        Codes codes, value_codes;
    };
    const Case cases[] = {
        {"vcp(10 12) vcp(14)", {0x10, 0x12}, {}},  // first group only
        {"vcp(2 4 A)", {0x02, 0x04, 0x0A}, {}},    // one-digit codes and values
        {"vcp(14(5 6 8)60(F)7)", {0x14, 0x60, 0x07}, {0x14, 0x60}},
        {"vcp(123 4567)", {0x12, 0x03, 0x45, 0x67}, {}},
        {"vcp(10 page1(20) 30)", {0x10, 0x120, 0x130}, {}},  // the page stays in force
        // A page number is decimal unless 0x or a leading 0 says otherwise; a longer one is
        // consumed with its parenthesis.
        {"vcp(10 page10(50(01)) page0x3(40) page011(41))", {0x10, 0xA50, 0x340, 0x941}, {0xA50}},
        {"vcp(10 14()(01) xy 20)", {0x10, 0x14, 0x20}, {0x14, 0x14}},
        {"vcp((01) 10)", {0x10}, {}},                     // a list before any code has no owner
        {"vcp(10\t\t20\r\n)", {0x10, 0x20}, {}},          // any white space separates, once
        {"vcp(10 11)\0vcp_p10(50)"sv, {0x10, 0x11}, {}},  // the text ends at a zero byte
    };
    for (const Case& c : cases) {
        CCapabilityRecord r;
        EXPECT_EQ(r.parse(c.text), 0) << c.text;
        EXPECT_EQ(r.vcp_codes, c.codes) << c.text;
        EXPECT_EQ(r.value_codes, c.value_codes) << c.text;
    }
}

TEST(CapabilityCodes, ValueListsStopAt255Values) {
    std::string text = "vcp(14(";
    for (int i = 0; i < 300; ++i)
        text += std::to_string(i % 10) + "0 ";
    CCapabilityRecord r;
    ASSERT_EQ(r.parse(text + "))"), 0);
    ASSERT_EQ(r.value_count(0x14), 255);
    for (int i = 0; i < 255; ++i)
        EXPECT_EQ(r.values(0x14)[i], (i % 10) * 16);
}

TEST(CapabilityGroups, TypeGivesTheDisplayType) {
    const std::pair<const char*, std::int32_t> cases[] = {
        {"lcd", 2}, {"LCD", 2},    {"LCD ", 0},   {"Lcd", 0},  {"CRT", 1},
        {"crt", 1}, {"CRT_AG", 1}, {"crt_ag", 1}, {"CRT_", 0}, {"", 0},
    };
    for (const auto& [content, type] : cases) {
        CCapabilityRecord r;
        EXPECT_EQ(r.parse(std::string("(type(") + content + ")vcp(10))"), 0);
        EXPECT_EQ(r.display_type, type) << '"' << content << '"';
        EXPECT_EQ(r.type, content);
    }
}

TEST(CapabilityGroups, MakerKeywords) {
    CCapabilityRecord r;
    ASSERT_EQ(r.parse("(vcp(10)mccs_ver(2.(1))mpu_ver(1.02)c_tmp_ofst(1F)cmds_c2(0A 24(01 02))"
                      "gamma_table(size(300) r_ofs(0) g_ofs(100) b_ofs(200))asset_eep(64))"),
              0);
    EXPECT_EQ(r.mccs_ver, "2.(1)");  // nested parentheses stay in the content
    EXPECT_EQ(r.mpu_ver, "1.02");
    EXPECT_EQ(r.c_tmp_ofst, 0x1F);
    EXPECT_EQ(r.cmds_c2_codes, (Codes{0x0A, 0x24}));
    EXPECT_EQ(r.cmds_c2_value_codes, (Codes{0x24}));
    EXPECT_EQ(r.cmds_c2_value_table, (std::vector<Codes>{{0x01, 0x02}}));
    EXPECT_EQ(r.vcp_codes, (Codes{0x10}));
    EXPECT_EQ(r.has_gamma_table, 1);
    EXPECT_EQ(r.size, 768);
    EXPECT_EQ(r.r_ofs, 0);
    EXPECT_EQ(r.g_ofs, 256);
    EXPECT_EQ(r.b_ofs, 512);
    EXPECT_EQ(r.asset_eep, 64);

    // The EEPROM size is written in decimal and read as hexadecimal: 64 and 32 are mapped back.
    const std::pair<const char*, std::int32_t> eeprom[] = {
        {"64", 64}, {"32", 32}, {"80", 128}, {"x", 0}};
    for (const auto& [content, size] : eeprom) {
        r.parse(std::string("asset_eep(") + content + ")");
        EXPECT_EQ(r.asset_eep, size) << content;
    }
    r.parse("gamma_table(size(300) r_ofs(10))");
    EXPECT_EQ(r.has_gamma_table, 1);
    EXPECT_EQ(r.size, 768);
    EXPECT_EQ(r.r_ofs, 16);
    EXPECT_EQ(r.g_ofs + r.b_ofs, 0);  // numbers the content lacks stay 0
}

TEST(CapabilityGroups, TextsStopAt255Characters) {
    CCapabilityRecord r;
    r.parse("type(" + std::string(300, 'L') + ")mpu_ver(" + std::string(256, '9') + ")");
    EXPECT_EQ(r.type, std::string(255, 'L'));
    EXPECT_EQ(r.mpu_ver, std::string(255, '9'));
    EXPECT_EQ(r.display_type, 0);
}

TEST(CapabilityRecord, FailuresAndResets) {
    CCapabilityRecord r;
    for (const char* text : {"", "no parentheses vcp 10 12", "vcp(10 12(01 02)", "vcp)10("}) {
        EXPECT_EQ(r.parse(text), -1) << text;
        expect_empty(r);
    }
    // Without a vcp( group the other groups are still read.
    EXPECT_EQ(r.parse("type(lcd)vcp_p10(50)mpu_ver(2.0)"), -1);
    EXPECT_EQ(r.is_parsed(), 0);
    EXPECT_EQ(r.display_type, 2);
    EXPECT_EQ(r.vcp_codes, (Codes{0x1050}));
    EXPECT_EQ(r.mpu_ver, "2.0");

    ASSERT_EQ(r.parse("vcp(10 14(01))gamma_table(size(10))asset_eep(80)"), 0);
    r.parse("vcp(20)");  // every parse starts from an empty record
    EXPECT_EQ(r.vcp_codes, (Codes{0x20}));
    EXPECT_FALSE(r.has_value_list(0x14));
    EXPECT_EQ(r.asset_eep + r.size + r.has_gamma_table, 0);
    r.reset();
    expect_empty(r);
}

}  // namespace

// A value list may itself hold lists (monitors describe sub-options of a value that way): such a
// list belongs to the value before it, and the outer list goes on after it.
TEST(CapabilityCodes, ListsNestedInValueListsAreSkipped) {
    CCapabilityRecord r;
    ASSERT_EQ(r.parse("vcp(02 10 DC (00 (00 10 20) 01 02 03) 60(0F 11) "
                      "E8(00 ( 01 02 03 ) 01 04 80 86) F0)"),
              0);
    EXPECT_EQ(r.vcp_codes, (Codes{0x02, 0x10, 0xDC, 0x60, 0xE8, 0xF0}));
    EXPECT_EQ(r.value_codes, (Codes{0xDC, 0x60, 0xE8}));
    EXPECT_EQ(values_of(r, 0xDC), (Codes{0x00, 0x01, 0x02, 0x03}));
    EXPECT_EQ(values_of(r, 0x60), (Codes{0x0F, 0x11}));
    EXPECT_EQ(values_of(r, 0xE8), (Codes{0x00, 0x01, 0x04, 0x80, 0x86}));
    EXPECT_FALSE(r.lists_code(0x04) || r.lists_code(0x80) || r.lists_code(0x86));

    // Two levels deep, in a paged group and in the maker command list alike.
    ASSERT_EQ(r.parse("vcp(14(05 (01 (02 03) 04) 06) 16) vcp_p10(50(01 (02 (03)) 05) 51) "
                      "cmds_c2(0A(01 (7F (7E)) 02) 0B)"),
              0);
    EXPECT_EQ(r.vcp_codes, (Codes{0x14, 0x16, 0x1050, 0x1051}));
    EXPECT_EQ(values_of(r, 0x14), (Codes{0x05, 0x06}));
    EXPECT_EQ(values_of(r, 0x1050), (Codes{0x01, 0x05}));
    EXPECT_EQ(r.cmds_c2_codes, (Codes{0x0A, 0x0B}));
    EXPECT_EQ(r.cmds_c2_value_codes, (Codes{0x0A}));
    ASSERT_EQ(r.cmds_c2_value_table.size(), 1u);
    EXPECT_EQ(r.cmds_c2_value_table[0], (std::vector<std::int32_t>{0x01, 0x02}));

    // White space around a nested list changes nothing.
    ASSERT_EQ(r.parse("vcp(14(05 (01 02) 16 ) 18) mccs_ver(2.2)"), 0);
    EXPECT_EQ(values_of(r, 0x14), (Codes{0x05, 0x16}));
    EXPECT_EQ(r.vcp_codes, (Codes{0x14, 0x18}));
    EXPECT_EQ(r.mccs_ver, "2.2");
}
