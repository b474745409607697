// The picture-mode memories, the factory calibration in monitor memory and the change table
// the monitor keeps of adjustments made with its own buttons.

#include <algorithm>
#include <cmath>

#include "color/matrix3.h"
#include "comm/ddc_monitor.h"
#include "comm/monitor_features.h"

namespace mf = monitor_feature;

namespace {

// Factory primaries: one 16-byte group per primary, X, Y and Z at these offsets.
constexpr int kPrimaryGroup = 16;
constexpr std::array<int, 3> kTristimulusOffsets = {4, 8, 12};
constexpr double kMatrixScale = 10000.0;
constexpr int kChromaticityScale = 1000;
// Change-table header: marker, changed flag, entry count. A marker of 0 or 0xFF means the
// monitor keeps no table (erased memory reads 0xFF).
constexpr int kHeaderLength = 3;

std::uint32_t little_endian_32(const std::uint8_t* b) {
    return std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 |
           std::uint32_t(b[3]) << 24;
}

std::uint32_t big_endian_32(const std::uint8_t* b) {
    return std::uint32_t(b[0]) << 24 | std::uint32_t(b[1]) << 16 | std::uint32_t(b[2]) << 8 |
           std::uint32_t(b[3]);
}

bool table_marker(std::uint8_t marker) {
    return marker != 0x00 && marker != 0xFF;
}

CAdjustValue::Channel channel(std::size_t i) {
    return static_cast<CAdjustValue::Channel>(i);
}

}  // namespace

int CDDCMonitor::read_memory_settings(CModeSettings& record) {
    for (std::int32_t code : CModeSettings::kReadOrder) {
        int value = 0;
        const int result = get_value(code, value);
        if (result == kUnsupported) continue;
        if (result != 0) return result;
        record.set_feature(code, static_cast<std::int16_t>(value));
    }
    step();
    return 0;
}

int CDDCMonitor::read_picture_memories(CAdjustValue& target) {
    target.modeSettings.clear();
    int active = 0, count = 0;
    if (const int result = get_value_max(mf::memory_select, active, count); result != 0)
        return result;
    if (count <= 0) return 0;
    // The total is announced before the slot count is known, so the steps are counted against
    // it: each memory makes up its share once read, the slot names take what is left (never
    // more), and a complete read fills the bar.
    const int announced = kPictureSettingsSteps * count + kPictureMemoriesExtraSteps;
    report_progress(kProgressTotal, static_cast<unsigned>(announced));
    int reported = 0;
    const auto advance = [&](int steps) {
        for (; steps > 0 && reported < announced; --steps, ++reported)
            step();
    };

    for (int memory = 1; memory <= count; ++memory) {
        if (memory > 1 && interrupted()) {
            // Never leave the monitor showing another memory than the user's.
            int back = active;
            if (const int result = set_value(mf::memory_select, back); result != 0) return result;
            wait(memory_select_wait);
            return kInterrupted;
        }
        int value = memory;
        if (const int result = set_value(mf::memory_select, value); result != 0) return result;
        wait(memory_select_wait);
        advance(1);
        CModeSettings item;
        if (const int result = read_memory_settings(item); result != 0) return result;
        ++reported;  // read_memory_settings steps once itself
        advance(kPictureSettingsSteps - 2);
        if (!target.setModeSettings(item)) target.modeSettings.append(item);
    }
    int value = active;
    if (const int result = set_value(mf::memory_select, value); result != 0) return result;
    wait(memory_select_wait);
    advance(1);

    if (const int result = read_factory_primaries(target); result != 0) return result;

    target.namedEntries.clear();
    int slot = 0, slot_count = 0;
    if (const int result = get_value_max(mf::lut_slot, slot, slot_count); result != 0)
        return result;
    for (int i = 1; i <= slot_count; ++i) {
        std::array<char, PVX_ddc_control::kSlotNameLength + 1> name{};
        if (const int result = read_slot_name(i, name.data()); result != 0) return result;
        target.namedEntries.append(
            CNamedEntry::for_slot(QString::fromLatin1(name.data()), static_cast<std::int16_t>(i)));
        advance(1);
    }
    advance(announced - reported);
    return 0;
}

