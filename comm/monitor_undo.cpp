#include "comm/monitor_undo.h"

#include <QLoggingCategory>
#include <algorithm>

#include "color/adjust_value.h"
#include "comm/ddc_monitor.h"
#include "comm/monitor_features.h"
#include "comm/monitor_timing.h"

namespace mf = monitor_feature;

Q_LOGGING_CATEGORY(undo_log, "orvale.undo", QtInfoMsg)

namespace {

// Actions, not settings: writing back the 0 they read would ask for nothing, or for the action
// on a monitor that treats any write as the command.
bool is_action(int code) {
    return code == mf::restore_color || code == mf::reset_mode || code == mf::reset_gamut ||
           code == mf::table_transfer;
}

QString hex(int code) {
    return QStringLiteral("0x%1").arg(code, 4, 16, QLatin1Char('0'));
}

}  // namespace

int CMonitorUndo::begin(CDDCMonitor& monitor) {
    busy_ = true;
    int memory = 0;
    const int result = monitor.get_value(mf::memory_select, memory);
    busy_ = false;
    if (result != 0) {
        unreadable_ << QStringLiteral("the active memory");
        return result;
    }
    started_ = true;
    first_memory_ = memory_ = memory;
    busy_ = true;
    for (const int code : {mf::prepare_254, mf::prepare_233}) {
        int value = 0;
        if (monitor.get_value(code, value) == 0) preparation_.emplace_back(code, value);
    }
    busy_ = false;
    return 0;
}

bool CMonitorUndo::recorded(int memory, int code) const {
    return std::any_of(entries_.begin(), entries_.end(),
                       [&](const Entry& e) { return e.memory == memory && e.code == code; });
}

CMonitorUndo::MemoryState& CMonitorUndo::memory_state(CDDCMonitor& monitor) {
    const auto found = memories_.find(memory_);
    if (found != memories_.end()) return found->second;
    MemoryState& state = memories_[memory_];
    memory_order_.push_back(memory_);
    // A preset change replaces the whole picture mode: all of it is kept at the first write.
    for (const int code : CModeSettings::kReadOrder) {
        if (code == mf::memory_select) continue;
        int value = 0;
        if (monitor.get_value(code, value) == 0) state.mode.emplace_back(code, value);
    }
    return state;
}

void CMonitorUndo::before_feature(CDDCMonitor& monitor, int code) {
    if (!started_ || busy_ || is_action(code)) return;
    busy_ = true;
    if (code == mf::memory_select) {
        // Selecting another memory changes nothing in one; the memory the journal began in is
        // selected again at the end.
    } else {
        memory_state(monitor);
        if (!recorded(memory_, code)) {
            int value = 0;
            if (monitor.get_value(code, value) == 0) {
                entries_.push_back({memory_, code, value});
            } else if (!unreadable_.contains(hex(code))) {
                unreadable_ << hex(code);
            }
        }
    }
    busy_ = false;
}

void CMonitorUndo::after_feature(CDDCMonitor& monitor, int code, int value, int result) {
    if (!started_ || busy_ || code != mf::memory_select) return;
    if (result == 0) {
        memory_ = value;
        return;
    }
    // A select whose reply was lost may still have switched: the journal must know which
    // memory the next writes land in, or it would keep another memory's values for this one.
    busy_ = true;
    int now = 0;
    if (monitor.get_value(mf::memory_select, now) == 0) memory_ = now;
    busy_ = false;
}

void CMonitorUndo::before_slot_name(CDDCMonitor& monitor, int slot) {
    if (!started_ || busy_ || names_.count(slot)) return;
    busy_ = true;
    char name[32] = {};
    if (monitor.read_slot_name(slot, name) == 0) {
        names_[slot] = QByteArray(name);
    } else {
        unreadable_ << QStringLiteral("the name of slot %1").arg(slot);
    }
    busy_ = false;
}

void CMonitorUndo::before_3d_lut(CDDCMonitor& monitor) {
    if (!started_ || busy_) return;
    busy_ = true;
    int slot = 0;
    if (monitor.get_value(mf::lut_slot, slot) == 0 && slot > 0) {
        if (!luts_.count(slot)) {
            const int n = CDDCMonitor::kLutNodes;
            std::vector<std::int32_t> points(static_cast<std::size_t>(3 * n * n * n));
            if (monitor.read_lut(points, n) == 0) {
                luts_[slot] = std::move(points);
            } else {
                unreadable_ << QStringLiteral("the 3D LUT of slot %1").arg(slot);
            }
        }
    } else {
        unreadable_ << QStringLiteral("the 3D LUT slot");
    }
    busy_ = false;
}

