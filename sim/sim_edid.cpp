#include "sim/sim_edid.h"

#include <algorithm>
#include <cmath>

#include "sim/sim_model.h"

namespace sim {

namespace {

using Block = std::uint8_t*;

void put_checksum(Block block) {
    std::uint8_t sum = 0;
    for (int i = 0; i < 127; ++i)
        sum = static_cast<std::uint8_t>(sum + block[i]);
    block[127] = static_cast<std::uint8_t>(0x100 - sum);
}

// An 18-byte detailed timing with reduced blanking at 60 Hz.
void put_detailed_timing(Block d, int h_active, int v_active, int width_mm, int height_mm) {
    const int h_blank = 160;
    const int v_blank = std::max(23, v_active / 48);
    const double clock = (h_active + h_blank) * double(v_active + v_blank) * 60.0;
    const int clock_10khz = static_cast<int>(std::lround(clock / 10000.0));
    const int h_sync_offset = 48;
    const int h_sync_width = 32;
    const int v_sync_offset = 3;
    const int v_sync_width = 6;
    d[0] = static_cast<std::uint8_t>(clock_10khz & 0xFF);
    d[1] = static_cast<std::uint8_t>(clock_10khz >> 8);
    d[2] = static_cast<std::uint8_t>(h_active & 0xFF);
    d[3] = static_cast<std::uint8_t>(h_blank & 0xFF);
    d[4] = static_cast<std::uint8_t>(((h_active >> 8) << 4) | (h_blank >> 8));
    d[5] = static_cast<std::uint8_t>(v_active & 0xFF);
    d[6] = static_cast<std::uint8_t>(v_blank & 0xFF);
    d[7] = static_cast<std::uint8_t>(((v_active >> 8) << 4) | (v_blank >> 8));
    d[8] = static_cast<std::uint8_t>(h_sync_offset);
    d[9] = static_cast<std::uint8_t>(h_sync_width);
    d[10] = static_cast<std::uint8_t>((v_sync_offset << 4) | v_sync_width);
    d[11] = 0;
    d[12] = static_cast<std::uint8_t>(width_mm & 0xFF);
    d[13] = static_cast<std::uint8_t>(height_mm & 0xFF);
    d[14] = static_cast<std::uint8_t>(((width_mm >> 8) << 4) | (height_mm >> 8));
    d[15] = 0;
    d[16] = 0;
    d[17] = 0x1E;  // digital separate sync, both polarities positive
}

// A display descriptor holding up to 13 characters, ended by a line feed and padded with blanks.
void put_text_descriptor(Block d, std::uint8_t tag, const QByteArray& text) {
    d[3] = tag;
    const QByteArray t = text.left(13);
    for (int i = 0; i < 13; ++i) {
        if (i < t.size()) {
            d[5 + i] = static_cast<std::uint8_t>(t[i]);
        } else {
            d[5 + i] = i == t.size() ? 0x0A : 0x20;
        }
    }
}

void put_range_limits(Block d, int max_clock_mhz, int edid_revision) {
    d[3] = 0xFD;
    d[5] = 24;   // minimum vertical rate, Hz
    d[6] = 75;   // maximum vertical rate
    d[7] = 30;   // minimum horizontal rate, kHz
    d[8] = 120;  // maximum horizontal rate
    d[9] = static_cast<std::uint8_t>((max_clock_mhz + 9) / 10);
    // EDID 1.4 deprecates the default GTF that 1.3 assumes; a panel of fixed timings offers
    // none, so 1.4 says "range limits only".
    d[10] = edid_revision >= 4 ? 0x01 : 0x00;
    d[11] = 0x0A;
    for (int i = 12; i < 18; ++i)
        d[i] = 0x20;
}

int ten_bits(double v) {
    return std::clamp(static_cast<int>(std::lround(v * 1024.0)), 0, 1023);
}

void put_chromaticities(Block b, const std::array<double, 8>& xy) {
    int v[8];
    for (int i = 0; i < 8; ++i)
        v[i] = ten_bits(xy[static_cast<std::size_t>(i)]);
    b[25] = static_cast<std::uint8_t>(((v[0] & 3) << 6) | ((v[1] & 3) << 4) | ((v[2] & 3) << 2) |
                                      (v[3] & 3));
    b[26] = static_cast<std::uint8_t>(((v[4] & 3) << 6) | ((v[5] & 3) << 4) | ((v[6] & 3) << 2) |
                                      (v[7] & 3));
    for (int i = 0; i < 8; ++i)
        b[27 + i] = static_cast<std::uint8_t>(v[i] >> 2);
}

struct StandardTiming {
    int width;
    int height;
    std::uint8_t aspect;  // bits 7..6 of the second byte (EDID 1.3 on: 0 is 16:10)
};

// The pixel clock, in MHz, of the fastest standard timing below (DMT 1920 x 1200 at 60 Hz):
// the range limits must cover it.
constexpr int kFastestStandardClockMhz = 194;

// Standard timing: (width / 8 - 31), then aspect code in bits 7..6 and refresh - 60. Only the
// modes the panel can show are listed.
void put_standard_timings(Block b, const CSimModel& model) {
    const StandardTiming entries[] = {
        {1920, 1200, 0x00},  // 16:10
        {1920, 1080, 0xC0},  // 16:9
        {1680, 1050, 0x00},
        {1280, 1024, 0x80},  // 5:4
    };
    int slot = 0;
    for (const StandardTiming& e : entries) {
        if (e.width > model.width_px || e.height > model.height_px) continue;
        b[38 + 2 * slot] = static_cast<std::uint8_t>(e.width / 8 - 31);
        b[39 + 2 * slot] = e.aspect;
        ++slot;
    }
    for (; slot < 8; ++slot) {
        b[38 + 2 * slot] = 0x01;
        b[39 + 2 * slot] = 0x01;
    }
}

void put_cea_block(Block e, const CSimModel& model) {
    e[0] = 0x02;  // CEA-861 timing extension
    e[1] = 0x03;
    // A video data block: 1080p60, 720p60, 480p60, none native (the panel's own mode is the
    // base block's first detailed timing); a video capability block: RGB quantization range
    // selectable, IT and CE formats underscanned.
    const std::uint8_t blocks[] = {0x43, 0x10, 0x04, 0x03, 0xE2, 0x00, 0x4A};
    for (std::size_t i = 0; i < sizeof blocks; ++i)
        e[4 + i] = blocks[i];
    e[2] = static_cast<std::uint8_t>(4 + sizeof blocks);  // detailed timings follow
    e[3] = 0x81;  // underscanned by default; one native detailed timing (the base block's)
    put_detailed_timing(e + e[2], 1920, 1080, model.width_cm * 10, model.height_cm * 10);
    put_checksum(e);
}

}  // namespace

std::uint16_t edid_vendor_word(const QByteArray& letters) {
    std::uint16_t word = 0;
    for (int i = 0; i < 3; ++i) {
        const int c = i < letters.size() ? letters[i] - 'A' + 1 : 0;
        word = static_cast<std::uint16_t>((word << 5) | (c & 0x1F));
    }
    return word;
}

std::uint32_t edid_serial_number(const QByteArray& serial) {
    bool ok = false;
    const qulonglong v = serial.toULongLong(&ok, 10);
    if (!ok || v > 0xFFFFFFFFull) return 0;
    return static_cast<std::uint32_t>(v);
}

QByteArray build_edid(const CSimModel& model, const QByteArray& serial) {
    QByteArray edid(model.cea_extension ? 256 : 128, '\0');
    auto* b = reinterpret_cast<std::uint8_t*>(edid.data());
    b[0] = 0x00;
    for (int i = 1; i < 7; ++i)
        b[i] = 0xFF;
    b[7] = 0x00;
    const std::uint16_t vendor = edid_vendor_word(model.vendor);
    b[8] = static_cast<std::uint8_t>(vendor >> 8);  // big-endian
    b[9] = static_cast<std::uint8_t>(vendor & 0xFF);
    b[10] = static_cast<std::uint8_t>(model.product_code & 0xFF);  // little-endian
    b[11] = static_cast<std::uint8_t>(model.product_code >> 8);
    // With a serial descriptor and a CTA extension, CTA-861 wants the numeric serial zero.
    const std::uint32_t number =
        model.cea_extension && model.serial_descriptor ? 0 : edid_serial_number(serial);
    for (int i = 0; i < 4; ++i)
        b[12 + i] = static_cast<std::uint8_t>(number >> (8 * i));
    b[16] = 12;           // week of manufacture
    b[17] = 2023 - 1990;  // year of manufacture
    b[18] = 1;
    b[19] = static_cast<std::uint8_t>(model.edid_revision);
    b[20] = model.edid_revision >= 4 ? 0xA5 : 0x80;  // digital; 8 bits per colour, DisplayPort
    b[21] = static_cast<std::uint8_t>(model.width_cm);
    b[22] = static_cast<std::uint8_t>(model.height_cm);
    b[23] = 120;                                 // gamma 2.2
    b[24] = model.maker_commands ? 0x22 : 0x26;  // active off, preferred timing (+ sRGB default)
    put_chromaticities(b, model.native);
    b[35] = 0x21;  // 640 x 480 and 800 x 600 at 60 Hz
    b[36] = 0x08;  // 1024 x 768 at 60 Hz
    b[37] = 0x00;
    put_standard_timings(b, model);

    put_detailed_timing(b + 54, model.width_px, model.height_px, model.width_cm * 10,
                        model.height_cm * 10);
    const int clock_mhz = (b[54] | (b[55] << 8)) / 100;
    put_range_limits(b + 72, std::max(clock_mhz + 10, kFastestStandardClockMhz),
                     model.edid_revision);
    put_text_descriptor(b + 90, 0xFC, model.name.toLatin1());
    if (model.serial_descriptor) {
        put_text_descriptor(b + 108, 0xFF, serial);
    } else {
        put_text_descriptor(b + 108, 0xFE, QByteArray("LCD MONITOR"));
    }
    b[126] = model.cea_extension ? 1 : 0;
    put_checksum(b);
    if (model.cea_extension) put_cea_block(b + 128, model);
    return edid;
}

}  // namespace sim
