#include "ui/main_window/panel_common.h"

#include <QApplication>

#include "color/error_codes.h"
#include "comm/ddc_monitor.h"
#include "comm/monitor_timing.h"
#include "core/error_box.h"
#include "core/master_control.h"
#include "platform/sleeper.h"

namespace panel_common {

void process_pending_events() {
    QCoreApplication::processEvents(QEventLoop::AllEvents, monitor_timing::kEventProcessingMs);
}

void settle(int milliseconds) {
    platform::sleep_ms(milliseconds);
}

void show_communication_error(QWidget* parent) {
    show_error(parent, ui_error::kCommunicationError, true);
}

bool is_failure(int result) {
    return result < 0 && result != CDDCMonitor::kUnsupported;
}

QIcon main_picture_icon() {
    return QIcon(QStringLiteral(":/images/Resources/small arrow left.png"));
}

}  // namespace panel_common
