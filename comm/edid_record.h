#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// The decoded EDID of one monitor: a plain value object filled by decode() from the 256 bytes of
// the base block and the first extension block (the second block zero when the monitor has
// none). Pure: no I/O, no toolkit; the same record serves the EDID read over DDC and the one the
// operating system keeps.

// Sizes of the VESA list behind the 17 established-timing flags of bytes 35..37, in flag
// order (byte 35 bit 7 first, byte 37 bit 7 last).
struct CEdidTimingSize {
    int width;
    int height;
    int refresh;
};
inline constexpr int kEstablishedTimingCount = 17;
extern const std::array<CEdidTimingSize, kEstablishedTimingCount> kEstablishedTimings;

struct CEdidStandardTiming {
    int width = 0;
    int aspect =
        0;  // bits 7..6 of the second byte: 0 1:1 (16:10 from EDID 1.3), 1 4:3, 2 5:4, 3 16:9
    int refresh = 0;
    // EDID 1.3 redefined aspect code 0 from 1:1 to 16:10; monitors since then mean 16:10.
    bool code0_is_16_10 = false;
    // Height implied by the aspect code (integer arithmetic).
    int height() const;
};

// An 18-byte detailed timing, unpacked as the VESA layout gives it.
struct CEdidDetailedTiming {
    double pixel_clock_mhz = 0.0;
    int h_active = 0;
    int h_blanking = 0;
    int v_active = 0;
    int v_blanking = 0;
    int h_sync_offset = 0;
    int h_sync_width = 0;
    int v_sync_offset = 0;
    int v_sync_width = 0;
    int h_image_mm = 0;
    int v_image_mm = 0;
    int h_border = 0;
    int v_border = 0;
    std::uint8_t flags = 0;
};

struct CEdidRangeLimits {
    int min_v_hz = 0;
    int max_v_hz = 0;
    int min_h_khz = 0;
    int max_h_khz = 0;
    int max_pixel_clock_mhz = 0;          // 0 when the monitor leaves it open (0xFF)
    std::array<std::uint8_t, 8> extra{};  // bytes 10..17 (timing formula data)
};

struct CEdidWhitePoint {
    int index = 0;  // 0 = entry unused
    double x = 0.0;
    double y = 0.0;
    double gamma = 0.0;  // 0 when the byte is 0xFF (gamma given elsewhere)
};

enum EdidDescriptorKind : int {
    kEdidDetailedTiming = 0,
    kEdidSerialText = 1,
    kEdidAsciiText = 2,
    kEdidRangeLimits = 3,
    kEdidMonitorName = 4,
    kEdidColorPoint = 5,
    kEdidStandardTimings = 6,
    kEdidOtherDescriptor = 7,
};

// One decoded 18-byte descriptor; only the members of its kind are filled.
struct CEdidDescriptor {
    int kind = kEdidOtherDescriptor;
    std::uint8_t tag = 0;                               // byte 3 of a display descriptor
    std::array<std::uint8_t, 18> bytes{};               // the block as read
    CEdidDetailedTiming timing;                         // kind 0
    std::string text;                                   // kinds 1, 2, 4: at most 13 characters
    CEdidRangeLimits range;                             // kind 3
    std::array<CEdidWhitePoint, 2> white_points{};      // kind 5
    std::vector<CEdidStandardTiming> standard_timings;  // kind 6, empty entries skipped
};

class CEdidRecord {
  public:
    static constexpr int kEdidSize = 256;
    static constexpr int kBlockSize = 128;
    static constexpr std::size_t kMaxTextLength = 127;

    // Decodes 256 bytes (base block, then the first extension block). Returns 0, or -1 for a
    // bad header or checksum, in which case the record is left zeroed.
    int decode(const std::uint8_t* bytes);

    // Queries other parts of the program use.
    bool digital_input() const { return input_digital; }
    bool valid() const { return decoded_; }

    // Identification.
    std::array<char, 3> vendor_letters{};
    std::uint16_t product_code = 0;
    std::uint32_t serial_value = 0;
    int week = 0;
    int year = 0;
    int version = 0;
    int revision = 0;

    // Input definition (byte 20).
    std::uint8_t input_definition = 0;
    bool input_digital = false;
    bool input_dfp_compatible = false;   // digital inputs: bit 0
    int analog_signal_level = 0;         // analog inputs: bits 6..5
    std::uint8_t analog_sync_flags = 0;  // analog inputs: bits 4..0

    int max_h_cm = 0;
    int max_v_cm = 0;
    double gamma = 0.0;

    // Feature flags (byte 24).
    std::uint8_t feature_flags = 0;
    bool standby = false;
    bool suspend = false;
    bool active_off = false;
    int display_type = 0;  // bits 4..3
    bool srgb_default = false;
    bool preferred_timing = false;
    bool continuous_frequency = false;  // bit 0

    // Chromaticities: 10-bit values / 1024.
    double red_x = 0.0;
    double red_y = 0.0;
    double green_x = 0.0;
    double green_y = 0.0;
    double blue_x = 0.0;
    double blue_y = 0.0;
    double white_x = 0.0;
    double white_y = 0.0;

    // Bit i set = established timing kEstablishedTimings[i] supported.
    std::uint32_t established_timings = 0;
    std::vector<CEdidStandardTiming> standard_timings;  // the used ones of the eight

    int extension_count = 0;
    // Base block descriptors in order, then those of a CEA timing extension.
    std::vector<CEdidDescriptor> descriptors;
    bool has_range_limits = false;
    CEdidRangeLimits range_limits;  // from the last range-limits descriptor

    std::string serial_text;
    std::string name_text;
    std::string id_text;
    std::uint32_t product_id = 0;  // manufacturer word in the high 16 bits, product code low
    int max_width = 0;
    int max_height = 0;
    int preferred_width = 0;
    int preferred_height = 0;

  private:
    void decode_fixed_fields(const std::uint8_t* b);
    bool aspect_code0_is_16_10() const { return version > 1 || (version == 1 && revision >= 3); }
    void derive_texts();
    void derive_sizes();

    bool decoded_ = false;
};
