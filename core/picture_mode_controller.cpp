#include "core/picture_mode_controller.h"

#include "color/display_info.h"
#include "comm/ddc_monitor.h"
#include "comm/monitor_features.h"
#include "comm/monitor_timing.h"
#include "core/master_control.h"
#include "core/monitor_token.h"
#include "core/operation_running.h"

using namespace picture_mode;
namespace mf = monitor_feature;

CPictureModeController::CPictureModeController(std::function<Target()> target, Hooks hooks)
    : target_(std::move(target)), hooks_(std::move(hooks)) {}

CPictureModeController::Target CPictureModeController::current_display() {
    if (!master_control_instance) return {};
    CTargetDisplay& display = master_control_instance->current_display();
    return {display.monitor(), &master_control_instance->monitor_tracker(), &display.info()};
}

bool CPictureModeController::monitor_free() {
    return !operation_running && !monitor_token::busy();
}

CDDCMonitor* CPictureModeController::monitor() const {
    return target_().monitor;
}

bool CPictureModeController::lookup_record(CMonitorEntry& entry) const {
    const Target target = target_();
    if (!target.monitor || !target.records) return false;
    return target.records->lookup(target.monitor->model_name(), target.monitor->serial_number(),
                                  entry) >= 0;
}

int CPictureModeController::prepare_adjustment(Preparation when) {
    const CMonitorUse in_use;
    CDDCMonitor* m = monitor();
    if (!m) return CDDCMonitor::kNotConnected;
    if (when == Preparation::after_reset) adjustment_prepared_ = true;
    struct Step {
        int code;
        int wanted;
        int wait;
    };
    const Step steps[] = {
        {mf::prepare_254, mf::prepare_254_value, monitor_timing::kPageSettleWaitMs},
        {mf::prepare_233, mf::prepare_233_value, monitor_timing::kPageSettleWaitMs},
        {mf::prepare_105d, mf::prepare_105d_value, 0}};
    for (const Step& step : steps) {
        if (step.code == mf::prepare_105d && when == Preparation::after_reset) break;
        int value = 0;
        if (m->get_value(step.code, value) != 0 || value == step.wanted) continue;
        int wanted = step.wanted;
        if (const int r = m->set_value(step.code, wanted); r != 0) return r;
        if (step.wait > 0) m->wait(step.wait);
    }
    adjustment_prepared_ = true;
    return 0;
}

CPictureModeController::Levels CPictureModeController::read_levels() {
    const CMonitorUse in_use;
    Levels levels;
    CDDCMonitor* m = monitor();
    if (!m) return levels;
    const auto read_limit = [&](int code, int& out) {
        int value = 0;
        const int r = m->get_value(code, value);
        if (r == 0) out = value;
        if (r != 0 && r != CDDCMonitor::kUnsupported) levels.failed_feature = code;
        return levels.failed_feature == 0;
    };
    const auto read_level = [&](int code, std::optional<Level>& out) {
        Level level;
        if (m->get_value_max(code, level.value, level.maximum) != 0) {
            levels.failed_feature = code;
            return false;
        }
        out = level;
        return true;
    };
    if (!read_limit(mf::black_level_minimum, levels.black_limit)) return levels;
    if (!read_level(mf::black_level, levels.black_level)) return levels;
    if (!read_limit(mf::uniformity_limit, levels.uniformity_limit)) return levels;
    if (!read_limit(mf::contrast_limit, levels.contrast_limit)) return levels;
    if (!read_level(mf::luminance, levels.brightness)) return levels;
    if (m->get_value(mf::luminance_minimum, levels.brightness->minimum) != 0)
        levels.brightness->minimum = 0;
    return levels;
}

CPictureModeController::ModeState CPictureModeController::read_mode_state() {
    const CMonitorUse in_use;
    ModeState state;
    CDDCMonitor* m = monitor();
    if (!m) return state;
    for (auto [code, shown] : {std::pair{mf::response_improve, &state.response_improve},
                               std::pair{mf::metamerism, &state.metamerism}}) {
        int value = 0;
        if (m->get_value(code, value) == 0) *shown = value > 1;
    }
    int memory = 0;
    if (m->get_value_max(mf::memory_select, memory, state.memories) == 0) state.memory = memory;
    return state;
}

