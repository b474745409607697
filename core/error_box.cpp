#include "core/error_box.h"

#include "core/custom_message_box.h"
#include "core/master_control.h"
#include "core/string_table.h"

namespace {

constexpr int kAutoCloseSeconds = 60;

bool is_communication_error(int code) {
    return code == -1023 || code == -32 || (code >= -27 && code <= -23) || code == -20 ||
           (code >= -12 && code <= -10);
}

struct Entry {
    int code;
    int string_id;
    QMessageBox::Icon icon;
};

constexpr QMessageBox::Icon C = QMessageBox::Critical;
constexpr QMessageBox::Icon W = QMessageBox::Warning;
constexpr Entry kTable[] = {
    {-1505, 104, C}, {-1502, 102, C}, {-1501, 103, C}, {-1500, 101, C}, {-1033, 149, C},
    {-1032, 147, C}, {-1031, 146, C}, {-1030, 148, C}, {-1026, 151, C}, {-1025, 144, C},
    {-1017, 131, W}, {-1015, 127, W}, {-1014, 125, C}, {-1013, 123, W}, {-1012, 121, C},
    {-1011, 119, C}, {-1008, 117, C}, {-1005, 115, W}, {-1004, 113, C}, {-1003, 111, C},
    {-1001, 107, C}, {-1000, 105, C},
};

bool current_monitor_is_usb() {
    return master_control_instance && master_control_instance->current_display().monitor_is_usb();
}

}  // namespace

ErrorText error_text(int code, bool monitor_is_usb) {
    if (is_communication_error(code)) {
        const int id = monitor_is_usb ? 143 : 179;
        // The USB hint has no place for the code; filling it anyway only draws a warning.
        const QString text = string(id);
        return {id, text.contains(QLatin1String("%1")) ? text.arg(code) : text,
                QMessageBox::Critical};
    }
    for (const Entry& entry : kTable) {
        if (entry.code == code) return {entry.string_id, string(entry.string_id), entry.icon};
    }
    return {100, string(100).arg(code), QMessageBox::Critical};
}

void show_message(QWidget* parent, const QString& text, QMessageBox::Icon icon, bool auto_close,
                  bool placement) {
    MyCustomMessageBox box(parent, auto_close ? kAutoCloseSeconds : 0, placement);
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
