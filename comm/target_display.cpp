#include "comm/target_display.h"

#include <array>

#include "comm/ddc_monitor.h"
#include "comm/supported_models.h"
#include "platform/access_library.h"
#include "platform/interface_info.h"

CTargetDisplay::CTargetDisplay() = default;

CTargetDisplay::~CTargetDisplay() {
    delete monitor_;
}

bool CTargetDisplay::monitor_is_usb() const {
    return monitor_ && monitor_->is_usb();
}

int CTargetDisplay::connect(const DisplayInfo& info) {
    info_ = info;
    delete monitor_;
    monitor_ = nullptr;
    status_ = 0;
    if (info_.index < 0 || !info_.ddcCapable) return 0;

    if (!supported_models::is_supported_monitor_id(info_.monitorId)) {
        status_ = kUnsupportedMonitor;
        return kUnsupportedMonitor;
    }
    monitor_ = new CDDCMonitor();

    platform::CAccessLibrary* library = platform::access_library();
    if (!library) return kNoAccessLibrary;
    platform::CInterfaceInfo record;
    if (library->GetDisplayInterfaceInfo(info_.index, &record) != 0) return kNoInterfaceInfo;

    if (const int opened = monitor_->connect_interface(info_.index); opened != 0) return opened;

    monitor_->set_usb(info_.writeNames != 0);
    if (info_.writeNames) {
        // Handing the names over starts from the monitor's EDID copy, which a derived monitor
        // type may take its identity from.
        std::array<std::uint8_t, CDDCMonitor::kEdidSize> scratch{};
        monitor_->copy_edid(scratch.data(), CDDCMonitor::kEdidSize);
        monitor_->set_serial_number(info_.text2);
        monitor_->set_model_name(info_.text1);
    }
    if (!info_.text3.isEmpty()) {
        const QByteArray capabilities = info_.text3.toLatin1();
        monitor_->set_capabilities(std::string_view(capabilities.constData(),
                                                    static_cast<std::size_t>(capabilities.size())));
    }
    return 0;
}