std::optional<bool> CPictureModeController::brightness_out_of_reach(int brightness) {
    const CMonitorUse in_use;
    CDDCMonitor* m = monitor();
    if (!m) return std::nullopt;
    std::array<Gain, 3> gains{};
    for (std::size_t i = 0; i < gains.size(); ++i) {
        if (m->get_value_max(mf::mode_gains[i], gains[i].value, gains[i].maximum) != 0)
            return std::nullopt;
    }
    int luminance = 0;
    if (m->get_value(mf::luminance_maximum, luminance) != 0) return std::nullopt;
    return brightness_too_high(gains, brightness, luminance);
}

CPictureModeController::LevelWrite CPictureModeController::write_levels(
    std::optional<int> brightness, std::optional<int> black_level) {
    const CMonitorUse in_use;
    LevelWrite done;
    CDDCMonitor* m = monitor();
    if (!m) return {CDDCMonitor::kNotConnected, false};
    if (!adjustment_prepared_) done.result = prepare_adjustment();
    for (auto [code, level] :
         {std::pair{mf::luminance, brightness}, std::pair{mf::black_level, black_level}}) {
        if (done.result != 0 || !level) continue;
        int value = *level;
        done.result = m->set_value(code, value);
        settings_unsaved_ = true;
        done.written = true;
    }
    return done;
}

int CPictureModeController::save_settings() {
    const CMonitorUse in_use;
    CDDCMonitor* m = monitor();
    if (!m) return CDDCMonitor::kNotConnected;
    const int result = m->save_settings();
    settings_unsaved_ = false;
    return result;
}

picture_mode::MemorySelection CPictureModeController::select_memory(int memory) {
    const CMonitorUse in_use;
    CDDCMonitor* m = monitor();
    if (!m) return {CDDCMonitor::kNotConnected, 0};
    if (settings_unsaved_) {
        m->save_settings();
        settings_unsaved_ = false;
    }
    const MemorySelection done =
        picture_mode::select_memory(*m, memory, hooks_.process_events, hooks_.reload);
    if (done.select == 0) adjustment_prepared_ = false;
    return done;
}

int CPictureModeController::write_switch(int code, bool on) {
    const CMonitorUse in_use;
    CDDCMonitor* m = monitor();
    if (!m) return CDDCMonitor::kNotConnected;
    int value = on ? mf::switch_on : mf::switch_off;
    int result = m->set_value(code, value);
    if (result == 0) result = m->save_settings();
    settings_unsaved_ = false;
    return result;
}

int CPictureModeController::reset_mode() {
    const CMonitorUse in_use;
    CDDCMonitor* m = monitor();
    if (!m) return CDDCMonitor::kNotConnected;
    int one = 1;
    return m->set_value(mf::reset_mode, one);
}

QStringList CPictureModeController::memory_labels(int active_memory, int count) {
    const CMonitorUse in_use;
    QStringList labels;
    for (int memory = 1; memory <= count; ++memory)
        labels << default_button_label(memory);
    CMonitorEntry entry;
    if (!lookup_record(entry)) return labels;
    const Target target = target_();
    CDDCMonitor* m = target.monitor;
    if (active_memory > 0) {
        int preset = 0;
        int maximum = 0;
        if (m->get_value_max(mf::preset, preset, maximum) == 0 && maximum != 0) {
            if (const CModeSettings* item = entry.adjust.findModeSettings(active_memory)) {
                CModeSettings updated = *item;
                updated.values[1] = static_cast<std::int16_t>(preset);
                entry.adjust.setModeSettings(updated);
                target.records->store(entry);
            }
        }
    }
    name_from_record(entry, m->has_simulated_dicom(), labels);
    return labels;
}

QStringList CPictureModeController::record_labels(int count) const {
    QStringList labels(count, QString());
    CMonitorEntry entry;
    if (lookup_record(entry)) name_from_record(entry, monitor()->has_simulated_dicom(), labels);
    return labels;
}

