#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QJsonParseError>
#include <QStringList>
#include <array>
#include <cstdint>
#include <map>
#include <vector>

namespace sim {

struct CSimModel;

// A feature code as the state file and orvale-ctl write it: 0x and four upper-case digits.
QString hex_code(int code);

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
    // The change table's slots, oldest entry first (the table itself holds no age).
    std::vector<int> change_order;
    bool usb_plugged = false;
    // DDC/CI over the video cable, as the monitor's menu switches it; the EDID is always there.
    bool video_ddcci = true;
    // Requests that arrived from another thread or process while an exchange (a request, its
    // wait and the read of its reply) was open: a fault of the program, which must hold one
    // conversation per monitor.
    int overlapping_conversations = 0;

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
    bool video_ddcci = true;
};

// A JSON parse error with the line and column where it was found in `text`.
QString json_error_text(const QByteArray& text, const QJsonParseError& error);

CSimMonitorState factory_state(const CSimModel& model, const CSimMonitorSetup& setup);

// The factory contents of the 64 KiB memory map.
QByteArray factory_memory(const CSimModel& model);
std::vector<std::uint16_t> factory_table(const CSimModel& model);
std::vector<std::uint16_t> identity_lut();
QByteArray factory_slot_name(int slot);

// Features are written in full (keyed "0x1050"), tables and LUT slots only where they differ
// from the factory ones (hex words), the memory map as runs of non-erased bytes.
QJsonObject state_to_json(const CSimModel& model, const CSimMonitorState& state);
// What reading a monitor's entry found, each text "field: why" with the field's path inside
// the entry ("features.0x0012", "memories[2]").
struct CSimStateIssues {
    QString refusal;      // the entry cannot be taken at all
    QStringList ignored;  // single values that were left as they were
};

// Reads what the object holds over `state` (normally the factory state). False, with the
// refusal, when the entry is not one of this model's or a section has the wrong shape; single
// values that do not fit (out of range, bad hex, a wrong name length) are left as they were
// and listed. The write-protected area 0x8000..0x8FFF is never taken from the object.
bool state_from_json(const CSimModel& model, const QJsonObject& object, CSimMonitorState& state,
                     CSimStateIssues* issues = nullptr);

}  // namespace sim
