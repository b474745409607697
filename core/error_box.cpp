#include "core/error_box.h"

#include "comm/monitor_timing.h"
#include "core/custom_message_box.h"
#include "core/error_messages.h"
#include "core/master_control.h"
#include "core/string_table.h"

namespace {

bool current_monitor_is_usb() {
    return master_control_instance && master_control_instance->current_display().monitor_is_usb();
}

}  // namespace

ErrorText error_text(int code, bool monitor_is_usb) {
    const ErrorMessage message = error_message(code, monitor_is_usb);
    return {message.string_id, message.text,
            message.warning ? QMessageBox::Warning : QMessageBox::Critical};
}

void show_message(QWidget* parent, const QString& text, QMessageBox::Icon icon, bool auto_close,
                  bool placement) {
    MyCustomMessageBox box(parent, auto_close ? monitor_timing::kErrorAutoCloseSeconds : 0,
                           placement);
    box.setText(text);
    box.setWindowTitle(string(1));
    box.setStandardButtons(QMessageBox::Ok);
    box.setIcon(icon);
    box.exec();
}

void show_error(QWidget* parent, int code, bool auto_close, bool placement) {
    const ErrorText error = error_text(code, current_monitor_is_usb());
    show_message(parent, error.text, error.icon, auto_close, placement);
}