QString CPictureModeController::label_of_preset(int preset) const {
    CMonitorEntry entry;
    const bool has_record = lookup_record(entry);
    CDDCMonitor* m = monitor();
    return preset_label(preset, has_record ? &entry.adjust : nullptr, m && m->has_simulated_dicom())
        .simplified();
}

void CPictureModeController::name_from_record(const CMonitorEntry& entry, bool simulated_dicom,
                                              QStringList& labels) {
    for (const CModeSettings& item : entry.adjust.modeSettings) {
        if (item.memory() >= 1 && item.memory() <= labels.size()) {
            labels[item.memory() - 1] =
                preset_label(item.preset(), &entry.adjust, simulated_dicom).simplified();
        }
    }
}

int CPictureModeController::refresh_record_item() {
    const CMonitorUse in_use;
    CMonitorEntry entry;
    if (!lookup_record(entry)) return kNoRecord;
    CModeSettings item;
    if (const int r = monitor()->read_memory_settings(item); r != 0) return r;
    if (!entry.adjust.setModeSettings(item)) entry.adjust.modeSettings.append(item);
    target_().records->store(entry);
    return 0;
}

CPictureModeController::ModeBeforeWizard CPictureModeController::remember_mode() {
    const CMonitorUse in_use;
    ModeBeforeWizard before;
    CDDCMonitor* m = monitor();
    before.remembered = m && m->get_value(mf::memory_select, before.memory) == 0 &&
                        m->get_value(mf::preset, before.preset) == 0;
    return before;
}

void CPictureModeController::wizard_accepted(const ModeBeforeWizard& before) {
    const CMonitorUse in_use;
    CDDCMonitor* m = monitor();
    if (m && before.remembered) m->erase_memory_entry(before.memory, before.preset);
}

int CPictureModeController::wizard_cancelled(const ModeBeforeWizard& before, bool changed) {
    const CMonitorUse in_use;
    CDDCMonitor* m = monitor();
    if (!m || !changed || !before.remembered) return 0;
    int back = before.memory;
    const int result = m->set_value(mf::memory_select, back);
    if (result == 0) m->wait(monitor_timing::kPageSettleWaitMs);
    return result;
}

CPictureModeController::ActiveModeProfile CPictureModeController::profile_active_mode(
    const ProfileLevels& levels) {
    const CMonitorUse in_use;
    ActiveModeProfile out;
    const Target target = target_();
    CMonitorEntry entry;
    if (!lookup_record(entry)) return out;
    CDDCMonitor& m = *target.monitor;
    out.read_error = m.get_value(mf::memory_select, out.memory);
    if (out.read_error == 0) out.read_error = m.get_value(mf::preset, out.preset);
    if (out.read_error != 0) {
        out.step = ProfileStep::not_read;
        return out;
    }
    const CModeSettings* found = entry.adjust.findModeSettings(out.memory);
    if (!found || found->preset() != out.preset) {
        out.step = ProfileStep::no_item;
        return out;
    }

    ProfileRequest request;
    if (target.display) request.device = display_device_name(*target.display);
    request.model = entry.modelName;
    request.serial = entry.serialNumber;
    request.memory = out.memory;
    request.preset = out.preset;
    request.item = *found;
    request.brightness = levels.brightness;
    request.black_level = levels.black_level;
    request.black_limit = levels.black_limit;
    request.reference = entry.adjust.referenceSettings;
    CCurveSet stored;
    if (entry.adjust.getCurveSet(out.preset, stored)) request.curves = stored;
    request.read_curves = hooks_.read_curves;
    request.retry_locked = hooks_.retry_locked;

    out.step = ProfileStep::made;
    out.result = make_active_mode_profile(m, request);
    CMonitorTracker& records = *target.records;
    if (out.result.curves_read) {
        entry.adjust.setCurveSet(*out.result.curves_read);
        records.store(entry);
    }
    if (out.result.outcome == ProfileOutcome::calibrated_selected) {
        entry.adjust.referenceSettings = CModeSettings{};
        records.store(entry);
    } else if (out.result.outcome == ProfileOutcome::updated) {
        entry.adjust.referenceSettings = request.item;
        records.store(entry);
    }
    return out;
}
