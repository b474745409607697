#pragma once

#include <QString>

// The common error texts without a window: which string-table entry a negative result code
// shows and how grave it is. The error box shows them; the command-line tool prints them.
struct ErrorMessage {
    int string_id = 100;
    QString text;
    bool warning = false;  // a warning rather than a critical error
};

// Communication failures name the USB hint only when the monitor is not already reached over
// USB.
ErrorMessage error_message(int code, bool monitor_is_usb);
bool is_communication_error(int code);
