#include "comm/edid_record.h"

#include <algorithm>
#include <cstdio>

const std::array<CEdidTimingSize, kEstablishedTimingCount> kEstablishedTimings = {{
    {720, 400, 70},
    {720, 400, 88},
    {640, 480, 60},
    {640, 480, 67},
    {640, 480, 72},
    {640, 480, 75},
    {800, 600, 56},
    {800, 600, 60},
    {800, 600, 72},
    {800, 600, 75},
    {832, 624, 75},
    {1024, 768, 87},  // interlaced
    {1024, 768, 60},
    {1024, 768, 70},
    {1024, 768, 75},
    {1280, 1024, 75},
    {1152, 870, 75},
}};

namespace {

constexpr std::uint8_t kHeader[8] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
constexpr int kDescriptorSize = 18;
constexpr int kBaseDescriptorOffsets[4] = {54, 72, 90, 108};
constexpr std::uint8_t kCeaExtensionTag = 0x02;
// Detailed timings of a CEA block start no later than this; the rest holds padding and checksum.
constexpr int kCeaDescriptorLimit = 236;

bool block_sums_to_zero(const std::uint8_t* block) {
    unsigned sum = 0;
    for (int i = 0; i < CEdidRecord::kBlockSize; ++i)
        sum += block[i];
    return (sum & 0xFF) == 0;
}

// A descriptor text ends at a line feed (or a zero byte) and holds at most 13 characters.
std::string descriptor_text(const std::uint8_t* d) {
    std::string text;
    for (int i = 5; i < kDescriptorSize; ++i) {
        if (d[i] == 0x0A || d[i] == 0x00) break;
        text.push_back(static_cast<char>(d[i]));
    }
    return text;
}

CEdidStandardTiming standard_timing(std::uint8_t first, std::uint8_t second, bool code0_is_16_10) {
    CEdidStandardTiming t;
    t.code0_is_16_10 = code0_is_16_10;
    t.width = first * 8 + 248;
    t.aspect = second >> 6;
    t.refresh = (second & 0x3F) + 60;
    return t;
}

bool standard_timing_used(std::uint8_t first, std::uint8_t second) {
    return !(first == 0x01 && second == 0x01);
}

double ten_bit(std::uint8_t high, std::uint8_t low_bits, int shift) {
    return static_cast<double>((high << 2) | ((low_bits >> shift) & 0x03)) / 1024.0;
}

CEdidDetailedTiming detailed_timing(const std::uint8_t* d) {
    CEdidDetailedTiming t;
    t.pixel_clock_mhz = static_cast<double>(d[0] | (d[1] << 8)) / 100.0;
    t.h_active = d[2] | ((d[4] & 0xF0) << 4);
    t.h_blanking = d[3] | ((d[4] & 0x0F) << 8);
    t.v_active = d[5] | ((d[7] & 0xF0) << 4);
    t.v_blanking = d[6] | ((d[7] & 0x0F) << 8);
    t.h_sync_offset = d[8] | ((d[11] & 0xC0) << 2);
    t.h_sync_width = d[9] | ((d[11] & 0x30) << 4);
    t.v_sync_offset = (d[10] >> 4) | ((d[11] & 0x0C) << 2);
    t.v_sync_width = (d[10] & 0x0F) | ((d[11] & 0x03) << 4);
    t.h_image_mm = d[12] | ((d[14] & 0xF0) << 4);
    t.v_image_mm = d[13] | ((d[14] & 0x0F) << 8);
    t.h_border = d[15];
    t.v_border = d[16];
    t.flags = d[17];
    return t;
}

CEdidRangeLimits range_limits(const std::uint8_t* d) {
    CEdidRangeLimits r;
    r.min_v_hz = d[5];
    r.max_v_hz = d[6];
    r.min_h_khz = d[7];
    r.max_h_khz = d[8];
    r.max_pixel_clock_mhz = d[9] == 0xFF ? 0 : d[9] * 10;
    std::copy(d + 10, d + 18, r.extra.begin());
    return r;
}

CEdidWhitePoint white_point(const std::uint8_t* p) {
    CEdidWhitePoint w;
    w.index = p[0];
    w.x = ten_bit(p[2], p[1], 2);
    w.y = ten_bit(p[3], p[1], 0);
    w.gamma = p[4] == 0xFF ? 0.0 : (p[4] + 100) / 100.0;
    return w;
}

CEdidDescriptor decode_descriptor(const std::uint8_t* d, bool code0_is_16_10) {
    CEdidDescriptor desc;
    std::copy(d, d + kDescriptorSize, desc.bytes.begin());
    if (d[0] != 0 || d[1] != 0) {
        desc.kind = kEdidDetailedTiming;
        desc.timing = detailed_timing(d);
        return desc;
    }
    desc.tag = d[3];
    if (d[2] != 0) return desc;  // neither a timing nor a well-formed display descriptor
    switch (d[3]) {
        case 0xFF:
            desc.kind = kEdidSerialText;
            desc.text = descriptor_text(d);
            break;
        case 0xFE:
            desc.kind = kEdidAsciiText;
            desc.text = descriptor_text(d);
            break;
        case 0xFD:
            desc.kind = kEdidRangeLimits;
            desc.range = range_limits(d);
            break;
        case 0xFC:
            desc.kind = kEdidMonitorName;
            desc.text = descriptor_text(d);
            break;
        case 0xFB:
            desc.kind = kEdidColorPoint;
            desc.white_points[0] = white_point(d + 5);
            desc.white_points[1] = white_point(d + 10);
            break;
        case 0xFA:
            desc.kind = kEdidStandardTimings;
            for (int i = 5; i + 1 < 17; i += 2) {
                if (standard_timing_used(d[i], d[i + 1]))
                    desc.standard_timings.push_back(
                        standard_timing(d[i], d[i + 1], code0_is_16_10));
            }
            break;
        default:
            break;
    }
    return desc;
}

void append_cut(std::string& to, const std::string& text) {
    if (to.size() >= CEdidRecord::kMaxTextLength) return;
    to.append(text, 0, CEdidRecord::kMaxTextLength - to.size());
}

}  // namespace

