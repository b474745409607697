// Settings lists: several features read or written in order, each write followed by the time
// the monitor needs before it takes the next command.

#include "comm/ddc_monitor.h"
#include "comm/monitor_features.h"

namespace mf = monitor_feature;

namespace {

constexpr std::int32_t kActionMask = 0x00FF;
constexpr std::int32_t kCompareMask = 0xFF00;

}  // namespace

int CDDCMonitor::settle_wait(int code, int written) {
    switch (code) {
        case mf::gamma_type:
        case mf::gamma_value:
            return mode_0268_wait;
        case mf::luminance:
            return monitor_timing::kLuminanceWaitMs;
        case mf::memory_select:
            return memory_select_wait;
        case mf::preset:
        case mf::metamerism:
        case mf::lut_use:
            return monitor_timing::kPictureSettingWaitMs;
        case mf::lut_mode:
            return written == mf::lut_mode_access ? 0 : monitor_timing::kLutModeWaitMs;
        default:
            return 0;
    }
}

int CDDCMonitor::apply_one(CMonitorSetting& entry) {
    if ((entry.flags & kActionMask) == 0) {
        return get_value_max(entry.code, entry.value, entry.maximum);
    }
    const int wanted = entry.value;
    if ((entry.flags & kCompareMask) != 0) {
        if (entry.code == mf::lut_mode && wanted == mf::lut_mode_normal)
            wait(monitor_timing::kLutModeCompareWaitMs);
        int current = 0, maximum = entry.maximum;
        if (const int result = get_value_max(entry.code, current, maximum); result != 0)
            return result;
        entry.maximum = maximum;
        if (current == wanted) return 0;
    }
    const int result = set_value(entry.code, entry.value);
    // Unsupported or unconnected: nothing changed on the monitor, nothing to wait for.
    const int settle = settle_wait(entry.code, wanted);
    if (settle > 0 && result != kUnsupported && result != kNotConnected) wait(settle);
    return result;
}

int CDDCMonitor::apply_settings(CMonitorSettingList& list) {
    report_progress(kProgressTotal, static_cast<unsigned>(list.size()));
    for (CMonitorSetting& entry : list) {
        entry.result = apply_one(entry);
        step();
        if (entry.result != 0 && entry.result != kUnsupported) return entry.result;
    }
    return 0;
}
