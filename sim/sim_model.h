#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <map>
#include <vector>

#include "sim/sim_features.h"

namespace sim {

// Fixed addresses of the maker's memory map.
namespace address {
constexpr int factory_primaries = 0x8800;   // three 16-byte groups: X, Y, Z at offsets 4, 8, 12
constexpr int factory_matrix = 0x8C90;      // nine 16-bit values, row order
constexpr int factory_area_first = 0x8000;  // write-protected calibration area
constexpr int factory_area_last = 0x8FFF;
constexpr int change_table = 0xFF10;  // marker, changed flag, entry count, then six-byte entries
constexpr int change_entries = 0xFF13;
constexpr int change_entry_capacity = 10;
constexpr int memory_size = 0x10000;
}  // namespace address

constexpr int kLutNodes = 9;  // 3D LUT nodes per axis
constexpr int kLutPoints = kLutNodes * kLutNodes * kLutNodes;
constexpr int kLutMaxValue = 1020;
constexpr int kSlotNameLength = 13;

// One monitor model: what it reports and what it supports.
struct CSimModel {
    QString name;
    QByteArray vendor;  // EDID manufacturer letters
    std::uint16_t product_code = 0;
    bool maker_commands = false;  // paged features, memory, words, LUT and slot-name commands
    bool serial_descriptor = true;
    bool cea_extension = false;
    int edid_revision = 4;
    int width_px = 0;
    int height_px = 0;
    int width_cm = 0;
    int height_cm = 0;
    std::array<double, 8> native{};  // red x, y, green x, y, blue x, y, white x, y

    int memory_count = 0;
    int slot_count = 0;
    std::array<int, 5> factory_presets{};
    int table_entries = 0;  // 1D LUT entries per channel; 0 without gamma tables
    std::array<int, 3> table_offsets{};
    bool change_table = false;
    int busy_polls = 0;  // null replies a slow paged set answers before its C7 reply

    // Limits and fixed measurements.
    int brightness_max = 0;
    int brightness_floor = 0;
    int max_luminance = 0;
    int black_max = 0;
    int black_floor = 0;
    int contrast_limit = 0;
    int uniformity_limit = 0;

    QByteArray firmware;
    QByteArray mccs_version;
    int asset_eeprom = 0;
    int color_temp_offset = 0;

    std::vector<CSimFeature> features;
    std::array<double, 9> factory_matrix{};
    QByteArray capabilities;

    const CSimFeature* feature(int code) const;
    // The tables' total size in words as the capability string gives it.
    int table_size() const { return 3 * table_entries; }
};

const std::vector<CSimModel>& sim_models();
const CSimModel* find_sim_model(const QString& name);
// The model with fewer picture-mode memories (1 .. its own number), as some units of a line
// are sold; the result lives as long as the process. Null for a count the model cannot have.
const CSimModel* sim_model_with_memories(const CSimModel& model, int memories);

// The settings a preset puts into a memory (memory-scope codes and their values).
std::map<int, int> preset_settings(const CSimModel& model, int preset);

// The factory XYZ of the three primaries as stored at address::factory_primaries, in units of
// 0.01 cd/m2 at full drive.
std::array<std::array<std::uint32_t, 3>, 3> factory_primaries_xyz(const CSimModel& model);

// The maker's capability string for a model.
QByteArray build_capabilities(const CSimModel& model);

}  // namespace sim