void CMonitorUndo::before_1d_tables(CDDCMonitor& monitor) {
    if (!started_ || busy_) return;
    busy_ = true;
    MemoryState& state = memory_state(monitor);
    if (!state.tables_read) {
        if (monitor.read_gamma_tables(state.tables[0], state.tables[1], state.tables[2]) == 0) {
            state.tables_read = true;
        } else {
            unreadable_ << QStringLiteral("the 1D tables of memory %1").arg(memory_);
        }
    }
    busy_ = false;
}

int CMonitorUndo::write_back(CDDCMonitor& monitor, int code, int value, QStringList& failures) {
    CMonitorSettingList one{{CMonitorSetting::kWriteIfDifferent, code, value, 0, 0}};
    int result = monitor.apply_settings(one);
    // A value that stays behind is lost for good: one more try after a link that failed all
    // its attempts.
    if (result != 0) {
        one = {{CMonitorSetting::kWriteIfDifferent, code, value, 0, 0}};
        result = monitor.apply_settings(one);
    }
    if (result != 0) failures << QStringLiteral("%1 in memory %2").arg(hex(code)).arg(memory_);
    return result;
}

int CMonitorUndo::restore(CDDCMonitor& monitor, QStringList* failures_out) {
    QStringList failures = unreadable_;
    int first_error = 0;
    const auto note = [&](int result) {
        if (result != 0 && first_error == 0) first_error = result;
    };
    if (!started_) {
        if (failures_out) *failures_out = failures;
        return CDDCMonitor::kMissing;
    }
    busy_ = true;
    // Tables and names first: selecting a slot changes the active memory's slot setting, which
    // the memory's own values put back afterwards.
    for (const auto& [slot, points] : luts_) {
        int chosen = slot;
        int result = monitor.set_value(mf::lut_slot, chosen);
        if (result == 0) result = monitor.write_lut(points, CDDCMonitor::kLutNodes);
        if (result != 0) failures << QStringLiteral("the 3D LUT of slot %1").arg(slot);
        note(result);
    }
    for (const auto& [slot, name] : names_) {
        const int result = monitor.write_slot_name(slot, name.constData());
        if (result != 0) failures << QStringLiteral("the name of slot %1").arg(slot);
        note(result);
    }
    // The memory the journal began in last, so that it stays selected.
    std::vector<int> order = memory_order_;
    std::stable_partition(order.begin(), order.end(), [&](int m) { return m != first_memory_; });
    for (const int memory : order) {
        memory_ = memory;
        note(write_back(monitor, mf::memory_select, memory, failures));
        // Written into whatever memory is active, a memory's values would spoil another one:
        // only once the monitor says this memory is selected.
        int selected = 0;
        if (monitor.get_value(mf::memory_select, selected) != 0 || selected != memory) {
            failures << QStringLiteral("memory %1").arg(memory);
            note(CDDCMonitor::kMissing);
            continue;
        }
        const MemoryState& state = memories_[memory];
        for (const auto& [code, value] : state.mode) {
            if (code == mf::preset) note(write_back(monitor, code, value, failures));
        }
        if (state.tables_read) {
            const int result =
                monitor.write_gamma_from_curves(state.tables[0], state.tables[1], state.tables[2]);
            if (result != 0) failures << QStringLiteral("the 1D tables of memory %1").arg(memory);
            note(result);
        }
        for (const auto& [code, value] : state.mode) {
            if (code != mf::preset) note(write_back(monitor, code, value, failures));
        }
        for (auto e = entries_.rbegin(); e != entries_.rend(); ++e) {
            const bool in_mode =
                std::any_of(state.mode.begin(), state.mode.end(),
                            [&](const std::pair<int, int>& m) { return m.first == e->code; });
            if (e->memory == memory && !in_mode)
                note(write_back(monitor, e->code, e->value, failures));
        }
    }
    memory_ = first_memory_;
    note(write_back(monitor, mf::memory_select, first_memory_, failures));
    // The monitor dropped the preparation when the wizard changed the mode; it is taken back
    // with the wait the page gives it.
    for (const auto& [code, value] : preparation_) {
        int current = 0;
        if (monitor.get_value(code, current) == 0 && current == value) continue;
        int wanted = value;
        const int result = monitor.set_value(code, wanted);
        if (result == 0) monitor.wait(monitor_timing::kPageSettleWaitMs);
        if (result != 0)
            failures << QStringLiteral("%1 (the adjustment preparation)").arg(hex(code));
        note(result);
    }
    note(monitor.save_settings());
    busy_ = false;
    if (!failures.isEmpty()) {
        qCWarning(undo_log).noquote() << "not put back:" << failures.join(QStringLiteral(", "));
        if (first_error == 0) first_error = CDDCMonitor::kMissing;
    }
    if (failures_out) *failures_out = failures;
    return first_error;
}