int CEdidStandardTiming::height() const {
    switch (aspect) {
        case 0:
            return code0_is_16_10 ? width * 10 / 16 : width;
        case 1:
            return width * 3 / 4;
        case 2:
            return width * 4 / 5;
        default:
            return width * 9 / 16;
    }
}

int CEdidRecord::decode(const std::uint8_t* bytes) {
    *this = CEdidRecord{};
    if (!bytes) return -1;
    if (!std::equal(kHeader, kHeader + 8, bytes) || !block_sums_to_zero(bytes)) return -1;
    const bool has_extension = bytes[126] != 0;
    // A declared but never captured extension reads as zeros and sums to 0: accepted.
    if (has_extension && !block_sums_to_zero(bytes + kBlockSize)) return -1;

    decode_fixed_fields(bytes);
    const bool code0_is_16_10 = aspect_code0_is_16_10();
    for (int offset : kBaseDescriptorOffsets)
        descriptors.push_back(decode_descriptor(bytes + offset, code0_is_16_10));

    const std::uint8_t* ext = bytes + kBlockSize;
    if (has_extension && ext[0] == kCeaExtensionTag && ext[2] > 2) {
        for (int start = kBlockSize + ext[2]; start < kCeaDescriptorLimit; start += kDescriptorSize)
            descriptors.push_back(decode_descriptor(bytes + start, code0_is_16_10));
    }
    for (const CEdidDescriptor& d : descriptors) {
        if (d.kind != kEdidRangeLimits) continue;
        has_range_limits = true;
        range_limits = d.range;
    }

    char id[16];
    std::snprintf(id, sizeof id, "%c%c%c%04X", vendor_letters[0], vendor_letters[1],
                  vendor_letters[2], static_cast<unsigned>(product_code));
    id_text = id;
    product_id = (static_cast<std::uint32_t>(bytes[8] + 256 * bytes[9]) << 16) |
                 static_cast<std::uint32_t>(bytes[10] + 256 * bytes[11]);
    derive_texts();
    derive_sizes();
    decoded_ = true;
    return 0;
}

