#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <array>
#include <cstdint>
#include <map>
#include <vector>

namespace sim {

struct CSimModel;

struct CSimMemoryState {
    std::map<int, int> values;                         // the memory-scope features
    std::array<std::vector<std::uint16_t>, 3> tables;  // red, green, blue 1D LUTs

    bool operator==(const CSimMemoryState&) const = default;
};

// Everything a monitor keeps across power cycles.
struct CSimMonitorState {
    std::map<int, int> values;  // the global features
    int active_memory = 1;
    std::vector<CSimMemoryState> memories;
    QByteArray memory;  // the 64 KiB address space of the memory commands
    // Per slot, kLutPoints nodes of three values (red, green, blue), first index fastest.
    std::vector<std::vector<std::uint16_t>> lut_slots;
    std::vector<QByteArray> slot_names;  // kSlotNameLength bytes each
    bool usb_plugged = false;

    bool operator==(const CSimMonitorState&) const = default;
};

// What the person setting a monitor up decides, beyond its model.
struct CSimMonitorSetup {
    QByteArray serial;
    int input_source = -1;  // -1: the model's first input
    bool usb_present = false;
    bool usb_plugged = false;
    int operating_half_hours = 0;
    std::uint8_t reply_source = 0x6E;  // some monitors answer with 0x51
};

CSimMonitorState factory_state(const CSimModel& model, const CSimMonitorSetup& setup);

// The factory contents of the 64 KiB memory map.
QByteArray factory_memory(const CSimModel& model);
std::vector<std::uint16_t> factory_table(const CSimModel& model);
std::vector<std::uint16_t> identity_lut();
QByteArray factory_slot_name(int slot);

// Features are written in full (keyed "0x1050"), tables and LUT slots only where they differ
// from the factory ones (hex words), the memory map as runs of non-erased bytes.
QJsonObject state_to_json(const CSimModel& model, const CSimMonitorState& state);
// Reads what the object holds over `state` (normally the factory state); values outside a
// feature's range and malformed entries are left as they were. False when the object is
// unusable as a whole.
bool state_from_json(const CSimModel& model, const QJsonObject& object, CSimMonitorState& state);

}  // namespace sim