int CDDCMonitor::read_factory_primaries(CAdjustValue& record) {
    if (!control) return kNotConnected;
    std::array<std::uint8_t, kFactoryPrimariesLength> bytes{};
    if (const int result =
            control->read_memory(bytes.data(), kFactoryPrimariesAddress, kFactoryPrimariesLength);
        result != 0) {
        return result;
    }
    std::array<Vector3, 3> primaries{};
    for (std::size_t p = 0; p < primaries.size(); ++p) {
        std::array<std::uint64_t, 3> xyz{};
        for (std::size_t k = 0; k < 3; ++k) {
            xyz[k] = little_endian_32(bytes.data() + p * kPrimaryGroup + kTristimulusOffsets[k]);
            primaries[p][k] = double(xyz[k]);
        }
        const std::uint64_t sum = xyz[0] + xyz[1] + xyz[2];
        if (sum == 0) continue;
        record.set_factory_primary(channel(p),
                                   static_cast<std::int16_t>(kChromaticityScale * xyz[0] / sum),
                                   static_cast<std::int16_t>(kChromaticityScale * xyz[1] / sum));
    }
    record.set_has_factory_primaries(true);

    std::array<std::uint8_t, kFactoryMatrixLength> matrix_bytes{};
    if (const int result =
            control->read_memory(matrix_bytes.data(), kFactoryMatrixAddress, kFactoryMatrixLength);
        result != 0) {
        return result;
    }
    std::array<double, 9> values{};
    Matrix3 matrix{};
    for (std::size_t i = 0; i < values.size(); ++i) {
        // Sixteen-bit two's complement: the sign is bit 15.
        const auto raw =
            static_cast<std::int16_t>(matrix_bytes[2 * i] | matrix_bytes[2 * i + 1] << 8);
        values[i] = raw / kMatrixScale;
        matrix[i / 3][i % 3] = values[i];
    }
    record.set_calibration(values);

    Matrix3 inverse{};
    if (!mat3_invert(matrix, inverse)) return 0;
    for (std::size_t p = 0; p < primaries.size(); ++p) {
        const Vector3 corrected = mat3_multiply(inverse, primaries[p]);
        const double sum = corrected[0] + corrected[1] + corrected[2];
        if (sum == 0.0) continue;
        record.set_corrected_primary(
            channel(p),
            static_cast<std::int16_t>(std::trunc(kChromaticityScale * corrected[0] / sum)),
            static_cast<std::int16_t>(std::trunc(kChromaticityScale * corrected[1] / sum)));
    }
    record.set_has_corrected_primaries(true);
    return 0;
}

bool CDDCMonitor::read_memory_table(
    std::array<std::uint8_t, 3>& header,
    std::array<std::uint8_t, kMemoryEntryLength * kMemoryEntryCapacity>& entries, int& count) {
    count = 0;
    if (!control) return false;
    if (control->read_memory(header.data(), kMemoryTableAddress, kHeaderLength) != 0) return false;
    if (!table_marker(header[0])) return false;
    if (header[2] > kMemoryEntryCapacity) return false;
    count = header[2];
    if (count > 0 && control->read_memory(entries.data(), kMemoryEntriesAddress,
                                          count * kMemoryEntryLength) != 0) {
        count = 0;
        return false;
    }
    return true;
}

int CDDCMonitor::find_memory_entry(int key1, int key2, std::uint32_t& value) {
    std::array<std::uint8_t, 3> header{};
    std::array<std::uint8_t, kMemoryEntryLength * kMemoryEntryCapacity> entries{};
    int count = 0;
    if (!read_memory_table(header, entries, count)) return 0;
    for (int i = 0; i < count; ++i) {
        const std::uint8_t* entry = entries.data() + i * kMemoryEntryLength;
        if (entry[0] == key1 && entry[1] == key2) {
            value = big_endian_32(entry + 2);
            return 1;
        }
    }
    return 0;
}

int CDDCMonitor::erase_memory_entry(int key1, int key2) {
    std::array<std::uint8_t, 3> header{};
    std::array<std::uint8_t, kMemoryEntryLength * kMemoryEntryCapacity> entries{};
    int count = 0;
    if (!read_memory_table(header, entries, count)) return 0;
    const std::array<std::uint8_t, kMemoryEntryLength> erased{};
    for (int i = 0; i < count; ++i) {
        const std::uint8_t* entry = entries.data() + i * kMemoryEntryLength;
        if (entry[0] != key1 || entry[1] != key2) continue;
        const int result = control->write_memory(
            erased.data(), kMemoryEntriesAddress + i * kMemoryEntryLength, kMemoryEntryLength);
        if (result != 0) return result;
    }
    return 0;
}

int CDDCMonitor::clear_memory_table_flag() {
    if (!control) return kNotConnected;
    std::array<std::uint8_t, kHeaderLength> header{};
    if (control->read_memory(header.data(), kMemoryTableAddress, kHeaderLength) != 0) return 0;
    if (!table_marker(header[0])) return 0;
    const std::uint8_t cleared = 0;
    return control->write_memory(&cleared, kMemoryTableFlagAddress, 1);
}

bool CDDCMonitor::has_memory_table() {
    if (!control) return false;
    std::array<std::uint8_t, kHeaderLength> header{};
    if (control->read_memory(header.data(), kMemoryTableAddress, kHeaderLength) != 0) return false;
    return table_marker(header[0]) && header[1] != 0;
}
