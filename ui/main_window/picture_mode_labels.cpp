#include "ui/main_window/picture_mode_labels.h"

#include "comm/ddc_monitor.h"
#include "core/master_control.h"
#include "core/picture_mode_rules.h"

namespace picture_mode_labels {

QString memory_label(int memory) {
    if (!master_control_instance) return {};
    CDDCMonitor* monitor = master_control_instance->current_display().monitor();
    if (!monitor) return {};
    const DisplayInfo& info = master_control_instance->current_display().info();
    const CMonitorTracker& tracker = master_control_instance->monitor_tracker();
    const int index = tracker.find(info.text1, info.text2);
    if (index < 0) return {};
    const CAdjustValue& record = tracker.entry(index).adjust;
    const CModeSettings* item = record.findModeSettings(memory);
    if (!item) return {};
    return picture_mode::preset_label(item->preset(), &record, monitor->has_simulated_dicom());
}

}  // namespace picture_mode_labels
