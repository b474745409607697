// What a monitor does with its features: ranges, the picture-mode memories, presets, resets
// and the values derived from others.
#include <algorithm>
#include <cmath>

#include "sim/sim_monitor.h"

namespace sim {

namespace {

int percent_of(int value, int low, int high) {
    if (high <= low) return 0;
    return static_cast<int>(std::lround((value - low) * 100.0 / (high - low)));
}

}  // namespace

CSimReading CSimMonitor::read_feature(int code) const {
    CSimReading r;
    const CSimFeature* f = model_->feature(code);
    if (!f) return r;
    r.result = 0;
    r.type = f->has(feature_flag::momentary) ? 1 : 0;
    r.maximum = f->maximum;
    const CSimMemoryState* mem =
        state_.memories.empty()
            ? nullptr
            : &state_.memories[static_cast<std::size_t>(state_.active_memory - 1)];
    if (f->has(feature_flag::momentary)) {
        r.current = 0;
    } else if (code == code::memory_select) {
        r.current = state_.active_memory;
    } else if (code == code::brightness && mem) {
        // The standard brightness is a percent view of the luminance between its limits.
        r.current = percent_of(mem->values.at(code::luminance), model_->brightness_floor,
                               model_->brightness_max);
    } else if (code == code::uniformity_limit) {
        const auto u = state_.values.find(code::uniformity);
        r.current = u != state_.values.end() && u->second > 0 ? model_->uniformity_limit : 0;
    } else if (f->scope == CSimScope::memory && mem) {
        r.current = mem->values.at(code);
    } else {
        const auto it = state_.values.find(code);
        r.current = it == state_.values.end() ? f->factory : it->second;
    }
    return r;
}

CSimReading CSimMonitor::write_feature(int code, int value) {
    const CSimFeature* f = model_->feature(code);
    if (!f) return CSimReading{};
    if (f->has(feature_flag::read_only)) return read_feature(code);
    // A value outside a listed set leaves the feature alone; a number out of range is clamped.
    if (!f->values.empty() && !f->allows(value)) return read_feature(code);
    value = std::clamp(value, f->minimum, f->maximum);

    CSimMemoryState* mem =
        state_.memories.empty()
            ? nullptr
            : &state_.memories[static_cast<std::size_t>(state_.active_memory - 1)];
    switch (code) {
        case code::memory_select:
            if (value != state_.active_memory) {
                state_.active_memory = value;
                reset_preparation();
            }
            break;
        case code::preset:
            if (mem && value != mem->values[code::preset]) {
                load_preset(value);
                reset_preparation();
            }
            break;
        case code::brightness:
            if (mem) {
                const int span = model_->brightness_max - model_->brightness_floor;
                mem->values[code::luminance] =
                    model_->brightness_floor + static_cast<int>(std::lround(value * span / 100.0));
            } else {
                state_.values[code] = value;
            }
            break;
        case code::luminance:
            if (mem) mem->values[code] = std::max(value, model_->brightness_floor);
            break;
        case code::reset_mode:
            if (value == 1 && mem) load_preset(mem->values[code::preset]);
            break;
        case code::reset_gamut:
            if (value == 1 && mem) {
                const auto defaults = preset_settings(*model_, mem->values[code::preset]);
                for (int c = code::red_x; c <= code::blue_y; ++c)
                    mem->values[c] = defaults.at(c);
            }
            break;
        case code::restore_color:
            if (value == 1) {
                for (int c : {code::color_preset, code::red_gain, code::green_gain, code::blue_gain,
                              code::red_drive, code::green_drive, code::blue_drive}) {
                    if (const CSimFeature* g = model_->feature(c)) state_.values[c] = g->factory;
                }
            }
            break;
        case code::restore_factory:
            if (value == 1) {
                // Every setting, but not the input in use, the hour meter or stored tables.
                for (const CSimFeature& g : model_->features) {
                    if (!state_.values.count(g.code) || g.code == code::input_source ||
                        g.code == code::operating_hours) {
                        continue;
                    }
                    state_.values[g.code] = g.factory;
                }
                for (int i = 0; i < static_cast<int>(state_.memories.size()); ++i) {
                    state_.memories[static_cast<std::size_t>(i)].values = preset_settings(
                        *model_, model_->factory_presets[static_cast<std::size_t>(i)]);
                }
                state_.active_memory = 1;
            }
            break;
        default:
            if (f->has(feature_flag::momentary)) break;
            if (f->scope == CSimScope::memory) {
                if (mem) mem->values[code] = value;
            } else {
                state_.values[code] = value;
            }
            break;
    }
    return read_feature(code);
}

void CSimMonitor::load_preset(int preset) {
    CSimMemoryState& mem = state_.memories[static_cast<std::size_t>(state_.active_memory - 1)];
    mem.values = preset_settings(*model_, preset);
}

// The adjustments the host prepares before its first change in a picture mode fall back to
// their factory values whenever the mode changes, so the host must prepare again.
void CSimMonitor::reset_preparation() {
    for (int c : {code::adjust_233, code::adjust_254}) {
        if (const CSimFeature* f = model_->feature(c)) state_.values[c] = f->factory;
    }
}

void CSimMonitor::osd_change(const CSimOsdChange& change) {
    if (change.memory > 0) write_feature(code::memory_select, change.memory);
    if (change.preset > 0) write_feature(code::preset, change.preset);
    if (change.luminance >= 0) write_feature(code::luminance, change.luminance);
    if (change.black_level >= 0) write_feature(code::black_level, change.black_level);
    if (!model_->change_table || state_.memories.empty()) return;
    add_change_entry(state_.active_memory, read_feature(code::preset).current, change.stamp);
}

void CSimMonitor::add_change_entry(int memory, int preset, std::uint32_t stamp) {
    QByteArray& m = state_.memory;
    const int header = address::change_table;
    const auto marker = static_cast<std::uint8_t>(m[header]);
    if (marker == 0x00 || marker == 0xFF) return;  // no table in this monitor's memory
    int count =
        std::min<int>(static_cast<std::uint8_t>(m[header + 2]), address::change_entry_capacity);
    auto entry = [](int i) { return address::change_entries + 6 * i; };
    auto keys_are = [&](int i, int k1, int k2) {
        return static_cast<std::uint8_t>(m[entry(i)]) == k1 &&
               static_cast<std::uint8_t>(m[entry(i) + 1]) == k2;
    };
    int slot = -1;
    for (int i = 0; i < count && slot < 0; ++i) {
        if (keys_are(i, memory, preset)) slot = i;
    }
    for (int i = 0; i < count && slot < 0; ++i) {
        if (keys_are(i, 0, 0)) slot = i;  // an entry the host erased
    }
    // Slots oldest first. Slots the order does not know (a table the host rewrote, an older
    // state file) count as the oldest, in slot order.
    std::vector<int> order;
    for (int i = 0; i < count; ++i) {
        if (std::find(state_.change_order.begin(), state_.change_order.end(), i) ==
            state_.change_order.end())
            order.push_back(i);
    }
    for (int s : state_.change_order) {
        if (s >= 0 && s < count && std::find(order.begin(), order.end(), s) == order.end())
            order.push_back(s);
    }
    if (slot < 0 && count < address::change_entry_capacity) slot = count++;
    if (slot < 0) {
        // Full: the oldest entry makes room; those after it move up, the new one goes last.
        const int oldest = order.front();
        const int after = count - 1 - oldest;
        m.replace(entry(oldest), 6 * after, m.mid(entry(oldest + 1), 6 * after));
        order.erase(order.begin());
        for (int& s : order) {
            if (s > oldest) --s;
        }
        slot = count - 1;
    }
    order.erase(std::remove(order.begin(), order.end(), slot), order.end());
    order.push_back(slot);
    state_.change_order = std::move(order);
    const int at = entry(slot);
    m[at] = static_cast<char>(memory);
    m[at + 1] = static_cast<char>(preset);
    for (int i = 0; i < 4; ++i)
        m[at + 2 + i] = static_cast<char>((stamp >> (24 - 8 * i)) & 0xFF);
    m[header + 1] = 0x01;  // changed on the monitor's own controls
    m[header + 2] = static_cast<char>(count);
}

}  // namespace sim
