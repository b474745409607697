#include "comm/interface_enumeration.h"

#include "comm/ddc_monitor.h"
#include "comm/monitor_features.h"
#include "comm/supported_models.h"
#include "platform/access_library.h"

namespace {

// A monitor that refuses the feature has still answered.
bool answers_probe(CDDCMonitor& monitor) {
    int current = 0, maximum = 0;
    const int result = monitor.get_value_max(monitor_feature::brightness, current, maximum);
    return result == 0 || result == CDDCMonitor::kUnsupported;
}

// The string table's entry for an interface nobody can be identified on.
QString unknown_display() {
    return QObject::tr("Unknown Display", "STR_RES_ID_UNKNOWN_DISPLAY_NAME_AND_DISPLAY");
}

}  // namespace

CEnumDDCCI_Monitors::CEnumDDCCI_Monitors(QObject* parent) : QObject(parent) {}

CEnumDDCCI_Monitors::~CEnumDDCCI_Monitors() = default;

int CEnumDDCCI_Monitors::interface_record(int i, CInterfaceRecord& out) const {
    if (i < 0 || i >= interface_count()) return -1;
    out = records_[static_cast<std::size_t>(i)];
    return 0;
}

int CEnumDDCCI_Monitors::enumerate(bool probe, bool rescan) {
    records_.clear();
    platform::CAccessLibrary* library = platform::access_library();
    if (!library) return 0;
    if (rescan) library->EnumerateInterfaces(1, platform::interface_enumeration_mode);
    const int n = library->GetNumDisplayInterfaces();
    for (int i = 0; i < n; ++i) {
        platform::CInterfaceInfo info;
        library->GetDisplayInterfaceInfo(i, &info);
        const bool usb = info.type() == platform::kInterfaceTypeUsb;
        if (!usb && (info.skip_video() || !info.usable())) {
            Q_EMIT detectedMonitor2(unknown_display());
            continue;
        }
        CDDCMonitor monitor;
        monitor.connect_interface(i);
        CInterfaceRecord record;
        record.index = i;
        for (int a = 0; a < 4; ++a)
            record.area[static_cast<std::size_t>(a)] = info.area(a);
        if (usb) {
            record.model_name = QString::fromLatin1(info.model_name());
            record.serial = QString::fromLatin1(info.serial());
            record.product_id = info.product_id();
            record.is_usb = 1;
            if (probe) record.communicates = answers_probe(monitor) ? 1 : 0;
            Q_EMIT detectedMonitor2(record.model_name + QStringLiteral(" (USB)"));
        } else {
            if (monitor.read_edid() != 0) {
                Q_EMIT detectedMonitor2(unknown_display());
                continue;
            }
            monitor.copy_edid(record.edid.data(), static_cast<int>(record.edid.size()));
            record.serial = monitor.serial_number();
            record.model_name = monitor.model_name();
            monitor.product_id(record.product_id);
            // The monitor's USB control link cannot be reached on Linux, so a supported monitor
            // that answers over its video cable is controlled over it (USB stays preferred
            // when matching). Other makers' monitors are not asked.
            if (probe && supported_models::is_supported_monitor_id(record.product_id)) {
                record.communicates = answers_probe(monitor) ? 1 : 0;
            }
            Q_EMIT detectedMonitor2(record.model_name);
        }
        records_.push_back(record);
    }
    return interface_count();
}
