#include <gtest/gtest.h>

#include "comm/edid_builder.h"
#include "comm/edid_record.h"

namespace {

using namespace edid_test;

CEdidRecord decoded(const Bytes& bytes, int expected_result = 0) {
    CEdidRecord r;
    EXPECT_EQ(r.decode(bytes.data()), expected_result);
    return r;
}

TEST(EdidAcceptance, HeaderAndChecksumsDecide) {
    struct Case {
        const char* what;
        void (*mutate)(Bytes&);
        int result;
    };
    const Case cases[] = {
        {"valid base block", [](Bytes&) {}, 0},
        {"header byte 7 wrong", [](Bytes& b) { b[7] = 0x01; }, -1},
        {"base checksum off", [](Bytes& b) { b[127] ^= 1; }, -1},
        {"extension checksum off",
         [](Bytes& b) {
             b[126] = 1;
             b = sealed(b);
             b[200] = 7;
         },
         -1},
        {"garbage extension without extension count", [](Bytes& b) { b[200] = 7; }, 0},
        {"missing extension block reads as zeros",
         [](Bytes& b) {
             b[126] = 1;
             seal_block(b, 0);
         },
         0},
    };
    for (const Case& c : cases) {
        Bytes b = sealed(base_block());
        c.mutate(b);
        CEdidRecord r;
        EXPECT_EQ(r.decode(b.data()), c.result) << c.what;
        EXPECT_EQ(r.valid(), c.result == 0) << c.what;
    }
}

TEST(EdidAcceptance, RejectionLeavesAZeroedRecord) {
    Bytes b = base_block();
    put_vendor(b, "KST");
    b[12] = 9;
    b[23] = 120;
    b[35] = 0xFF;
    put(b, kSlots[1], text_descriptor(0xFC, "KX271W"));
    CEdidRecord r = decoded(sealed(b));
    ASSERT_EQ(r.name_text, "KX271W");
    b[0] = 0x01;
    EXPECT_EQ(r.decode(sealed(b).data()), -1);
    EXPECT_EQ(r.vendor_letters, (std::array<char, 3>{}));
    EXPECT_TRUE(r.serial_text.empty() && r.name_text.empty() && r.id_text.empty());
    EXPECT_TRUE(r.descriptors.empty() && r.standard_timings.empty());
    EXPECT_EQ(r.gamma, 0.0);
    EXPECT_EQ(r.max_width + r.max_height + r.version + r.year, 0);
    EXPECT_EQ(r.product_id, 0u);
}

TEST(EdidFields, IdentificationTexts) {
    Bytes b = base_block();
    b[8] = 0x04;  // A, B, C in three 5-bit groups
    b[9] = 0x43;
    b[10] = 0x34;
    b[11] = 0x12;
    b[12] = 0x78;
    b[13] = 0x56;
    b[14] = 0x34;
    b[15] = 0x12;
    b[16] = 48;
    b[17] = 33;
    CEdidRecord r = decoded(sealed(b));
    EXPECT_EQ(std::string(r.vendor_letters.data(), 3), "ABC");
    EXPECT_EQ(r.product_code, 0x1234);
    EXPECT_EQ(r.id_text, "ABC1234");
    EXPECT_EQ(r.product_id, ((0x04u + 256u * 0x43u) << 16) | (0x34u + 256u * 0x12u));
    EXPECT_EQ(r.serial_value, 0x12345678u);
    EXPECT_EQ(r.serial_text, std::to_string(0x12345678u));  // no serial descriptor
    EXPECT_EQ(r.week, 48);
    EXPECT_EQ(r.year, 1990 + 33);

    put_vendor(b, "KST");
    EXPECT_EQ(std::string(decoded(sealed(b)).vendor_letters.data(), 3), "KST");
}

TEST(EdidFields, InputFeaturesGammaAndChromaticities) {
    Bytes b = base_block();
    b[20] = 0x80 | 0x01;
    b[21] = 60;
    b[22] = 34;
    b[23] = 120;
    b[24] = 0x80 | 0x20 | (2 << 3) | 0x04 | 0x01;
    // Ten-bit chromaticities, spread over the high bytes 27..34 and the low bit pairs 25..26.
    const int ten_bit[8] = {655, 338, 307, 614, 154, 61, 320, 337};
    for (int i = 0; i < 8; ++i) {
        b[27 + i] = static_cast<std::uint8_t>(ten_bit[i] >> 2);
        b[25 + i / 4] |= static_cast<std::uint8_t>((ten_bit[i] & 3) << (6 - 2 * (i % 4)));
    }
    CEdidRecord r = decoded(sealed(b));
    EXPECT_TRUE(r.digital_input());
    EXPECT_TRUE(r.input_dfp_compatible);
    EXPECT_EQ(r.max_h_cm, 60);
    EXPECT_EQ(r.max_v_cm, 34);
    EXPECT_DOUBLE_EQ(r.gamma, 2.2);
    EXPECT_TRUE(r.standby && !r.suspend && r.active_off && r.srgb_default);
    EXPECT_TRUE(!r.preferred_timing && r.continuous_frequency);
    EXPECT_EQ(r.display_type, 2);
    const double got[8] = {r.red_x,  r.red_y,  r.green_x, r.green_y,
                           r.blue_x, r.blue_y, r.white_x, r.white_y};
    for (int i = 0; i < 8; ++i)
        EXPECT_DOUBLE_EQ(got[i], ten_bit[i] / 1024.0) << i;

    b[20] = 0x40 | 0x10 | 0x02;  // analog, signal level 2, separate sync and sync on green
    b[23] = 0xFF;
    r = decoded(sealed(b));
    EXPECT_FALSE(r.digital_input());
    EXPECT_EQ(r.analog_signal_level, 2);
    EXPECT_EQ(r.analog_sync_flags, 0x12);
    EXPECT_DOUBLE_EQ(r.gamma, 3.55);
}

TEST(EdidTexts, SerialAndNameDescriptors) {
    Bytes b = base_block();
    b[12] = 0x01;
    put(b, kSlots[0], text_descriptor(0xFF, "ABC123"));
    CEdidRecord r = decoded(sealed(b));
    EXPECT_EQ(r.serial_text, "ABC123");  // line feed and padding spaces dropped
    EXPECT_EQ(r.descriptors[0].kind, kEdidSerialText);

    put(b, kSlots[0], text_descriptor(0x10, ""));
    EXPECT_EQ(decoded(sealed(b)).serial_text, "1");  // from bytes 12..15

    // Thirteen characters leave no room for a line feed; names split over two descriptors join.
    put(b, kSlots[1], text_descriptor(0xFF, "0123456789ABC"));
    put(b, kSlots[2], text_descriptor(0xFC, "Wide Monitor "));
    put(b, kSlots[3], text_descriptor(0xFC, "Pro"));
    r = decoded(sealed(b));
    EXPECT_EQ(r.serial_text, "0123456789ABC");
    EXPECT_EQ(r.name_text, "Wide Monitor Pro");
}

TEST(EdidTexts, JoinedTextsStopAt127Characters) {
    Bytes b = base_block();
    b[126] = 1;
    b[128] = 0x02;
    b[130] = 4;  // six descriptors fit before byte 236
    const std::string_view parts[] = {"AAAAAAAAAAAAA", "BBBBBBBBBBBBB"};
    for (int i = 0; i < 4; ++i)
        put(b, kSlots[i], text_descriptor(0xFF, parts[i % 2]));
    for (int start = 132; start < 236; start += 18)
        put(b, start, text_descriptor(0xFF, parts[0]));
    CEdidRecord r = decoded(sealed(b));
    ASSERT_EQ(r.descriptors.size(), 10u);
    EXPECT_EQ(r.serial_text.size(), 127u);
    EXPECT_EQ(r.serial_text.substr(13, 13), parts[1]);
}

TEST(EdidDescriptors, EveryKindIsRecognisedAndUnpacked) {
    const Timing t{15400, 1920, 160, 1200, 35, 0x2AB, 0x1CD, 0x2E, 0x35, 518, 324, 2, 3, 0x1A};
    Bytes b = base_block();
    b[24] = 0x02;
    put(b, kSlots[0], timing_descriptor(t));
    put(b, kSlots[1], display_descriptor(0xFD, {48, 75, 30, 94, 0xFF, 0x00, 0x0A, 0x20}));
    // Color point: index 1 (x 320, y 337, gamma 2.2), index 2 (x 1023, y 0, gamma open).
    put(b, kSlots[2], display_descriptor(0xFB, {1, 0x01, 80, 84, 120, 2, 0x0C, 255, 0, 0xFF}));
    put(b, kSlots[3],
        display_descriptor(
            0xFA, {0xD1, 0xC0, 0x01, 0x01, 0x81, 0x40, 0x01, 0x4F, 0x01, 0x01, 0x01, 0x01, 0x0A}));
    CEdidRecord r = decoded(sealed(b));
    ASSERT_EQ(r.descriptors.size(), 4u);

    const CEdidDetailedTiming& got = r.descriptors[0].timing;
    EXPECT_EQ(r.descriptors[0].kind, kEdidDetailedTiming);
    EXPECT_DOUBLE_EQ(got.pixel_clock_mhz, 154.0);
    const int unpacked[] = {
        got.h_active,     got.h_blanking,    got.v_active,     got.v_blanking, got.h_sync_offset,
        got.h_sync_width, got.v_sync_offset, got.v_sync_width, got.h_image_mm, got.v_image_mm,
        got.h_border,     got.v_border,      got.flags};
    const int expected[] = {t.h_active, t.h_blank,  t.v_active, t.v_blank, t.h_off,
                            t.h_width,  t.v_off,    t.v_width,  t.h_mm,    t.v_mm,
                            t.h_border, t.v_border, t.flags};
    for (int i = 0; i < 13; ++i)
        EXPECT_EQ(unpacked[i], expected[i]) << "timing field " << i;
    EXPECT_EQ(r.preferred_width, 1920);
    EXPECT_EQ(r.preferred_height, 1200);

    EXPECT_EQ(r.descriptors[1].kind, kEdidRangeLimits);
    ASSERT_TRUE(r.has_range_limits);
    EXPECT_EQ(r.range_limits.min_v_hz, 48);
    EXPECT_EQ(r.range_limits.max_v_hz, 75);
    EXPECT_EQ(r.range_limits.min_h_khz, 30);
    EXPECT_EQ(r.range_limits.max_h_khz, 94);
    EXPECT_EQ(r.range_limits.max_pixel_clock_mhz, 0);  // 0xFF: not given
    EXPECT_EQ(r.range_limits.extra[1], 0x0A);

    EXPECT_EQ(r.descriptors[2].kind, kEdidColorPoint);
    const auto& wp = r.descriptors[2].white_points;
    EXPECT_EQ(wp[0].index, 1);
    EXPECT_DOUBLE_EQ(wp[0].x, 320 / 1024.0);
    EXPECT_DOUBLE_EQ(wp[0].y, 337 / 1024.0);
    EXPECT_DOUBLE_EQ(wp[0].gamma, 2.2);
    EXPECT_EQ(wp[1].index, 2);
    EXPECT_DOUBLE_EQ(wp[1].x, 1023 / 1024.0);
    EXPECT_EQ(wp[1].gamma, 0.0);

    EXPECT_EQ(r.descriptors[3].kind, kEdidStandardTimings);
    ASSERT_EQ(r.descriptors[3].standard_timings.size(), 3u);  // only 01 01 is empty
    EXPECT_EQ(r.descriptors[3].standard_timings[2].width, 0x01 * 8 + 248);
    EXPECT_EQ(r.descriptors[3].standard_timings[0].width, 0xD1 * 8 + 248);
    EXPECT_EQ(r.descriptors[3].standard_timings[0].aspect, 3);
    EXPECT_EQ(r.descriptors[3].standard_timings[1].refresh, 60);

    put(b, kSlots[1], text_descriptor(0xFE, "Panel 13.3"));
    put(b, kSlots[2], display_descriptor(0xF7, {0x0A}));
    put(b, kSlots[3], text_descriptor(0xFC, "KX241W"));
    b[kSlots[3] + 2] = 0x01;  // not a display descriptor any more, nor a timing
    r = decoded(sealed(b));
    EXPECT_EQ(r.descriptors[1].kind, kEdidAsciiText);
    EXPECT_EQ(r.descriptors[1].text, "Panel 13.3");
    EXPECT_EQ(r.descriptors[2].kind, kEdidOtherDescriptor);
    EXPECT_EQ(r.descriptors[2].tag, 0xF7);
    EXPECT_EQ(r.descriptors[3].kind, kEdidOtherDescriptor);
    EXPECT_TRUE(r.name_text.empty());
}

TEST(EdidSizes, LargestResolutionFromEveryTimingSource) {
    Bytes b = base_block();
    b[35] = 0x20;  // 640 x 480 at 60 Hz
    EXPECT_EQ(decoded(sealed(b)).max_width, 640);
    b[37] = 0x80;  // 1152 x 870 at 75 Hz
    CEdidRecord r = decoded(sealed(b));
    EXPECT_EQ(r.max_width, 1152);
    EXPECT_EQ(r.max_height, 870);
    EXPECT_EQ(r.established_timings, (1u << 2) | (1u << 16));

    // Heights by aspect code, one entry at a time: code 0 is 1:1 before EDID 1.3 and 16:10
    // from 1.3 on, in the base block and in a standard-timing descriptor alike.
    struct Revision {
        int revision;
        int heights[4];
    };
    for (const Revision& rev :
         {Revision{2, {1280, 960, 1024, 720}}, Revision{3, {800, 960, 1024, 720}},
          Revision{4, {800, 960, 1024, 720}}}) {
        for (int aspect = 0; aspect < 4; ++aspect) {
            Bytes s = base_block();
            s[19] = static_cast<std::uint8_t>(rev.revision);
            s[38] = (1280 - 248) / 8;
            s[39] = static_cast<std::uint8_t>((aspect << 6) | 15);
            r = decoded(sealed(s));
            ASSERT_EQ(r.standard_timings.size(), 1u);
            EXPECT_EQ(r.standard_timings[0].refresh, 75);
            EXPECT_EQ(r.max_height, rev.heights[aspect]) << rev.revision << " " << aspect;

            Bytes d = base_block();
            d[19] = static_cast<std::uint8_t>(rev.revision);
            d[kSlots[3] + 3] = 0xFA;
            d[kSlots[3] + 5] = (1280 - 248) / 8;
            d[kSlots[3] + 6] = static_cast<std::uint8_t>(aspect << 6);
            for (int i = kSlots[3] + 7; i < kSlots[3] + 17; ++i)
                d[static_cast<std::size_t>(i)] = 0x01;
            r = decoded(sealed(d));
            ASSERT_EQ(r.descriptors[3].standard_timings.size(), 1u);
            EXPECT_EQ(r.descriptors[3].standard_timings[0].height(), rev.heights[aspect])
                << rev.revision << " " << aspect;
        }
    }
    // Width and height are maximised separately: 1920 x 1080 and 1600 x 1200 give 1920 x 1200.
    b[40] = (1920 - 248) / 8;
    b[41] = 0xC0;
    b[42] = (1600 - 248) / 8;
    b[43] = 0x40;
    r = decoded(sealed(b));
    EXPECT_EQ(r.max_width, 1920);
    EXPECT_EQ(r.max_height, 1200);
    EXPECT_EQ(r.preferred_width, 0);  // no detailed timing

    put(b, kSlots[2],
        timing_descriptor({24150, 2560, 160, 1440, 41, 48, 32, 3, 5, 597, 336, 0, 0, 0x1A}));
    r = decoded(sealed(b));
    EXPECT_EQ(r.max_width, 2560);
    EXPECT_EQ(r.max_height, 1440);
    EXPECT_EQ(r.preferred_width, 0);  // the preferred-timing bit is clear
}

TEST(EdidCea, DetailedTimingsOfTheExtensionAreDecodedWithinTheBlock) {
    const Timing big{59400, 3840, 560, 2160, 90, 176, 88, 8, 10, 700, 390, 0, 0, 0x1E};
    Bytes b = base_block();
    b[24] = 0x02;
    put(b, kSlots[0],
        timing_descriptor({14850, 1920, 280, 1080, 45, 88, 44, 4, 5, 600, 340, 0, 0, 0x1E}));
    b[126] = 1;
    b[128] = 0x02;
    b[130] = 4;
    put(b, 132, timing_descriptor(big));
    CEdidRecord r = decoded(sealed(b));
    ASSERT_EQ(r.descriptors.size(), 4u + 6u);  // starts 132, 150, ..., 222
    EXPECT_EQ(r.descriptors[4].kind, kEdidDetailedTiming);
    EXPECT_EQ(r.descriptors[5].kind, kEdidOtherDescriptor);  // zero padding
    EXPECT_EQ(r.max_width, 3840);
    EXPECT_EQ(r.max_height, 2160);
    EXPECT_EQ(r.preferred_width, 1920);  // the first detailed timing, from the base block

    struct Variant {
        std::uint8_t tag, offset;
        std::size_t descriptors;
    };
    for (const Variant v : {Variant{0x02, 2, 4}, Variant{0x02, 107, 5}, Variant{0x02, 108, 4},
                            Variant{0x02, 255, 4}, Variant{0x70, 4, 4}}) {
        b[128] = v.tag;
        b[130] = v.offset;
        EXPECT_EQ(decoded(sealed(b)).descriptors.size(), v.descriptors) << int(v.offset);
    }
}

}  // namespace
