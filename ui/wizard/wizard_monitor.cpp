#include "ui/wizard/wizard_monitor.h"

#include <QApplication>
#include <cmath>

#include "core/error_box.h"
#include "core/master_control.h"

namespace wizard_monitor {

CDDCMonitor* current_monitor() {
    return master_control_instance ? master_control_instance->current_display().monitor() : nullptr;
}

void show_communication_error(QWidget* parent) {
    show_error(parent, kCommunicationError, true);
}

int chromaticity_code(double value) {
    return static_cast<int>(std::trunc(value * 1000.0));
}

CWaitCursor::CWaitCursor() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

CWaitCursor::~CWaitCursor() {
    QApplication::restoreOverrideCursor();
}

}  // namespace wizard_monitor
