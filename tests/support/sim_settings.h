#pragma once

#include <QByteArray>
#include <map>
#include <string>
#include <vector>

#include "sim/sim_monitor.h"

namespace testing_support {

// What a user would call a simulated monitor's settings: every feature, each memory with its
// 1D tables, the 3D LUT slots and their names; not the change table the program keeps in the
// monitor's memory, nor the link's counters.
struct CSimSettings {
    std::map<int, int> values;
    int active_memory = 0;
    std::vector<sim::CSimMemoryState> memories;
    std::vector<std::vector<std::uint16_t>> lut_slots;
    std::vector<QByteArray> slot_names;

    static CSimSettings of(const sim::CSimMonitor& monitor) {
        const sim::CSimMonitorState& s = monitor.state();
        return {s.values, s.active_memory, s.memories, s.lut_slots, s.slot_names};
    }
    bool operator==(const CSimSettings&) const = default;
};

// What changed from `a` to `b`, for a failure message.
inline std::string differences(const CSimSettings& a, const CSimSettings& b) {
    std::string out;
    const auto number = [](int v) { return std::to_string(v); };
    for (const auto& [code, value] : a.values) {
        const auto other = b.values.find(code);
        if (other == b.values.end() || other->second != value)
            out += " global " + number(code) + ": " + number(value) + " -> " +
                   (other == b.values.end() ? std::string("none") : number(other->second)) + ";";
    }
    if (a.active_memory != b.active_memory) out += " active memory;";
    for (std::size_t m = 0; m < a.memories.size() && m < b.memories.size(); ++m) {
        for (const auto& [code, value] : a.memories[m].values) {
            const auto other = b.memories[m].values.find(code);
            const int now = other == b.memories[m].values.end() ? -1 : other->second;
            if (now != value)
                out += " memory " + number(int(m) + 1) + " code " + number(code) + ": " +
                       number(value) + " -> " + number(now) + ";";
        }
        if (a.memories[m].tables != b.memories[m].tables)
            out += " memory " + number(int(m) + 1) + " 1D tables;";
    }
    for (std::size_t s = 0; s < a.lut_slots.size() && s < b.lut_slots.size(); ++s) {
        if (a.lut_slots[s] != b.lut_slots[s]) out += " 3D LUT of slot " + number(int(s) + 1) + ";";
        if (s < a.slot_names.size() && s < b.slot_names.size() &&
            a.slot_names[s] != b.slot_names[s])
            out += " name of slot " + number(int(s) + 1) + ";";
    }
    return out;
}

}  // namespace testing_support