void CEdidRecord::decode_fixed_fields(const std::uint8_t* b) {
    const unsigned vendor = (b[8] << 8) | b[9];
    vendor_letters = {static_cast<char>(((vendor >> 10) & 0x1F) + 0x40),
                      static_cast<char>(((vendor >> 5) & 0x1F) + 0x40),
                      static_cast<char>((vendor & 0x1F) + 0x40)};
    product_code = static_cast<std::uint16_t>(b[10] | (b[11] << 8));
    serial_value = static_cast<std::uint32_t>(b[12]) | (static_cast<std::uint32_t>(b[13]) << 8) |
                   (static_cast<std::uint32_t>(b[14]) << 16) |
                   (static_cast<std::uint32_t>(b[15]) << 24);
    week = b[16];
    year = b[17] + 1990;
    version = b[18];
    revision = b[19];

    input_definition = b[20];
    input_digital = (b[20] & 0x80) != 0;
    if (input_digital) {
        input_dfp_compatible = (b[20] & 0x01) != 0;
    } else {
        analog_signal_level = (b[20] >> 5) & 0x03;
        analog_sync_flags = b[20] & 0x1F;
    }
    max_h_cm = b[21];
    max_v_cm = b[22];
    gamma = (b[23] + 100) / 100.0;

    feature_flags = b[24];
    standby = (b[24] & 0x80) != 0;
    suspend = (b[24] & 0x40) != 0;
    active_off = (b[24] & 0x20) != 0;
    display_type = (b[24] >> 3) & 0x03;
    srgb_default = (b[24] & 0x04) != 0;
    preferred_timing = (b[24] & 0x02) != 0;
    continuous_frequency = (b[24] & 0x01) != 0;

    red_x = ten_bit(b[27], b[25], 6);
    red_y = ten_bit(b[28], b[25], 4);
    green_x = ten_bit(b[29], b[25], 2);
    green_y = ten_bit(b[30], b[25], 0);
    blue_x = ten_bit(b[31], b[26], 6);
    blue_y = ten_bit(b[32], b[26], 4);
    white_x = ten_bit(b[33], b[26], 2);
    white_y = ten_bit(b[34], b[26], 0);

    const std::uint32_t flags = (static_cast<std::uint32_t>(b[35]) << 16) | (b[36] << 8) | b[37];
    for (int i = 0; i < kEstablishedTimingCount; ++i) {
        if (flags & (1u << (23 - i))) established_timings |= 1u << i;
    }
    for (int i = 38; i < 54; i += 2) {
        if (standard_timing_used(b[i], b[i + 1]))
            standard_timings.push_back(standard_timing(b[i], b[i + 1], aspect_code0_is_16_10()));
    }
    extension_count = b[126];
}

void CEdidRecord::derive_texts() {
    bool serial_found = false;
    for (const CEdidDescriptor& d : descriptors) {
        if (d.kind == kEdidSerialText) {
            append_cut(serial_text, d.text);
            serial_found = true;
        } else if (d.kind == kEdidMonitorName) {
            append_cut(name_text, d.text);
        }
    }
    if (!serial_found) serial_text = std::to_string(serial_value);
}

void CEdidRecord::derive_sizes() {
    for (int i = 0; i < kEstablishedTimingCount; ++i) {
        if (!(established_timings & (1u << i))) continue;
        max_width = std::max(max_width, kEstablishedTimings[i].width);
        max_height = std::max(max_height, kEstablishedTimings[i].height);
    }
    for (const CEdidStandardTiming& t : standard_timings) {
        max_width = std::max(max_width, t.width);
        max_height = std::max(max_height, t.height());
    }
    const CEdidDescriptor* first_timing = nullptr;
    for (const CEdidDescriptor& d : descriptors) {
        if (d.kind != kEdidDetailedTiming) continue;
        if (!first_timing) first_timing = &d;
        max_width = std::max(max_width, d.timing.h_active);
        max_height = std::max(max_height, d.timing.v_active);
    }
    if (preferred_timing && first_timing) {
        preferred_width = first_timing->timing.h_active;
        preferred_height = first_timing->timing.v_active;
    }
}
